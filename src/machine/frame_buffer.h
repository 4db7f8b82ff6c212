#pragma once
#include <cstdint>

// The frame buffer block: a 40-byte bitmap header (456 x -312, 8 bits per pixel, rows top-down),
// a 256-entry colour table (blue, green, red, 0), then one TED colour byte per pixel.
struct TFrameBuffer {
    static constexpr int Width = 456;
    static constexpr int Height = 312;

    TFrameBuffer();

    uint8_t Header[40];
    uint8_t ColourTable[256 * 4];
    uint8_t Pixels[Width * Height];
};
