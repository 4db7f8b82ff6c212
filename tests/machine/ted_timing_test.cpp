// The processor's clocks as the TED gives them, and the TED's counters as programs write them:
// ROM-less programs of our own with a raster interrupt, run through the frame loop.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../../bench/workloads.h"
#include "machine/machine.h"

namespace {

constexpr int Lines = TTED::LinesPerFrame;

// A custom machine running `program` from $1000 with the RAM under the ROM area.
std::unique_ptr<TMachine> Start(const Workload::TMiniAsm& program, THost& host = TNullHost::Instance()) {
    auto machine = std::make_unique<TMachine>(host, std::string());
    machine->PowerUp(MachineCustom);
    machine->Memory.Write(0xFF3F, 0);
    Workload::Place(machine->Memory, program.Origin, program.Finish());
    machine->Cpu.PC = program.Origin;
    return machine;
}

// The set-up every program here shares: the stack, the interrupt vector to "irq", the screen
// ($FF06), the clock mode and character base ($FF13) and a raster interrupt at `line` (< 256).
Workload::TMiniAsm Prologue(uint8_t screen, uint8_t clockMode, uint8_t line) {
    Workload::TMiniAsm a(0x1000);
    a.Bytes({0x78, 0xA2, 0xFF, 0x9A})
        .LowByteOf(0xA9, "irq").Bytes({0x8D, 0xFE, 0xFF})
        .HighByteOf(0xA9, "irq").Bytes({0x8D, 0xFF, 0xFF})
        .Bytes({0xA9, screen, 0x8D, 0x06, 0xFF, 0xA9, clockMode, 0x8D, 0x13, 0xFF})
        .Bytes({0xA9, 0x08, 0x8D, 0x14, 0xFF})                          // video matrix at $0800
        .Bytes({0xA9, 0x02, 0x8D, 0x0A, 0xFF, 0xA9, line, 0x8D, 0x0B, 0xFF, 0x58});
    return a;
}

// The handler's acknowledgement and return.
constexpr std::initializer_list<int> AcknowledgeAndReturn = {0xA9, 0x02, 0x8D, 0x09, 0xFF, 0x68, 0x40};

// Counts the processor's clocks on each raster line, and in all between two raster interrupts.
struct TClockCensus {
    explicit TClockCensus(const TTED& ted) : Ted(ted) {}
    const TTED& Ted;
    std::array<int, 512> PerLine{};
    std::vector<uint64_t> AtInterrupt;
    uint64_t Clocks = 0;
    bool Raised = false;
    void AfterCpuClock() {
        ++Clocks;
        ++PerLine[Ted.RasterLine];
        if (Ted.IrqRasterFlag && !Raised) AtInterrupt.push_back(Clocks);
        Raised = Ted.IrqRasterFlag;
    }
};

// Runs frames through the plain loop, counting clocks in the last one.
TClockCensus CensusOf(TMachine& machine, int frames) {
    TClockCensus census(machine.Ted);
    for (int frame = 0; frame < frames; ++frame) {
        if (frame == frames - 1) census.PerLine.fill(0);
        machine.RunFrameObserved(census);
    }
    return census;
}

uint8_t Pixel(const TMachine& m, int raster, int x) {
    return m.Frame.Pixels[TTED::BufferLine(uint32_t(raster)) * TTED::PixelsPerLine + x];
}

}  // namespace

// The four measured figures of a PAL TED, and the lines they are made of.
TEST(TedTiming, ProcessorClocksPerFrameAndLineAsTheChipGivesThem) {
    struct TCase {
        uint8_t Screen, ClockMode;
        uint64_t PerFrame;
        int Border, Display, Bad;
    };
    const TCase cases[] = {
        {0x0B, 0x02, 17784, 57, 57, 57},  // single clock, blanked
        {0x1B, 0x02, 15634, 57, 57, 14},  // single clock, screen on
        {0x0B, 0x00, 34008, 109, 109, 109},
        {0x1B, 0x00, 22882, 109, 65, 22},
    };
    for (const TCase& c : cases) {
        Workload::TMiniAsm a = Prologue(c.Screen, c.ClockMode, 250);
        a.Label("main").Absolute(0x4C, "main").Label("irq").Bytes({0x48}).Bytes(AcknowledgeAndReturn);
        auto m = Start(a);
        const TClockCensus census = CensusOf(*m, 4);
        ASSERT_GE(census.AtInterrupt.size(), 3u);
        const size_t n = census.AtInterrupt.size();
        EXPECT_EQ(census.AtInterrupt[n - 1] - census.AtInterrupt[n - 2], c.PerFrame) << int(c.Screen) << " " << int(c.ClockMode);
        // Line 3 and 4 are the first row's bad lines (vertical scroll 3), 10 an ordinary line of
        // the display area, 220 the border.
        EXPECT_EQ(census.PerLine[220], c.Border);
        EXPECT_EQ(census.PerLine[10], c.Display);
        EXPECT_EQ(census.PerLine[3], c.Bad);
        EXPECT_EQ(census.PerLine[4], c.Bad);
    }
}

