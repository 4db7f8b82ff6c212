#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace media_test {

// An independent reader of the 1541 format, written from the format's description and sharing
// no code with the drive: it checks that an image is consistent and gives its files.
struct TD64Check {
    std::vector<std::string> Problems;
    std::map<std::string, std::vector<uint8_t>> Files;  // closed files by name
    int BlocksFree = 0;                                  // the map's counts, track 18 left out

    bool Consistent() const { return Problems.empty(); }
};

inline TD64Check CheckD64(const std::vector<uint8_t>& image) {
    static const int sectors[36] = {0,  21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21, 21,
                                    19, 19, 19, 19, 19, 19, 19, 18, 18, 18, 18, 18, 18, 17, 17, 17, 17, 17};
    auto offset = [&](int t, int s) {
        int o = 0;
        for (int i = 1; i < t; ++i) o += 256 * sectors[i];
        return o + 256 * s;
    };
    auto valid = [&](int t, int s) { return t >= 1 && t <= 35 && s >= 0 && s < sectors[t]; };
    TD64Check check;
    std::map<int, std::string> owner;  // sector offset -> what uses it
    auto use = [&](int t, int s, const std::string& what) {
        if (!valid(t, s)) {
            check.Problems.push_back(what + " links outside the disk");
            return false;
        }
        const auto [it, fresh] = owner.emplace(offset(t, s), what);
        if (!fresh) check.Problems.push_back(what + " shares a sector with " + it->second);
        return fresh;
    };
    const uint8_t* bam = image.data() + offset(18, 0);
    use(18, 0, "map");

    int t = bam[0], s = bam[1];
    std::vector<const uint8_t*> entries;
    while (t != 0) {
        if (t != 18) check.Problems.push_back("directory leaves track 18");
        if (!use(t, s, "directory")) break;
        const uint8_t* dir = image.data() + offset(t, s);
        for (int k = 0; k < 8; ++k) entries.push_back(dir + 32 * k);
        t = dir[0];
        s = dir[1];
    }
    for (const uint8_t* entry : entries) {
        if (entry[2] == 0) continue;
        std::string name;
        for (int i = 5; i < 21 && entry[i] != 0xA0; ++i) name += char(entry[i]);
        if (!(entry[2] & 0x80)) check.Problems.push_back(name + " is not closed");
        std::vector<uint8_t> data;
        int blocks = 0;
        for (t = entry[3], s = entry[4]; use(t, s, name);) {
            ++blocks;
            const uint8_t* sector = image.data() + offset(t, s);
            if (sector[0] == 0) {
                if (sector[1] < 1) check.Problems.push_back(name + " ends with link 0,0");
                data.insert(data.end(), sector + 2, sector + 1 + sector[1]);
                break;
            }
            data.insert(data.end(), sector + 2, sector + 256);
            t = sector[0];
            s = sector[1];
        }
        if (blocks != (entry[30] | entry[31] << 8)) check.Problems.push_back(name + " has a wrong block count");
        check.Files[name] = data;
    }
    for (t = 1; t <= 35; ++t) {
        const uint8_t* map = bam + 4 + 4 * (t - 1);
        int free = 0;
        for (s = 0; s < sectors[t]; ++s) {
            const bool isFree = (map[1 + s / 8] >> (s % 8)) & 1;
            free += isFree;
            if (isFree == (owner.count(offset(t, s)) > 0))
                check.Problems.push_back("sector " + std::to_string(t) + "/" + std::to_string(s) +
                                         (isFree ? " is used but free in the map" : " is taken by nothing"));
        }
        if (free != map[0]) check.Problems.push_back("track " + std::to_string(t) + " count disagrees with its bits");
        if (t != 18) check.BlocksFree += map[0];
    }
    return check;
}

}  // namespace media_test
