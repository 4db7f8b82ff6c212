#include "ted_fixture.h"

// Timers tick on odd steps: from step 0 of a line, 2n steps are n ticks.
class TedTimers : public TedTest {
protected:
    void Ticks(int n) { Run(2 * n); }
    // Stops timers 2 and 3 so that only timer 1 sets flags.
    void OnlyTimer1() {
        Write(0xFF02, 0x00);
        Write(0xFF04, 0x00);
    }
};

TEST_F(TedTimers, TickOnlyOnOddSteps) {
    Ted.Step();  // step 0
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFFFF);
    Ted.Step();  // step 1
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFFFE);
    EXPECT_EQ(Ted.Timer[1].Counter, 0xFFFE);
    EXPECT_EQ(Ted.Timer[2].Counter, 0xFFFE);
    RunTo(FrameStartLine + 1, 0);
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFFFF - 57);  // 57 ticks a line
}

TEST_F(TedTimers, AfterResetTimer1FiresEvery65535Ticks) {
    OnlyTimer1();
    Write(0xFF0A, 0x09);  // compare 511: no raster flag
    Write(0xFF0B, 0xFF);
    Run(2 * 65535 - 1);
    EXPECT_FALSE(Ted.IrqTimer1Flag);
    EXPECT_EQ(Cpu.IrqLine, 0);
    Ted.Step();
    EXPECT_TRUE(Ted.IrqTimer1Flag);
    EXPECT_TRUE(Ted.IrqSummary);
    EXPECT_EQ(Cpu.IrqLine, 1);
    EXPECT_EQ(Read(0xFF09), 0x25 | 0x80 | 0x08);
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFFFF);

    Write(0xFF09, 0x88);
    EXPECT_EQ(Read(0xFF09), 0x25);
    Ticks(65534);
    EXPECT_FALSE(Ted.IrqTimer1Flag);
    Ticks(1);
    EXPECT_TRUE(Ted.IrqTimer1Flag);
}

TEST_F(TedTimers, Timer1ReloadsTheWrittenValue) {
    OnlyTimer1();
    Write(0xFF00, 0x00);
    Write(0xFF01, 0x10);
    for (int period = 0; period < 3; ++period) {
        Ticks(4095);
        EXPECT_FALSE(Ted.IrqTimer1Flag) << period;
        Ticks(1);
        EXPECT_TRUE(Ted.IrqTimer1Flag) << period;
        EXPECT_EQ(Ted.Timer[0].Counter, 0x1000);
        Write(0xFF09, 0x08);
    }
}

TEST_F(TedTimers, LowByteWriteStopsTheTimer) {
    Ticks(10);
    Write(0xFF00, 0x42);
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFF42);
    Ticks(1000);
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFF42);
    Write(0xFF03, 0x00);  // timer 2: high byte starts it again
    EXPECT_TRUE(Ted.Timer[1].Running);
    EXPECT_FALSE(Ted.Timer[0].Running);
}

TEST_F(TedTimers, ZeroCounterWrapsAndFiresAfter65536Ticks) {
    Write(0xFF04, 0x00);  // timer 3 stopped
    Write(0xFF00, 0x00);  // timer 1 reload 0
    Write(0xFF01, 0x00);
    Write(0xFF02, 0x00);  // timer 2 counter 0
    Write(0xFF03, 0x00);
    Ticks(1);
    EXPECT_EQ(Ted.Timer[0].Counter, 0xFFFF);
    EXPECT_EQ(Ted.Timer[1].Counter, 0xFFFF);
    EXPECT_FALSE(Ted.IrqTimer1Flag);
    Ticks(65534);
    EXPECT_FALSE(Ted.IrqTimer1Flag);
    EXPECT_FALSE(Ted.IrqTimer2Flag);
    Ticks(1);
    EXPECT_TRUE(Ted.IrqTimer1Flag);
    EXPECT_TRUE(Ted.IrqTimer2Flag);
    EXPECT_FALSE(Ted.IrqTimer3Flag);
    EXPECT_EQ(Ted.Timer[0].Counter, 0x0000);  // reload 0
    EXPECT_EQ(Ted.Timer[1].Counter, 0xFFFF);  // timers 2 and 3 restart from $FFFF
    Write(0xFF09, 0xFF);
    Ticks(65535);
    EXPECT_TRUE(Ted.IrqTimer2Flag);  // from $FFFF: 65535 ticks
    EXPECT_FALSE(Ted.IrqTimer1Flag);
    Ticks(1);
    EXPECT_TRUE(Ted.IrqTimer1Flag);  // from 0 again: 65536 ticks
}

