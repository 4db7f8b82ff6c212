#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "media/drive_dos.h"

class TStateReader;
class TStateWriter;

#include "media/host_files.h"

// What attaching a D64 image came to. Anything but Attached leaves the previous image whole.
// InUse: the file is the other drive's disk (the same file by any name, a link or a hard link).
enum class TD64Attach { Attached, CannotOpen, NotAnImage, InUse };
// The message box text for a refused image (empty for Attached).
const char* D64AttachMessage(TD64Attach result);
// What a drive tells the user when its image file was changed by another program.
extern const char* const D64ChangedOutsideNotice;

// The disk in a D64 drive: the image in memory and the host file it came from. Changes reach
// the host file only whole: the changed image is written beside the file and renamed over it,
// and the image in memory changes only once that has worked.
class TD64Image {
public:
    static constexpr int32_t ImageSize = 174848;
    static constexpr int32_t ImageWithErrorsSize = 175531;  // one error byte per sector follows

    // The largest file taken as an image: 42 tracks with their error bytes, and room to spare.
    static constexpr size_t LargestImageFile = 256 * 1024;

    TD64Image();
    // Whole images are taken (174848 bytes, or 175531 with the error bytes, which are kept and
    // marked "no error" for each sector the drive writes). A longer file (a 40-track image, say)
    // is served with its first 35 tracks, read-only. A file whose owner may not write it is
    // read-only too.
    TD64Attach Attach(const std::string& path);
    // An image with no host file: changes stay in memory.
    TD64Attach AttachData(const std::vector<uint8_t>& image);

    const std::vector<uint8_t>& Bytes() const { return Disk.empty() ? BlankImage() : Disk; }
    const std::string& HostFile() const { return Path; }
    const THostFileId& HostFileIdentity() const { return FileId; }
    bool ReadOnly() const { return Protected; }
    // What the user should be told about the disk since the last call (empty for nothing): a
    // longer image served read-only, a host file changed by another program.
    std::string TakeNotice() { return std::exchange(Notice, {}); }

    // A copy of the disk for an operation to change. The buffer is kept from one operation to
    // the next, so that a command does not allocate a whole image.
    std::vector<uint8_t>& WorkingCopy() {
        Working.assign(Bytes().begin(), Bytes().end());
        return Working;
    }
    // Keeps the working copy as the disk: writes it to the host file first (unless there is
    // none). A host file that no longer holds what the drive last read or wrote has been changed
    // by another program: it is not written over, the change is kept in memory only, the disk
    // becomes write-protected until it is attached again, and the write answers 25.
    TDosStatus Commit();

    // Keeps the disk in memory only, write-protected: its host file is no longer its own.
    void Unlink() {
        Path.clear();
        FileId = {};
        Protected = true;
    }

    // Snapshots (drive_state.cpp): the bytes, the error bytes and the host file. The file is
    // taken back only while it holds exactly these bytes; otherwise the disk lives in memory,
    // write-protected, so that no write is answered OK and lost, and `unlinked` is set.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in, bool& unlinked);

private:
    // The zeros of a drive without a disk, one image shared by every drive.
    static const std::vector<uint8_t>& BlankImage();

    std::vector<uint8_t> Disk;  // empty: the blank image
    std::vector<uint8_t> ErrorBytes;
    std::vector<uint8_t> Working;
    std::string Path;
    THostFileId FileId;
    bool Protected = false;
    std::string Notice;
};

// The command channel's and the data channels' operations on a D64 drive. Each works on a copy
// of the image, which replaces the disk only when the whole operation has succeeded.
class TD64BackEnd : public TDosBackEnd {
public:
    // A write-protected back-end refuses every change, as does a read-only image.
    TD64BackEnd(TD64Image& image, bool writeProtected) : Image(image), Protected(writeProtected || image.ReadOnly()) {}

    TDosStatus ReadFile(std::string_view pattern, int32_t type, std::vector<uint8_t>& bytes) override;
    TDosStatus CanWrite(std::string_view name, bool replace) override;
    TDosStatus WriteFile(std::string_view name, int32_t type, bool replace, const std::vector<uint8_t>& bytes) override;
    TDosStatus AppendFile(std::string_view name, int32_t type, const std::vector<uint8_t>& bytes, size_t existing) override;
    TDosStatus Scratch(std::string_view pattern, int32_t& count) override;
    TDosStatus Rename(std::string_view newName, std::string_view oldPattern) override;
    TDosStatus Format(std::string_view diskName, std::string_view id, bool newId) override;
    TDosStatus Validate() override;
    bool HasSectors() const override { return true; }
    TDosStatus ReadBlock(int32_t track, int32_t sector, uint8_t* block) override;
    TDosStatus WriteBlock(int32_t track, int32_t sector, const uint8_t* block) override;
    TDosStatus AllocateBlock(int32_t track, int32_t sector) override;
    TDosStatus FreeBlock(int32_t track, int32_t sector) override;

private:
    // Runs `change` on a copy of the disk and keeps the copy when the change succeeds.
    template <class Change>
    TDosStatus Modify(Change change);

    TD64Image& Image;
    bool Protected;
};
