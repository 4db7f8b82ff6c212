#include "media/drive.h"

#include <algorithm>

#include "media/directory_backend.h"
#include "media/served_directory.h"

namespace {

// The back-end of a directory drive whose directory is not there: nothing is read or written.
class TNotReadyBackEnd : public TDosBackEnd {
public:
    TDosStatus ReadFile(std::string_view, int32_t, std::vector<uint8_t>&) override { return {DosDriveNotReady}; }
    TDosStatus CanWrite(std::string_view, bool) override { return {DosDriveNotReady}; }
    TDosStatus WriteFile(std::string_view, int32_t, bool, const std::vector<uint8_t>&) override {
        return {DosDriveNotReady};
    }
    TDosStatus Scratch(std::string_view, int32_t&) override { return {DosDriveNotReady}; }
    TDosStatus Rename(std::string_view, std::string_view) override { return {DosDriveNotReady}; }
    TDosStatus Format(std::string_view, std::string_view, bool) override { return {DosDriveNotReady}; }
    TDosStatus Validate() override { return {DosDriveNotReady}; }
};

}  // namespace

bool NameMatch(std::string_view pattern, std::string_view name) {
    const size_t longer = std::max(pattern.size(), name.size());
    for (size_t i = 0; i < longer; ++i) {
        if (i < pattern.size() && pattern[i] == '*') return true;
        if (i < pattern.size() && pattern[i] == '?') continue;
        // A literal character, or the pattern's end, must meet the same byte in the name.
        if (i >= pattern.size() || i >= name.size() || pattern[i] != name[i]) return false;
    }
    return pattern.size() == name.size();
}

int32_t DigitCount(int32_t n) {
    int64_t magnitude = n;
    int32_t digits = 1;
    if (magnitude < 0) {
        magnitude = -magnitude;
        ++digits;  // the minus sign
    }
    for (; magnitude >= 10; magnitude /= 10) ++digits;
    return digits;
}

TDrive::TDrive() : DataBuffer(DataBufferSize, 0) {
    int32_t offset = 0;
    for (int32_t track = 1; track <= 36; ++track) {
        TrackOffset[track - 1] = offset;
        offset += 256 * SectorsPerTrack(track);
    }
}

void TDrive::SetDeviceNumber(int32_t n) { DeviceNumber = (n == 8 || n == 9) ? n : 8; }

void TDrive::SetMode(int32_t m) {
    DriveMode = (m == ModeDirectory || m == ModeD64) ? m : ModeNone;
    StartAfresh();
    SetLamp(DriveMode != ModeNone ? LampIdle : LampOff);
}

void TDrive::Reset() {
    if (DriveMode != ModeNone) SetLamp(LampIdle);
    ProtocolState = 0;
    ClearName();
    ReadPosition = 0;
    DataLength = 0;
    StartAfresh();
}

void TDrive::CloseAllChannels() {
    for (TDataChannel& channel : Channels) channel.Close();
}

void TDrive::StartAfresh() {
    CloseAllChannels();
    Command.SetStatus({DosVersion});
    Role = TBusRole::None;
    ListenSecondary = 0xF0;
    TalkChannel = 0;
}

void TDrive::SetDirectoryPath(std::string path) {
    if (path != DirectoryPath) CloseAllChannels();
    DirectoryPath = std::move(path);
    DirectoryId = DirectoryPath.empty() ? THostFileId() : HostFileId(DirectoryPath);
}

bool TDrive::DirectoryReady() const {
    std::error_code error;
    return DirectoryId.Known && std::filesystem::is_directory(DirectoryPath, error) &&
           HostFileId(DirectoryPath) == DirectoryId;
}

bool TDrive::HoldsImageFile(const std::string& path) const {
    const THostFileId id = HostFileId(path);
    return id.Known && !Image.HostFile().empty() && id == Image.HostFileIdentity();
}

bool TDrive::LetGoOfImageFileOf(const TDrive& other, std::string* note) {
    if (Image.HostFile().empty() || !other.HoldsImageFile(Image.HostFile())) return false;
    Image.Unlink();
    if (note)
        *note = "Drives " + std::to_string(other.DeviceNumber) + " and " + std::to_string(DeviceNumber) +
                " held the same disk image file in the snapshot: drive " + std::to_string(DeviceNumber) +
                " keeps its disk in memory only, write-protected.";
    return true;
}

TD64Attach TDrive::AttachImage(const std::string& path, const TDrive* otherDrive) {
    if (otherDrive && otherDrive->HoldsImageFile(path)) return TD64Attach::InUse;
    const TD64Attach result = Image.Attach(path);
    // Files open on the old disk do not carry over to the new one.
    if (result == TD64Attach::Attached) CloseAllChannels();
    return result;
}

