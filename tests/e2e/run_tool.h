#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

// Runs varlume-run (built beside the tests) with the given arguments and collects what it prints.
struct TToolResult {
    int Status = -1;
    std::string Out;
};

inline std::string BinDir() { return VARLUME_BIN_DIR; }

// `prefix` goes before the program (a time limit, say).
inline TToolResult RunTool(const std::string& arguments, bool withStderr = false, const std::string& prefix = "") {
    const std::string command = prefix + BinDir() + "/varlume-run " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null");
    TToolResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Out.append(buffer, n);
    const int status = pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A scratch directory of its own for each test, removed afterwards.
class TScratchDir {
public:
    TScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Path = std::filesystem::temp_directory_path() /
               ("varlume-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(Path);
        std::filesystem::create_directories(Path);
    }
    ~TScratchDir() { std::filesystem::remove_all(Path); }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const auto file = Path / name;
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return file.string();
    }
    std::string operator/(const std::string& name) const { return (Path / name).string(); }

    std::filesystem::path Path;
};

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The text that follows the last line typed (the program's output), up to the next READY.
inline std::string AfterLast(const std::string& screen, const std::string& typed) {
    const auto at = screen.rfind(typed + "\n");
    return at == std::string::npos ? std::string() : screen.substr(at + typed.size() + 1);
}

// The ROM-based tests fail loudly, never skip, when the set-up script has not fetched the images.
inline void RequireRoms() {
    for (const char* rom : {"basic.bin", "kernal.bin", "3plus1lo.rom", "3plus1hi.rom"}) {
        ASSERT_TRUE(std::filesystem::exists(BinDir() + "/" + rom))
            << "ROM image " << rom << " is missing from " << BinDir()
            << ": run scripts/setup.sh (or scripts/fetch-roms.sh " << BinDir() << ") first";
    }
}
