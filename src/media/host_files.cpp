#include "media/host_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::error_code LastError(std::errc fallback) {
    return errno != 0 ? std::error_code(errno, std::generic_category()) : std::make_error_code(fallback);
}

// A name beside the target that no listing serves (it does not end in a file type) and that
// no other writer uses: a random part, made unique within the process by a counter. It is short
// whatever the target's name, so a target whose name is near the file system's limit can still
// be written.
fs::path TemporaryPathFor(const fs::path& path) {
    static const uint64_t processPart = std::random_device()();
    static std::atomic<uint64_t> counter{0};
    const std::string name = ".varlume-" + std::to_string(processPart) + "-" + std::to_string(counter++) + ".tmp";
    return path.parent_path() / name;
}

// Creates the temporary file (never opening an existing one) and writes the bytes to it.
std::error_code WriteNewFile(const fs::path& path, const uint8_t* data, size_t size) {
    errno = 0;
    FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) return LastError(std::errc::io_error);
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    const std::error_code writeError = written && std::fflush(file) == 0 ? std::error_code() : LastError(std::errc::io_error);
    errno = 0;
    const bool closed = std::fclose(file) == 0;
    if (writeError) return writeError;
    return closed ? std::error_code() : LastError(std::errc::io_error);
}

}  // namespace

bool IsRegularHostFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(fs::status(path, error));
}

THostRead ReadHostFile(const fs::path& path, size_t limit, std::vector<uint8_t>& bytes) {
    if (!IsRegularHostFile(path)) return THostRead::NotRegular;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) return THostRead::Failed;
    if (size > limit) return THostRead::TooLarge;
    std::ifstream file(path, std::ios::binary);
    if (!file) return THostRead::Failed;
    std::vector<uint8_t> contents(static_cast<size_t>(size));
    if (size > 0 && !file.read(reinterpret_cast<char*>(contents.data()), std::streamsize(size))) return THostRead::Failed;
    // A file that grew since its size was taken is refused too: the limit holds for what is read.
    if (file.peek() != std::char_traits<char>::eof()) return THostRead::TooLarge;
    bytes = std::move(contents);
    return THostRead::Ok;
}

std::error_code WriteHostFileReplacing(const fs::path& path, const uint8_t* data, size_t size) {
    std::error_code statusError;
    const fs::file_status target = fs::status(path, statusError);
    if (fs::exists(target) && !fs::is_regular_file(target)) return std::make_error_code(std::errc::invalid_argument);
    const fs::path temporary = TemporaryPathFor(path);
    std::error_code error = WriteNewFile(temporary, data, size);
    if (!error) {
        if (fs::is_regular_file(target)) fs::permissions(temporary, target.permissions(), statusError);
        fs::rename(temporary, path, error);
    }
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    return error;
}

std::error_code WriteHostFileThroughLinks(const fs::path& path, const uint8_t* data, size_t size) {
    std::error_code error;
    const fs::path resolved = fs::is_symlink(path, error) ? fs::canonical(path, error) : path;
    return WriteHostFileReplacing(error ? path : resolved, data, size);
}

bool IsWriteProtection(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
           error == std::errc::operation_not_permitted;
}

THostFileId HostFileId(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return {uint64_t(info.st_dev), uint64_t(info.st_ino), true};
}

bool OwnerMayWrite(const fs::path& path) {
    std::error_code error;
    const fs::perms permissions = fs::status(path, error).permissions();
    return !error && (permissions & fs::perms::owner_write) != fs::perms::none;
}