TD64Attach TDrive::AttachImageData(const std::vector<uint8_t>& image) {
    const TD64Attach result = Image.AttachData(image);
    if (result == TD64Attach::Attached) CloseAllChannels();
    return result;
}

void TDrive::DetachImage() {
    Image = TD64Image();
    CloseAllChannels();
}

bool TDrive::TakeLampChange() {
    const bool changed = LampChanged != 0;
    LampChanged = 0;
    return changed;
}

void TDrive::SetLamp(int32_t lamp) {
    Lamp = lamp;
    LampChanged = 1;
}

void TDrive::SetDosStatus(TDosStatus status) { Command.SetStatus(status); }

void TDrive::ClearName() {
    NameBuffer.fill(0);
    NameLength = 0;
}

uint8_t TDrive::ReadPort(uint16_t address) const {
    if (DriveMode == ModeNone || (address & 0xFFF0) != BaseAddress()) return 0;
    switch (address & 0x0F) {
        case 0: return DataRegister;
        case 1: return StatusRegister;
        case 2: return HandshakeRegister;
        default: return 0;
    }
}

void TDrive::WritePort(uint16_t address, uint8_t value) {
    if (DriveMode == ModeNone || (address & 0xFFF0) != BaseAddress()) return;
    switch (address & 0x0F) {
        case 0:
            ProtocolByte(value);
            break;
        case 2:
            // The ROM's handshake: $00 asks the drive to take a byte, $40 acknowledges its answer.
            if (value == 0x00) HandshakeRegister = 0xFF;
            else if (value == 0x40) HandshakeRegister = 0x00;
            break;
        default:
            break;
    }
}

void TDrive::ProtocolByte(uint8_t value) {
    if (ProtocolState == 1) {
        DataByteFromMachine(value);
        ProtocolState = 0;
        return;
    }
    if (ProtocolState == 2) {
        BusCommand(value);
        return;
    }
    switch (value) {
        case 0x55:  // echo: the ROM probes whether a drive is attached
            DataRegister = 0x55;
            StatusRegister = StatusOk;
            ClearName();
            break;
        case 0x81:
            HandshakeRegister = 0x00;
            ProtocolState = 2;
            break;
        case 0x82:  // the secondary address itself follows as an ordinary code
            HandshakeRegister = 0x00;
            break;
        case 0x83:
            HandshakeRegister = 0x00;
            ProtocolState = 1;
            break;
        case 0x84:
            HandshakeRegister = 0x00;
            DataByteToMachine();
            break;
        default:
            // $6n selects channel n, $En closes it, $Fn opens it; other codes pass.
            if (value >= 0x60 && ((value & 0xF0) == 0x60 || (value & 0xF0) == 0xE0 || (value & 0xF0) == 0xF0))
                SecondaryAddress(value);
            break;
    }
}

void TDrive::SecondaryAddress(uint8_t value) {
    const int32_t channel = value & 0x0F;
    switch (value & 0xF0) {
        case 0x60:
            if (Role == TBusRole::Talker) TalkChannel = channel;
            else ListenSecondary = value;
            break;
        case 0xE0:  // CLOSE: a file being written is written now
            ListenSecondary = value;
            if (channel != 0 && channel != CommandChannelNumber) CloseChannel(channel);
            StatusRegister = StatusOk;
            HandshakeRegister = 0xFF;
            LampDone();
            break;
        default:  // OPEN: the name follows
            ListenSecondary = value;
            HandshakeRegister = 0xFF;
            break;
    }
}

void TDrive::DataByteFromMachine(uint8_t value) {
    const int32_t channel = ListenSecondary & 0x0F;
    if ((ListenSecondary & 0xF0) == 0x60 && channel != 0 && channel != CommandChannelNumber) {
        Channels[size_t(channel)].Append(value);
        return;
    }
    // The name buffer holds 256 bytes; a longer name is cut there.
    if (NameLength < NameBufferSize) NameBuffer[size_t(NameLength++)] = value;
}

void TDrive::DataByteToMachine() {
    bool last = false;
    if (TalkChannel == 0) {
        // Reading past the prepared data is not an error: the position wraps at 65536.
        DataRegister = DataBuffer[ReadPosition];
        ++ReadPosition;
        last = ReadPosition == DataLength;
    } else if (TalkChannel == CommandChannelNumber) {
        DataRegister = Command.NextByte(last);
    } else if (const auto state = Channels[size_t(TalkChannel)].State();
               state == TDataChannel::Reading || state == TDataChannel::Buffer) {
        DataRegister = Channels[size_t(TalkChannel)].NextByte(last);
    } else {
        // Nothing to send on a channel that is not open for reading: the machine times out.
        DataRegister = 0x0D;
        StatusRegister = StatusNotFound;
        return;
    }
    StatusRegister = last ? StatusLastByte : StatusOk;
    if (last) LampDone();
}