// The bad lines follow the rows: two a row, from the vertical scroll; 24 rows narrow the
// window, not the rows.
TEST(TedTiming, BadLinesFollowTheVerticalScroll) {
    for (uint8_t screen : {0x18, 0x1D, 0x1F, 0x10, 0x17}) {
        Workload::TMiniAsm a = Prologue(screen, 0x00, 250);
        a.Label("main").Absolute(0x4C, "main").Label("irq").Bytes({0x48}).Bytes(AcknowledgeAndReturn);
        auto m = Start(a);
        const TClockCensus census = CensusOf(*m, 3);
        const int scroll = screen & 7;
        std::set<int> bad;
        for (int raster = 0; raster < Lines; ++raster)
            if (census.PerLine[raster] == 22) bad.insert(raster);
        std::set<int> expected;
        for (int row = 0; row < 25; ++row) expected.insert({scroll + 8 * row, scroll + 8 * row + 1});
        EXPECT_EQ(bad, expected) << "$FF06 = " << int(screen);
    }
}

// $FF1E read in a loop of 14 clocks on a blanked screen: 2 a step, even values, 28 further on
// each time, or more where the loop crossed the refresh ($92-$A4), which takes every second step.
TEST(TedTiming, HorizontalPositionAdvancesTwoADotPair) {
    Workload::TMiniAsm a = Prologue(0x0B, 0x00, 250);
    a.Bytes({0x78, 0xA2, 0x00})
        .Label("loop")
        .Bytes({0xAD, 0x1E, 0xFF, 0x9D, 0x00, 0x20, 0xE8})  // LDA $FF1E; STA $2000,X; INX
        .Branch(0xD0, "loop")
        .Label("main").Absolute(0x4C, "main")
        .Label("irq").Bytes({0x40});
    auto m = Start(a);
    m->RunFrame();
    auto clockAt = [](int position) { return position < 0x92 || position >= 0xA6 || position % 4 == 2; };
    for (int i = 1; i < 256; ++i) {
        const int before = m->Memory.Image[0x2000 + i - 1], now = m->Memory.Image[0x2000 + i];
        ASSERT_EQ(now % 2, 0);
        ASSERT_LT(now, 228);
        // Step from the last read until 14 clocks have gone by.
        int position = before;
        for (int clocks = 0; clocks < 14;) {
            position = (position + 2) % 228;
            clocks += clockAt(position);
        }
        ASSERT_EQ(now, position) << "read " << i;
    }
}

// The handler writes the background colour at a fixed clock after the raster interrupt; the
// main program is a sled of NOPs, so the interrupt waits one clock or none, and with an even
// number of clocks in the frame and in the handler it waits the same in every frame: the change
// lands on the same dot every time.
TEST(TedTiming, AColourWrittenAtAFixedClockLandsOnTheSameDotEveryFrame) {
    Workload::TMiniAsm a = Prologue(0x1B, 0xC0, 102);  // blank characters from $C000
    a.Label("main");
    for (int i = 0; i < 12000; ++i) a.Bytes({0xEA});
    a.Absolute(0x4C, "main")
        .Label("irq")
        .Bytes({0xA2, 0xFF, 0x9A})                   // the sled never returns: a fresh stack
        .Bytes({0xA9, 0x02, 0x8D, 0x09, 0xFF})
        .Bytes({0xA9, 0x71, 0x8D, 0x15, 0xFF})       // the new colour
        .Bytes({0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA, 0xEA})
        .Bytes({0xA9, 0x00, 0x8D, 0x15, 0xFF})       // back, later on the line
        .Bytes({0x58})
        .Absolute(0x4C, "main");
    auto m = Start(a);
    for (int i = 0; i < 1000; ++i) m->Memory.Image[0x0C00 + i] = 0x20;
    for (int i = 0; i < 8; ++i) m->Memory.Image[0xC100 + i] = 0;
    std::set<int> dots;
    for (int frame = 0; frame < 12; ++frame) {
        m->RunFrame();
        if (frame < 2) continue;
        int x = TTED::FirstWindowPixel;
        while (x < TTED::FirstWindowPixel + 320 && Pixel(*m, 102, x) != 0x71) ++x;
        ASSERT_LT(x, TTED::FirstWindowPixel + 320) << "frame " << frame;
        dots.insert(x);
    }
    EXPECT_EQ(dots.size(), 1u);
}

