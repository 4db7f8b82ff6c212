#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/d64_backend.h"
#include "media/drive_channels.h"
#include "media/drive_dos.h"

class TStateReader;
class TStateWriter;

// Wildcard comparison of the drive's DOS: "*" ends the comparison with a match, "?" matches
// any one character (or the end of the name); everything else must be equal byte for byte.
bool NameMatch(std::string_view pattern, std::string_view name);
// Number of characters of n written in decimal (1 for 0..9); lays out directory listings.
int32_t DigitCount(int32_t n);

// One disk drive on the parallel drive port, emulated at the level of the ROM's byte protocol.
// Every byte the ROM writes to the data register is acted on at once; a whole file or listing
// is prepared inside the processor write that sends UNLISTEN.
//
// The drive keeps a channel per secondary address: 0 loads (a program or the listing), 1 saves,
// 2 to 14 are data files, 15 is the command channel, which reports the DOS status and takes DOS
// commands. Each channel has its own buffer, so the command channel can be read while a file
// is open.
class TDrive {
public:
    enum Mode : int32_t { ModeNone = 0, ModeDirectory = 1, ModeD64 = 2 };
    enum DriveStatus : uint8_t { StatusOk = 0, StatusNotFound = 2, StatusLastByte = 3 };
    // LampError: the lamp flashes while an error waits on the command channel.
    enum LampState : int32_t { LampOff = 0, LampIdle = 1, LampBusy = 2, LampError = 3 };

    static constexpr uint16_t BaseDevice8 = 0xFEF0;
    static constexpr uint16_t BaseDevice9 = 0xFEC0;
    static constexpr int32_t NameBufferSize = 256;
    static constexpr int32_t DataBufferSize = 65536;
    // The data length is 16 bits wide, so this is the most one request can prepare.
    static constexpr int32_t MaxDataLength = 65535;

    // A 35-track disk: 683 sectors of 256 bytes.
    static constexpr int32_t D64Tracks = 35;
    static constexpr int32_t D64Sectors = 683;
    static constexpr int32_t D64ImageSize = TD64Image::ImageSize;
    static constexpr int32_t D64ImageWithErrorsSize = TD64Image::ImageWithErrorsSize;
    static int32_t SectorsPerTrack(int32_t track);

    TDrive();
    // 8 or 9; anything else becomes 8.
    void SetDeviceNumber(int32_t n);
    // 0 None, 1 Directory, 2 D64 File (other values mean None). Lights the lamp unless None;
    // the drive starts afresh: channels closed, the DOS status reports the drive's version.
    void SetMode(int32_t m);
    // Machine reset, which resets the drive too: empty buffers, idle protocol, every channel
    // closed (a file still being written is dropped), the version status. Mode, directory,
    // image and registers stay.
    void Reset();
    // Reading a register changes nothing: only the data byte written with $84 advances the drive.
    uint8_t ReadPort(uint16_t address) const;
    void WritePort(uint16_t address, uint8_t value);
    bool TakeLampChange();
    uint16_t BaseAddress() const { return DeviceNumber == 9 ? BaseDevice9 : BaseDevice8; }

    // Directory mode serves the files of this host directory. While it is not there (none
    // chosen, deleted, renamed, unmounted: no longer the directory that was chosen) the drive
    // answers "74,DRIVE NOT READY" to every access and writes nothing. Files open on the old
    // directory are closed (a file still being written is dropped).
    void SetDirectoryPath(std::string path);
    const std::string& GetDirectoryPath() const { return DirectoryPath; }
    // Whether the chosen directory is there, as it was chosen.
    bool DirectoryReady() const;

    // D64 mode serves this image (TD64Image::Attach says which files are taken); the drive's
    // mode is not changed. Writes reach the image file unless its owner may not write it: then
    // the disk is write-protected. An image file that `otherDrive` holds (under any name) is
    // refused: two drives writing one file would each lose the other's writes. Files open on
    // the old disk are closed (a file still being written is dropped).
    TD64Attach AttachImage(const std::string& path, const TDrive* otherDrive = nullptr);
    // Whether this drive's disk is the host file at `path` (compared by device and inode).
    bool HoldsImageFile(const std::string& path) const;
    // A snapshot taken before one file could go to one drive only may give both drives the same
    // image file: this drive then keeps its disk in memory, write-protected, and `note` says so.
    // True when that happened.
    bool LetGoOfImageFileOf(const TDrive& other, std::string* note);
    // What the user should be told about the disk since the last call (empty for nothing).
    std::string TakeNotice() { return Image.TakeNotice(); }
    // An image without a host file: writes change it in memory only.
    TD64Attach AttachImageData(const std::vector<uint8_t>& image);
    // Takes the disk out: the drive answers as before any image was attached (a blank disk
    // without a host file); its mode stays. Open files are closed, one being written dropped.
    void DetachImage();
    const std::vector<uint8_t>& DiskImage() const { return Image.Bytes(); }
    // The host file the attached image is written back to (resolved; empty for none).
    const std::string& ImageFile() const { return Image.HostFile(); }
    // The user's write protection, for either kind of medium: every write, scratch, rename,
    // format and validate answers "26,WRITE PROTECT ON". It lasts until changed.
    void SetWriteProtected(bool writeProtected) { UserProtected = writeProtected; }
    // Whether the drive refuses writes now: the user's protection or a read-only image.
    bool WriteProtected() const { return UserProtected || (DriveMode == ModeD64 && Image.ReadOnly()); }

