#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TMachine;

// A cartridge for banks 1 and 2: its chips C1LO, C1HI, C2LO, C2HI ($8000-$BFFF and $C000-$FFFF
// of each bank), each empty or up to 16 KB. Read from a raw image or the CRT container.
struct TCartridgeImage {
    enum { C1Lo, C1Hi, C2Lo, C2Hi };
    std::array<std::vector<uint8_t>, 4> Chips;
    std::string Name;
};

// A raw image of 16 KB (one chip) or 32 KB (LO then HI): C1 unless the file name says
// "c2lo"/"c2hi"/"c2", and a name with "c1hi"/"c2hi" puts a 16 KB image in the HI chip. A CRT
// container ("C264 CARTRIDGE  " header, then CHIP packets) puts each packet by its bank (0 or
// 1: C1, 2: C2) and load address ($8000 LO, $C000 HI; 32 KB at $8000 fills both). False with a
// reason for anything else.
bool ParseCartridge(const std::vector<uint8_t>& file, const std::string& fileName, TCartridgeImage& image,
                    std::string& error);
bool ReadCartridgeFile(const std::string& path, TCartridgeImage& image, std::string& error);

// The chips into the machine's banks 1 and 2 in place of what was there, then a hard reset,
// after which the KERNAL starts a cartridge with the autostart signature as the machine does.
void AttachCartridge(TMachine& machine, const TCartridgeImage& image);
// The cartridge out, the machine's own ROMs back, and a cold start.
void DetachCartridge(TMachine& machine);
