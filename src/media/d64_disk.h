#pragma once
#include <bitset>
#include <cstdint>
#include <string_view>
#include <vector>

#include "media/drive_dos.h"

// The 1541's format of a 35-track disk, as a D64 image holds it: 683 sectors of 256 bytes,
// track by track from track 1. Track 18 keeps the block availability map (sector 0) and the
// directory (from sector 1 on). Every link read from an image is checked against the disk's
// geometry and no sector is entered twice in one walk, so a crafted image can neither make a
// walk leave the image nor loop for ever.
namespace d64 {

constexpr int32_t Tracks = 35;
constexpr int32_t Sectors = 683;
constexpr int32_t ImageSize = 174848;
constexpr int32_t DirectoryTrack = 18;
constexpr int32_t EntriesPerSector = 8;
constexpr int32_t EntrySize = 32;
constexpr int32_t SectorDataBytes = 254;
constexpr uint8_t TypeClosed = 0x80;
constexpr uint8_t TypeLocked = 0x40;

// The four speed zones of the 1541's tracks.
constexpr int32_t SectorsPerTrack(int32_t track) {
    if (track <= 17) return 21;
    if (track <= 24) return 19;
    if (track <= 30) return 18;
    return 17;
}
// Offset of a sector in the image, or -1 when the track or sector lies outside the disk.
int32_t SectorOffset(int32_t track, int32_t sector);

// A directory entry's name: its bytes before the first $A0 padding byte, at most 16.
std::string_view EntryName(const uint8_t* entry);

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
    std::bitset<Sectors> Entered;
};

// Reads and writes the file system of one image in place.
class TD64Disk {
public:
    explicit TD64Disk(uint8_t* image) : Image(image) {}
    // A view of an image for reading: nothing is written through it.
    static const TD64Disk ForReading(const std::vector<uint8_t>& image) { return TD64Disk(const_cast<uint8_t*>(image.data())); }

    uint8_t* Sector(int32_t track, int32_t sector) const;
    uint8_t* Bam() const { return Sector(DirectoryTrack, 0); }

    // Calls `visit(entry)` for each of the 8 entries of each directory sector, in chain order,
    // until it returns false. Returns false when the chain ended on a bad or looping link.
    template <class Visit>
    bool ForEachEntry(Visit visit) const {
        int32_t track = Bam()[0];
        int32_t sector = Bam()[1];
        TChainGuard guard;
        while (track != 0 && sector != 255) {
            if (!guard.Enter(SectorOffset(track, sector))) return false;
            uint8_t* directory = Sector(track, sector);
            track = directory[0];
            sector = directory[1];
            for (int32_t k = 0; k < EntriesPerSector; ++k)
                if (!visit(directory + EntrySize * k)) return true;
        }
        return true;
    }
    // The first used entry whose name matches the pattern, or nullptr.
    uint8_t* FindEntry(std::string_view pattern) const;

    // The file's bytes as LOAD reads them: 254 from each sector, then as many of the last
    // sector's bytes as its link says are in use. Longer than `limit` is refused.
    TDosStatus ReadChain(int32_t track, int32_t sector, size_t limit, std::vector<uint8_t>& bytes) const;
    // Blocks free as the listing shows them: the map's counts, the directory track left out.
    int32_t ListedBlocksFree() const;

    // Writing, as a 1541 lays files out (d64_writer.cpp). The caller works on a copy of the
    // image and keeps it only when the operation succeeds.
    TDosStatus WriteFile(std::string_view name, int32_t type, bool replace, const std::vector<uint8_t>& bytes);
    // Adds bytes[existing..] to the end of the named file in place, as a 1541 appends: the last
    // sector is filled up and new sectors are chained on, so only the new bytes need room. A
    // file that no longer begins with bytes[0..existing) is written whole instead.
    TDosStatus Append(std::string_view name, int32_t type, const std::vector<uint8_t>& bytes, size_t existing);
    TDosStatus Scratch(std::string_view pattern, int32_t& count);
    TDosStatus Rename(std::string_view newName, std::string_view oldPattern);
    void Format(std::string_view diskName, std::string_view id, bool newId);
    void Validate();

    // The block availability map's bits (1 = free) and its free counts.
    bool IsFree(int32_t track, int32_t sector) const;
    void SetFree(int32_t track, int32_t sector, bool free);
    // Every sector of every track free (spare bits above a track's sectors are kept).
    void FreeAllSectors();
    // Free sectors by the map's bits, the directory track left out.
    int32_t FreeDataSectors() const;

private:
    struct TLink {
        int32_t Track = 0;
        int32_t Sector = 0;
    };
    bool AllocateFirst(TLink& link);
    bool AllocateNext(TLink& link);
    bool AllocateNear(int32_t track, int32_t sector, int32_t interleave, TLink& link);
    uint8_t* NewDirectoryEntry();
    // Gives back, or takes, every sector of a chain.
    void SetChainFree(int32_t track, int32_t sector, bool free);
    void WriteBam(std::string_view diskName, const uint8_t* id);

    uint8_t* Image;
};

}  // namespace d64
