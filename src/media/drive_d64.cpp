// The D64 back-end's load channel: programs and the listing served from a 35-track disk
// image held in memory (d64_disk.h checks every link the image gives).
#include <algorithm>

#include "media/d64_disk.h"
#include "media/drive.h"
#include "media/drive_listing.h"

namespace {

// Track 18, sector 0: the block availability map, with the disk's name and ID.
constexpr int32_t BamNameOffset = 0x90;
constexpr int32_t BamIdOffset = 0xA2;
constexpr int32_t BamDosTypeOffset = 0xA5;

std::string_view Bytes(const uint8_t* data, size_t count) { return {reinterpret_cast<const char*>(data), count}; }

std::string EntryMarks(uint8_t type) {
    static constexpr const char* TypeNames[8] = {"DEL", "SEQ", "PRG", "USR", "REL", "???", "???", "???"};
    std::string marks;
    marks += (type & d64::TypeClosed) ? ' ' : '*';  // an unclosed file is marked as a splat file
    marks += TypeNames[type & 7];
    marks += (type & d64::TypeLocked) ? '<' : ' ';
    marks += ' ';
    return marks;
}


}  // namespace

int32_t TDrive::SectorsPerTrack(int32_t track) { return d64::SectorsPerTrack(track); }

int32_t TDrive::BuildDiskListing(uint8_t* buffer) {
    const d64::TD64Disk disk = d64::TD64Disk::ForReading(DiskImage());
    const uint8_t* bam = disk.Bam();
    TListingWriter listing(buffer, TListingWriter::MaxListingSize(MachineRam));
    listing.Header(Bytes(bam + BamNameOffset, 16), Bytes(bam + BamIdOffset, 2), Bytes(bam + BamDosTypeOffset, 2));
    bool room = true;
    disk.ForEachEntry([&](const uint8_t* entry) {
        if (entry[2] != 0) room = listing.Entry(entry[30] | entry[31] << 8, d64::EntryName(entry), EntryMarks(entry[2]));
        return room;
    });
    return listing.Finish(disk.ListedBlocksFree());
}
