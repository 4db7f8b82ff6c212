#include "media/d64_backend.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "media/d64_disk.h"
#include "media/drive_channels.h"
#include "media/host_files.h"

namespace fs = std::filesystem;

const char* const D64ChangedOutsideNotice =
    "The disk image was changed by another program; the drive's change is kept in memory only.";

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
    FileId = {};
    Protected = false;
    Notice.clear();
    return TD64Attach::Attached;
}

TD64Attach TD64Image::Attach(const std::string& file) {
    const std::string path = file;  // `file` may be this image's own path, which changes below
    // Read the whole image aside first: a refused file leaves the attached disk untouched.
    std::vector<uint8_t> image;
    switch (ReadHostFile(path, LargestImageFile, image)) {
        case THostRead::Ok: break;
        case THostRead::TooLarge: return TD64Attach::NotAnImage;
        default: return TD64Attach::CannotOpen;
    }
    // A longer image (40 tracks, or an unknown layout) holds the 35 tracks first: those are
    // served, and nothing is written, since a write back would lose the rest of the file.
    const bool longer = image.size() > size_t(ImageSize) && image.size() != size_t(ImageWithErrorsSize);
    if (longer) image.resize(size_t(ImageSize));
    if (AttachData(image) != TD64Attach::Attached) return TD64Attach::NotAnImage;
    // Writes go to the file itself, even when it was reached through a link.
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    Path = error ? path : resolved.string();
    FileId = HostFileId(Path);
    Protected = longer || !OwnerMayWrite(Path);
    if (longer)
        Notice = "The disk image '" + fs::path(Path).filename().string() +
                 "' is longer than a 35-track disk: the drive serves its first 35 tracks, write-protected.";
    return TD64Attach::Attached;
}

TDosStatus TD64Image::Commit() {
    std::vector<uint8_t> file;
    if (!Path.empty()) {
        // The file must still hold what the drive last read or wrote.
        std::vector<uint8_t> expected = Bytes();
        expected.insert(expected.end(), ErrorBytes.begin(), ErrorBytes.end());
        if (ReadHostFile(Path, LargestImageFile, file) != THostRead::Ok || file != expected) {
            Disk.swap(Working);
            Protected = true;
            Notice = D64ChangedOutsideNotice;
            return {DosWriteError};
        }
    }
    // Sectors the drive writes hold no error any more.
    std::vector<uint8_t> errors = ErrorBytes;
    for (size_t sector = 0; sector < errors.size(); ++sector) {
        const auto start = long(256 * sector);
        if (!std::equal(Working.begin() + start, Working.begin() + start + 256, Bytes().begin() + start)) errors[sector] = 1;
    }
    if (!Path.empty()) {
        file = Working;
        file.insert(file.end(), errors.begin(), errors.end());
        const std::error_code error = WriteHostFileReplacing(Path, file.data(), file.size());
        if (error) return {IsWriteProtection(error) ? DosWriteProtect : DosWriteError};
        FileId = HostFileId(Path);
    }
    Disk.swap(Working);
    ErrorBytes.swap(errors);
    return {};
}

const char* D64AttachMessage(TD64Attach result) {
    switch (result) {
        case TD64Attach::Attached: return "";
        case TD64Attach::CannotOpen: return "Cannot open the selected D64 image.";
        case TD64Attach::NotAnImage: return "The selected file is not a D64 disk image.";
        case TD64Attach::InUse: return "The selected D64 image is already attached to the other drive.";
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

TDosStatus TD64BackEnd::AppendFile(std::string_view name, int32_t type, const std::vector<uint8_t>& bytes, size_t existing) {
    return Modify([&](d64::TD64Disk& disk) { return disk.Append(name, type, bytes, existing); });
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

namespace {

TDosStatus CheckBlock(int32_t track, int32_t sector) {
    return d64::SectorOffset(track, sector) < 0 ? TDosStatus{DosIllegalTrackSector, track, sector} : TDosStatus{};
}

}  // namespace

TDosStatus TD64BackEnd::ReadBlock(int32_t track, int32_t sector, uint8_t* block) {
    if (const TDosStatus status = CheckBlock(track, sector); status.Code != DosOk) return status;
    const uint8_t* data = Image.Bytes().data() + d64::SectorOffset(track, sector);
    std::copy(data, data + 256, block);
    return {};
}

TDosStatus TD64BackEnd::WriteBlock(int32_t track, int32_t sector, const uint8_t* block) {
    if (const TDosStatus status = CheckBlock(track, sector); status.Code != DosOk) return status;
    return Modify([&](d64::TD64Disk& disk) {
        std::copy(block, block + 256, disk.Sector(track, sector));
        return TDosStatus{};
    });
}

TDosStatus TD64BackEnd::AllocateBlock(int32_t track, int32_t sector) {
    if (const TDosStatus status = CheckBlock(track, sector); status.Code != DosOk) return status;
    return Modify([&](d64::TD64Disk& disk) {
        if (disk.IsFree(track, sector)) {
            disk.SetFree(track, sector, false);
            return TDosStatus{};
        }
        // A block in use: the status names the next free one after it (0,0 when there is none).
        for (int32_t t = track, s = sector + 1; t <= d64::Tracks; ++t, s = 0) {
            if (t == d64::DirectoryTrack && t != track) continue;
            for (; s < d64::SectorsPerTrack(t); ++s)
                if (disk.IsFree(t, s)) return TDosStatus{DosNoBlock, t, s};
        }
        return TDosStatus{DosNoBlock};
    });
}

TDosStatus TD64BackEnd::FreeBlock(int32_t track, int32_t sector) {
    if (const TDosStatus status = CheckBlock(track, sector); status.Code != DosOk) return status;
    return Modify([&](d64::TD64Disk& disk) {
        disk.SetFree(track, sector, true);
        return TDosStatus{};
    });
}
