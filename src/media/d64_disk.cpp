#include "media/d64_disk.h"

#include <algorithm>
#include <array>
#include <bit>

#include "media/drive.h"

namespace d64 {

// Where each track starts in the image (every sector lookup needs it).
constexpr auto TrackStarts = [] {
    std::array<int32_t, Tracks + 1> starts{};
    for (int32_t track = 1; track <= Tracks; ++track)
        starts[size_t(track)] = starts[size_t(track - 1)] + 256 * SectorsPerTrack(track);
    return starts;
}();

int32_t SectorOffset(int32_t track, int32_t sector) {
    if (track < 1 || track > Tracks || sector < 0 || sector >= SectorsPerTrack(track)) return -1;
    return TrackStarts[size_t(track - 1)] + 256 * sector;
}

std::string_view EntryName(const uint8_t* entry) {
    const std::string_view stored(reinterpret_cast<const char*>(entry + 5), 16);
    return stored.substr(0, stored.find('\xA0'));
}

uint8_t* TD64Disk::Sector(int32_t track, int32_t sector) const {
    const int32_t offset = SectorOffset(track, sector);
    return offset < 0 ? nullptr : Image + offset;
}

uint8_t* TD64Disk::FindEntry(std::string_view pattern) const {
    uint8_t* found = nullptr;
    ForEachEntry([&](uint8_t* entry) {
        if (entry[2] != 0 && NameMatch(pattern, EntryName(entry))) found = entry;
        return found == nullptr;
    });
    return found;
}

TDosStatus TD64Disk::ReadChain(int32_t track, int32_t sector, size_t limit, std::vector<uint8_t>& bytes) const {
    TChainGuard guard;
    std::vector<uint8_t> contents;
    for (;;) {
        if (!guard.Enter(SectorOffset(track, sector))) return {DosIllegalTrackSector, track, sector};
        const uint8_t* data = Sector(track, sector);
        if (data[0] != 0) {
            if (contents.size() + SectorDataBytes > limit + 1) return {DosFileTooLarge};
            contents.insert(contents.end(), data + 2, data + 256);
            track = data[0];
            sector = data[1];
            continue;
        }
        // Last sector: its link's second byte is the index of the last byte in use, so bytes
        // 2 up to that index belong to the file. An index of 0 takes back one byte, as the
        // drive's count of bytes delivered does.
        const int32_t lastIndex = data[1];
        if (lastIndex >= 2) contents.insert(contents.end(), data + 2, data + 1 + lastIndex);
        else if (lastIndex == 0 && !contents.empty()) contents.pop_back();
        if (contents.size() > limit) return {DosFileTooLarge};
        bytes = std::move(contents);
        return {};
    }
}

int32_t TD64Disk::ListedBlocksFree() const {
    int32_t blocksFree = 0;
    for (int32_t t = 1; t <= Tracks; ++t)
        if (t != DirectoryTrack) blocksFree += Bam()[4 + 4 * (t - 1)];
    return blocksFree;
}

bool TD64Disk::IsFree(int32_t track, int32_t sector) const {
    const uint8_t* entry = Bam() + 4 + 4 * (track - 1);
    return (entry[1 + sector / 8] >> (sector % 8)) & 1;
}

void TD64Disk::FreeAllSectors() {
    uint8_t* entry = Bam() + 4;
    for (int32_t track = 1; track <= Tracks; ++track, entry += 4) {
        const uint32_t mask = (1u << SectorsPerTrack(track)) - 1;
        for (int32_t i = 0; i < 3; ++i) entry[1 + i] |= uint8_t(mask >> (8 * i));
        entry[0] = uint8_t(SectorsPerTrack(track));
    }
}

void TD64Disk::SetFree(int32_t track, int32_t sector, bool free) {
    uint8_t* entry = Bam() + 4 + 4 * (track - 1);
    const auto bit = uint8_t(1 << (sector % 8));
    if (free) entry[1 + sector / 8] |= bit;
    else entry[1 + sector / 8] &= uint8_t(~bit);
    // The count follows the bits, so a map that disagreed with itself is put right here. Only
    // the track's own sectors count, not the spare bits above them.
    const uint32_t bits = uint32_t(entry[1] | entry[2] << 8 | entry[3] << 16);
    entry[0] = uint8_t(std::popcount(bits & ((1u << SectorsPerTrack(track)) - 1)));
}

int32_t TD64Disk::FreeDataSectors() const {
    int32_t count = 0;
    for (int32_t t = 1; t <= Tracks; ++t)
        if (t != DirectoryTrack)
            for (int32_t s = 0; s < SectorsPerTrack(t); ++s) count += IsFree(t, s);
    return count;
}

}  // namespace d64