TEST_F(TedTimers, DisabledSourceSetsOnlyItsFlagAndLaterEnablingRaisesNothing) {
    Write(0xFF00, 0x02);
    Write(0xFF01, 0x00);
    Ticks(2);
    EXPECT_EQ(Read(0xFF09), 0x25 | 0x08);
    EXPECT_EQ(Cpu.IrqLine, 0);
    Write(0xFF0A, 0x08);
    EXPECT_EQ(Cpu.IrqLine, 0);
    EXPECT_FALSE(Ted.IrqSummary);
}

TEST_F(TedTimers, AcknowledgeAlwaysLowersTheLine) {
    Write(0xFF0A, 0x58);
    Write(0xFF00, 0x02);
    Write(0xFF01, 0x00);
    Ticks(2);
    ASSERT_EQ(Cpu.IrqLine, 1);
    Write(0xFF09, 0x00);  // clears no flag
    EXPECT_EQ(Cpu.IrqLine, 0);
    EXPECT_EQ(Read(0xFF09), 0x25 | 0x80 | 0x08);
    Cpu.RaiseIrq();
    Write(0xFF09, 0x40);  // a flag that is not set: the line drops all the same
    EXPECT_EQ(Cpu.IrqLine, 0);
    EXPECT_TRUE(Ted.IrqTimer1Flag);
    Write(0xFF09, 0x08);
    EXPECT_EQ(Read(0xFF09), 0x25 | 0x80);  // the summary is acknowledged separately
}

using TedRaster = TedTest;

// The compare fires as the raster counter takes the value: in the last step of the line before,
// so the processor's first clock of the line sees the request.
TEST_F(TedRaster, CompareFiresAsTheRasterCounterReachesTheMatchingLine) {
    Write(0xFF0A, 0x02);
    Write(0xFF0B, 0x00);  // raster 0: line 52
    Run(1);
    RunTo(51, 113);
    EXPECT_FALSE(Ted.IrqRasterFlag);
    Ted.Step();
    EXPECT_TRUE(Ted.IrqRasterFlag);
    EXPECT_EQ(Cpu.IrqLine, 1);
    EXPECT_EQ(Ted.LineIndex, 52);
    EXPECT_EQ(Ted.LineStep, 0);
    EXPECT_EQ(Read(0xFF1D), 0x00);  // a handler reads the line it asked for
    EXPECT_EQ(Read(0xFF09), 0x25 | 0x80 | 0x02);
    Write(0xFF09, 0x82);
    RunTo(51, 113);  // once per frame
    EXPECT_FALSE(Ted.IrqRasterFlag);
    EXPECT_EQ(Cpu.IrqLine, 0);
}

TEST_F(TedRaster, DisabledCompareSetsFlagWithoutInterrupt) {
    Write(0xFF0B, 0x04);
    RunTo(57, 0);
    EXPECT_EQ(Read(0xFF09), 0x25 | 0x02);
    EXPECT_EQ(Cpu.IrqLine, 0);
}

TEST_F(TedRaster, CompareWithBit8MatchesTheTopBorderLinesAndTheFrameEnd) {
    Write(0xFF0A, 0x03);
    Write(0xFF0B, 0x03);  // raster 259: line 311, the last of the frame buffer
    RunTo(310, 113);
    EXPECT_FALSE(Ted.IrqRasterFlag);
    Ted.Step();
    EXPECT_TRUE(Ted.IrqRasterFlag);
    EXPECT_EQ(Ted.LineIndex, 311);
    Write(0xFF09, 0x02);
    Write(0xFF0B, 0x04);  // raster 260: line 0, the top border
    RunTo(311, 113);
    EXPECT_FALSE(Ted.IrqRasterFlag);
    Ted.Step();
    EXPECT_TRUE(Ted.IrqRasterFlag);
    EXPECT_EQ(Ted.LineIndex, 0);
    EXPECT_EQ(Host.Frames, 0) << "the frame ends where the counter wraps, after raster 311";
    RunToFrameStart();
    EXPECT_EQ(Host.Frames, 1);
}

TEST_F(TedRaster, ValuesBeyondTheFrameNeverMatch) {
    Write(0xFF0A, 0x03);
    for (int compare : {312, 400, 511}) {
        Write(0xFF0B, uint8_t(compare));
        RunFrame();
        EXPECT_FALSE(Ted.IrqRasterFlag) << compare;
    }
}
