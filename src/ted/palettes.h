#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The three colour tables a TED colour byte is shown through (bits 0-3 colour, bits 4-6
// luminance, bit 7 ignored), and their transfer into the frame buffer's colour table.

struct TRgb {
    uint8_t Red;
    uint8_t Green;
    uint8_t Blue;
};
using TPalette = std::array<TRgb, 256>;

extern const TPalette CalculatedPalette;
extern const TPalette DigitizedPalette1;
extern const TPalette DigitizedPalette2;

// Settings codes of the palette choice.
constexpr int32_t PaletteCalculated = 0;
constexpr int32_t PaletteDigitized1 = 1;
constexpr int32_t PaletteDigitized2 = 2;

// The table of a settings code; null for any other value, which selects nothing.
const TPalette* PaletteForSettingsCode(int32_t code);

// Writes the 256 entries of `table` as blue, green, red, 0 into the 1024-byte `colourTable`.
void SelectPalette(const TPalette& table, uint8_t* colourTable);

// Colour bytes through a blue-green-red-0 colour table: to packed red, green, blue bytes, or to
// 0xFFRRGGBB words (32-bit RGB images).
void ConvertFrameToRgb24(const uint8_t* pixels, size_t count, const uint8_t* colourTable,
                         uint8_t* rgb);
void ConvertFrameToRgb32(const uint8_t* pixels, size_t count, const uint8_t* colourTable,
                         uint32_t* argb);
