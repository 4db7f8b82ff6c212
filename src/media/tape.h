#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A TAP tape image played into the cassette read line.
class TTape {
public:
    void Step() {}
    int Level() const { return LevelBit; }

    int32_t LevelBit = 0;
};
