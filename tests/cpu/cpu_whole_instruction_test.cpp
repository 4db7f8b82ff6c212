// The whole-instruction path (RunInstruction) against the micro-code: a bounded randomized run
// over all 256 opcodes, and the points where the path hands an instruction back to the
// micro-code.
#include "../../bench/cpu_differential.h"
#include "cpu_test_support.h"

namespace {

TEST(WholeInstructionDifferential, RandomProgramsMatchTheMicroCodeClockForClock) {
    Differential::TChecker checker(20240613);
    EXPECT_EQ(checker.Run(1500, 24), "");
    const Differential::TStatistics& seen = checker.Statistics;
    EXPECT_GT(seen.WholeClocks, seen.Clocks / 2);
    // The budgets are the micro-code's own worst cases: no opcode is refused a budget that
    // would hold it, and none is run whole past a clock in which it can write.
    for (int opcode = 0; opcode < 256; ++opcode) {
        const uint32_t most = seen.MostClocks[opcode], firstWrite = seen.FirstWrite[opcode];
        ASSERT_GT(most, 0u) << "opcode " << opcode << " never met";
        const uint32_t through = TCPU::RunInstructionBudget(uint8_t(opcode), false);
        const uint32_t beforeWrites = TCPU::RunInstructionBudget(uint8_t(opcode), true);
        if (through > 8) {  // left to the micro-code: the illegal opcodes, which report
            EXPECT_EQ(most, 2u) << "opcode " << opcode;
            EXPECT_GT(beforeWrites, 8u) << "opcode " << opcode;
            continue;
        }
        EXPECT_EQ(through, most) << "opcode " << opcode;
        EXPECT_EQ(beforeWrites, firstWrite ? firstWrite - 1 : most) << "opcode " << opcode;
    }
}

class WholeInstructionTest : public CpuTest {
protected:
    WholeInstructionTest() { Mem.LogCycle = &Cpu.Cycle; }

    // Finishes the instruction clock by clock; returns the clocks.
    int Finish() {
        int clocks = 0;
        while (Cpu.Cycle != 1) {
            Cpu.StepQuiet();
            ++clocks;
        }
        return clocks;
    }
};

TEST_F(WholeInstructionTest, RunsInstructionsBackToBackWithEachAccessInItsClock) {
    Cpu.Y = 0x01;
    Poke(0x0080, {0xFF, 0x30});
    Mem.Image[0x3100] = 0x5A;
    Place(0x2000, {0xB1, 0x80, 0xE8});  // LDA ($80),Y crosses into $3100; INX
    EXPECT_EQ(Cpu.RunInstructions<false>(8), 8u);
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(Cpu.PC, 0x2003);
    EXPECT_EQ(Cpu.A, 0x5A);
    const std::vector<TBusAccess> expected = {{0x2000, 0xB1, false, 1}, {0x2001, 0x80, false, 2},
                                              {0x0080, 0xFF, false, 3}, {0x0081, 0x30, false, 4},
                                              {0x3100, 0x5A, false, 6}, {0x2002, 0xE8, false, 1}};
    EXPECT_EQ(Mem.AccessLog, expected);
}

TEST_F(WholeInstructionTest, AnInstructionThatMayNotFitTheClocksLeftStopsAfterItsFetch) {
    Cpu.X = 0x01;
    Place(0x2000, {0xBD, 0x00, 0x30, 0xEA});  // LDA $3000,X: 4 clocks here, 5 at most; NOP
    EXPECT_EQ(Cpu.RunInstructions<false>(4), 1u);
    EXPECT_EQ(Cpu.Cycle, 2u);
    EXPECT_EQ(Finish(), 3);
    Place(0x2000, {0xBD, 0x00, 0x30, 0xEA});
    EXPECT_EQ(Cpu.RunInstructions<false>(6), 6u);
    Place(0x2000, {0xBD, 0x00, 0x30, 0xEA});
    EXPECT_EQ(Cpu.RunInstructions<false>(5), 5u);  // the NOP's fetch
    EXPECT_EQ(Cpu.Opcode, 0xEA);
    EXPECT_EQ(Cpu.Cycle, 2u);
}

TEST_F(WholeInstructionTest, ADecodedWriteEndsTheCallAfterItsClockAndADecodedReadDoesNot) {
    Poke(0xFD30, {0x00});
    Place(0x2000, {0xEE, 0x30, 0xFD});  // INC $FD30 (the keyboard select latch)
    EXPECT_EQ(Cpu.RunInstructions<false>(40), 5u);  // its read in clock 4, its first write in 5
    EXPECT_EQ(Cpu.Cycle, 6u);
    EXPECT_EQ(Finish(), 1);
    Place(0x2000, {0xA5, 0x01, 0xEA, 0x8D, 0x3F, 0xFF, 0xEA});  // LDA $01 (the port); NOP; STA $FF3F; NOP
    EXPECT_EQ(Cpu.RunInstructions<false>(40), 9u);
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(Cpu.PC, 0x2006);
    EXPECT_EQ(Mem.RomEnabled, 0);
}

TEST_F(WholeInstructionTest, BeforeWritesStopsAheadOfTheFirstClockThatChangesMemory) {
    Cpu.A = 0x77;
    Cpu.SP = 0xF0;
    Place(0x2000, {0xEA, 0x8D, 0x00, 0x30, 0x20, 0x00, 0x40});  // NOP; STA $3000; JSR $4000
    EXPECT_EQ(Cpu.RunInstructions<true>(40), 5u);
    EXPECT_EQ(Mem.Image[0x3000], 0x00);
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(Mem.Image[0x3000], 0x77);
    EXPECT_EQ(Cpu.RunInstructions<true>(40), 3u);  // the pushes are in clocks 4 and 5
    EXPECT_EQ(Stack(0xF0), 0x00);
    EXPECT_EQ(Finish(), 3);
    EXPECT_EQ(Stack(0xF0), 0x20);
    EXPECT_EQ(Cpu.PC, 0x4000);
}

TEST_F(WholeInstructionTest, StopsAtABreakpointWithoutReportingIt) {
    Place(0x2000, {0xEA, 0xEA, 0xEA, 0xEA});
    Cpu.Breakpoints[0] = 0x2002;
    Cpu.BreakpointCount = 1;
    EXPECT_EQ(Cpu.RunInstructions<false>(40), 4u);
    EXPECT_EQ(Cpu.PC, 0x2002);
    EXPECT_TRUE(Cpu.AtBreakpoint());
    EXPECT_TRUE(Host.Events.empty());
}

TEST_F(WholeInstructionTest, IllegalOpcodesAreLeftToTheMicroCodeWhichReportsThem) {
    Place(0x2000, {0x03});
    EXPECT_EQ(Cpu.RunInstructions<false>(100), 1u);
    EXPECT_TRUE(Host.Events.empty());
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(Host.Events.front(), "status:Illegal opcode!");
}

}  // namespace
