#pragma once
#include <cstdint>

// The RAM a caller of the processor's whole instructions draws from: up to three ranges of RAM
// offsets, each wrapping at 64 KB. A write outside all of them changes nothing the caller
// reads, so it need not be announced. Ranges of length 0 watch nothing.
struct TWriteWatch {
    static constexpr int Ranges = 3;
    uint32_t Start[Ranges] = {0, 0, 0};
    uint32_t Length[Ranges] = {0x10000, 0, 0};  // by default all of RAM

    bool Covers(uint32_t offset) const {
        bool covered = false;
        for (int i = 0; i < Ranges; ++i) covered |= ((offset - Start[i]) & 0xFFFF) < Length[i];
        return covered;
    }
    static TWriteWatch Nothing() { return {{0, 0, 0}, {0, 0, 0}}; }
};
