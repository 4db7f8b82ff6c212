#include "media/directory_backend.h"

#include <system_error>

#include "media/drive_channels.h"
#include "media/host_files.h"
#include "media/served_directory.h"

namespace fs = std::filesystem;

namespace {

TDosStatus HostFailure(const std::error_code& error) {
    return {IsWriteProtection(error) ? DosWriteProtect : DosWriteError};
}

// The served file that holds this name (whatever its type and letter case), or nullptr.
const TServedFile* FileNamed(const std::vector<TServedFile>& files, std::string_view name) {
    for (const TServedFile& file : files)
        if (EqualIgnoringCase(file.Stem(), name)) return &file;
    return nullptr;
}

}  // namespace

TDosStatus TDirectoryBackEnd::ReadFile(std::string_view pattern, int32_t type, std::vector<uint8_t>& bytes) {
    if (LeavesDirectory(pattern)) return {DosFileNotFound};
    const std::vector<TServedFile> files = ServedFiles(Directory, type);
    const TServedFile* file = FindServedFile(files, pattern);
    if (!file) {
        // The name is there, but as a file of another type.
        const bool otherType = type != FileAnyType && FindServedFile(ServedFiles(Directory, FileAnyType), pattern);
        return {otherType ? DosFileTypeMismatch : DosFileNotFound};
    }
    switch (ReadHostFile(file->Path, TDataChannel::MaxFileSize, bytes)) {
        case THostRead::Ok: return {};
        case THostRead::TooLarge: return {DosFileTooLarge};
        default: return {DosFileNotFound};
    }
}

TDosStatus TDirectoryBackEnd::CanWrite(std::string_view name, bool replace) {
    if (Protected) return {DosWriteProtect};
    if (!IsPlainName(name)) return {DosInvalidName};
    const std::vector<TServedFile> files = ServedFiles(Directory, FileAnyType);
    if (const TServedFile* file = FileNamed(files, name)) {
        if (!replace) return {DosFileExists};
        // A host file its owner may not write is a locked file: it is neither replaced nor
        // appended to.
        return OwnerMayWrite(file->Path) ? TDosStatus{} : TDosStatus{DosWriteProtect};
    }
    // Something the drive does not serve (a directory, a device, a link out of the directory)
    // holds the name: it is never written over.
    return NameTaken(Directory, name) ? TDosStatus{DosFileExists} : TDosStatus{};
}

TDosStatus TDirectoryBackEnd::WriteFile(std::string_view name, int32_t type, bool replace,
                                        const std::vector<uint8_t>& bytes) {
    if (const TDosStatus status = CanWrite(name, replace); status.Code != DosOk) return status;
    const std::vector<TServedFile> files = ServedFiles(Directory, FileAnyType);
    const TServedFile* old = FileNamed(files, name);
    // A replaced file of the same type keeps its host name (and letter case).
    const fs::path target = old && old->Type == type ? old->Path : Directory / (std::string(name) + std::string(ExtensionOf(type)));
    std::error_code error;
    if ((!old || target != old->Path) && fs::exists(fs::symlink_status(target, error))) return {DosFileExists};
    if ((error = WriteHostFileReplacing(target, bytes.data(), bytes.size()))) return HostFailure(error);
    // The name now holds a file of another type: the old one goes.
    if (old && old->Path != target && !fs::remove(old->Path, error) && error) return HostFailure(error);
    return {};
}

TDosStatus TDirectoryBackEnd::Scratch(std::string_view pattern, int32_t& count) {
    if (Protected) return {DosWriteProtect};
    if (LeavesDirectory(pattern)) return {};
    for (const TServedFile& file : ServedFiles(Directory, FileAnyType)) {
        // Locked files (no write permission for their owner) are skipped, as a disk's are.
        if (!ServedFileMatches(file, pattern) || !OwnerMayWrite(file.Path)) continue;
        std::error_code error;
        // A link is removed itself; what it leads to stays.
        if (fs::remove(file.Path, error)) ++count;
        if (error) return HostFailure(error);
    }
    return {};
}

TDosStatus TDirectoryBackEnd::Rename(std::string_view newName, std::string_view oldPattern) {
    if (Protected) return {DosWriteProtect};
    if (LeavesDirectory(oldPattern)) return {DosFileNotFound};
    const std::vector<TServedFile> files = ServedFiles(Directory, FileAnyType);
    const TServedFile* old = FindServedFile(files, oldPattern);
    if (!old) return {DosFileNotFound};
    if (FileNamed(files, newName) || NameTaken(Directory, newName)) return {DosFileExists};
    std::error_code error;
    fs::rename(old->Path, Directory / (std::string(newName) + std::string(ExtensionOf(old->Type))), error);
    return error ? HostFailure(error) : TDosStatus{};
}

TDosStatus TDirectoryBackEnd::Format(std::string_view, std::string_view, bool) { return {DosInvalidCommand}; }
