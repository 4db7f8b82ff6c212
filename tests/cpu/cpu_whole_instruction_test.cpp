// The whole-instruction path (RunInstruction) against the micro-code: a bounded randomized run
// over all 256 opcodes, and the points where the path hands an instruction back to the
// micro-code.
#include "../../bench/cpu_differential.h"
#include "cpu_test_support.h"

#include <utility>

namespace {

TEST(WholeInstructionDifferential, RandomProgramsMatchTheMicroCodeClockForClock) {
    Differential::TChecker checker(20240613);
    EXPECT_EQ(checker.Run(3000, 24), "");
    const Differential::TStatistics& seen = checker.Statistics;
    EXPECT_GT(seen.WholeClocks, seen.Clocks / 2);
    EXPECT_GT(seen.InterruptEntries, 100u) << "the cases with the line up take interrupts";
    // The path takes every instruction whole, however long it runs, and the announced clocks
    // start at its first write, no later.
    for (int opcode = 0; opcode < 256; ++opcode) {
        const uint32_t most = seen.MostClocks[opcode];
        ASSERT_GT(most, 0u) << "opcode " << opcode << " never met";
        EXPECT_EQ(TCPU::WholeInstructionClocks(uint8_t(opcode)), most) << "opcode " << opcode;
        EXPECT_EQ(TCPU::FirstWriteClock(uint8_t(opcode)), seen.FirstWrite[opcode]) << "opcode " << opcode;
    }
}

// BIT $01 and a branch back: a tape loader waiting for an edge, whose turns the path takes at
// once while the port holds. Against the micro-code, clock for clock, with every access logged:
// BEQ and BNE, budgets that end inside a turn, and a loop across a page end (taken clock by clock).
TEST(WholeInstructionPortWait, TurnsTakenAtOnceMatchTheMicroCode) {
    for (const uint16_t origin : {uint16_t(0x2000), uint16_t(0x20FD)}) {
        for (const uint8_t branch : {uint8_t(0xF0), uint8_t(0xD0)}) {
            for (const uint32_t budget : {5u, 6u, 47u, 300u}) {
                Differential::TSide whole, micro;
                for (Differential::TSide* side : {&whole, &micro}) {
                    const uint8_t loop[] = {0x24, 0x01, branch, 0xFC};
                    for (int i = 0; i < 4; ++i) side->Memory.Image[uint16_t(origin + i)] = loop[i];
                    side->Cpu.PC = origin;
                    side->Cpu.A = branch == 0xF0 ? 0x10 : 0x40;  // the level bit is low: both loop
                    side->Cpu.I = 1;
                }
                uint32_t clocks = whole.Cpu.RunInstructions(budget);
                while (whole.Cpu.Cycle != 1) {
                    whole.Cpu.StepQuiet();
                    ++clocks;
                }
                for (uint32_t clock = 0; clock < clocks; ++clock) micro.Cpu.Step();
                const std::string at = "origin " + std::to_string(origin) + " branch " + std::to_string(branch) +
                                       " budget " + std::to_string(budget);
                EXPECT_EQ(whole.Memory.AccessLog, micro.Memory.AccessLog) << at;
                EXPECT_EQ(Differential::Registers(whole.Cpu), Differential::Registers(micro.Cpu)) << at;
                EXPECT_GE(clocks, budget) << at;
            }
        }
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
    EXPECT_EQ(Cpu.RunInstructions(8), 8u);
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(Cpu.PC, 0x2003);
    EXPECT_EQ(Cpu.A, 0x5A);
    const std::vector<TBusAccess> expected = {{0x2000, 0xB1, false, 1}, {0x2001, 0x80, false, 2},
                                              {0x0080, 0xFF, false, 3}, {0x0081, 0x30, false, 4},
                                              {0x3000, 0x00, false, 5}, {0x3100, 0x5A, false, 6},
                                              {0x2002, 0xE8, false, 1}, {0x2003, 0x00, false, 2}};
    EXPECT_EQ(Mem.AccessLog, expected);
}

TEST_F(WholeInstructionTest, TheBudgetCanEndTheCallInsideAnInstruction) {
    Cpu.X = 0x01;
    Place(0x2000, {0xBD, 0x00, 0x30, 0xEA});  // LDA $3000,X: 4 clocks; NOP
    EXPECT_EQ(Cpu.RunInstructions(3), 3u);
    EXPECT_EQ(Cpu.Cycle, 4u);
    EXPECT_EQ(Finish(), 1);
    Place(0x2000, {0xBD, 0x00, 0x30, 0xEA});
    EXPECT_EQ(Cpu.RunInstructions(5), 5u);  // and the NOP's fetch
    EXPECT_EQ(Cpu.Opcode, 0xEA);
    EXPECT_EQ(Cpu.Cycle, 2u);
}

TEST_F(WholeInstructionTest, ADecodedWriteEndsTheCallAfterItsClockAndADecodedReadDoesNot) {
    Poke(0xFD30, {0x00});
    Place(0x2000, {0xEE, 0x30, 0xFD});  // INC $FD30 (the keyboard select latch)
    EXPECT_EQ(Cpu.RunInstructions(40), 5u);  // its read in clock 4, its first write in 5
    EXPECT_EQ(Cpu.Cycle, 6u);
    EXPECT_EQ(Finish(), 1);
    Place(0x2000, {0xA5, 0x01, 0xEA, 0x8D, 0x3F, 0xFF, 0xEA});  // LDA $01 (the port); NOP; STA $FF3F; NOP
    EXPECT_EQ(Cpu.RunInstructions(40), 9u);
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(Cpu.PC, 0x2006);
    EXPECT_EQ(Mem.RomEnabled(), 0);
}

// The frame loop's window runs draw each cell from memory as it is after that cell's clock.
TEST_F(WholeInstructionTest, EveryClockThatMayChangeMemoryIsAnnouncedBeforeIt) {
    struct TWitness {
        TMemory* Memory;
        std::vector<std::pair<uint32_t, uint8_t>> Seen;  // clocks before, then $3000 and the stack byte
    } witness{&Mem, {}};
    auto note = [](void* context, uint32_t clocksBefore) {
        auto* w = static_cast<TWitness*>(context);
        w->Seen.push_back({clocksBefore, uint8_t(w->Memory->Image[0x3000] + w->Memory->Image[0x01F0])});
    };
    Cpu.A = 0x77;
    Cpu.SP = 0xF0;
    Place(0x2000, {0xEA, 0x8D, 0x00, 0x30, 0x20, 0x00, 0x40});  // NOP; STA $3000; JSR $4000
    EXPECT_EQ(Cpu.RunInstructions(12, note, &witness), 12u);
    // STA writes in its clock 4, JSR pushes in its clocks 4 and 5: each announced before it.
    const std::vector<std::pair<uint32_t, uint8_t>> expected = {{5, 0x00}, {9, 0x77}, {10, 0x77 + 0x20}};
    EXPECT_EQ(witness.Seen, expected);
    EXPECT_EQ(Cpu.PC, 0x4000);
}

// Where the caller watches only part of RAM, only the writes into it are announced; the
// ranges wrap at 64 KB.
TEST_F(WholeInstructionTest, OnlyWritesIntoTheWatchAreAnnounced) {
    std::vector<uint32_t> seen;
    auto note = [](void* context, uint32_t clocksBefore) {
        static_cast<std::vector<uint32_t>*>(context)->push_back(clocksBefore);
    };
    Cpu.A = 0x77;
    Cpu.X = 0x02;
    Cpu.SP = 0xF0;
    // STA $3000; STA $3001; INC $12,X; JSR $4000 (pushes to $01F0 and $01EF)
    Place(0x2000, {0x8D, 0x00, 0x30, 0x8D, 0x01, 0x30, 0xF6, 0x10, 0x20, 0x00, 0x40});
    const TWriteWatch watch{{0x3001, 0x01EF, 0xFFFE}, {1, 1, 0x17}};  // the last from $FFFE to $0014
    EXPECT_EQ(Cpu.RunInstructions(20, note, &seen, watch), 20u);
    // STA $3001 writes in clock 8, INC $14 in 13 and 14; JSR's second push is in clock 19.
    EXPECT_EQ(seen, (std::vector<uint32_t>{7, 12, 13, 18}));
    EXPECT_EQ(Mem.Image[0x3000], 0x77);
    EXPECT_EQ(Cpu.PC, 0x4000);

    seen.clear();
    Cpu.PC = 0x2000;
    EXPECT_EQ(Cpu.RunInstructions(8, note, &seen, TWriteWatch::Nothing()), 8u);
    EXPECT_TRUE(seen.empty());
}

TEST_F(WholeInstructionTest, StopsAtABreakpointWithoutReportingIt) {
    Place(0x2000, {0xEA, 0xEA, 0xEA, 0xEA});
    Cpu.Breakpoints[0] = 0x2002;
    Cpu.BreakpointCount = 1;
    EXPECT_EQ(Cpu.RunInstructions(40), 4u);
    EXPECT_EQ(Cpu.PC, 0x2002);
    EXPECT_TRUE(Cpu.AtBreakpoint());
    EXPECT_TRUE(Host.Events.empty());
}

TEST_F(WholeInstructionTest, UndocumentedOpcodesRunWholeAndAreNotedOncePerAddress) {
    Place(0x2000, {0xA7, 0x80, 0x02});  // LAX $80; a jam, fetched again and again
    EXPECT_EQ(Cpu.RunInstructions(10), 10u);
    EXPECT_EQ(Cpu.PC, 0x2003);
    EXPECT_EQ(Cpu.Cycle, 2u);
    EXPECT_EQ(Host.Events, std::vector<std::string>({"log:Undocumented opcode A7 (LDT) at 2000",
                                                     "log:Undocumented opcode 02 (ABS) at 2002"}));
}

}  // namespace