    // The RAM of the machine the drive is attached to (16384, 32768 or 65536 bytes): listings
    // are cut to fit it.
    void SetMachineRam(int32_t bytes) { MachineRam = bytes; }

    // Snapshots (drive_state.cpp): the mode, the directory, the disk and its host file, the
    // protocol registers, the buffers and every channel. A disk whose host file no longer
    // holds the same bytes is restored into memory only, and `note` says so. Restore is false
    // for bytes that no drive state gives.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in, std::string* note = nullptr);

    // The status the command channel reports next ("NN,TEXT,TT,SS").
    const TDosStatus& DosStatus() const { return Command.Status(); }

    // The prepared data as the drive delivers it (a PRG file or a listing).
    const uint8_t* PreparedData() const { return DataBuffer.data(); }
    std::string_view Name() const { return {reinterpret_cast<const char*>(NameBuffer.data()), size_t(NameLength)}; }

    int32_t DeviceNumber = 8;
    int32_t DriveMode = ModeNone;
    int32_t Lamp = LampOff;
    int32_t LampChanged = 0;

    uint8_t DataRegister = 0;
    uint8_t StatusRegister = 0;
    uint8_t HandshakeRegister = 0;
    uint8_t ProtocolState = 0;  // 0 idle, 1 a byte for the name follows, 2 a bus command follows
    int32_t NameLength = 0;
    uint16_t ReadPosition = 0;
    uint16_t DataLength = 0;

    // Byte offset of sector 0 of tracks 1..36 (index 0 is track 1; track 36's is the image size).
    std::array<int32_t, 36> TrackOffset{};

private:
    enum class TBusRole { None, Listener, Talker };
    static constexpr int32_t CommandChannelNumber = 15;

    void ProtocolByte(uint8_t value);
    void BusCommand(uint8_t value);
    void SecondaryAddress(uint8_t value);
    void DataByteFromMachine(uint8_t value);
    void DataByteToMachine();
    void ClearName();
    void SetLamp(int32_t lamp);
    // The lamp once the drive is done: flashing while an error waits, else idle.
    void LampDone() { SetLamp(Command.Status().IsError() ? LampError : LampIdle); }
    void SetDosStatus(TDosStatus status);
    // Closes every channel without writing, as when the disk is changed.
    void CloseAllChannels();
    // Closes every channel and reports the drive's version, as after power-on.
    void StartAfresh();
    // The status for a channel that reads `pattern` (60 while another channel writes a file of
    // that name) or writes `name` on `channel` (63 while another channel writes it).
    TDosStatus OpenConflict(std::string_view name, bool writing, int32_t channel) const;
    void OpenBuffer(TDataChannel& file, int32_t buffer);

    // Runs at UNLISTEN: acts on what the machine sent to the channel it listened on.
    void EndListen();
    // Channel 0, the load channel: prepares the data buffer from the name buffer.
    void PrepareData();
    void OpenChannel(int32_t channel, std::string_view name);
    void CloseChannel(int32_t channel);
    void RunCommand(std::string_view command);
    // The back-end of the current mode, for `work(backEnd)`.
    template <class Work>
    auto WithBackEnd(Work work);

    // A file for LOAD, through the back-end as a data channel reads it.
    void PrepareFile(std::string_view name);
    // The listings (drive_directory.cpp, drive_d64.cpp).
    int32_t BuildDirectoryListing(uint8_t* buffer);
    int32_t BuildDiskListing(uint8_t* buffer);
    // The listing of the current mode, for a data channel.
    std::vector<uint8_t> Listing();

    std::string DirectoryPath;
    THostFileId DirectoryId;
    int32_t MachineRam = 65536;
    bool UserProtected = false;
    TD64Image Image;
    std::array<uint8_t, NameBufferSize> NameBuffer{};
    std::vector<uint8_t> DataBuffer;

    TBusRole Role = TBusRole::None;
    uint8_t ListenSecondary = 0xF0;  // what the bytes after LISTEN are for: OPEN 0 unless told
    int32_t TalkChannel = 0;
    std::array<TDataChannel, CommandChannelNumber> Channels;  // 1-14 used
    TCommandChannel Command;
};
