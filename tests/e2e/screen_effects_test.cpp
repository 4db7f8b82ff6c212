// What real programs show, frame after frame, in the runner's screenshots: BASIC's split screen,
// smooth scrolling in both directions, and resets during the Plus4's built-in software.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "../../bench/workloads.h"
#include "run_tool.h"
#include "screenshot.h"

namespace {

constexpr int FirstWindowLine = 56, LastWindowLine = 255;
constexpr int FirstWindowPixel = 68;

TScreenshot Shot(const TScratchDir& dir, const std::string& arguments, int frames) {
    const std::string png = dir / ("frame" + std::to_string(frames) + ".png");
    const auto r = RunTool(arguments + " --frames " + std::to_string(frames) + " --screenshot " + png);
    EXPECT_EQ(r.Status, 0) << arguments;
    return ReadScreenshot(png);
}

// The text window of GRAPHIC 2 is the last five rows: while the loop prints HELLO there, every
// one of its lines shows the text background right of the word.
bool TextWindowShown(const TScreenshot& shot) {
    const uint32_t background = shot.At(LastWindowLine, FirstWindowPixel + 319);
    for (int line = FirstWindowLine + 20 * 8; line <= LastWindowLine; ++line)
        for (int x = FirstWindowPixel + 5 * 8; x < FirstWindowPixel + 320; ++x)
            if (shot.At(line, x) != background) return false;
    // The bitmap above it is the power-on pattern, never plain.
    return shot.At(FirstWindowLine + 20 * 8 - 1, FirstWindowPixel + 100) != background ||
           shot.At(FirstWindowLine + 20 * 8 - 2, FirstWindowPixel + 100) != background;
}

// A raster-synchronised loop, ROM off: a text screen of varied cells, then once a frame, at
// raster 210 in the lower border, the scroll bits of `scrollRegister` ($FF06 or $FF07) step by
// one (0..7), with `fixedBits` in the rest of the register. The first frame is drawn with the
// display off.
std::vector<uint8_t> SmoothScrollProgram(uint16_t scrollRegister, uint8_t fixedBits) {
    const uint8_t low = uint8_t(scrollRegister), high = uint8_t(scrollRegister >> 8);
    Workload::TMiniAsm a(0x1000);
    a.Bytes({0x78, 0xA9, 0x0B, 0x8D, 0x06, 0xFF})      // SEI; display off
        .Bytes({0xA9, 0x08, 0x8D, 0x07, 0xFF})         // 40 columns
        .Bytes({0xA9, 0x08, 0x8D, 0x14, 0xFF})         // matrix at $0800
        .Bytes({0xA9, 0x20, 0x8D, 0x13, 0xFF})         // characters at $2000
        .Bytes({0xA9, 0x00, 0x8D, 0x12, 0xFF})         // from RAM
        .Bytes({0xA9, 0x71, 0x8D, 0x15, 0xFF, 0xA9, 0x00, 0x8D, 0x19, 0xFF})  // background, black border
        .Bytes({0xA9, 0x03, 0x8D, 0x0C, 0xFF, 0xA9, 0xFF, 0x8D, 0x0D, 0xFF})  // no cursor
        .Bytes({0xA2, 0x00})
        .Label("fill")
        .Bytes({0xA9, 0x01, 0x9D, 0x00, 0x0C, 0x9D, 0x00, 0x0D, 0x9D, 0x00, 0x0E, 0x9D, 0x00, 0x0F})
        .Bytes({0x8A, 0x29, 0x77, 0x09, 0x02})         // a colour of its own for each cell
        .Bytes({0x9D, 0x00, 0x08, 0x9D, 0x00, 0x09, 0x9D, 0x00, 0x0A, 0x9D, 0x00, 0x0B, 0xE8})
        .Branch(0xD0, "fill")
        .Bytes({0xA2, 0x07})
        .Label("glyph")
        .Absolute(0xBD, "glyphLines").Bytes({0x9D, 0x08, 0x20, 0xCA})  // character 1
        .Branch(0x10, "glyph")
        .Bytes({0xA9, 0x00, 0x85, 0xF0})
        .Label("wait")
        .Bytes({0xAD, 0x1D, 0xFF, 0xC9, 0xD2})
        .Branch(0xD0, "wait")
        .Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF})         // display on from the second frame
        .Bytes({0xA5, 0xF0, 0x18, 0x69, 0x01, 0x29, 0x07, 0x85, 0xF0, 0x09, fixedBits, 0x8D, low, high})
        .Label("leave")
        .Bytes({0xAD, 0x1D, 0xFF, 0xC9, 0xD2})
        .Branch(0xF0, "leave")
        .Absolute(0x4C, "wait")
        .Label("glyphLines")
        .Bytes({0xFF, 0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE});  // every line different, bit 7 set
    return a.Finish();
}

std::string ScrollRun(const TScratchDir& dir, uint16_t scrollRegister, uint8_t fixedBits) {
    const auto program = dir.Write("scroll.bin", SmoothScrollProgram(scrollRegister, fixedBits));
    return "--machine custom --rom-off --load 1000:" + program + " --pc 1000";
}

// Whether `after` shows `before` moved by `shift` lines, over the window lines both show.
bool MovedDown(const TScreenshot& before, const TScreenshot& after, int shift) {
    for (int line = FirstWindowLine + 8; line <= LastWindowLine - 8; ++line)
        for (int x = FirstWindowPixel; x < FirstWindowPixel + 320; ++x)
            if (after.At(line, x) != before.At(line - shift, x)) return false;
    return true;
}

