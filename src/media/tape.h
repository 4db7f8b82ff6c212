#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A TAP tape image played into the cassette read line.
class TTape {
public:
    void Step() {}
    int Level() const { return LevelBit; }
    // The cassette write line (bit 1 of every value the processor writes to $0001).
    void WriteLine(int level) { (void)level; }

    int32_t LevelBit = 0;
};
