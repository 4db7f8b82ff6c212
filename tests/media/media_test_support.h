#pragma once
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "media/drive.h"

namespace media_test {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// A fresh directory under the system's temporary directory, removed with everything in it.
class TTempDir {
public:
    TTempDir() {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (;;) {
            Path = fs::temp_directory_path() / ("varlume-media-" + std::to_string(random()));
            if (fs::create_directory(Path)) break;
        }
    }
    ~TTempDir() {
        std::error_code error;
        fs::remove_all(Path, error);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    fs::path operator/(const std::string& name) const { return Path / name; }
    std::string String() const { return Path.string(); }

    fs::path Path;
};

inline void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// n bytes of a recognisable pattern, starting with the given load address.
inline Bytes Program(uint16_t loadAddress, size_t dataBytes, uint8_t seed = 1) {
    Bytes bytes{uint8_t(loadAddress), uint8_t(loadAddress >> 8)};
    for (size_t i = 0; i < dataBytes; ++i) bytes.push_back(uint8_t(seed + i * 7));
    return bytes;
}

// Speaks the ROM's side of the drive protocol, one register access at a time.
class TDriveClient {
public:
    explicit TDriveClient(TDrive& drive) : Drive(drive), Base(drive.BaseAddress()) {}

    void Code(uint8_t byte) { Drive.WritePort(Base, byte); }
    void Command(uint8_t command) {
        Code(0x81);
        Code(command);
    }
    uint8_t Data() { return Drive.ReadPort(Base); }
    uint8_t Status() { return Drive.ReadPort(uint16_t(Base + 1)); }
    uint8_t Handshake() { return Drive.ReadPort(uint16_t(Base + 2)); }

    // LISTEN, OPEN 0, the name, UNLISTEN; returns the status the request left.
    uint8_t Open(std::string_view name) {
        Command(0x20);
        Code(0x82);
        Code(0xF0);
        for (char c : name) {
            Code(0x83);
            Code(uint8_t(c));
        }
        Command(0x3F);
        return Status();
    }
    // TALK, then one $84 per byte until the drive reports the last one, then UNTALK.
    Bytes ReadAll(size_t limit = 70000) {
        Bytes bytes;
        Command(0x40);
        for (size_t i = 0; i < limit; ++i) {
            Code(0x84);
            bytes.push_back(Data());
            if (Status() == TDrive::StatusLastByte) break;
        }
        Command(0x5F);
        return bytes;
    }
    // LISTEN, CLOSE 0, UNLISTEN: ends a request and clears the status.
    void Close() {
        Command(0x20);
        Code(0xE0);
        Command(0x3F);
    }
    // A whole LOAD; empty when the drive reports the file missing. Either way the status is 0
    // afterwards, as after the ROM's UNTALK or CLOSE, and the prepared data stays.
    Bytes Load(std::string_view name) {
        if (Open(name) == TDrive::StatusNotFound) {
            Close();
            return {};
        }
        return ReadAll();
    }

    // LISTEN, OPEN `secondary` with the name, UNLISTEN; returns the status the open left.
    uint8_t OpenChannel(int secondary, std::string_view name) {
        Listen(uint8_t(0xF0 | secondary), name);
        return Status();
    }
    // LISTEN, the channel's data address, the bytes, UNLISTEN: as PRINT# or SAVE sends them.
    void Send(int secondary, std::string_view bytes) { Listen(uint8_t(0x60 | secondary), bytes); }
    // TALK, the channel's data address, then bytes until the drive marks the last one (or
    // has nothing to send), UNTALK: as GET# or INPUT# read them.
    Bytes Receive(int secondary, size_t limit = 70000) {
        Bytes bytes;
        Command(0x40);
        Code(0x82);
        Code(uint8_t(0x60 | secondary));
        for (size_t i = 0; i < limit; ++i) {
            Code(0x84);
            if (Status() == TDrive::StatusNotFound) break;
            bytes.push_back(Data());
            if (Status() == TDrive::StatusLastByte) break;
        }
        Command(0x5F);
        return bytes;
    }
    void CloseChannel(int secondary) { Listen(uint8_t(0xE0 | secondary), {}); }
    // A command sent as OPEN 15 sends it; returns the status line read back (no return).
    std::string Dos(std::string_view command) {
        OpenChannel(15, command);
        return StatusLine();
    }
    std::string StatusLine() {
        const Bytes line = Receive(15);
        if (line.empty() || line.back() != 0x0D) return "(no carriage return)";
        return std::string(line.begin(), line.end() - 1);
    }
    // SAVE as the KERNAL sends it: OPEN 1 with the name, the bytes, CLOSE 1.
    std::string Save(std::string_view name, const Bytes& bytes) {
        OpenChannel(1, name);
        Send(1, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        CloseChannel(1);
        return StatusLine();
    }

    TDrive& Drive;
    uint16_t Base;

private:
    // LISTEN, a secondary address, the bytes, UNLISTEN.
    void Listen(uint8_t secondary, std::string_view bytes) {
        Command(0x20);
        Code(0x82);
        Code(secondary);
        for (char c : bytes) {
            Code(0x83);
            Code(uint8_t(c));
        }
        Command(0x3F);
    }
};

// Runs `write` with the host's file size limit set to `bytes`, which makes a longer write fail
// half-way as a full disk would.
template <class Write>
auto WithFileSizeLimit(rlim_t bytes, Write write) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = write();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}

// Pieces of a directory listing, for byte-for-byte comparisons.
inline void AppendWord(Bytes& bytes, uint16_t word) {
    bytes.push_back(uint8_t(word));
    bytes.push_back(uint8_t(word >> 8));
}
inline void AppendText(Bytes& bytes, std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }
inline void AppendSpaces(Bytes& bytes, int count) { bytes.insert(bytes.end(), size_t(count), ' '); }

// The last line at machine address `address` and the end-of-program bytes.
inline Bytes ListingTail(uint16_t address, uint16_t blocksFree) {
    Bytes bytes;
    AppendWord(bytes, uint16_t(address + 30));
    AppendWord(bytes, blocksFree);
    AppendText(bytes, "BLOCKS FREE.");
    AppendSpaces(bytes, 13);
    bytes.push_back(0);
    AppendWord(bytes, 0);
    return bytes;
}

// Checks that a listing is a whole BASIC program loaded at $1001: each line's link leads to the
// next line, the last line says BLOCKS FREE and the end marker follows. Returns the number of
// lines, or -1.
inline int ListingLineCount(const Bytes& listing) {
    if (listing.size() < 4 || listing[0] != 0x01 || listing[1] != 0x10) return -1;
    size_t at = 2;
    int lines = 0;
    std::string last;
    for (;;) {
        const uint16_t link = uint16_t(listing[at] | listing[at + 1] << 8);
        if (link == 0) break;
        const size_t next = size_t(link - 0x1001 + 2);
        if (next <= at + 5 || next + 2 > listing.size() || listing[next - 1] != 0) return -1;
        last.assign(listing.begin() + long(at + 4), listing.begin() + long(next - 1));
        at = next;
        ++lines;
    }
    return at + 2 == listing.size() && last.rfind("BLOCKS FREE.", 0) == 0 ? lines : -1;
}

// Device 8 in Directory mode, serving a fresh directory.
class DirectoryDriveFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Drive = std::make_unique<TDrive>();
        Drive->SetDeviceNumber(8);
        Drive->SetDirectoryPath(Dir.String());
        Drive->SetMode(TDrive::ModeDirectory);
    }

    TTempDir Dir;
    std::unique_ptr<TDrive> Drive;
};

}  // namespace media_test
