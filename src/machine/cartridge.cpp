#include "machine/cartridge.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "machine/machine.h"
#include "media/host_files.h"

namespace {

constexpr size_t ChipSize = 16384;
constexpr char CrtSignature[] = "C264 CARTRIDGE  ";
constexpr size_t MaxFileSize = 1 << 20;

uint32_t BigEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
    return value;
}

bool ParseCrt(const std::vector<uint8_t>& file, TCartridgeImage& image, std::string& error) {
    error = "damaged CRT cartridge file";
    if (file.size() < 0x40) return false;
    const uint32_t headerSize = BigEndian(&file[0x10], 4);
    if (headerSize < 0x20 || headerSize > file.size()) return false;
    const char* name = reinterpret_cast<const char*>(&file[0x20]);
    image.Name.assign(name, strnlen(name, 32));
    for (size_t at = headerSize; at < file.size();) {
        if (file.size() - at < 16 || std::memcmp(&file[at], "CHIP", 4) != 0) return false;
        const uint32_t length = BigEndian(&file[at + 4], 4);
        const uint32_t bank = BigEndian(&file[at + 10], 2);
        const uint32_t load = BigEndian(&file[at + 12], 2);
        const uint32_t size = BigEndian(&file[at + 14], 2);
        if (length < 16 || length > file.size() - at || size > length - 16 || bank > 2 ||
            (load != 0x8000 && load != 0xC000) || size > (load == 0xC000 ? ChipSize : 2 * ChipSize) || size == 0)
            return false;
        const int chip = (bank == 2 ? TCartridgeImage::C2Lo : TCartridgeImage::C1Lo) + (load == 0xC000 ? 1 : 0);
        const uint8_t* data = &file[at + 16];
        image.Chips[size_t(chip)].assign(data, data + std::min<size_t>(size, ChipSize));
        if (size > ChipSize) image.Chips[size_t(chip) + 1].assign(data + ChipSize, data + size);
        at += length;
    }
    if (std::all_of(image.Chips.begin(), image.Chips.end(), [](const auto& chip) { return chip.empty(); })) return false;
    error.clear();
    return true;
}

}  // namespace

bool ParseCartridge(const std::vector<uint8_t>& file, const std::string& fileName, TCartridgeImage& image,
                    std::string& error) {
    image = {};
    if (file.size() >= 16 && std::memcmp(file.data(), CrtSignature, 16) == 0) return ParseCrt(file, image, error);
    if (file.size() != ChipSize && file.size() != 2 * ChipSize) {
        error = "a cartridge image is a CRT file or a raw image of 16 KB or 32 KB";
        return false;
    }
    std::string name = std::filesystem::path(fileName).filename().string();
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    const bool second = name.find("c2") != std::string::npos;
    const bool high = file.size() == ChipSize && (name.find("c1hi") != std::string::npos || name.find("c2hi") != std::string::npos);
    const size_t chip = size_t((second ? TCartridgeImage::C2Lo : TCartridgeImage::C1Lo) + (high ? 1 : 0));
    image.Chips[chip].assign(file.begin(), file.begin() + ChipSize);
    if (file.size() == 2 * ChipSize) image.Chips[chip + 1].assign(file.begin() + ChipSize, file.end());
    image.Name = name;
    return true;
}

bool ReadCartridgeFile(const std::string& path, TCartridgeImage& image, std::string& error) {
    std::vector<uint8_t> bytes;
    if (ReadHostFile(path, MaxFileSize, bytes) != THostRead::Ok) {
        error = "cannot read the cartridge file '" + path + "'";
        return false;
    }
    return ParseCartridge(bytes, path, image, error);
}

void AttachCartridge(TMachine& machine, const TCartridgeImage& image) {
    machine.Memory.DetachCartridge();
    machine.SelectMachineType(machine.MachineType);  // the machine's own ROMs where no chip goes
    for (int chip = 0; chip < TMemory::CartridgeChips; ++chip)
        if (!image.Chips[size_t(chip)].empty())
            machine.Memory.AttachCartridgeChip(chip, image.Chips[size_t(chip)].data(), image.Chips[size_t(chip)].size());
    machine.HardReset();
}

void DetachCartridge(TMachine& machine) {
    machine.Memory.DetachCartridge();
    machine.SelectMachineType(machine.MachineType);
}
