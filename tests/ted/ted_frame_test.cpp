#include <algorithm>

#include "ted_fixture.h"

namespace {
constexpr uint8_t Border = 0x12;
constexpr uint8_t Background0 = 0x31;
}  // namespace

class TedFrame : public TedTest {
protected:
    TedFrame() { SetUpTextScreen(); }
    void SetCursor(uint16_t position) {
        Write(0xFF0C, uint8_t(position >> 8));
        Write(0xFF0D, uint8_t(position));
    }
    // Every pixel of the 8 x 8 block at (line, x) has `colour`.
    bool BlockIs(int line, int x, uint8_t colour) const {
        for (int y = 0; y < 8; ++y)
            for (int i = 0; i < 8; ++i)
                if (Pixel(line + y, x + i) != colour) return false;
        return true;
    }
};

TEST_F(TedFrame, EndOfFrameOncePerFrameAtTheLastStep) {
    Run(TTED::StepsPerFrame - 1);
    EXPECT_EQ(Host.Frames, 0);
    Ted.Step();
    EXPECT_EQ(Host.Frames, 1);
    EXPECT_EQ(Host.DrawnFrames, 1);
    EXPECT_EQ(Ted.LineIndex, FrameStartLine);  // the counter wrapped to 0
    EXPECT_EQ(Ted.RasterLine, 0);
    EXPECT_EQ(Ted.LineStep, 0);
    RunFrame();
    RunFrame();
    EXPECT_EQ(Host.Frames, 3);
}

TEST_F(TedFrame, RunsWithoutHostMemoryOrFrameBuffer) {
    TTED ted;
    ted.Reset();
    ted.WriteRegister(0xFF06, 0x1B);
    for (int i = 0; i < 2 * TTED::StepsPerFrame; ++i) ted.Step();
    EXPECT_EQ(ted.LineIndex, FrameStartLine);
    ted.WriteRegister(0xFF08, 0);
    EXPECT_EQ(ted.ReadRegister(0xFF08), 0xFF);
}

// A reset starts a frame, at raster 0; a new frame buffer is drawn from the same position.
TEST_F(TedFrame, ResetStartsAFrameAndANewFrameBufferKeepsThePosition) {
    Run(30000);
    Write(0xFF19, 0x55);
    Ted.Reset();
    Run(TTED::StepsPerLine);
    EXPECT_EQ(Pixel(FrameStartLine, 0), 0x55);
    EXPECT_EQ(Pixel(FrameStartLine, 455), 0x55);
    EXPECT_EQ(Pixel(FrameStartLine + 2, 0), Border);  // written before the reset

    std::vector<uint8_t> other(TTED::FrameBytes, Marker);
    Ted.SetFrameBuffer(other.data());
    Ted.Step();
    EXPECT_EQ(other[size_t(FrameStartLine + 1) * Width], 0x55);
    Ted.SetFrameBuffer(Frame.data());
}

TEST_F(TedFrame, FlashChangesPhaseEvery16Frames) {
    const uint8_t full[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int y = 0; y < 8; ++y) PutCharLine(0x2000, 1, y, full[y]);
    PutCell(0, 0, 1, 0xC5);
    for (int frame = 1; frame <= 16; ++frame) {
        RunFrame();
        ASSERT_TRUE(BlockIs(56, 68, Background0)) << frame;
    }
    EXPECT_TRUE(Ted.FlashOn);
    for (int frame = 17; frame <= 32; ++frame) {
        RunFrame();
        ASSERT_TRUE(BlockIs(56, 68, 0xC5)) << frame;
    }
    EXPECT_FALSE(Ted.FlashOn);
    RunFrame();
    EXPECT_TRUE(BlockIs(56, 68, Background0));
}

TEST_F(TedFrame, CursorIsDrawnDuringTheVisiblePhasesOnly) {
    SetCursor(41);  // row 1, column 1
    Memory.Image[0x0800 + 41] = 0x67;
    for (int frame = 1; frame <= 15; ++frame) RunFrame();
    EXPECT_TRUE(BlockIs(64, 76, Background0));
    RunFrame();  // the 16th frame ends with the flash turning on
    EXPECT_TRUE(BlockIs(64, 76, 0x67));
    EXPECT_EQ(Pixel(63, 76), Background0);
    EXPECT_EQ(Pixel(64, 84), Background0);
    for (int frame = 17; frame <= 32; ++frame) RunFrame();
    EXPECT_TRUE(BlockIs(64, 76, Background0));
}

TEST_F(TedFrame, CursorBeyondTheScreenIsNotDrawn) {
    Ted.FlashOn = true;
    for (uint16_t position : {0x3E8, 0x3FF}) {
        SetCursor(position);
        RunFrame();
        for (int line = 0; line < TTED::LinesPerFrame; ++line)
            for (int x = 0; x < TTED::PixelsPerLine; ++x) {
                const bool window = line >= 56 && line <= 255 && x >= 68 && x < 388;
                ASSERT_EQ(Pixel(line, x), window ? Background0 : Border) << line << "," << x;
            }
    }
}

TEST_F(TedFrame, CursorIgnoresColumnWidthAndDisplayEnableButFollowsScroll) {
    Ted.FlashOn = true;
    SetCursor(0);
    Memory.Image[0x0800] = 0x67;
    Write(0xFF07, 0x00);  // 38 columns: column 0 is border
    RunFrame();
    EXPECT_TRUE(BlockIs(56, 68, 0x67));
    Write(0xFF06, 0x0B);  // display off
    Write(0xFF07, 0x0B);  // scroll 3
    RunFrame();
    EXPECT_TRUE(BlockIs(56, 71, 0x67));
    EXPECT_EQ(Pixel(56, 70), Border);
}

TEST_F(TedFrame, CursorColourUsesTheMatrixOfTheLastLine) {
    Ted.FlashOn = true;
    SetCursor(5);
    Memory.Image[0x0800 + 5] = 0x67;
    Memory.Image[0x1000 + 5] = 0x76;
    RunTo(40, 0);  // raster 300
    Write(0xFF14, 0x10);  // attributes at $1000 from raster 301
    RunToFrameStart();
    EXPECT_TRUE(BlockIs(56, 68 + 40, 0x76));
}

TEST_F(TedFrame, SkippedFrameWritesBorderOnlyAndKeepsTiming) {
    Ted.FlashOn = true;
    SetCursor(0);
    PutCell(0, 0, 0, 0x45);
    Write(0xFF0B, 100);
    Write(0xFF19, 0x22);
    Ted.SkipThisFrame = 1;
    RunTo(100, 20);
    EXPECT_FALSE(Ted.InBorder);  // window steps count as display even when not drawn
    RunToFrameStart();
    EXPECT_EQ(Host.Frames, 1);
    EXPECT_EQ(Host.DrawnFrames, 0);
    for (int line = 0; line < TTED::LinesPerFrame; ++line)
        for (int x = 0; x < TTED::PixelsPerLine; ++x) {
            const bool window = line >= 56 && line <= 255 && x >= 68 && x < 388;
            ASSERT_EQ(Pixel(line, x), window ? Marker : 0x22) << line << "," << x;
        }
    EXPECT_TRUE(Ted.IrqRasterFlag);
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFFFF - TTED::StepsPerFrame / 2);

    Ted.SkipThisFrame = 0;
    RunFrame();
    EXPECT_EQ(Host.DrawnFrames, 1);
    EXPECT_TRUE(BlockIs(56, 68, 0x45));
}
