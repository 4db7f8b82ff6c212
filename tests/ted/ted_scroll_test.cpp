// Smooth scrolling and the 24-row window: where the character rows land, what fills the lines
// and pixels the scroll uncovers, and what the borders cover.
#include "ted_fixture.h"

namespace {
constexpr uint8_t Border = 0x12;
constexpr uint8_t Background0 = 0x31;
constexpr uint8_t Ink = 0x45;
}  // namespace

class TedScroll : public TedTest {
protected:
    // Every cell shows a full block in Ink on its first character line only, so each row's
    // first line is easy to find.
    TedScroll() {
        SetUpTextScreen();
        PutCharLine(0x2000, 1, 0, 0xFF);
        for (int cell = 0; cell < 1000; ++cell) PutCell(cell / 40, cell % 40, 1, Ink);
    }
    void SetVerticalScroll(int scroll, bool rows25 = true) { Write(0xFF06, uint8_t(0x10 | (rows25 ? 8 : 0) | scroll)); }
    // The colour of a whole window line, or Marker when it is not one colour.
    uint8_t LineColour(int line) const {
        const uint8_t first = Pixel(line, 68);
        for (int x = 68; x < 388; ++x)
            if (Pixel(line, x) != first) return Marker;
        return first;
    }
};

TEST_F(TedScroll, EachStepOfTheVerticalScrollMovesTheRowsDownOneLine) {
    for (int scroll = 0; scroll < 8; ++scroll) {
        SetVerticalScroll(scroll);
        RunFrame();
        // Row r starts at line 53 + scroll + 8r; the ROM's scroll of 3 puts row 0 on line 56.
        for (int line = 56; line <= 255; ++line) {
            const int rowLine = line - 53 - scroll;
            const uint8_t expected = rowLine >= 200 || rowLine < 0 ? Background0 : rowLine % 8 == 0 ? Ink : Background0;
            ASSERT_EQ(LineColour(line), expected) << "scroll " << scroll << ", line " << line;
        }
        EXPECT_EQ(LineColour(55), Border);
        EXPECT_EQ(LineColour(256), Border);
    }
}

TEST_F(TedScroll, LinesTheRowsLeaveOpenShowTheBackgroundInEveryMode) {
    Write(0xFF06, 0x3F);  // bitmap, scroll 7: rows 4 lines lower, lines 56-59 above row 0
    Write(0xFF12, 0x08);  // bitmap at $2000, all pixels set
    Write(0xFF15, 0x66);
    for (int i = 0; i < 8000; ++i) Memory.Image[0x2000 + i] = 0xFF;
    RunFrame();
    for (int line = 56; line < 60; ++line) EXPECT_EQ(LineColour(line), 0x66) << line;
    // The bitmap's foreground from line 60 on; the bottom row is cut off after four lines.
    for (int line = 60; line < 256; ++line) ASSERT_EQ(LineColour(line), 0x50) << line;
    EXPECT_EQ(LineColour(256), Border);
}

TEST_F(TedScroll, TwentyFourRowsCoverFourLinesAtTheTopAndFourAtTheBottom) {
    SetVerticalScroll(3, false);
    auto frameClocks = [&] {
        int clocks = 0, windowLines = 0;
        for (int i = 0; i < TTED::StepsPerFrame; ++i) {
            if ((Ted.LineStep & 1) || (Ted.DoubleClockAllowed && Ted.InBorder)) ++clocks;
            if (Ted.LineStep == 50 && !Ted.InBorder) ++windowLines;
            Ted.Step();
        }
        return std::pair{clocks, windowLines};
    };
    RunFrame();
    const auto [clocks, windowLines] = frameClocks();
    EXPECT_EQ(windowLines, 192);  // 8 fewer than 25 rows
    // The processor has the border's double clock on the eight lines.
    EXPECT_EQ(clocks, 192 * 74 + 120 * 114);
    for (int line = 56; line < 60; ++line) EXPECT_EQ(LineColour(line), Border) << line;
    for (int line = 252; line < 256; ++line) EXPECT_EQ(LineColour(line), Border) << line;
    EXPECT_EQ(LineColour(60), Background0);  // line 4 of row 0
    EXPECT_EQ(LineColour(64), Ink);          // row 1
    EXPECT_EQ(LineColour(251), Background0);
}

TEST_F(TedScroll, TheCursorMovesWithItsRowAndTheBordersCoverIt) {
    Ted.FlashOn = true;
    Write(0xFF0C, 0);
    Write(0xFF0D, 0);  // row 0, column 0
    Memory.Image[0x0800] = 0x67;
    SetVerticalScroll(5);
    RunFrame();
    for (int line = 58; line < 66; ++line) EXPECT_EQ(Pixel(line, 68), 0x67) << line;
    EXPECT_EQ(Pixel(57, 68), Background0);
    SetVerticalScroll(0, false);  // row 0 at line 53, the window from line 60
    RunFrame();
    EXPECT_EQ(Pixel(59, 68), Border);
    EXPECT_EQ(Pixel(60, 68), 0x67);
}

TEST_F(TedScroll, HorizontalScrollShowsTheBackgroundInFrontOfTheFirstColumn) {
    // The first frame draws with the display off, so nothing of the window was ever drawn.
    Write(0xFF06, 0x0B);
    RunFrame();
    SetVerticalScroll(3);
    Write(0xFF07, 0x0F);  // 40 columns, scroll 7
    RunFrame();
    for (int x = 68; x < 75; ++x) EXPECT_EQ(Pixel(56, x), Background0) << x;
    EXPECT_EQ(Pixel(56, 75), Ink);
    EXPECT_EQ(Pixel(57, 70), Background0);
}

TEST_F(TedScroll, ThirtyEightColumnsSlideTheHiddenColumnInAsTheScrollGrows) {
    // Column 0 shows pattern $0F, so its right half slides in first.
    PutCharLine(0x2000, 2, 0, 0x0F);
    PutCell(0, 0, 2, 0x56);
    for (int scroll = 1; scroll < 8; ++scroll) {
        Write(0xFF07, uint8_t(scroll));  // 38 columns
        RunFrame();
        for (int x = 0; x < scroll; ++x)
            EXPECT_EQ(Pixel(56, 76 + x), 8 - scroll + x >= 4 ? 0x56 : Background0) << scroll << ":" << x;
        EXPECT_EQ(Pixel(56, 76 + scroll), Ink);  // column 1
        EXPECT_EQ(Pixel(56, 75), Border);
    }
}
