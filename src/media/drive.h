#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Wildcard comparison of the drive's DOS: "*" ends the comparison with a match, "?" matches
// any one character (or the end of the name); everything else must be equal byte for byte.
bool NameMatch(std::string_view pattern, std::string_view name);
// Number of characters of n written in decimal (1 for 0..9); lays out directory listings.
int32_t DigitCount(int32_t n);

// What attaching a D64 image came to. Anything but Attached leaves the previous image whole.
enum class TD64Attach { Attached, CannotOpen, NotAnImage };
// The message box text for a refused image (empty for Attached).
const char* D64AttachMessage(TD64Attach result);

// One disk drive on the parallel drive port, emulated at the level of the ROM's byte protocol.
// Every byte the ROM writes to the data register is acted on at once; a whole file or listing
// is prepared inside the processor write that sends UNLISTEN.
class TDrive {
public:
    enum Mode : int32_t { ModeNone = 0, ModeDirectory = 1, ModeD64 = 2 };
    enum DriveStatus : uint8_t { StatusOk = 0, StatusNotFound = 2, StatusLastByte = 3 };
    enum LampState : int32_t { LampOff = 0, LampIdle = 1, LampBusy = 2 };

    static constexpr uint16_t BaseDevice8 = 0xFEF0;
    static constexpr uint16_t BaseDevice9 = 0xFEC0;
    static constexpr int32_t NameBufferSize = 256;
    static constexpr int32_t DataBufferSize = 65536;
    // The data length is 16 bits wide, so this is the most one request can prepare.
    static constexpr int32_t MaxDataLength = 65535;

    // A 35-track disk: 683 sectors of 256 bytes.
    static constexpr int32_t D64Tracks = 35;
    static constexpr int32_t D64Sectors = 683;
    static constexpr int32_t D64ImageSize = 174848;
    static constexpr int32_t D64ImageWithErrorsSize = 175531;  // one error byte per sector follows
    static int32_t SectorsPerTrack(int32_t track);

    TDrive();
    // 8 or 9; anything else becomes 8.
    void SetDeviceNumber(int32_t n);
    // 0 None, 1 Directory, 2 D64 File (other values mean None). Lights the lamp unless None.
    void SetMode(int32_t m);
    // Machine reset: empty buffers and idle protocol; mode, directory, image and registers stay.
    void Reset();
    // Reading a register changes nothing: only the data byte written with $84 advances the drive.
    uint8_t ReadPort(uint16_t address) const;
    void WritePort(uint16_t address, uint8_t value);
    bool TakeLampChange();
    uint16_t BaseAddress() const { return DeviceNumber == 9 ? BaseDevice9 : BaseDevice8; }

    // Directory mode serves the PRG files of this host directory. Empty, or a path that is not
    // a reachable directory, means the process's current directory.
    void SetDirectoryPath(std::string path) { DirectoryPath = std::move(path); }
    const std::string& GetDirectoryPath() const { return DirectoryPath; }

    // D64 mode serves this image. Only whole images are taken (174848 bytes, or 175531 with the
    // error bytes, which are ignored); the drive's mode is not changed.
    TD64Attach AttachImage(const std::string& path);
    TD64Attach AttachImageData(const std::vector<uint8_t>& image);
    const std::vector<uint8_t>& DiskImage() const { return Disk; }

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
    void ProtocolByte(uint8_t value);
    void BusCommand(uint8_t value);
    void ClearName();
    void SetLamp(int32_t lamp);
    // Runs at UNLISTEN: prepares the data buffer from the name buffer.
    void PrepareData();

    // Directory back-end (drive_directory.cpp).
    void PrepareFromDirectory(std::string_view name);
    void BuildDirectoryListing(const std::string& directory);
    // D64 back-end (drive_d64.cpp).
    void PrepareFromDisk(std::string_view name);
    void BuildDiskListing();
    bool LoadDiskFile(int32_t track, int32_t sector);
    // Offset of a sector in the image, or -1 when the track or sector lies outside the disk.
    int32_t SectorOffset(int32_t track, int32_t sector) const;

    std::string DirectoryPath = ".";
    std::vector<uint8_t> Disk;
    std::array<uint8_t, NameBufferSize> NameBuffer{};
    std::vector<uint8_t> DataBuffer;
};
