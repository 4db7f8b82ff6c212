#pragma once
#include <cstdint>
#include <memory>
#include <random>

#include "memory/memory.h"

namespace memtest {

constexpr int Ram16K = 0;
constexpr int Ram32K = 1;
constexpr int Ram64K = 2;

// A bus with random RAM and ROM contents, so a byte read from the wrong place shows.
inline std::unique_ptr<TMemory> RandomMemory(int32_t ramSizeCode, bool romEnabled, uint32_t seed = 264) {
    auto memory = std::make_unique<TMemory>(ramSizeCode);
    std::mt19937 random(seed);
    for (uint32_t i = 0; i < TMemory::ImageSize; ++i) memory->Image[i] = uint8_t(random());
    memory->SetRomEnabled(romEnabled ? 1 : 0);
    return memory;
}

// The byte that ROM slot `slot` holds at `offset`.
inline uint8_t& SlotByte(TMemory& memory, int slot, uint32_t offset) {
    return memory.Image[TMemory::SlotIndex(slot) + offset];
}

// Where a read of `address` lands in the image when it is plain RAM or ROM, or -1 when it is
// an I/O address or the processor port. Written straight from the memory map, independently
// of the decoder's page tables.
inline int64_t ExpectedReadIndex(uint16_t address, int32_t ramSizeCode, bool rom, int low, int high) {
    uint32_t a = address;
    const bool neverFolds = a >= 0xF000 && a <= 0xFF1F;
    if (!neverFolds && !(rom && a >= 0x8000)) {
        if (ramSizeCode == Ram16K) a &= 0x3FFF;
        if (ramSizeCode == Ram32K) a &= 0x7FFF;
    }
    if (a == 0x0001 || (a >= 0xFD00 && a <= 0xFF1F)) return -1;
    if (!rom || a < 0x8000) return a;
    int bank = high;
    if (a < 0xC000) bank = low;
    if (a >= 0xFC00 && a <= 0xFCFF) bank = 0;
    return int64_t(a) + (bank + 1) * 0x8000;
}

// Where a write of `address` lands in RAM, or -1 for an address with an I/O effect.
inline int64_t ExpectedWriteIndex(uint16_t address, int32_t ramSizeCode) {
    uint32_t a = address;
    if (a < 0xF000 || a > 0xFF1F) {
        if (ramSizeCode == Ram16K) a &= 0x3FFF;
        if (ramSizeCode == Ram32K) a &= 0x7FFF;
    }
    if (a == 0x0001 || (a >= 0xFD00 && a <= 0xFF1F) || a == 0xFF3E || a == 0xFF3F) return -1;
    return a;
}

}  // namespace memtest