// Whether `after` shows `before` moved right by `shift` pixels between pixels first and last.
bool MovedRight(const TScreenshot& before, const TScreenshot& after, int shift, int first, int last) {
    for (int line = FirstWindowLine; line <= LastWindowLine; ++line)
        for (int x = std::max(first, first + shift); x <= std::min(last, last + shift); ++x)
            if (after.At(line, x) != before.At(line, x - shift)) return false;
    return true;
}

// The colour most pixels of a window line have.
uint32_t MostCommon(const TScreenshot& shot, int line) {
    std::map<uint32_t, int> count;
    for (int x = FirstWindowPixel; x < FirstWindowPixel + 320; ++x) ++count[shot.At(line, x)];
    return std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

}  // namespace

TEST(ScreenEffects, TheSplitScreenOfGraphicTwoKeepsItsTextWindowInEveryFrameWhileBasicRuns) {
    RequireRoms();
    TScratchDir dir;
    const std::string run = "--machine c16 --type 'GRAPHIC 2\\n10 PRINT\"HELLO\":GOTO 10\\nRUN\\n'";
    for (int frame = 370; frame < 386; ++frame) {
        const TScreenshot shot = Shot(dir, run, frame);
        ASSERT_FALSE(shot.Empty());
        EXPECT_TRUE(TextWindowShown(shot)) << "frame " << frame;
    }
}

TEST(ScreenEffects, EachStepOfAVerticalSmoothScrollMovesThePictureOneLine) {
    TScratchDir dir;
    const std::string run = ScrollRun(dir, 0xFF06, 0x18);
    TScreenshot before = Shot(dir, run, 20);
    int steps = 0, wraps = 0;
    for (int frame = 21; frame <= 36; ++frame) {
        const TScreenshot after = Shot(dir, run, frame);
        ASSERT_FALSE(after.Empty());
        const bool step = MovedDown(before, after, 1), wrap = MovedDown(before, after, -7);
        EXPECT_TRUE(step || wrap) << "frame " << frame;
        steps += step;
        wraps += wrap;
        before = after;
    }
    EXPECT_EQ(steps, 14);
    EXPECT_EQ(wraps, 2);
}

TEST(ScreenEffects, AHorizontalSmoothScrollLeavesNoStaleStripAtTheLeft) {
    TScratchDir dir;
    // 40 columns: the scroll's pixels in front of column 0 show the background, although the
    // first frame, with the display off, drew border there.
    const std::string run40 = ScrollRun(dir, 0xFF07, 0x08);
    TScreenshot before = Shot(dir, run40, 20);
    for (int frame = 21; frame <= 28; ++frame) {
        const TScreenshot after = Shot(dir, run40, frame);
        ASSERT_FALSE(after.Empty());
        const uint32_t background = MostCommon(after, FirstWindowLine + 1);
        // Character line 0 is all ink, each cell in its own colour: column 1 starts the scroll
        // after pixel 76, and pixel 83 is always one of its own.
        const uint32_t column1 = after.At(FirstWindowLine, FirstWindowPixel + 15);
        int scroll = 0;
        while (scroll < 8 && after.At(FirstWindowLine, FirstWindowPixel + 8 + scroll) != column1) ++scroll;
        ASSERT_LT(scroll, 8) << "frame " << frame;
        for (int line = FirstWindowLine; line <= LastWindowLine; ++line)
            for (int x = FirstWindowPixel; x < FirstWindowPixel + scroll; ++x)
                ASSERT_EQ(after.At(line, x), background) << "frame " << frame << " line " << line << " x " << x;
        EXPECT_TRUE(MovedRight(before, after, 1, FirstWindowPixel + scroll, FirstWindowPixel + 319) || scroll == 0)
            << "frame " << frame;
        before = after;
    }
    // 38 columns: the border hides column 0, whose pixels slide in as the scroll grows, so the
    // whole window moves one pixel a step.
    const std::string run38 = ScrollRun(dir, 0xFF07, 0x00);
    before = Shot(dir, run38, 20);
    int steps = 0;
    for (int frame = 21; frame <= 28; ++frame) {
        const TScreenshot after = Shot(dir, run38, frame);
        ASSERT_FALSE(after.Empty());
        const bool step = MovedRight(before, after, 1, 76, 379), wrap = MovedRight(before, after, -7, 76, 379);
        EXPECT_TRUE(step || wrap) << "frame " << frame;
        steps += step;
        before = after;
    }
    EXPECT_EQ(steps, 7);
}

// SYS 1525 (what F1 types) starts the built-in software, which keeps its own ROM bank switched
// in while it sets itself up; a reset at any of those frames must come back to BASIC.
TEST(ScreenEffects, ResetsDuringTheBuiltInSoftwareReturnToTheBasicStartScreen) {
    RequireRoms();
    for (const std::string kind : {"soft", "special"}) {
        for (int frame = 39; frame <= 59; frame += 4) {
            const auto r = RunTool("--machine plus4 --type 'SYS1525\\n' --frames 250 --screen-text --reset " +
                                   std::to_string(frame) + ":" + kind);
            EXPECT_EQ(r.Status, 0);
            EXPECT_NE(r.Out.find("3-PLUS-1 ON KEY F1"), std::string::npos) << kind << " reset after frame " << frame << "\n" << r.Out;
            EXPECT_NE(r.Out.find("READY."), std::string::npos) << kind << " reset after frame " << frame;
        }
    }
}
