#pragma once
#include <gtest/gtest.h>

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

    TDrive& Drive;
    uint16_t Base;
};

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
