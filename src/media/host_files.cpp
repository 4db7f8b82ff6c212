#include "media/host_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

std::error_code LastError(std::errc fallback) {
    return errno != 0 ? std::error_code(errno, std::generic_category()) : std::make_error_code(fallback);
}

// A name beside the target that no listing serves (it does not end in a file type) and that
// no other writer uses: a random part, made unique within the process by a counter.
fs::path TemporaryPathFor(const fs::path& path) {
    static const uint64_t processPart = std::random_device()();
    static std::atomic<uint64_t> counter{0};
    std::string name = ".";
    name += path.filename().string();
    name += ".varlume-" + std::to_string(processPart) + "-" + std::to_string(counter++) + ".tmp";
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
    const fs::path temporary = TemporaryPathFor(path);
    std::error_code error = WriteNewFile(temporary, data, size);
    if (!error) {
        std::error_code statusError;
        const fs::file_status old = fs::status(path, statusError);
        if (!statusError && fs::is_regular_file(old)) fs::permissions(temporary, old.permissions(), statusError);
        fs::rename(temporary, path, error);
    }
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    return error;
}

bool IsWriteProtection(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
           error == std::errc::operation_not_permitted;
}
