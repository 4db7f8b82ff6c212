// Writing to a D64 image as a 1541's DOS does: files start on the track nearest the directory
// and spread outward, sectors of a file follow each other ten apart (the time the drive needs
// between two sectors), directory sectors three apart on track 18, and the block availability
// map follows every sector taken or given back.
#include <algorithm>
#include <cstring>

#include "media/d64_disk.h"
#include "media/drive.h"

namespace d64 {

namespace {

constexpr int32_t FileInterleave = 10;
constexpr int32_t DirectoryInterleave = 3;
constexpr uint8_t Padding = 0xA0;

void WriteName(uint8_t* field, std::string_view name, size_t width) {
    for (size_t i = 0; i < width; ++i) field[i] = i < name.size() ? uint8_t(name[i]) : Padding;
}

// A 1541 steps `interleave` sectors on; past the track's end it starts one sector earlier
// each round, so consecutive rounds fill the gaps.
int32_t Interleaved(int32_t sector, int32_t interleave, int32_t sectorsOnTrack) {
    sector += interleave;
    if (sector >= sectorsOnTrack) {
        sector -= sectorsOnTrack;
        if (sector > 0) --sector;
    }
    return sector;
}

}  // namespace

bool TD64Disk::AllocateNear(int32_t track, int32_t sector, int32_t interleave, TLink& link) {
    const int32_t count = SectorsPerTrack(track);
    const int32_t start = interleave == 0 ? 0 : Interleaved(sector, interleave, count);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t candidate = (start + i) % count;
        if (IsFree(track, candidate)) {
            SetFree(track, candidate, false);
            link = {track, candidate};
            return true;
        }
    }
    return false;
}

// The first sector of a file: the free track nearest the directory, 17 before 19, 16 before 20.
bool TD64Disk::AllocateFirst(TLink& link) {
    for (int32_t distance = 1; distance < Tracks; ++distance) {
        for (int32_t track : {DirectoryTrack - distance, DirectoryTrack + distance})
            if (track >= 1 && track <= Tracks && AllocateNear(track, 0, 0, link)) return true;
    }
    return false;
}

// The sector after `link`: on the same track if it has room, else on the next track away from
// the directory, and when that side of the disk is full, on the other side.
bool TD64Disk::AllocateNext(TLink& link) {
    if (AllocateNear(link.Track, link.Sector, FileInterleave, link)) return true;
    const int32_t step = link.Track < DirectoryTrack ? -1 : 1;
    for (int32_t track = link.Track + step; track >= 1 && track <= Tracks; track += step)
        if (AllocateNear(track, link.Sector, FileInterleave, link)) return true;
    return AllocateFirst(link);
}

// A free directory entry: a scratched one, or the first of a new directory sector chained on.
uint8_t* TD64Disk::NewDirectoryEntry() {
    uint8_t* free = nullptr;
    uint8_t* lastSector = nullptr;
    const bool chainWhole = ForEachEntry([&](uint8_t* entry) {
        lastSector = entry - (entry - Image) % 256;
        if (entry[2] == 0) free = entry;
        return free == nullptr;
    });
    if (free) return free;
    // A broken chain is not extended: its last link leads nowhere that can be trusted.
    if (!chainWhole || !lastSector) return nullptr;
    const int32_t lastIndex = int32_t((lastSector - Image) / 256) - SectorOffset(DirectoryTrack, 0) / 256;
    if (lastIndex < 0 || lastIndex >= SectorsPerTrack(DirectoryTrack)) return nullptr;  // chain off track 18
    TLink link;
    if (!AllocateNear(DirectoryTrack, lastIndex, DirectoryInterleave, link)) return nullptr;
    uint8_t* sector = Sector(link.Track, link.Sector);
    std::memset(sector, 0, 256);
    sector[1] = 0xFF;
    lastSector[0] = uint8_t(link.Track);
    lastSector[1] = uint8_t(link.Sector);
    return sector;
}

