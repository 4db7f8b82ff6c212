// The directory back-end's load channel: a host directory's files served as if they were on a
// disk. It never changes the process's current directory: every path is resolved against the
// drive's own directory, and only the files served_directory.h admits are opened.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "media/drive.h"
#include "media/drive_listing.h"
#include "media/host_files.h"
#include "media/served_directory.h"

namespace fs = std::filesystem;

namespace {

std::string UpperLetters(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return upper;
}

// Size of a served file that can be opened for reading, or -1.
int64_t ReadableSize(const fs::path& path) {
    if (!IsRegularHostFile(path)) return -1;
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

int32_t TDrive::BuildDirectoryListing(uint8_t* buffer) {
    const fs::path directory = DirectoryPath;
    TListingWriter listing(buffer, TListingWriter::MaxListingSize(MachineRam));
    std::string title = "VARLUME DIR (8) ";
    title[13] = char('0' + DeviceNumber % 10);
    listing.Header(title, "00", "2A");
    static constexpr const char* TypeMarks[] = {"DEL  ", "SEQ  ", "PRG  ", "USR  "};
    for (const TServedFile& file : ServedFiles(directory, FileAnyType)) {
        const std::string_view stem = file.Stem();
        const int64_t size = ReadableSize(file.Path);
        if (size < 0 || stem.size() > 16) continue;
        const int64_t blocks = std::min<int64_t>(size / 256 + 1, INT32_MAX);
        if (!listing.Entry(int32_t(blocks), UpperLetters(stem), std::string(" ") + TypeMarks[file.Type & 3])) break;
    }
    return listing.Finish(FreeValue(directory));
}
