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
#include "media/drive_client.h"

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
