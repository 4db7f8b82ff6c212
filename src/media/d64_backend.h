#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "media/drive_dos.h"

class TStateReader;
class TStateWriter;

// What attaching a D64 image came to. Anything but Attached leaves the previous image whole.
enum class TD64Attach { Attached, CannotOpen, NotAnImage };
// The message box text for a refused image (empty for Attached).
const char* D64AttachMessage(TD64Attach result);

// The disk in a D64 drive: the image in memory and the host file it came from. Changes reach
// the host file only whole: the changed image is written beside the file and renamed over it,
// and the image in memory changes only once that has worked.
class TD64Image {
public:
    static constexpr int32_t ImageSize = 174848;
    static constexpr int32_t ImageWithErrorsSize = 175531;  // one error byte per sector follows

    TD64Image();
    // Only whole images are taken (174848 bytes, or 175531 with the error bytes, which are
    // kept as they are). A file whose owner may not write it is read-only.
    TD64Attach Attach(const std::string& path);
    // An image with no host file: changes stay in memory.
    TD64Attach AttachData(const std::vector<uint8_t>& image);

    const std::vector<uint8_t>& Bytes() const { return Disk.empty() ? BlankImage() : Disk; }
    const std::string& HostFile() const { return Path; }
    bool ReadOnly() const { return Protected; }

    // A copy of the disk for an operation to change. The buffer is kept from one operation to
    // the next, so that a command does not allocate a whole image.
    std::vector<uint8_t>& WorkingCopy() {
        Working.assign(Bytes().begin(), Bytes().end());
        return Working;
    }
    // Keeps the working copy as the disk: writes it to the host file first (unless there is none).
    TDosStatus Commit();

    // Snapshots (drive_state.cpp): the bytes, the error bytes and the host file. The file is
    // taken back only while it holds exactly these bytes; otherwise the disk lives in memory
    // and `unlinked` is set.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in, bool& unlinked);

private:
    // The zeros of a drive without a disk, one image shared by every drive.
    static const std::vector<uint8_t>& BlankImage();

    std::vector<uint8_t> Disk;  // empty: the blank image
    std::vector<uint8_t> ErrorBytes;
    std::vector<uint8_t> Working;
    std::string Path;
    bool Protected = false;
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
    TDosStatus Scratch(std::string_view pattern, int32_t& count) override;
    TDosStatus Rename(std::string_view newName, std::string_view oldPattern) override;
    TDosStatus Format(std::string_view diskName, std::string_view id, bool newId) override;
    TDosStatus Validate() override;

private:
    // Runs `change` on a copy of the disk and keeps the copy when the change succeeds.
    template <class Change>
    TDosStatus Modify(Change change);

    TD64Image& Image;
    bool Protected;
};
