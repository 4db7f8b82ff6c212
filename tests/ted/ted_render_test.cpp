#include <algorithm>

#include "ted_fixture.h"

namespace {
constexpr uint8_t Border = 0x12;
constexpr uint8_t Background0 = 0x31;
constexpr uint8_t Glyph[8] = {0xA5, 0x5A, 0xF0, 0x0F, 0x81, 0x7E, 0x3C, 0xC3};
}  // namespace

class TedRender : public TedTest {
protected:
    TedRender() { SetUpTextScreen(); }

    void PutGlyph(uint32_t base, int code, const uint8_t (&lines)[8] = Glyph) {
        for (int y = 0; y < 8; ++y) PutCharLine(base, code, y, lines[y]);
    }
    // The cell shows `lines` in hires: foreground where a bit is set.
    void ExpectHiresCell(int row, int column, const uint8_t (&lines)[8], uint8_t foreground, uint8_t background) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(CellPixel(row, column, y, x), (lines[y] >> (7 - x)) & 1 ? foreground : background)
                    << "cell " << row << "," << column << " y " << y << " x " << x;
    }
    void ExpectSolidCell(int row, int column, uint8_t colour) {
        const uint8_t blank[8] = {};
        ExpectHiresCell(row, column, blank, 0, colour);
    }
    // Multicolour pixels of a pattern byte: one colour per bit pair, each two pixels wide.
    void ExpectMulticolourLine(int line, int column, uint8_t pattern, const uint8_t (&colour)[4]) {
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(Pixel(line, TTED::FirstWindowPixel + column * 8 + x), colour[(pattern >> (6 - (x / 2) * 2)) & 3])
                << "x " << x;
    }
};

TEST_F(TedRender, TextCellsAndBorder) {
    PutGlyph(0x2000, 1);
    PutCell(0, 0, 1, 0x45);
    PutCell(24, 39, 1, 0x46);  // the last cell of 25 rows
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, 0x45, Background0);
    ExpectHiresCell(24, 39, Glyph, 0x46, Background0);
    ExpectSolidCell(0, 1, Background0);
    EXPECT_EQ(Pixel(0, 0), Border);
    EXPECT_EQ(Pixel(55, 100), Border);
    EXPECT_EQ(Pixel(56, 67), Border);
    EXPECT_EQ(Pixel(56, 388), Border);
    EXPECT_EQ(Pixel(256, 100), Border);
    EXPECT_EQ(Pixel(311, 455), Border);
    EXPECT_EQ(Host.Frames, 1);
}

TEST_F(TedRender, VideoMatrixBaseSelectsCodesAndAttributes) {
    Write(0xFF14, 0x10);  // codes at $1400, attributes at $1000
    PutGlyph(0x2000, 2);
    Memory.Image[0x1400 + 41] = 2;
    Memory.Image[0x1000 + 41] = 0x57;
    RunFrame();
    ExpectHiresCell(1, 1, Glyph, 0x57, Background0);
}

TEST_F(TedRender, HardwareReverseWith128Characters) {
    Write(0xFF13, 0x24);  // character base $2400
    PutGlyph(0x2400, 1);
    PutCell(0, 0, 0x81, 0x45);
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, Background0, 0x45);
}

TEST_F(TedRender, With256CharactersHighCodesAreCharactersAnd2KAligned) {
    Write(0xFF07, 0x88);
    Write(0xFF13, 0x24);  // $2400, rounded down to $2000
    const uint8_t other[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PutGlyph(0x2000, 0x81);
    PutGlyph(0x2400, 0x81, other);
    PutCell(0, 0, 0x81, 0x45);
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, 0x45, Background0);
}