// Writes to the counters, each from the handler of a raster interrupt. Every cell of the screen
// shows its column's character, whose eight lines all differ.
std::unique_ptr<TMachine> CounterWriter(uint8_t line, std::initializer_list<int> write, THost& host) {
    Workload::TMiniAsm a = Prologue(0x1B, 0x00, line);
    a.Bytes({0xA9, 0x04, 0x8D, 0x12, 0xFF, 0xA9, 0x10, 0x8D, 0x13, 0xFF})  // characters at $1000
        .Label("main").Absolute(0x4C, "main")
        .Label("irq").Bytes({0x48}).Bytes(write).Bytes(AcknowledgeAndReturn);
    auto m = Start(a, host);
    for (int i = 0; i < 1000; ++i) m->Memory.Image[0x0C00 + i] = uint8_t(i % 40 + 0x40);
    for (int code = 0x40; code < 0x68; ++code)
        for (int row = 0; row < 8; ++row) m->Memory.Image[0x1000 + code * 8 + row] = uint8_t((code * 8 + row) * 37);
    for (int i = 0; i < 3; ++i) m->RunFrame();
    return m;
}

// Line 102 is line 2 of row 12 (rows start at line 4); a write of 1 to $FF1F there makes line
// 103 show the characters' line 2 again, and the row goes on from there.
TEST(TedTiming, ARowLineWriteRepeatsACharacterLine) {
    auto m = CounterWriter(102, {0xA9, 0x01, 0x8D, 0x1F, 0xFF}, TNullHost::Instance());
    const int row11 = 4 + 11 * 8;
    for (int x = TTED::FirstWindowPixel; x < TTED::FirstWindowPixel + 320; ++x) {
        ASSERT_EQ(Pixel(*m, 103, x), Pixel(*m, row11 + 2, x)) << x;
        ASSERT_EQ(Pixel(*m, 104, x), Pixel(*m, row11 + 3, x)) << x;
    }
}

// $FF1E set 16 steps back on line 102: the line runs 16 steps longer, and what it draws after
// the write shows 64 dots further right, cut at the line's end as on a monitor.
TEST(TedTiming, AHorizontalPositionWriteShiftsTheRestOfTheLine) {
    auto m = CounterWriter(102, {0xAD, 0x1E, 0xFF, 0x38, 0xE9, 0x20, 0x8D, 0x1E, 0xFF}, TNullHost::Instance());
    const int row11 = 4 + 11 * 8, end = TTED::FirstWindowPixel + 320;
    for (int x = end - 64; x < end; ++x) ASSERT_EQ(Pixel(*m, 102, x), Pixel(*m, row11 + 2, x - 64)) << x;
    for (int x = TTED::FirstWindowPixel; x < end; ++x) ASSERT_EQ(Pixel(*m, 103, x), Pixel(*m, row11 + 3, x)) << x;
}

// The line counter set to 250 on line 102: the frame ends after 102 + 62 lines, and the
// picture comes at its end.
TEST(TedTiming, ALineCounterWriteShortensTheFrame) {
    struct THostEnds : THost {
        const TMachine* Machine = nullptr;
        std::vector<int64_t> Ends;
        void StatusMessage(const char*) override {}
        void AppendLog(const char*) override {}
        void ErrorBox(const char*) override {}
        void BreakpointReached() override {}
        void EndOfFrame(bool) override {
            if (Machine) Ends.push_back(Machine->Ted.ClockCount());
        }
    } host;
    auto m = CounterWriter(102, {0xA9, 0x00, 0x8D, 0x1C, 0xFF, 0xA9, 0xFA, 0x8D, 0x1D, 0xFF}, host);
    host.Machine = m.get();
    for (int i = 0; i < 2; ++i) m->RunFrame();
    ASSERT_GE(host.Ends.size(), 2u);
    EXPECT_EQ(host.Ends.back() - host.Ends[host.Ends.size() - 2], int64_t((102 + 62) * TTED::StepsPerLine));
}