void TDrive::BusCommand(uint8_t value) {
    switch (value) {
        case 0x20:  // LISTEN
            HandshakeRegister = 0xFF;
            ClearName();
            SetLamp(LampBusy);
            ProtocolState = 0;
            Role = TBusRole::Listener;
            ListenSecondary = 0xF0;
            break;
        case 0x40:  // TALK: the channel goes on where it stopped, as GET# reads byte by byte
            HandshakeRegister = 0xFF;
            ProtocolState = 0;
            Role = TBusRole::Talker;
            TalkChannel = 0;
            break;
        case 0x3F:  // UNLISTEN: the request is complete
            EndListen();
            HandshakeRegister = 0xFF;
            ProtocolState = 0;
            Role = TBusRole::None;
            break;
        case 0x5F:  // UNTALK
            HandshakeRegister = 0xFF;
            StatusRegister = StatusOk;
            ProtocolState = 0;
            Role = TBusRole::None;
            break;
        default:  // still waiting for a bus command
            break;
    }
}

template <class Work>
auto TDrive::WithBackEnd(Work work) {
    if (DriveMode == ModeD64) {
        TD64BackEnd backEnd(Image, UserProtected);
        return work(backEnd);
    }
    if (!DirectoryReady()) {
        TNotReadyBackEnd backEnd;
        return work(backEnd);
    }
    TDirectoryBackEnd backEnd(DirectoryPath, UserProtected);
    return work(backEnd);
}

TDosStatus TDrive::OpenConflict(std::string_view name, bool writing, int32_t channel) const {
    for (int32_t other = 1; other < CommandChannelNumber; ++other) {
        const TDataChannel& file = Channels[size_t(other)];
        if (other == channel || file.State() != TDataChannel::Writing) continue;
        // A directory keeps one file per name whatever its letter case.
        const bool same = DriveMode == ModeDirectory ? EqualIgnoringCase(file.Name(), name) : file.Name() == name;
        if (writing && same) return {DosFileExists};
        if (!writing && (same || NameMatch(name, file.Name()))) return {DosWriteFileOpen};
    }
    return {};
}

void TDrive::OpenBuffer(TDataChannel& file, int32_t buffer) {
    // Each buffer serves one channel; "#" takes the lowest free one.
    auto taken = [&](int32_t number) {
        for (const TDataChannel& other : Channels)
            if (other.State() == TDataChannel::Buffer && other.BufferNumber() == number) return true;
        return false;
    };
    int32_t number = buffer;
    if (number < 0)
        for (number = 0; number <= 4 && taken(number);) ++number;
    if (number > 4 || taken(number)) return SetDosStatus({DosNoChannel});
    file.OpenBuffer(number);
    SetDosStatus({});
}

void TDrive::EndListen() {
    const int32_t channel = ListenSecondary & 0x0F;
    const int32_t kind = ListenSecondary & 0xF0;
    if (channel == 0) {
        PrepareData();
    } else if (channel == CommandChannelNumber) {
        if (kind != 0xE0) RunCommand(Name());
        LampDone();
    } else if (kind == 0xF0) {
        OpenChannel(channel, Name());
    }
}

void TDrive::PrepareData() {
    std::string_view name = Name();
    if (name.empty()) {
        ReadPosition = 0;
        DataLength = 0;
        return;
    }
    // A new request starts its delivery at the first byte, whether it prepares data or not.
    ReadPosition = 0;
    // A drive prefix such as "0:" names the unit's only disk.
    if (name.size() > 2 && name[1] == ':') name.remove_prefix(2);
    TDosStatus refused = DriveMode == ModeDirectory && !DirectoryReady() ? TDosStatus{DosDriveNotReady} : TDosStatus{};
    if (refused.Code == DosOk && name.front() != '$') refused = OpenConflict(name, false, 0);
    if (refused.Code != DosOk) {
        StatusRegister = StatusNotFound;
        return SetDosStatus(refused);
    }
    if (DriveMode != ModeDirectory && DriveMode != ModeD64) return;
    if (name.front() == '$') {
        DataLength = uint16_t(DriveMode == ModeD64 ? BuildDiskListing(DataBuffer.data()) : BuildDirectoryListing(DataBuffer.data()));
        SetDosStatus({});
        return;
    }
    PrepareFile(name);
}

