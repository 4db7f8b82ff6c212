#include "media/prg_file.h"

#include <algorithm>

#include "media/host_files.h"
#include "memory/memory.h"

namespace {

constexpr uint16_t BasicStart = 0x1001;
constexpr int32_t HighestEndPointer = 60000;
constexpr uint16_t PointerAddresses[] = {0x002D, 0x002F, 0x0031, 0x009D};
constexpr uint16_t KeyboardBuffer = 0x0527;
constexpr uint16_t KeyboardCount = 0x00EF;
// Load address + the largest data: anything longer cannot fit below $FFFF.
constexpr uintmax_t LongestFile = 2 + 0xFFFF;

void StoreWord(uint8_t* ram, uint16_t address, uint16_t value) {
    ram[address] = uint8_t(value);
    ram[uint16_t(address + 1)] = uint8_t(value >> 8);
}

uint16_t Word(const uint8_t* ram, uint16_t address) { return uint16_t(ram[address] | ram[uint16_t(address + 1)] << 8); }

}  // namespace

TPrgLoadResult LoadPrgData(TMemory& memory, const std::vector<uint8_t>& file, bool typeRun) {
    TPrgLoadResult result;
    result.Status = TPrgLoadStatus::Dropped;
    if (file.size() < 2) return result;
    const int32_t address = file[0] | file[1] << 8;
    const auto length = int32_t(file.size() - 2);
    // The last byte may land on $FFFE at most.
    if (address + length > 0xFFFF) return result;

    uint8_t* ram = memory.Ram();
    std::copy(file.begin() + 2, file.end(), ram + address);
    result.LoadAddress = uint16_t(address);
    result.BytesLoaded = length;
    const int32_t end = BasicStart + length;
    result.EndPointer = uint16_t(end);
    if (end > HighestEndPointer) {
        result.Status = TPrgLoadStatus::LoadedWithoutPointers;
        return result;
    }
    for (uint16_t pointer : PointerAddresses) StoreWord(ram, pointer, uint16_t(end));
    if (typeRun) {
        static constexpr uint8_t Run[] = {'R', 'U', 'N', 0x0D};
        std::copy(std::begin(Run), std::end(Run), ram + KeyboardBuffer);
        ram[KeyboardCount] = 4;
    }
    result.Status = TPrgLoadStatus::Loaded;
    return result;
}

TPrgLoadResult LoadPrgFile(TMemory& memory, const std::string& path, bool typeRun) {
    TPrgLoadResult result;  // CannotRead
    // The whole file is read before RAM is touched, so a read that fails halfway changes
    // nothing; only a regular file is opened, so a named pipe never blocks.
    std::vector<uint8_t> contents;
    switch (ReadHostFile(path, LongestFile, contents)) {
        case THostRead::Ok: return LoadPrgData(memory, contents, typeRun);
        case THostRead::TooLarge: result.Status = TPrgLoadStatus::Dropped; return result;
        default: return result;
    }
}

TPrgSaveStatus SavePrgFile(const TMemory& memory, uint16_t start, uint16_t end, const std::string& path) {
    if (start >= end) return TPrgSaveStatus::BadArea;
    std::vector<uint8_t> file{uint8_t(start), uint8_t(start >> 8)};
    file.insert(file.end(), memory.Ram() + start, memory.Ram() + end + 1);
    // Written whole or not at all: a full disk leaves the old file as it was.
    return WriteHostFileThroughLinks(path, file.data(), file.size()) ? TPrgSaveStatus::CannotWrite : TPrgSaveStatus::Saved;
}

TRamArea LoadedArea(const TMemory& memory) {
    const uint8_t* ram = memory.Ram();
    return {Word(ram, 0x00B4), uint16_t(Word(ram, 0x009D) - 1)};
}