TEST_F(TedRender, FlashingCellsShowOnlyTheirBackgroundWhileFlashIsOff) {
    PutGlyph(0x2000, 1);
    PutCell(0, 0, 0x01, 0xC5);
    PutCell(0, 1, 0x81, 0xC5);  // reversed: the attribute colour
    Ted.FlashOn = false;
    RunFrame();
    ExpectSolidCell(0, 0, Background0);
    ExpectSolidCell(0, 1, 0xC5);
    Ted.FlashOn = true;
    Ted.FlashCounter = 0;
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, 0xC5, Background0);
    ExpectHiresCell(0, 1, Glyph, Background0, 0xC5);
}

TEST_F(TedRender, ExtendedColourPicksTheBackgroundByCodeBits) {
    Write(0xFF06, 0x5B);
    Write(0xFF16, 0x42);
    Write(0xFF17, 0x53);
    Write(0xFF18, 0x64);
    PutGlyph(0x2000, 1);
    PutCell(0, 0, 0x01, 0x05);
    PutCell(0, 1, 0x41, 0x05);
    PutCell(0, 2, 0x81, 0x05);  // not reversed
    PutCell(0, 3, 0xC1, 0x85);  // flashing, flash off
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, 0x05, Background0);
    ExpectHiresCell(0, 1, Glyph, 0x05, 0x42);
    ExpectHiresCell(0, 2, Glyph, 0x05, 0x53);
    ExpectSolidCell(0, 3, 0x64);
}

TEST_F(TedRender, MulticolourText) {
    Write(0xFF07, 0x18);
    Write(0xFF16, 0x42);
    Write(0xFF17, 0x53);
    const uint8_t lines[8] = {0x1B, 0xE4, 0, 0, 0, 0, 0, 0};
    PutGlyph(0x2000, 1, lines);
    PutCell(0, 0, 0x01, 0x0E);
    PutCell(0, 1, 0x01, 0x86);  // attribute bit 3 clear: hires, never flashing
    PutCell(0, 2, 0x81, 0x0E);  // 128 characters: code 1, not reversed
    RunFrame();
    const uint8_t colour[4] = {Background0, 0x42, 0x53, 0x06};
    ExpectMulticolourLine(56, 0, 0x1B, colour);
    ExpectMulticolourLine(57, 0, 0xE4, colour);
    ExpectHiresCell(0, 1, lines, 0x86, Background0);
    ExpectMulticolourLine(56, 2, 0x1B, colour);
}

TEST_F(TedRender, BitmapColoursComeFromCodeAndAttribute) {
    Write(0xFF06, 0x3B);
    Write(0xFF12, 0x10);  // bitmap at $4000
    PutCell(1, 2, 0x37, 0x52);
    for (int y = 0; y < 8; ++y) Memory.Image[0x4000 + 320 + 2 * 8 + y] = Glyph[y];
    RunFrame();
    ExpectHiresCell(1, 2, Glyph, 0x23, 0x57);
}

TEST_F(TedRender, BitmapBytesComeFromRamEvenWithRomCharacters) {
    Write(0xFF06, 0x3B);
    Write(0xFF12, 0x24);  // bitmap at $8000, character data from ROM
    Write(0xFF13, 0xD0);
    PutCell(0, 0, 0x37, 0x52);
    for (int y = 0; y < 8; ++y) {
        Memory.Image[0x8000 + y] = Glyph[y];
        Memory.Image[0x10000 + y] = 0xFF;
    }
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, 0x23, 0x57);
}

TEST_F(TedRender, MulticolourBitmap) {
    Write(0xFF06, 0x3B);
    Write(0xFF07, 0x18);
    Write(0xFF12, 0x10);
    Write(0xFF16, 0x42);
    PutCell(0, 0, 0x37, 0x52);
    Memory.Image[0x4000] = 0x1B;
    RunFrame();
    const uint8_t colour[4] = {Background0, 0x23, 0x57, 0x42};
    ExpectMulticolourLine(56, 0, 0x1B, colour);
}

