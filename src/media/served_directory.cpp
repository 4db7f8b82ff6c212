#include "media/served_directory.h"

#include <algorithm>
#include <system_error>

#include "media/drive.h"
#include "media/drive_dos.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Extensions[] = {".PRG", ".SEQ", ".USR"};
constexpr int32_t ExtensionTypes[] = {FilePrg, FileSeq, FileUsr};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// The file type of a host name's extension, or -1.
int32_t TypeOfName(std::string_view name) {
    if (name.size() < 4) return -1;
    for (size_t i = 0; i < std::size(Extensions); ++i)
        if (EqualIgnoringCase(name.substr(name.size() - 4), Extensions[i])) return ExtensionTypes[i];
    return -1;
}

// The drive's matching folds the host name up: every code from 96 to 127 loses 32.
std::string FoldedForMatch(std::string name) {
    for (char& c : name) {
        const auto code = uint8_t(c);
        if (code >= 96 && code <= 127) c = char(code - 32);
    }
    return name;
}

// Whether `path` lies inside `root` (both resolved).
bool Inside(const fs::path& root, const fs::path& path) {
    const fs::path relative = path.lexically_relative(root);
    return !relative.empty() && *relative.begin() != ".." && !relative.is_absolute();
}

// A directory entry the drive may serve: a regular file, or a link that resolves to a regular
// file inside the directory. Types are checked before anything is opened.
bool IsServable(const fs::directory_entry& entry, const fs::path& resolvedDirectory) {
    std::error_code error;
    const fs::file_status own = entry.symlink_status(error);
    if (error) return false;
    if (fs::is_regular_file(own)) return true;
    if (!fs::is_symlink(own)) return false;
    const fs::path target = fs::canonical(entry.path(), error);
    return !error && fs::is_regular_file(fs::status(target, error)) && !error && Inside(resolvedDirectory, target);
}

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::string_view ExtensionOf(int32_t type) {
    for (size_t i = 0; i < std::size(Extensions); ++i)
        if (ExtensionTypes[i] == type) return Extensions[i];
    return Extensions[0];
}

std::vector<TServedFile> ServedFiles(const fs::path& directory, int32_t type) {
    std::vector<TServedFile> files;
    std::error_code error;
    const fs::path resolved = fs::canonical(directory, error);
    if (error) return files;
    fs::directory_iterator it(directory, error);
    if (error) return files;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        std::string name = it->path().filename().string();
        const int32_t fileType = TypeOfName(name);
        if (fileType < 0 || (type != FileAnyType && fileType != type) || !IsServable(*it, resolved)) continue;
        files.push_back({std::move(name), fileType, it->path()});
    }
    std::sort(files.begin(), files.end(), [](const TServedFile& a, const TServedFile& b) { return a.Name < b.Name; });
    return files;
}

namespace {

bool MatchesFolded(const TServedFile& file, std::string_view request) {
    return NameMatch(std::string(request) + std::string(ExtensionOf(file.Type)), FoldedForMatch(file.Name));
}

bool MatchesIgnoringCase(const TServedFile& file, std::string_view request) {
    return EqualIgnoringCase(file.Name, std::string(request) + std::string(ExtensionOf(file.Type)));
}

}  // namespace

const TServedFile* FindServedFile(const std::vector<TServedFile>& files, std::string_view request) {
    for (const TServedFile& file : files)
        if (MatchesFolded(file, request)) return &file;
    for (const TServedFile& file : files)
        if (MatchesIgnoringCase(file, request)) return &file;
    return nullptr;
}

bool ServedFileMatches(const TServedFile& file, std::string_view request) {
    return MatchesFolded(file, request) || MatchesIgnoringCase(file, request);
}

bool LeavesDirectory(std::string_view name) {
    return name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos ||
           name.find("..") != std::string_view::npos;
}

bool NameTaken(const fs::path& directory, std::string_view name) {
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error) return false;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        const std::string entry = it->path().filename().string();
        if (TypeOfName(entry) >= 0 && EqualIgnoringCase(std::string_view(entry).substr(0, entry.size() - 4), name))
            return true;
    }
    return false;
}
