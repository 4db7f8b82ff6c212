// The whole-instruction path (RunInstruction) against the micro-code: a bounded randomized run
// over all 256 opcodes, and the points where the path hands an instruction back to the
// micro-code.
#include "../../bench/cpu_differential.h"
#include "cpu_test_support.h"

namespace {

TEST(WholeInstructionDifferential, RandomProgramsMatchTheMicroCodeClockForClock) {
    Differential::TChecker checker(20240613);
    EXPECT_EQ(checker.Run(1500, 64), "");
    const Differential::TStatistics& seen = checker.Statistics;
    EXPECT_GT(seen.Whole, seen.Instructions / 2);
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

TEST_F(WholeInstructionTest, RunsTheInstructionInOneCallWithEachAccessInItsClock) {
    Cpu.Y = 0x01;
    Poke(0x0080, {0xFF, 0x30});
    Mem.Image[0x3100] = 0x5A;
    Place(0x2000, {0xB1, 0x80});  // LDA ($80),Y crosses into $3100
    EXPECT_EQ(Cpu.RunInstruction<false>(8), 6u);
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(Cpu.PC, 0x2002);
    EXPECT_EQ(Cpu.A, 0x5A);
    const std::vector<TBusAccess> expected = {{0x2000, 0xB1, false, 1}, {0x2001, 0x80, false, 2},
                                              {0x0080, 0xFF, false, 3}, {0x0081, 0x30, false, 4},
                                              {0x3100, 0x5A, false, 6}};
    EXPECT_EQ(Mem.AccessLog, expected);
}

TEST_F(WholeInstructionTest, AnInstructionThatMayNotFitTheBudgetStopsAfterItsFetch) {
    Cpu.X = 0x01;
    Place(0x2000, {0xBD, 0x00, 0x30});  // LDA $3000,X: 4 clocks here, 5 at most
    EXPECT_EQ(Cpu.RunInstruction<false>(4), 1u);
    EXPECT_EQ(Cpu.Cycle, 2u);
    EXPECT_EQ(Finish(), 3);
    Place(0x2000, {0xBD, 0x00, 0x30});
    EXPECT_EQ(Cpu.RunInstruction<false>(5), 4u);
}

TEST_F(WholeInstructionTest, ADecodedAccessEndsTheCallAfterItsClock) {
    Poke(0xFD30, {0x00});
    Place(0x2000, {0xEE, 0x30, 0xFD, 0xA5, 0x01});  // INC $FD30 (the keyboard latch); LDA $01
    EXPECT_EQ(Cpu.RunInstruction<false>(8), 4u);    // the read of $FD30
    EXPECT_EQ(Cpu.Cycle, 5u);
    EXPECT_EQ(Finish(), 2);
    EXPECT_EQ(Cpu.RunInstruction<false>(8), 3u);    // the port
    EXPECT_EQ(Cpu.Cycle, 1u);
    Place(0xFF40, {0xEA});  // page $FF always takes the decoder, ROM or not
    EXPECT_EQ(Cpu.RunInstruction<false>(8), 1u);
    EXPECT_EQ(Cpu.Cycle, 2u);
}

TEST_F(WholeInstructionTest, BeforeWritesStopsAheadOfTheFirstClockThatChangesMemory) {
    Cpu.A = 0x77;
    Cpu.SP = 0xF0;
    Place(0x2000, {0x8D, 0x00, 0x30, 0x20, 0x00, 0x40});  // STA $3000; JSR $4000
    EXPECT_EQ(Cpu.RunInstruction<true>(8), 3u);
    EXPECT_EQ(Mem.Image[0x3000], 0x00);
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(Mem.Image[0x3000], 0x77);
    EXPECT_EQ(Cpu.RunInstruction<true>(8), 3u);  // the pushes are in clocks 4 and 5
    EXPECT_EQ(Stack(0xF0), 0x00);
    EXPECT_EQ(Finish(), 3);
    EXPECT_EQ(Stack(0xF0), 0x20);
    EXPECT_EQ(Cpu.PC, 0x4000);
}

TEST_F(WholeInstructionTest, IllegalOpcodesAreLeftToTheMicroCodeWhichReportsThem) {
    Place(0x2000, {0x03});
    EXPECT_EQ(Cpu.RunInstruction<false>(100), 1u);
    EXPECT_TRUE(Host.Events.empty());
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(Host.Events.front(), "status:Illegal opcode!");
}

}  // namespace
