// The D64 back-end: programs served from a 35-track disk image held in memory. The image is
// only read. Its links come from an arbitrary file, so every link is checked against the
// disk's geometry and no sector is entered twice in one walk: a bad or looping chain ends
// there instead of reading outside the image or running for ever.
#include <algorithm>
#include <bitset>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "media/drive.h"
#include "media/drive_listing.h"

namespace {

// Track 18, sector 0: the block availability map, with the directory's first link.
constexpr int32_t BamTrack = 18;
constexpr int32_t BamNameOffset = 0x90;
constexpr int32_t BamIdOffset = 0xA2;
constexpr int32_t BamDosTypeOffset = 0xA5;
constexpr int32_t EntriesPerSector = 8;
constexpr int32_t EntrySize = 32;
constexpr int32_t SectorDataBytes = 254;

// Remembers the sectors a walk has entered; a link outside the disk or back to an entered
// sector ends the walk.
class TChainGuard {
public:
    bool Enter(int32_t offset) {
        if (offset < 0) return false;
        const auto index = size_t(offset / 256);
        if (Entered[index]) return false;
        Entered[index] = true;
        return true;
    }

private:
    std::bitset<TDrive::D64Sectors> Entered;
};

std::string_view Bytes(const uint8_t* data, size_t count) { return {reinterpret_cast<const char*>(data), count}; }

// A directory entry's name: its bytes before the first $A0 padding byte, at most 16.
std::string_view EntryName(const uint8_t* entry) {
    const std::string_view stored = Bytes(entry + 5, 16);
    return stored.substr(0, stored.find('\xA0'));
}

std::string EntryMarks(uint8_t type) {
    static constexpr const char* TypeNames[8] = {"DEL", "SEQ", "PRG", "USR", "REL", "???", "???", "???"};
    std::string marks;
    marks += (type & 0x80) ? ' ' : '*';  // an unclosed file is marked as a splat file
    marks += TypeNames[type & 7];
    marks += (type & 0x40) ? '<' : ' ';
    marks += ' ';
    return marks;
}

}  // namespace

int32_t TDrive::SectorsPerTrack(int32_t track) {
    if (track <= 17) return 21;
    if (track <= 24) return 19;
    if (track <= 30) return 18;
    return 17;
}

int32_t TDrive::SectorOffset(int32_t track, int32_t sector) const {
    if (track < 1 || track > D64Tracks || sector < 0 || sector >= SectorsPerTrack(track)) return -1;
    return TrackOffset[size_t(track - 1)] + 256 * sector;
}

void TDrive::PrepareFromDisk(std::string_view name) {
    if (name.front() == '$') {
        BuildDiskListing();
        return;
    }
    DataLength = 0;
    const uint8_t* bam = Disk.data() + SectorOffset(BamTrack, 0);
    int32_t track = bam[0];
    int32_t sector = bam[1];
    bool matched = false;
    bool loaded = false;
    TChainGuard guard;
    while (!matched && track != 0 && sector != 255) {
        const int32_t offset = SectorOffset(track, sector);
        if (!guard.Enter(offset)) break;
        const uint8_t* directory = Disk.data() + offset;
        track = directory[0];
        sector = directory[1];
        for (int32_t k = 0; k < EntriesPerSector && !matched; ++k) {
            const uint8_t* entry = directory + EntrySize * k;
            if (entry[2] == 0) continue;  // scratched or never used
            // The first match is taken whatever its file type.
            if (NameMatch(name, EntryName(entry))) {
                matched = true;
                loaded = LoadDiskFile(entry[3], entry[4]);
            }
        }
    }
    if (!loaded) DataLength = 0;
    StatusRegister = loaded ? StatusOk : StatusNotFound;
}

bool TDrive::LoadDiskFile(int32_t track, int32_t sector) {
    TChainGuard guard;
    int32_t written = 0;
    for (;;) {
        const int32_t offset = SectorOffset(track, sector);
        if (!guard.Enter(offset)) return false;
        const uint8_t* data = Disk.data() + offset;
        if (data[0] != 0) {
            // A file longer than the data buffer is refused rather than cut.
            if (written + SectorDataBytes > DataBufferSize) return false;
            std::copy(data + 2, data + 256, DataBuffer.begin() + written);
            written += SectorDataBytes;
            track = data[0];
            sector = data[1];
            continue;
        }
        // Last sector: its link's second byte is the index of the last byte in use, so bytes
        // 2 up to that index belong to the file.
        const int32_t lastIndex = data[1];
        const int32_t tail = std::max(lastIndex - 1, 0);
        const int32_t length = std::max(written + lastIndex - 1, 0);
        if (length > MaxDataLength) return false;
        std::copy(data + 2, data + 2 + tail, DataBuffer.begin() + written);
        DataLength = uint16_t(length);
        return true;
    }
}

void TDrive::BuildDiskListing() {
    const uint8_t* bam = Disk.data() + SectorOffset(BamTrack, 0);
    TListingWriter listing(DataBuffer.data(), MaxDataLength);
    listing.Header(Bytes(bam + BamNameOffset, 16), Bytes(bam + BamIdOffset, 2), Bytes(bam + BamDosTypeOffset, 2));

    int32_t track = bam[0];
    int32_t sector = bam[1];
    TChainGuard guard;
    bool room = true;
    while (room && track != 0 && sector != 255) {
        const int32_t offset = SectorOffset(track, sector);
        if (!guard.Enter(offset)) break;
        const uint8_t* directory = Disk.data() + offset;
        track = directory[0];
        sector = directory[1];
        for (int32_t k = 0; k < EntriesPerSector && room; ++k) {
            const uint8_t* entry = directory + EntrySize * k;
            if (entry[2] == 0) continue;
            room = listing.Entry(entry[30] | entry[31] << 8, EntryName(entry), EntryMarks(entry[2]));
        }
    }

    // The directory track's own free sectors are not offered to files.
    int32_t blocksFree = 0;
    for (int32_t t = 1; t <= D64Tracks; ++t)
        if (t != BamTrack) blocksFree += bam[4 + 4 * (t - 1)];
    DataLength = uint16_t(listing.Finish(blocksFree));
}

TD64Attach TDrive::AttachImageData(const std::vector<uint8_t>& image) {
    if (image.size() != size_t(D64ImageSize) && image.size() != size_t(D64ImageWithErrorsSize))
        return TD64Attach::NotAnImage;
    std::copy(image.begin(), image.begin() + D64ImageSize, Disk.begin());
    return TD64Attach::Attached;
}

TD64Attach TDrive::AttachImage(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return TD64Attach::CannotOpen;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return TD64Attach::CannotOpen;
    if (size != uintmax_t(D64ImageSize) && size != uintmax_t(D64ImageWithErrorsSize)) return TD64Attach::NotAnImage;
    // Read the whole image aside first: a failed read leaves the attached disk untouched.
    std::vector<uint8_t> image(static_cast<size_t>(D64ImageSize));
    if (!file.read(reinterpret_cast<char*>(image.data()), D64ImageSize)) return TD64Attach::CannotOpen;
    Disk.swap(image);
    return TD64Attach::Attached;
}

const char* D64AttachMessage(TD64Attach result) {
    switch (result) {
        case TD64Attach::Attached: return "";
        case TD64Attach::CannotOpen: return "Cannot open the selected D64 image.";
        case TD64Attach::NotAnImage: return "The selected file is not a D64 disk image.";
    }
    return "";
}
