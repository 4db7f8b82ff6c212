#pragma once
// Disks for the D64 targets: a small consistent disk that inputs change sector by sector, and
// the sector records that describe such a change.
#include "fuzz_support.h"
#include "media/d64_builder.h"
#include "media/d64_disk.h"

namespace fuzz {

// Three files (a program, a sequential file, a two-block program) on a fresh disk.
inline const Bytes& BaseDisk() {
    static const Bytes disk = [] {
        media_test::TD64Builder builder;
        builder.SetTitle("FUZZ DISK", "FZ", "2A");
        builder.AddFile("HELLO", {0x01, 0x10, 0x0B, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x48, 0x49, 0x22, 0, 0, 0});
        builder.AddFile("NOTES", {'A', 'B', 0x0D}, 0x81);
        builder.AddFile("BIG", Bytes(300, 0x2A));
        return builder.Image;
    }();
    return disk;
}

// Twenty files: a directory of three sectors.
inline Bytes ManyFilesDisk() {
    media_test::TD64Builder builder;
    for (int i = 0; i < 20; ++i) builder.AddFile("FILE" + std::to_string(i), {0x01, 0x10, uint8_t(i)});
    return builder.Image;
}

// Records (track, sector, 256 bytes) of every sector in which `image` differs from `base`.
inline Bytes SectorRecords(const Bytes& base, const Bytes& image) {
    Bytes records;
    for (int32_t track = 1; track <= d64::Tracks; ++track) {
        for (int32_t sector = 0; sector < d64::SectorsPerTrack(track); ++sector) {
            const auto offset = size_t(d64::SectorOffset(track, sector));
            if (std::equal(image.begin() + long(offset), image.begin() + long(offset + 256), base.begin() + long(offset)))
                continue;
            records.push_back(uint8_t(track));
            records.push_back(uint8_t(sector));
            records.insert(records.end(), image.begin() + long(offset), image.begin() + long(offset + 256));
        }
    }
    return records;
}

// Lays the input's remaining sector records over the image; records naming no sector of the
// disk are skipped. Returns whether any sector was laid.
inline bool ApplySectorRecords(TInput& input, Bytes& image) {
    bool applied = false;
    while (input.Left() >= 3) {
        const int32_t track = input.Byte();
        const int32_t sector = input.Byte();
        Bytes bytes = input.Take(256);
        bytes.resize(256, 0);
        const int32_t offset = d64::SectorOffset(track, sector);
        if (offset < 0) continue;
        std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
        applied = true;
    }
    return applied;
}

}  // namespace fuzz