void TD64Disk::SetChainFree(int32_t track, int32_t sector, bool free) {
    TChainGuard guard;
    while (guard.Enter(SectorOffset(track, sector))) {
        SetFree(track, sector, free);
        const uint8_t* data = Sector(track, sector);
        if (data[0] == 0) break;
        track = data[0];
        sector = data[1];
    }
}

TDosStatus TD64Disk::WriteFile(std::string_view name, int32_t type, bool replace, const std::vector<uint8_t>& bytes) {
    uint8_t* existing = nullptr;
    ForEachEntry([&](uint8_t* entry) {
        if (entry[2] != 0 && EntryName(entry) == name) existing = entry;
        return existing == nullptr;
    });
    if (existing && (!replace || (existing[2] & TypeLocked))) return {DosFileExists};

    // A file closed without data holds one carriage return, as on a 1541.
    static const std::vector<uint8_t> emptyFile{0x0D};
    const std::vector<uint8_t>& data = bytes.empty() ? emptyFile : bytes;
    const auto blocks = int32_t((data.size() + SectorDataBytes - 1) / SectorDataBytes);
    uint8_t* entry = existing ? existing : NewDirectoryEntry();
    if (!entry) return {DosDiskFull};
    if (blocks > FreeDataSectors()) return {DosDiskFull};

    TLink first;
    if (!AllocateFirst(first)) return {DosDiskFull};
    TLink current = first;
    for (int32_t block = 0; block < blocks; ++block) {
        uint8_t* sector = Sector(current.Track, current.Sector);
        const size_t start = size_t(block) * SectorDataBytes;
        const size_t chunk = std::min<size_t>(SectorDataBytes, data.size() - start);
        std::memset(sector, 0, 256);
        std::copy(data.begin() + long(start), data.begin() + long(start + chunk), sector + 2);
        if (block + 1 == blocks) {
            sector[1] = uint8_t(chunk + 1);  // index of the last byte in use
            break;
        }
        TLink next = current;
        if (!AllocateNext(next)) return {DosDiskFull};
        sector[0] = uint8_t(next.Track);
        sector[1] = uint8_t(next.Sector);
        current = next;
    }
    // A replaced file gives its blocks back only now: the new one is whole first.
    if (existing) SetChainFree(existing[3], existing[4], true);
    else std::memset(entry + 2, 0, EntrySize - 2);
    entry[2] = uint8_t(TypeClosed | (type & 7));
    entry[3] = uint8_t(first.Track);
    entry[4] = uint8_t(first.Sector);
    WriteName(entry + 5, name, 16);
    entry[30] = uint8_t(blocks);
    entry[31] = uint8_t(blocks >> 8);
    return {};
}

TDosStatus TD64Disk::Append(std::string_view name, int32_t type, const std::vector<uint8_t>& bytes, size_t existing) {
    uint8_t* entry = nullptr;
    ForEachEntry([&](uint8_t* candidate) {
        if (candidate[2] != 0 && EntryName(candidate) == name) entry = candidate;
        return entry == nullptr;
    });
    std::vector<uint8_t> held;
    if (!entry || (entry[2] & TypeLocked) || ReadChain(entry[3], entry[4], bytes.size(), held).Code != DosOk ||
        held.size() != existing || !std::equal(held.begin(), held.end(), bytes.begin()))
        return WriteFile(name, type, true, bytes);
    // The last sector of the chain (ReadChain has checked every link) and its bytes in use.
    TLink last{entry[3], entry[4]};
    int32_t blocks = 1;
    for (uint8_t* sector = Sector(last.Track, last.Sector); sector[0] != 0; sector = Sector(last.Track, last.Sector), ++blocks)
        last = {sector[0], sector[1]};
    uint8_t* tail = Sector(last.Track, last.Sector);
    if (tail[1] == 0) return WriteFile(name, type, true, bytes);  // a last sector that takes a byte back
    int32_t used = std::max(tail[1] - 1, 0);
    size_t at = existing;
    while (used < SectorDataBytes && at < bytes.size()) tail[2 + used++] = bytes[at++];
    tail[1] = uint8_t(used + 1);
    const auto added = int32_t((bytes.size() - at + SectorDataBytes - 1) / SectorDataBytes);
    if (added > FreeDataSectors()) return {DosDiskFull};
    for (TLink current = last; at < bytes.size(); ++blocks) {
        TLink next = current;
        if (!AllocateNext(next)) return {DosDiskFull};
        uint8_t* previous = Sector(current.Track, current.Sector);
        previous[0] = uint8_t(next.Track);
        previous[1] = uint8_t(next.Sector);
        uint8_t* sector = Sector(next.Track, next.Sector);
        const size_t chunk = std::min<size_t>(SectorDataBytes, bytes.size() - at);
        std::memset(sector, 0, 256);
        std::copy(bytes.begin() + long(at), bytes.begin() + long(at + chunk), sector + 2);
        sector[1] = uint8_t(chunk + 1);
        at += chunk;
        current = next;
    }
    entry[30] = uint8_t(blocks);
    entry[31] = uint8_t(blocks >> 8);
    return {};
}

