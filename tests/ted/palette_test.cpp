#include <gtest/gtest.h>

#include <vector>

#include "machine/frame_buffer.h"
#include "ted/palettes.h"

namespace {

uint32_t Rgb(const TPalette& palette, int index) {
    const TRgb& c = palette[index];
    return uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
}

}  // namespace

TEST(Palette, WhiteAtFullLuminanceInEachTable) {
    EXPECT_EQ(Rgb(CalculatedPalette, 0x71), 0xFCFCFCu);
    EXPECT_EQ(Rgb(DigitizedPalette1, 0x71), 0xFFFFFFu);
    EXPECT_EQ(Rgb(DigitizedPalette2, 0x71), 0xE0DDE1u);
}

TEST(Palette, TableCornersAndRowOrder) {
    // Row = luminance, column = colour: catches a transposed or shifted table.
    EXPECT_EQ(Rgb(CalculatedPalette, 0x02), 0x300505u);
    EXPECT_EQ(Rgb(CalculatedPalette, 0x7F), 0xBAFF90u);
    EXPECT_EQ(Rgb(CalculatedPalette, 0x1D), 0x0C105Cu);
    EXPECT_EQ(Rgb(DigitizedPalette1, 0x00), 0x060103u);
    EXPECT_EQ(Rgb(DigitizedPalette1, 0x3E), 0x593FC3u);
    EXPECT_EQ(Rgb(DigitizedPalette2, 0x0F), 0x204F00u);
    EXPECT_EQ(Rgb(DigitizedPalette2, 0x70), 0x161317u);
    for (int lum = 0; lum < 8; ++lum) EXPECT_EQ(Rgb(CalculatedPalette, lum << 4), 0u);
}

TEST(Palette, BitSevenIsIgnored) {
    for (const TPalette* palette : {&CalculatedPalette, &DigitizedPalette1, &DigitizedPalette2}) {
        EXPECT_EQ(Rgb(*palette, 0x05), Rgb(*palette, 0x85));
        for (int i = 0; i < 128; ++i) ASSERT_EQ(Rgb(*palette, i), Rgb(*palette, i + 128)) << i;
    }
}

TEST(Palette, SettingsCodesSelectTheirTables) {
    EXPECT_EQ(PaletteForSettingsCode(0), &CalculatedPalette);
    EXPECT_EQ(PaletteForSettingsCode(1), &DigitizedPalette1);
    EXPECT_EQ(PaletteForSettingsCode(2), &DigitizedPalette2);
    EXPECT_EQ(PaletteForSettingsCode(3), nullptr);
    EXPECT_EQ(PaletteForSettingsCode(-1), nullptr);
}

TEST(Palette, SelectWritesBlueGreenRedZero) {
    TFrameBuffer frame;
    SelectPalette(DigitizedPalette2, frame.ColourTable);
    // $02 is 642325.
    EXPECT_EQ(frame.ColourTable[8], 0x25);
    EXPECT_EQ(frame.ColourTable[9], 0x23);
    EXPECT_EQ(frame.ColourTable[10], 0x64);
    EXPECT_EQ(frame.ColourTable[11], 0x00);
    // The last entry, $FF, repeats $7F (C5F79E).
    EXPECT_EQ(frame.ColourTable[1020], 0x9E);
    EXPECT_EQ(frame.ColourTable[1021], 0xF7);
    EXPECT_EQ(frame.ColourTable[1022], 0xC5);
    EXPECT_EQ(frame.ColourTable[1023], 0x00);

    SelectPalette(CalculatedPalette, frame.ColourTable);
    EXPECT_EQ(frame.ColourTable[4 * 0x71], 0xFC);
}

TEST(Palette, FrameConversionGoesThroughTheColourTable) {
    uint8_t colourTable[1024];
    SelectPalette(DigitizedPalette1, colourTable);
    const std::vector<uint8_t> pixels = {0x71, 0x32, 0xB2, 0x00};

    std::vector<uint8_t> rgb(pixels.size() * 3);
    ConvertFrameToRgb24(pixels.data(), pixels.size(), colourTable, rgb.data());
    EXPECT_EQ(rgb, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x90, 0x3C, 0x3B, 0x90, 0x3C, 0x3B,
                                         0x06, 0x01, 0x03}));

    std::vector<uint32_t> argb(pixels.size());
    ConvertFrameToRgb32(pixels.data(), pixels.size(), colourTable, argb.data());
    EXPECT_EQ(argb, (std::vector<uint32_t>{0xFFFFFFFFu, 0xFF903C3Bu, 0xFF903C3Bu, 0xFF060103u}));
}
