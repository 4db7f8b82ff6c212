#pragma once
// What every fuzz target shares: invariant checks that libFuzzer counts as crashes, a reader of
// the fuzzer's bytes, a scratch directory on a memory file system, the drive's invariants, and
// the seed corpus each target writes of itself.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/drive.h"
#include "media/drive_client.h"
#include "media/drive_listing.h"

namespace fuzz {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

// A broken invariant aborts, so libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) ::fuzz::Broken(#condition, __FILE__, __LINE__); \
    } while (0)

// The fuzzer's bytes, taken from the front; an exhausted input reads as zeros.
class TInput {
public:
    TInput(const uint8_t* data, size_t size) : Data(data), Size(size) {}

    uint8_t Byte() { return At < Size ? Data[At++] : 0; }
    uint16_t Word() { return uint16_t(Byte() | Byte() << 8); }
    // Up to `count` bytes (fewer at the end of the input).
    std::string_view Text(size_t count) {
        const size_t taken = std::min(count, Size - At);
        const std::string_view text(reinterpret_cast<const char*>(Data + At), taken);
        At += taken;
        return text;
    }
    Bytes Take(size_t count) {
        const std::string_view text = Text(count);
        return Bytes(text.begin(), text.end());
    }
    Bytes Rest() { return Take(Size - At); }
    size_t Left() const { return Size - At; }

private:
    const uint8_t* Data;
    size_t Size;
    size_t At = 0;
};

// A directory of this process's own on a memory file system when there is one (each run does
// file work, and a disk would make it slow), removed at exit.
inline const fs::path& ScratchRoot() {
    static const fs::path root = [] {
        std::error_code error;
        const fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path path = base / ("varlume-fuzz-" + std::to_string(::getpid()));
        fs::remove_all(path, error);
        fs::create_directories(path);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(ScratchRoot(), ignored);
        });
        return path;
    }();
    return root;
}

inline void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    Bytes bytes(file ? size_t(file.tellg()) : 0);
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    return bytes;
}

// The host writer's temporary file (".NAME.varlume-....tmp"): none may be left behind. The
// drive's own names end in their type's extension, never in ".tmp".
inline bool IsWritersTemporary(const fs::path& path) {
    const std::string name = path.filename().string();
    return name.size() > 4 && name[0] == '.' && name.find(".varlume-") != std::string::npos &&
           name.compare(name.size() - 4, 4, ".tmp") == 0;
}

// The status codes the drive's DOS has.
inline bool KnownDosCode(int32_t code) {
    switch (code) {
        case DosOk: case DosFilesScratched: case DosWriteError: case DosWriteProtect: case DosSyntaxError:
        case DosInvalidCommand: case DosLineTooLong: case DosInvalidName: case DosNoName: case DosFileTooLarge:
        case DosWriteFileOpen: case DosFileNotFound: case DosFileExists: case DosFileTypeMismatch: case DosNoBlock:
        case DosIllegalTrackSector: case DosNoChannel: case DosDiskFull: case DosVersion: case DosDriveNotReady:
            return true;
        default:
            return false;
    }
}

// What holds after every register access, whatever the machine sent.
inline void CheckDriveState(const TDrive& drive) {
    FUZZ_CHECK(drive.StatusRegister == TDrive::StatusOk || drive.StatusRegister == TDrive::StatusNotFound ||
               drive.StatusRegister == TDrive::StatusLastByte);
    FUZZ_CHECK(drive.ProtocolState <= 2);
    FUZZ_CHECK(drive.NameLength >= 0 && drive.NameLength <= TDrive::NameBufferSize);
    FUZZ_CHECK(drive.Lamp >= TDrive::LampOff && drive.Lamp <= TDrive::LampError);
    FUZZ_CHECK(drive.HandshakeRegister == 0x00 || drive.HandshakeRegister == 0xFF);
    FUZZ_CHECK(KnownDosCode(drive.DosStatus().Code));
}

// A listing as LOAD"$" brings it in: a whole BASIC program that, loaded at $1001, ends below
// the top of BASIC's memory for the machine's RAM.
inline void CheckListing(const Bytes& listing, int32_t machineRam) {
    FUZZ_CHECK(int32_t(listing.size()) <= TListingWriter::MaxListingSize(machineRam));
    FUZZ_CHECK(media_test::ListingLineCount(listing) >= 0);
}

// Seeds: small valid inputs that the target makes itself. With VARLUME_FUZZ_SEEDS naming a
// directory, the target writes them there and exits instead of fuzzing.
using TSeeds = std::vector<std::pair<std::string, Bytes>>;
TSeeds Seeds();

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* directory = std::getenv("VARLUME_FUZZ_SEEDS")) {
        std::filesystem::create_directories(directory);
        for (const auto& [name, bytes] : fuzz::Seeds()) fuzz::WriteFile(std::filesystem::path(directory) / name, bytes);
        std::exit(0);
    }
    return 0;
}
