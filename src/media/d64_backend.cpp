#include "media/d64_backend.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "media/d64_disk.h"
#include "media/drive_channels.h"
#include "media/host_files.h"

namespace fs = std::filesystem;

TD64Image::TD64Image() = default;

const std::vector<uint8_t>& TD64Image::BlankImage() {
    static const std::vector<uint8_t> blank(size_t(ImageSize), 0);
    return blank;
}

TD64Attach TD64Image::AttachData(const std::vector<uint8_t>& image) {
    if (image.size() != size_t(ImageSize) && image.size() != size_t(ImageWithErrorsSize)) return TD64Attach::NotAnImage;
    Disk.assign(image.begin(), image.begin() + ImageSize);
    ErrorBytes.assign(image.begin() + ImageSize, image.end());
    Path.clear();
    Protected = false;
    return TD64Attach::Attached;
}

TD64Attach TD64Image::Attach(const std::string& path) {
    // Read the whole image aside first: a refused file leaves the attached disk untouched.
    std::vector<uint8_t> image;
    switch (ReadHostFile(path, size_t(ImageWithErrorsSize), image)) {
        case THostRead::Ok: break;
        case THostRead::TooLarge: return TD64Attach::NotAnImage;
        default: return TD64Attach::CannotOpen;
    }
    if (AttachData(image) != TD64Attach::Attached) return TD64Attach::NotAnImage;
    // Writes go to the file itself, even when it was reached through a link.
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    Path = error ? path : resolved.string();
    const fs::perms permissions = fs::status(Path, error).permissions();
    Protected = error || (permissions & fs::perms::owner_write) == fs::perms::none;
    return TD64Attach::Attached;
}

TDosStatus TD64Image::Commit() {
    if (!Path.empty()) {
        std::vector<uint8_t> file = Working;
        file.insert(file.end(), ErrorBytes.begin(), ErrorBytes.end());
        const std::error_code error = WriteHostFileReplacing(Path, file.data(), file.size());
        if (error) return {IsWriteProtection(error) ? DosWriteProtect : DosWriteError};
    }
    Disk.swap(Working);
    return {};
}

const char* D64AttachMessage(TD64Attach result) {
    switch (result) {
        case TD64Attach::Attached: return "";
        case TD64Attach::CannotOpen: return "Cannot open the selected D64 image.";
        case TD64Attach::NotAnImage: return "The selected file is not a D64 disk image.";
    }
    return "";
}

template <class Change>
TDosStatus TD64BackEnd::Modify(Change change) {
    if (Protected) return {DosWriteProtect};
    std::vector<uint8_t>& copy = Image.WorkingCopy();
    d64::TD64Disk disk(copy.data());
    const TDosStatus status = change(disk);
    if (status.Code != DosOk && status.Code != DosFilesScratched) return status;
    // An operation that changed nothing does not rewrite the host file.
    if (copy == Image.Bytes()) return status;
    const TDosStatus written = Image.Commit();
    return written.Code == DosOk ? status : written;
}

TDosStatus TD64BackEnd::ReadFile(std::string_view pattern, int32_t type, std::vector<uint8_t>& bytes) {
    const d64::TD64Disk disk = d64::TD64Disk::ForReading(Image.Bytes());
    const uint8_t* entry = disk.FindEntry(pattern);
    if (!entry) return {DosFileNotFound};
    if (type != FileAnyType && (entry[2] & 7) != type) return {DosFileTypeMismatch};
    if (!(entry[2] & d64::TypeClosed)) return {DosWriteFileOpen};
    return disk.ReadChain(entry[3], entry[4], TDataChannel::MaxFileSize, bytes);
}

TDosStatus TD64BackEnd::CanWrite(std::string_view name, bool replace) {
    if (Protected) return {DosWriteProtect};
    const d64::TD64Disk disk = d64::TD64Disk::ForReading(Image.Bytes());
    const uint8_t* entry = nullptr;
    disk.ForEachEntry([&](uint8_t* candidate) {
        if (candidate[2] != 0 && d64::EntryName(candidate) == name) entry = candidate;
        return entry == nullptr;
    });
    return entry && !replace ? TDosStatus{DosFileExists} : TDosStatus{};
}

TDosStatus TD64BackEnd::WriteFile(std::string_view name, int32_t type, bool replace, const std::vector<uint8_t>& bytes) {
    return Modify([&](d64::TD64Disk& disk) { return disk.WriteFile(name, type, replace, bytes); });
}

TDosStatus TD64BackEnd::Scratch(std::string_view pattern, int32_t& count) {
    return Modify([&](d64::TD64Disk& disk) { return disk.Scratch(pattern, count); });
}

TDosStatus TD64BackEnd::Rename(std::string_view newName, std::string_view oldPattern) {
    return Modify([&](d64::TD64Disk& disk) { return disk.Rename(newName, oldPattern); });
}

TDosStatus TD64BackEnd::Format(std::string_view diskName, std::string_view id, bool newId) {
    return Modify([&](d64::TD64Disk& disk) {
        disk.Format(diskName, id, newId);
        return TDosStatus{};
    });
}

TDosStatus TD64BackEnd::Validate() {
    return Modify([&](d64::TD64Disk& disk) {
        disk.Validate();
        return TDosStatus{};
    });
}
