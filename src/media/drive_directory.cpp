// The directory back-end: a host directory's PRG files served as if they were on a disk.
// It only reads the host directory, never writes to it, and never changes the process's
// current directory: every path is resolved against the drive's own directory.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "media/drive.h"
#include "media/drive_listing.h"

namespace fs = std::filesystem;

namespace {

struct THostFile {
    std::string Name;  // file name as the host stores it, extension included
    fs::path Path;
};

constexpr std::string_view PrgExtension = ".PRG";

fs::path ServedDirectory(const std::string& path) {
    std::error_code error;
    if (!path.empty() && fs::is_directory(path, error)) return fs::path(path);
    fs::path current = fs::current_path(error);
    return error ? fs::path(".") : current;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool HasPrgExtension(std::string_view name) {
    return name.size() >= PrgExtension.size() &&
           EqualIgnoringCase(name.substr(name.size() - PrgExtension.size()), PrgExtension);
}

// Regular files (or links to them) whose names end in ".PRG" in any letter case. The host
// enumerates a directory in no defined order; sorting by name makes the listing and the "*"
// request the same on every run and every host.
std::vector<THostFile> PrgFiles(const fs::path& directory) {
    std::vector<THostFile> files;
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error) return files;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (HasPrgExtension(name)) files.push_back({std::move(name), it->path()});
    }
    std::sort(files.begin(), files.end(), [](const THostFile& a, const THostFile& b) { return a.Name < b.Name; });
    return files;
}

// The drive's matching folds the host name up: every code from 96 to 127 loses 32.
std::string FoldedForMatch(std::string name) {
    for (char& c : name) {
        const auto code = uint8_t(c);
        if (code >= 96 && code <= 127) c = char(code - 32);
    }
    return name;
}

std::string UpperLetters(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return upper;
}

std::string_view WithoutExtension(std::string_view name) { return name.substr(0, name.size() - PrgExtension.size()); }

// A name sent by the program must stay inside the served directory.
bool LeavesDirectory(std::string_view name) {
    return name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos ||
           name.find("..") != std::string_view::npos;
}

// Size of a host file that can be opened for reading, or -1.
int64_t ReadableSize(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return -1;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? -1 : int64_t(size);
}

// Blocks free as the listing shows them: free bytes on the volume, capped at 32768.
int32_t FreeValue(const fs::path& directory) {
    std::error_code error;
    const fs::space_info space = fs::space(directory, error);
    if (error || space.available == static_cast<std::uintmax_t>(-1)) return 0;
    return int32_t(std::min<std::uintmax_t>(space.available, 32768));
}

}  // namespace

void TDrive::PrepareFromDirectory(std::string_view name) {
    const fs::path directory = ServedDirectory(DirectoryPath);
    if (name.front() == '$') {
        BuildDirectoryListing(directory.string());
        return;
    }
    if (LeavesDirectory(name)) {
        StatusRegister = StatusNotFound;
        return;
    }
    const std::vector<THostFile> files = PrgFiles(directory);
    std::string request(name);
    // "*" asks for the first program on the disk; the rest of the name plays no part.
    if (request.front() == '*' && !files.empty()) request = std::string(WithoutExtension(files.front().Name));

    const std::string pattern = request + std::string(PrgExtension);
    const THostFile* chosen = nullptr;
    for (const THostFile& file : files) {
        if (NameMatch(pattern, FoldedForMatch(file.Name))) {
            chosen = &file;
            break;
        }
    }
    if (!chosen) {
        for (const THostFile& file : files) {
            if (EqualIgnoringCase(file.Name, pattern)) {
                chosen = &file;
                break;
            }
        }
    }
    if (!chosen) {
        StatusRegister = StatusNotFound;
        return;
    }

    // Read into a scratch buffer first, so a failed read leaves the prepared data as it was.
    // A file longer than the 16-bit data length can describe is refused, not cut.
    const int64_t size = ReadableSize(chosen->Path);
    if (size < 0 || size > MaxDataLength) {
        StatusRegister = StatusNotFound;
        return;
    }
    std::vector<char> contents(static_cast<size_t>(size));
    std::ifstream file(chosen->Path, std::ios::binary);
    if (!file || (size > 0 && !file.read(contents.data(), size))) {
        StatusRegister = StatusNotFound;
        return;
    }
    std::copy(contents.begin(), contents.end(), DataBuffer.begin());
    DataLength = uint16_t(size);
    StatusRegister = StatusOk;
}

void TDrive::BuildDirectoryListing(const std::string& directory) {
    TListingWriter listing(DataBuffer.data(), MaxDataLength);
    std::string title = "VARLUME DIR (8) ";
    title[13] = char('0' + DeviceNumber % 10);
    listing.Header(title, "00", "2A");
    for (const THostFile& file : PrgFiles(directory)) {
        const std::string_view stem = WithoutExtension(file.Name);
        const int64_t size = ReadableSize(file.Path);
        if (size < 0 || stem.size() > 16) continue;
        const int64_t blocks = std::min<int64_t>(size / 256 + 1, INT32_MAX);
        if (!listing.Entry(int32_t(blocks), UpperLetters(stem), " PRG  ")) break;
    }
    DataLength = uint16_t(listing.Finish(FreeValue(directory)));
}