TDosStatus TD64Disk::Scratch(std::string_view pattern, int32_t& count) {
    ForEachEntry([&](uint8_t* entry) {
        if (entry[2] == 0 || (entry[2] & TypeLocked) || !NameMatch(pattern, EntryName(entry))) return true;
        SetChainFree(entry[3], entry[4], true);
        if ((entry[2] & 7) == FileRel) SetChainFree(entry[21], entry[22], true);  // its side sectors
        entry[2] = 0;
        ++count;
        return true;
    });
    return {};
}

TDosStatus TD64Disk::Rename(std::string_view newName, std::string_view oldPattern) {
    bool taken = false;
    ForEachEntry([&](uint8_t* entry) {
        taken = entry[2] != 0 && EntryName(entry) == newName;
        return !taken;
    });
    if (taken) return {DosFileExists};
    uint8_t* entry = FindEntry(oldPattern);
    if (!entry) return {DosFileNotFound};
    WriteName(entry + 5, newName, 16);
    return {};
}

void TD64Disk::WriteBam(std::string_view diskName, const uint8_t* id) {
    uint8_t* bam = Bam();
    const uint8_t keptId[2] = {id[0], id[1]};
    std::memset(bam, 0, 256);
    bam[0] = DirectoryTrack;
    bam[1] = 1;
    bam[2] = 'A';  // the DOS version of the disk format
    FreeAllSectors();
    SetFree(DirectoryTrack, 0, false);
    SetFree(DirectoryTrack, 1, false);
    WriteName(bam + 0x90, diskName, 16);
    bam[0xA0] = bam[0xA1] = Padding;
    bam[0xA2] = keptId[0];
    bam[0xA3] = keptId[1];
    bam[0xA4] = Padding;
    bam[0xA5] = '2';
    bam[0xA6] = 'A';
    std::fill(bam + 0xA7, bam + 0xAB, Padding);
}

void TD64Disk::Format(std::string_view diskName, std::string_view id, bool newId) {
    uint8_t idBytes[2] = {Bam()[0xA2], Bam()[0xA3]};
    if (newId) {
        idBytes[0] = id.size() > 0 ? uint8_t(id[0]) : uint8_t(' ');
        idBytes[1] = id.size() > 1 ? uint8_t(id[1]) : uint8_t(' ');
        std::memset(Image, 0, ImageSize);
    }
    WriteBam(diskName, idBytes);
    uint8_t* directory = Sector(DirectoryTrack, 1);
    std::memset(directory, 0, 256);
    directory[1] = 0xFF;
}

void TD64Disk::Validate() {
    FreeAllSectors();
    SetFree(DirectoryTrack, 0, false);
    SetChainFree(Bam()[0], Bam()[1], false);
    ForEachEntry([&](uint8_t* entry) {
        if (entry[2] == 0) return true;
        // A file that was never closed is deleted, as the 1541's validate does.
        if (!(entry[2] & TypeClosed)) {
            entry[2] = 0;
            return true;
        }
        SetChainFree(entry[3], entry[4], false);
        if ((entry[2] & 7) == FileRel) SetChainFree(entry[21], entry[22], false);
        return true;
    });
}

}  // namespace d64