TEST_F(TedRender, RomCharacterDataFromBankZeroWhateverTheRomSwitchSays) {
    Write(0xFF13, 0xD0);
    Write(0xFF12, 0x04);
    Memory.SetRomEnabled(0);
    Memory.SetRomBanks(0, 1);
    for (int y = 0; y < 8; ++y) {
        Memory.Image[TMemory::RomIndex(0, uint16_t(0xD000 + 8 + y))] = Glyph[y];
        Memory.Image[0xD000 + 8 + y] = 0xFF;
    }
    PutCell(0, 0, 1, 0x45);
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, 0x45, Background0);

    Write(0xFF12, 0x00);  // from RAM again
    RunFrame();
    const uint8_t full[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    ExpectHiresCell(0, 0, full, 0x45, Background0);

    Write(0xFF12, 0x04);
    Write(0xFF13, 0x50);  // $5000: below $8000 the ROM bit is ignored
    PutGlyph(0x5000, 1);
    RunFrame();
    ExpectHiresCell(0, 0, Glyph, 0x45, Background0);
}

// A mode written before the window opens counts for the line: from step 10 of line 56 the
// characters are 256, so $FF is not reversed and comes from $F800 + $FF * 8.
TEST_F(TedRender, AModeWrittenBeforeTheWindowOpensCountsForTheLine) {
    Write(0xFF13, 0xFC);
    PutCell(0, 0, 0xFF, 0x45);
    Memory.Image[0xFFF8] = 0xF0;
    RunTo(56, 10);
    Write(0xFF07, 0x88);
    RunTo(57, 0);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(56, 68 + x), x < 4 ? 0x45 : Background0) << x;
}

TEST_F(TedRender, ThirtyEightColumnsNarrowTheWindowByOneCellEachSide) {
    Write(0xFF07, 0x00);
    const uint8_t full[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PutGlyph(0x2000, 1, full);
    for (int column = 0; column < 40; ++column) PutCell(3, column, 1, 0x45);
    RunFrame();
    const int line = 56 + 3 * 8;
    for (int x = 64; x < 76; ++x) EXPECT_EQ(Pixel(line, x), Border) << x;
    for (int x = 76; x < 380; ++x) EXPECT_EQ(Pixel(line, x), 0x45) << x;
    for (int x = 380; x < 392; ++x) EXPECT_EQ(Pixel(line, x), Border) << x;
}

TEST_F(TedRender, HorizontalScrollShiftsTheWindowContent) {
    Write(0xFF07, 0x0B);
    PutGlyph(0x2000, 1);
    PutCell(0, 0, 1, 0x45);
    PutCell(0, 39, 1, 0x46);
    RunFrame();
    for (int x = 68; x < 71; ++x) EXPECT_EQ(Pixel(56, x), Background0) << x;  // in front of column 0
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(56, 71 + x), (Glyph[0] >> (7 - x)) & 1 ? 0x45 : Background0) << x;
    for (int x = 0; x < 5; ++x) EXPECT_EQ(Pixel(56, 383 + x), (Glyph[0] >> (7 - x)) & 1 ? 0x46 : Background0) << x;
    for (int x = 388; x < 392; ++x) EXPECT_EQ(Pixel(56, x), Border) << x;
}

TEST_F(TedRender, DisabledDisplayIsAllBorder) {
    Write(0xFF06, 0x0B);
    PutGlyph(0x2000, 0);
    for (int cell = 0; cell < 1000; ++cell) Memory.Image[0x0800 + cell] = 0x45;
    int cpuClocks = 0;
    for (int i = 0; i < TTED::StepsPerFrame; ++i) {
        // The frame loop's clock rule, from the TED's state before each step.
        if ((Ted.LineStep & 1) || (Ted.DoubleClockAllowed && Ted.InBorder)) ++cpuClocks;
        Ted.Step();
    }
    for (uint8_t pixel : Frame) ASSERT_EQ(pixel, Border);
    EXPECT_TRUE(Ted.InBorder);
    // Every step but the very first, which follows no drawn step.
    EXPECT_EQ(cpuClocks, TTED::StepsPerFrame - 1);
}

