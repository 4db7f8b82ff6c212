#include "memory/memory.h"

// Placeholder bus: flat RAM; the full decoder replaces it.
TMemory::TMemory(int32_t ramSizeCode) : RamSizeCode(ramSizeCode) {}
uint8_t TMemory::Read(uint16_t address) {
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({address, Image[address], false});
#endif
    return Image[address];
}
void TMemory::Write(uint16_t address, uint8_t value) {
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({address, value, true});
#endif
    Image[address] = value;
}
uint16_t TMemory::ReadWord(uint16_t address) { return uint16_t(Read(address) | Read(uint16_t(address + 1)) << 8); }
bool TMemory::LoadRom(const std::string&, int) { return false; }
void TMemory::ClearRoms() {}
void TMemory::FillRam() {}
