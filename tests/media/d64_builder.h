#pragma once
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "media/drive.h"

namespace media_test {

// Writes small D64 images the way a 1541 lays them out: the block availability map on
// track 18 sector 0, directory sectors from 18/1 on, file chains from track 1 on.
class TD64Builder {
public:
    using TLink = std::pair<int, int>;

    TD64Builder() : Image(size_t(TDrive::D64ImageSize), 0) {
        uint8_t* bam = Sector(18, 0);
        bam[0] = 18;
        bam[1] = 1;
        bam[2] = 0x41;
        for (int track = 1; track <= 35; ++track)
            for (int sector = 0; sector < TDrive::SectorsPerTrack(track); ++sector) MarkFree(track, sector, true);
        MarkFree(18, 0, false);  // the map and the first directory sector are in use
        MarkFree(18, 1, false);
        SetTitle("TEST DISK", "ID", "2A");
        Sector(18, 1)[1] = 0xFF;
    }

    uint8_t* Sector(int track, int sector) {
        int offset = 0;
        for (int t = 1; t < track; ++t) offset += 256 * TDrive::SectorsPerTrack(t);
        return Image.data() + offset + 256 * sector;
    }

    void SetTitle(std::string_view name, std::string_view id, std::string_view dos) {
        uint8_t* bam = Sector(18, 0);
        for (int i = 0; i < 16; ++i) bam[0x90 + i] = i < int(name.size()) ? uint8_t(name[size_t(i)]) : 0xA0;
        bam[0xA0] = bam[0xA1] = bam[0xA4] = 0xA0;
        bam[0xA2] = uint8_t(id[0]);
        bam[0xA3] = uint8_t(id[1]);
        bam[0xA5] = uint8_t(dos[0]);
        bam[0xA6] = uint8_t(dos[1]);
    }

    // The map's bit (1 = free) and count for one sector.
    void MarkFree(int track, int sector, bool free) {
        uint8_t* entry = Sector(18, 0) + 4 + 4 * (track - 1);
        const auto bit = uint8_t(1 << (sector % 8));
        const bool wasFree = entry[1 + sector / 8] & bit;
        if (free == wasFree) return;
        entry[1 + sector / 8] ^= bit;
        entry[0] = uint8_t(entry[0] + (free ? 1 : -1));
    }

    // Next free data sector, skipping the directory track.
    TLink Allocate() {
        TLink link = Next;
        MarkFree(link.first, link.second, false);
        if (++Next.second >= TDrive::SectorsPerTrack(Next.first)) {
            Next.second = 0;
            if (++Next.first == 18) ++Next.first;
        }
        return link;
    }

    // The data as a chain of sectors; the last one's link gives the index of its last byte.
    TLink WriteChain(const std::vector<uint8_t>& data, int* blocks = nullptr) {
        const TLink first = Allocate();
        TLink current = first;
        size_t done = 0;
        int count = 1;
        for (;;) {
            uint8_t* sector = Sector(current.first, current.second);
            const size_t chunk = std::min<size_t>(254, data.size() - done);
            std::copy(data.begin() + long(done), data.begin() + long(done + chunk), sector + 2);
            done += chunk;
            if (done == data.size()) {
                sector[0] = 0;
                sector[1] = uint8_t(chunk + 1);
                break;
            }
            current = Allocate();
            sector[0] = uint8_t(current.first);
            sector[1] = uint8_t(current.second);
            ++count;
        }
        if (blocks) *blocks = count;
        return first;
    }

    // A directory entry; a new directory sector is chained in when the last one is full.
    uint8_t* AddEntry(std::string_view name, uint8_t type, TLink start, uint16_t blocks) {
        if (EntryCount == 8) {
            const int next = DirectorySector + 1;
            MarkFree(18, next, false);
            Sector(18, DirectorySector)[0] = 18;
            Sector(18, DirectorySector)[1] = uint8_t(next);
            Sector(18, next)[0] = 0;
            Sector(18, next)[1] = 0xFF;
            DirectorySector = next;
            EntryCount = 0;
        }
        uint8_t* entry = Sector(18, DirectorySector) + 32 * EntryCount++;
        entry[2] = type;
        entry[3] = uint8_t(start.first);
        entry[4] = uint8_t(start.second);
        for (int i = 0; i < 16; ++i) entry[5 + i] = i < int(name.size()) ? uint8_t(name[size_t(i)]) : 0xA0;
        entry[30] = uint8_t(blocks);
        entry[31] = uint8_t(blocks >> 8);
        return entry;
    }

    uint8_t* AddFile(std::string_view name, const std::vector<uint8_t>& data, uint8_t type = 0x82) {
        int blocks = 0;
        const TLink start = WriteChain(data, &blocks);
        return AddEntry(name, type, start, uint16_t(blocks));
    }

    // A crafted disk: the directory chain runs through every sector but the map's, each full of
    // one-block PRG entries named XXXXXXXXXXXXXXXX: the most entries a chain can hold.
    void ChainDirectoryThroughEverySector() {
        std::vector<TLink> chain;
        for (int track = 1; track <= 35; ++track)
            for (int sector = 0; sector < TDrive::SectorsPerTrack(track); ++sector)
                if (track != 18 || sector != 0) chain.emplace_back(track, sector);
        Sector(18, 0)[0] = uint8_t(chain[0].first);
        Sector(18, 0)[1] = uint8_t(chain[0].second);
        for (size_t i = 0; i < chain.size(); ++i) {
            uint8_t* sector = Sector(chain[i].first, chain[i].second);
            std::fill(sector, sector + 256, 0);
            sector[0] = i + 1 < chain.size() ? uint8_t(chain[i + 1].first) : 0;
            sector[1] = i + 1 < chain.size() ? uint8_t(chain[i + 1].second) : 0xFF;
            for (int k = 0; k < 8; ++k) {
                sector[32 * k + 2] = 0x82;
                std::fill(sector + 32 * k + 5, sector + 32 * k + 21, uint8_t('X'));
                sector[32 * k + 30] = 1;
            }
        }
    }

    std::vector<uint8_t> Image;

private:
    TLink Next{1, 0};
    int DirectorySector = 1;
    int EntryCount = 0;
};

}  // namespace media_test