TEST_F(TedRender, ProcessorClockFollowsBorderAndDoubleClock) {
    RunFrame();
    auto countFrame = [&] {
        int clocks = 0;
        for (int i = 0; i < TTED::StepsPerFrame; ++i) {
            if ((Ted.LineStep & 1) || (Ted.DoubleClockAllowed && Ted.InBorder)) ++clocks;
            Ted.Step();
        }
        return clocks;
    };
    // Window lines: 34 border-led steps and 40 odd window steps; the other lines: every step.
    EXPECT_EQ(countFrame(), 200 * 74 + 112 * 114);
    Write(0xFF13, 0x22);  // single clock
    EXPECT_EQ(countFrame(), 312 * 57);
    RunTo(100, 17);
    EXPECT_TRUE(Ted.InBorder);
    Ted.Step();
    EXPECT_FALSE(Ted.InBorder);
    RunTo(100, 97);
    EXPECT_FALSE(Ted.InBorder);
    Ted.Step();
    EXPECT_TRUE(Ted.InBorder);
}

TEST_F(TedRender, UnusedModeBitsChangeNothing) {
    PutGlyph(0x2000, 1);
    for (int cell = 0; cell < 1000; cell += 37) PutCell(cell / 40, cell % 40, 1, uint8_t(cell & 0x7F));
    RunFrame();
    const std::vector<uint8_t> reference = Frame;
    Write(0xFF06, 0x9B);  // test bit
    Write(0xFF07, 0x68);  // NTSC, TED off
    std::fill(Frame.begin(), Frame.end(), Marker);
    RunFrame();
    EXPECT_EQ(Frame, reference);
}

TEST_F(TedRender, ColoursAndScrollActWithinTheLineModeAndBorderFromTheNext) {
    RunTo(60, 50);
    Write(0xFF15, 0x66);  // column 17 on uses the new background
    Write(0xFF19, 0x77);  // border from line 61
    Write(0xFF06, 0x3B);  // bitmap from line 61
    RunTo(62, 51);
    Write(0xFF07, 0x0A);  // scroll 2 from column 17 of line 62
    RunTo(63, 0);
    EXPECT_EQ(Pixel(62, 68 + 17 * 8), Marker);  // skipped by the scrolled group
    EXPECT_EQ(Pixel(62, 68 + 17 * 8 + 2), 0x00);
    EXPECT_EQ(Pixel(60, 68 + 16 * 8 + 7), Background0);
    EXPECT_EQ(Pixel(60, 68 + 17 * 8), 0x66);
    EXPECT_EQ(Pixel(60, 400), Border);
    EXPECT_EQ(Pixel(61, 400), 0x77);
    EXPECT_EQ(Pixel(61, 68), 0x00);  // bitmap colours of an empty cell
}

TEST_F(TedRender, SecondHalfOfACellUsesTheFirstHalfValues) {
    const uint8_t full[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PutGlyph(0x2000, 1, full);
    PutCell(0, 0, 1, 0x45);
    RunTo(56, 18);  // first half of column 0 done
    PutCell(0, 0, 1, 0x77);
    RunTo(57, 0);
    for (int x = 68; x < 76; ++x) EXPECT_EQ(Pixel(56, x), 0x45) << x;
    RunTo(58, 0);
    EXPECT_EQ(Pixel(57, 68), 0x77);
}

TEST_F(TedRender, MulticolourBitmapLatchesColours0And3PerLine) {
    Write(0xFF06, 0x3B);
    Write(0xFF07, 0x18);
    Write(0xFF12, 0x10);
    RunTo(56, 2);
    Write(0xFF15, 0x66);  // the text modes would show this at once
    RunTo(57, 0);
    EXPECT_EQ(Pixel(56, 68), Background0);
    RunTo(58, 0);
    EXPECT_EQ(Pixel(57, 68), 0x66);
}
