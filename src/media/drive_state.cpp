// A drive's part of a machine snapshot: everything the drive and its channels hold, so that a
// restored drive answers the next byte on its port as the saved one would have.
#include <cstring>

#include "core/state_stream.h"
#include "media/drive.h"

namespace {

// A buffer up to its last byte that is not zero: the zeros after it come back on restore.
// Zeros are skipped a word at a time: a disk is mostly empty towards its end.
void PutTrimmed(TStateWriter& out, const std::vector<uint8_t>& bytes) {
    size_t size = bytes.size();
    for (uint64_t word = 0; size >= 8; size -= 8) {
        std::memcpy(&word, bytes.data() + size - 8, 8);
        if (word != 0) break;
    }
    while (size > 0 && bytes[size - 1] == 0) --size;
    out.PutBlock(bytes.data(), size);
}

bool GetTrimmed(TStateReader& in, std::vector<uint8_t>& bytes, size_t size) {
    if (!in.GetBlock(bytes, size)) return false;
    bytes.resize(size, 0);
    return true;
}

}  // namespace

void TD64Image::SaveState(TStateWriter& out) const {
    // A blank disk is saved as no bytes at all rather than 170 KB of zeros.
    PutTrimmed(out, Disk);
    out.PutBlock(ErrorBytes);
    out.PutString(Path);
    out.Put(Protected);
}

bool TD64Image::RestoreState(TStateReader& in, bool& unlinked) {
    unlinked = false;
    std::vector<uint8_t> disk, errors;
    std::string path;
    bool writeProtected = false;
    // No bytes stand for the blank image, which the drive keeps as an empty disk.
    if (in.GetBlock(disk, size_t(ImageSize)) && !disk.empty()) disk.resize(size_t(ImageSize), 0);
    in.GetBlock(errors, size_t(ImageWithErrorsSize - ImageSize));
    in.GetString(path, 4096);
    in.Get(writeProtected);
    if (!in.Ok()) return false;
    if (!errors.empty() && errors.size() != size_t(ImageWithErrorsSize - ImageSize)) return in.Fail();
    // The host file is written to again only while it still holds the snapshot's disk: a disk
    // changed since must not be overwritten by the older one.
    if (!path.empty()) {
        TD64Image file;
        const std::vector<uint8_t>& saved = disk.empty() ? BlankImage() : disk;
        if (file.Attach(path) == TD64Attach::Attached && file.Bytes() == saved && file.ErrorBytes == errors) {
            *this = std::move(file);
            return true;
        }
        unlinked = true;
    }
    Disk = std::move(disk);
    ErrorBytes = std::move(errors);
    Path.clear();
    FileId = {};
    // A disk cut off from its file keeps no write: each would be answered OK and lost.
    Protected = unlinked || (path.empty() && writeProtected);
    Notice.clear();
    return true;
}

void TDataChannel::SaveState(TStateWriter& out) const {
    out.Put(int32_t(ChannelState));
    out.PutBlock(Bytes);
    out.Put(uint64_t(Position));
    out.PutString(FileName);
    out.Put(FileType);
    out.Put(ReplaceExisting);
    out.Put(Overflowed);
    if (ChannelState == Buffer) out.Put(BufferLast);
}

bool TDataChannel::RestoreState(TStateReader& in) {
    int32_t state = 0;
    uint64_t position = 0;
    in.GetIn(state, int32_t(Closed), int32_t(Buffer));
    in.GetBlock(Bytes, MaxFileSize);
    in.Get(position);
    in.GetString(FileName, 256);
    in.GetIn(FileType, int32_t(FileAnyType), int32_t(FileRel));
    in.Get(ReplaceExisting);
    in.Get(Overflowed);
    BufferLast = int32_t(BlockSize) - 1;
    if (state == Buffer) in.GetIn(BufferLast, 0, int32_t(BlockSize) - 1);
    if (position > Bytes.size() || (state == Buffer && (Bytes.size() != BlockSize || position >= BlockSize)))
        return in.Fail();
    ChannelState = TState(state);
    Position = size_t(position);
    return in.Ok();
}

void TCommandChannel::SaveState(TStateWriter& out) const {
    out.Put(Current.Code);
    out.Put(Current.Track);
    out.Put(Current.Sector);
    out.PutString(Line);
    out.Put(uint64_t(Position));
}

bool TCommandChannel::RestoreState(TStateReader& in) {
    uint64_t position = 0;
    in.GetIn(Current.Code, 0, 99);
    in.GetIn(Current.Track, 0, 999);
    in.GetIn(Current.Sector, 0, 999);
    in.GetString(Line, 256);
    in.Get(position);
    // A line being sent has a byte left; an empty one has not started.
    if (Line.empty() ? position != 0 : position >= Line.size()) return in.Fail();
    Position = size_t(position);
    return in.Ok();
}

void TDrive::SaveState(TStateWriter& out) const {
    out.Put(DeviceNumber);
    out.Put(DriveMode);
    out.Put(Lamp);
    out.Put(LampChanged);
    for (uint8_t reg : {DataRegister, StatusRegister, HandshakeRegister, ProtocolState}) out.Put(reg);
    out.Put(NameLength);
    out.PutBytes(NameBuffer.data(), NameBuffer.size());
    out.Put(ReadPosition);
    out.Put(DataLength);
    PutTrimmed(out, DataBuffer);
    out.PutString(DirectoryPath);
    out.Put(MachineRam);
    out.Put(UserProtected);
    Image.SaveState(out);
    out.Put(int32_t(Role));
    out.Put(ListenSecondary);
    out.Put(TalkChannel);
    for (const TDataChannel& channel : Channels) channel.SaveState(out);
    Command.SaveState(out);
}

bool TDrive::RestoreState(TStateReader& in, std::string* note) {
    int32_t role = 0;
    in.GetIn(DeviceNumber, 8, 9);
    in.GetIn(DriveMode, int32_t(ModeNone), int32_t(ModeD64));
    in.GetIn(Lamp, int32_t(LampOff), int32_t(LampError));
    in.GetIn(LampChanged, 0, 1);
    for (uint8_t* reg : {&DataRegister, &StatusRegister, &HandshakeRegister}) in.Get(*reg);
    in.GetIn(ProtocolState, uint8_t(0), uint8_t(2));
    in.GetIn(NameLength, 0, NameBufferSize);
    in.GetBytes(NameBuffer.data(), NameBuffer.size());
    in.Get(ReadPosition);
    in.Get(DataLength);
    GetTrimmed(in, DataBuffer, DataBufferSize);
    in.GetString(DirectoryPath, 4096);
    DirectoryId = DirectoryPath.empty() ? THostFileId() : HostFileId(DirectoryPath);
    in.GetIn(MachineRam, 16384, 65536);
    in.Get(UserProtected);
    bool unlinked = false;
    if (in.Ok()) Image.RestoreState(in, unlinked);
    in.GetIn(role, int32_t(TBusRole::None), int32_t(TBusRole::Talker));
    in.Get(ListenSecondary);
    in.GetIn(TalkChannel, 0, CommandChannelNumber);
    for (TDataChannel& channel : Channels)
        if (in.Ok()) channel.RestoreState(in);
    if (in.Ok()) Command.RestoreState(in);
    Role = TBusRole(role);
    if (unlinked && note)
        *note = "The disk image file of drive " + std::to_string(DeviceNumber) +
                " has changed since the snapshot: the drive keeps the snapshot's disk in memory only, write-protected "
                "(writes answer 26,WRITE PROTECT ON).";
    return in.Ok();
}