// LOAD reads a file as a data channel does (the back-end's ReadFile: the first match, a file
// still open for writing refused), with LOAD's own rules on top: from a served directory it takes
// program files only, so a file of another type is not found; the data must fit the 16-bit
// length; and a file without data holds no load address (LOAD would store a byte at an address
// of no one's choosing after the end mark), so it is not found either. A disk drive drops the
// data it had prepared when a LOAD begins; a directory drive keeps it when the read fails.
void TDrive::PrepareFile(std::string_view name) {
    if (DriveMode == ModeD64) DataLength = 0;
    std::vector<uint8_t> contents;
    const int32_t type = DriveMode == ModeDirectory ? FilePrg : FileAnyType;
    TDosStatus status = WithBackEnd([&](TDosBackEnd& backEnd) { return backEnd.ReadFile(name, type, contents); });
    if (status.Code == DosFileTypeMismatch) status = {DosFileNotFound};
    else if (status.Code == DosOk && contents.size() > size_t(MaxDataLength)) status = {DosFileTooLarge};
    else if (status.Code == DosOk && contents.empty()) status = {DosFileNotFound};
    if (status.Code == DosOk) {
        std::copy(contents.begin(), contents.end(), DataBuffer.begin());
        DataLength = uint16_t(contents.size());
    }
    StatusRegister = status.Code == DosOk ? StatusOk : StatusNotFound;
    SetDosStatus(status);
}

std::vector<uint8_t> TDrive::Listing() {
    std::vector<uint8_t> listing(size_t(DataBufferSize), 0);
    const int32_t length = DriveMode == ModeD64 ? BuildDiskListing(listing.data()) : BuildDirectoryListing(listing.data());
    listing.resize(size_t(length));
    return listing;
}

void TDrive::OpenChannel(int32_t channel, std::string_view name) {
    TDataChannel& file = Channels[size_t(channel)];
    // A channel opened again is closed first, so a file being written is kept.
    if (file.State() != TDataChannel::Closed) CloseChannel(channel);
    const TOpenRequest request = ParseOpenName(name, channel);
    TDosStatus status = request.Status;
    if (DriveMode == ModeDirectory && !DirectoryReady()) status = {DosDriveNotReady};
    else if (status.Code == DosOk && request.Kind == TOpenRequest::File)
        status = OpenConflict(request.Name, request.Mode == TOpenRequest::Write, channel);
    if (status.Code == DosOk && request.Kind == TOpenRequest::DirectBuffer) {
        // Only a disk has sectors to read into a buffer.
        if (DriveMode == ModeD64) OpenBuffer(file, request.Buffer);
        else SetDosStatus({DosNoChannel});
        status = Command.Status();
    } else if (status.Code == DosOk && request.Kind == TOpenRequest::Directory) {
        file.OpenForReading(Listing());
    } else if (status.Code == DosOk) {
        status = WithBackEnd([&](TDosBackEnd& backEnd) {
            std::vector<uint8_t> contents;
            if (request.Mode != TOpenRequest::Write) {
                const TDosStatus read = backEnd.ReadFile(request.Name, request.Type, contents);
                if (read.Code != DosOk) return read;
                if (request.Mode == TOpenRequest::Read) {
                    file.OpenForReading(std::move(contents));
                    return read;
                }
            }
            const bool replace = request.Replace || request.Mode == TOpenRequest::Append;
            const TDosStatus writable = backEnd.CanWrite(request.Name, replace);
            if (writable.Code == DosOk) file.OpenForWriting(request.Name, request.Type, replace, std::move(contents));
            return writable;
        });
    }
    SetDosStatus(status);
    if (status.Code != DosOk) {
        StatusRegister = StatusNotFound;
        LampDone();
    }
}

void TDrive::CloseChannel(int32_t channel) {
    TDataChannel& file = Channels[size_t(channel)];
    if (file.State() == TDataChannel::Writing) {
        SetDosStatus(file.TooLarge() ? TDosStatus{DosFileTooLarge} : WithBackEnd([&](TDosBackEnd& backEnd) {
            if (file.ExistingBytes() > 0)
                return backEnd.AppendFile(file.Name(), file.Type(), file.Contents(), file.ExistingBytes());
            return backEnd.WriteFile(file.Name(), file.Type(), file.Replace(), file.Contents());
        }));
    }
    file.Close();
}

void TDrive::RunCommand(std::string_view command) {
    // Opening the command channel without a command leaves the status to be read.
    if (command.empty()) return;
    const TBufferLookup buffers = [this](int32_t channel) -> TDataChannel* {
        if (channel < 1 || channel >= CommandChannelNumber) return nullptr;
        TDataChannel& file = Channels[size_t(channel)];
        return file.State() == TDataChannel::Buffer ? &file : nullptr;
    };
    SetDosStatus(WithBackEnd([&](TDosBackEnd& backEnd) { return ExecuteDosCommand(command, backEnd, buffers); }));
}
