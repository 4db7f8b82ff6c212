// Power-on, reset, the IRQ input as the chip samples it, the 7-clock entry, BRK/RTI/PHP/PLP
// status bits, jams, undocumented opcodes in the log and as a stop, breakpoints.
#include "cpu_test_support.h"

namespace {

const std::string BreakpointStatus = "status:A breakpoint has been reached.";

// Main program: NOPs from $2000; IRQ handler: NOPs from $4000.
class InterruptTest : public CpuTest {
protected:
    InterruptTest() {
        for (int a = 0x2000; a < 0x2200; ++a) Mem.Image[a] = 0xEA;
        for (int a = 0x4000; a < 0x4100; ++a) Mem.Image[a] = 0xEA;
        Poke(0xFFFE, {0x00, 0x40});
        Cpu.SP = 0xF0;
        Cpu.PC = 0x2000;
    }

    // Clocks until the boundary at which the handler's first opcode is fetched next.
    int ClocksUntilHandler(int limit = 100) {
        for (int clock = 1; clock <= limit; ++clock) {
            Cpu.Step();
            if (Cpu.Cycle == 1 && Cpu.PC == 0x4000) return clock;
        }
        return -1;
    }
    // The return address the last entry pushed, above the status byte.
    uint16_t PushedPC() const { return uint16_t(Stack(uint8_t(Cpu.SP + 3)) << 8 | Stack(uint8_t(Cpu.SP + 2))); }

    void Steps(int count) {
        for (int i = 0; i < count; ++i) Cpu.Step();
    }
};

TEST_F(InterruptTest, PowerOnClearsRegistersWithoutBusAccessAndKeepsBreakpoints) {
    Cpu.A = Cpu.X = Cpu.Y = 0x55;
    Cpu.PC = 0x1234;
    Cpu.SP = 0x10;
    Cpu.N = Cpu.V = Cpu.B = Cpu.D = Cpu.I = Cpu.Z = Cpu.C = 1;
    Cpu.Cycle = 4;
    Cpu.IrqLine = Cpu.IrqSample = Cpu.InterruptDue = Cpu.InterruptEntry = 1;
    Cpu.Breakpoints[0] = 0xBEEF;
    Cpu.BreakpointCount = 1;
    Mem.AccessLog.clear();
    Cpu.PowerOn();
    EXPECT_TRUE(Mem.AccessLog.empty());
    EXPECT_EQ(Cpu.PC, 0);
    EXPECT_EQ(Cpu.A | Cpu.X | Cpu.Y, 0);
    EXPECT_EQ(Cpu.SP, 0xFF);
    EXPECT_EQ(Cpu.N | Cpu.V | Cpu.B | Cpu.D | Cpu.I | Cpu.Z | Cpu.C, 0);
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(Cpu.IrqLine | Cpu.IrqSample | Cpu.InterruptDue | Cpu.InterruptEntry, 0);
    EXPECT_EQ(Cpu.BreakpointCount, 1);
    EXPECT_EQ(Cpu.Breakpoints[0], 0xBEEF);
}

// The reset pushes bit 5 set, as every status byte the chip pushes has it.
TEST_F(InterruptTest, ResetPushesAndJumpsThroughTheVectorLeavingIAndTheLineAlone) {
    Cpu.PowerOn();
    Poke(0xFFFC, {0x00, 0xF0});
    Mem.Image[0xF000] = 0xEA;
    Mem.AccessLog.clear();
    Cpu.Reset();
    EXPECT_EQ(Mem.AccessLog, std::vector<TBusAccess>({W(0x01FF, 0x00), W(0x01FE, 0x00), W(0x01FD, 0x20),
                                                      R(0xFFFC, 0x00), R(0xFFFD, 0xF0)}));
    EXPECT_EQ(Cpu.PC, 0xF000);
    EXPECT_EQ(Cpu.SP, 0xFC);
    EXPECT_EQ(Cpu.I, 0);
    EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0xF000, 0xEA)}));

    Cpu.PC = 0x1234;
    Cpu.SP = 0xF0;
    Cpu.N = Cpu.C = Cpu.B = 1;
    Cpu.IrqLine = 1;
    Cpu.Reset();
    EXPECT_EQ(Stack(0xF0), 0x12);
    EXPECT_EQ(Stack(0xEF), 0x34);
    EXPECT_EQ(Stack(0xEE), 0xA1) << "bit 5 set, bit 4 clear";
    EXPECT_EQ(Cpu.I, 0);
    EXPECT_EQ(Cpu.IrqLine, 1);
}

TEST_F(InterruptTest, ResetInTheMiddleOfAnInstructionOrTheEntryAbandonsIt) {
    Poke(0xFFFC, {0x00, 0xF0});
    Mem.Image[0xF000] = 0xA9;
    Mem.Image[0x3080] = 0x01;
    Place(0x2000, {0x0E, 0x80, 0x30});  // ASL $3080
    Steps(4);
    Cpu.Reset();
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0xF000, 0xA9)}));
    EXPECT_EQ(Mem.Image[0x3080], 0x01);

    Place(0x2000, {0xEA});
    Cpu.I = 0;
    Cpu.RaiseIrq();
    Steps(4);  // the NOP, then two clocks of the entry
    ASSERT_NE(Cpu.InterruptEntry, 0);
    Cpu.Reset();
    EXPECT_EQ(Cpu.InterruptEntry | Cpu.InterruptDue, 0);
    EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0xF000, 0xA9)}));
}

// Recognised at the boundary after the instruction whose last clock began with the line up:
// the opcode there is read and dropped, BRK's sequence follows with PC kept and B clear, and
// the handler's first fetch comes 7 clocks after that boundary.
TEST_F(InterruptTest, TheEntryTakesSevenClocksWithTwoDummyReadsThreePushesAndTheVector) {
    Cpu.N = Cpu.C = 1;
    Cpu.RaiseIrq();
    Steps(2);  // one NOP, its last clock sampling the line
    EXPECT_EQ(Cpu.InterruptDue, 1);
    const TClockTrace expected = {{R(0x2001, 0xEA)}, {R(0x2001, 0xEA)}, {W(0x01F0, 0x20)}, {W(0x01EF, 0x01)},
                                  {W(0x01EE, 0xA1)}, {R(0xFFFE, 0x00)}, {R(0xFFFF, 0x40)}};
    EXPECT_EQ(TraceInstruction(), expected);
    EXPECT_EQ(Cpu.PC, 0x4000);
    EXPECT_EQ(Cpu.SP, 0xED);
    EXPECT_NE(Cpu.I, 0);
    EXPECT_EQ(Cpu.InterruptEntry | Cpu.InterruptDue, 0);
    EXPECT_TRUE(Cpu.AtOpcodeFetch());
}

// The cases the chip's timing is known by: the pushed return address names the instruction the
// entry followed.
TEST_F(InterruptTest, TheSampleOfTheLastClockDecidesWhichInstructionTheEntryFollows) {
    struct TCase {
        const char* Name;
        uint16_t Start;
        std::vector<uint8_t> Program;
        bool IMasked;
        int RaiseAfterClocks;
        uint16_t Pushed;
    };
    const TCase cases[] = {
        {"NOP, line up from the start", 0x2000, {0xEA}, false, 0, 0x2001},
        {"NOP, line up in its last clock", 0x2000, {0xEA}, false, 1, 0x2001},
        {"NOP, line up after it", 0x2000, {0xEA}, false, 2, 0x2002},
        {"LDA abs, line up in its last clock", 0x2000, {0xAD, 0x00, 0x30}, false, 3, 0x2003},
        {"LDA abs, line up after it", 0x2000, {0xAD, 0x00, 0x30}, false, 4, 0x2004},
        {"CLI lets it in after the next instruction", 0x2000, {0x58}, true, 0, 0x2002},
        {"SEI still lets a pending one in", 0x2000, {0x78}, false, 0, 0x2001},
        {"PLP clearing I acts after the next instruction", 0x2000, {0x28}, true, 0, 0x2002},
        {"a branch not taken", 0x2000, {0xD0, 0x02}, false, 1, 0x2002},
        {"a taken branch in its page, line up in clock 2", 0x2000, {0xF0, 0x02}, false, 1, 0x2004},
        {"a taken branch in its page, line up in clock 3", 0x2000, {0xF0, 0x02}, false, 2, 0x2005},
        {"a taken branch to another page, line up in clock 4", 0x20F0, {0xF0, 0x10}, false, 3, 0x2102},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        Cpu.PowerOn();
        Cpu.SP = 0xF0;
        Cpu.Z = 1;  // BEQ is taken, BNE not
        Cpu.I = test.IMasked;
        Mem.Image[0x01F1] = 0x20;  // what PLP pulls: I clear
        for (size_t i = 0; i < test.Program.size(); ++i) Mem.Image[test.Start + i] = test.Program[i];
        Cpu.PC = test.Start;
        Steps(test.RaiseAfterClocks);
        Cpu.RaiseIrq();
        ASSERT_GT(ClocksUntilHandler(), 0);
        EXPECT_EQ(PushedPC(), test.Pushed);
        // Restore the NOPs for the next case.
        for (size_t i = 0; i < test.Program.size(); ++i) Mem.Image[test.Start + i] = 0xEA;
    }
    Cpu.PowerOn();
    Cpu.SP = 0xF0;
    Mem.Image[0x2000] = 0x78;  // SEI: the entry pushes the I it set
    Cpu.PC = 0x2000;
    Cpu.RaiseIrq();
    ClocksUntilHandler();
    EXPECT_EQ(Stack(0xEE), 0x24);
    Mem.Image[0x2000] = 0xEA;
}

TEST_F(InterruptTest, AnUnacknowledgedRequestIsTakenAgainRightAfterRtiAndNotOnceAcknowledged) {
    Mem.Image[0x4000] = 0x40;  // RTI
    Cpu.RaiseIrq();
    EXPECT_EQ(ClocksUntilHandler(), 9);  // NOP, the entry
    Steps(6);                            // RTI restores I clear in its fourth clock
    EXPECT_EQ(Cpu.PC, 0x2001);
    EXPECT_EQ(Cpu.InterruptDue, 1);
    EXPECT_EQ(ClocksUntilHandler(), 7);
    EXPECT_EQ(PushedPC(), 0x2001) << "no instruction ran in between";

    Steps(5);
    Cpu.ClearIrq();  // acknowledged before RTI's last clock
    EXPECT_EQ(ClocksUntilHandler(40), -1);
}

TEST_F(InterruptTest, WithIMaskedOrTheLineLowNothingIsTaken) {
    Cpu.I = 1;
    Cpu.RaiseIrq();
    EXPECT_EQ(ClocksUntilHandler(30), -1);
    Cpu.I = 0;
    Cpu.ClearIrq();
    EXPECT_EQ(ClocksUntilHandler(30), -1);
}

TEST_F(InterruptTest, BrkPushesPcPlusTwoWithBits5And4AndTheIFromBefore) {
    Cpu.N = Cpu.C = Cpu.B = 1;
    Place(0x2000, {0x00, 0xFF});
    EXPECT_EQ(RunInstruction(), 7);
    EXPECT_EQ(Cpu.PC, 0x4000);
    EXPECT_EQ(PushedPC(), 0x2002);
    EXPECT_EQ(Stack(0xEE), 0xB1);
    EXPECT_NE(Cpu.I, 0);
    EXPECT_EQ(Cpu.B, 0);

    Mem.Image[0x4000] = 0x40;  // RTI restores I clear and B set from the pushed byte
    EXPECT_EQ(RunInstruction(), 6);
    EXPECT_EQ(Cpu.PC, 0x2002);
    EXPECT_EQ(Cpu.SP, 0xF0);
    EXPECT_EQ(Cpu.I, 0);
    EXPECT_NE(Cpu.B, 0);
    EXPECT_TRUE(Cpu.N && Cpu.C && !Cpu.V && !Cpu.Z && !Cpu.D);

    Cpu.I = 1;
    Place(0x2000, {0x00, 0xFF});
    RunInstruction();
    EXPECT_EQ(Stack(0xEE), 0xB5);
}

TEST_F(InterruptTest, PhpPushesBits5And4SetPlpRestoresAllButBAndRtiRestoresBToo) {
    Cpu.N = Cpu.V = Cpu.B = Cpu.D = Cpu.I = Cpu.Z = Cpu.C = 1;
    Place(0x2000, {0x08});
    RunInstruction();
    EXPECT_EQ(Stack(0xF0), 0xFF);
    Cpu.N = Cpu.V = Cpu.B = Cpu.D = Cpu.I = Cpu.Z = Cpu.C = 0;
    Place(0x2000, {0x08});
    RunInstruction();
    EXPECT_EQ(Stack(0xEF), 0x30);

    Cpu.SP = 0xF0;
    Mem.Image[0x01F1] = 0xFF;
    Place(0x2000, {0x28});
    Cpu.B = 1;
    RunInstruction();
    EXPECT_TRUE(Cpu.N && Cpu.V && Cpu.D && Cpu.I && Cpu.Z && Cpu.C);
    EXPECT_EQ(Cpu.B, 0);
    EXPECT_EQ(Cpu.SP, 0xF1);

    Poke(0x01F2, {0xFF, 0x34, 0x12});
    Place(0x2000, {0x40});
    RunInstruction();
    EXPECT_TRUE(Cpu.N && Cpu.V && Cpu.B && Cpu.D && Cpu.I && Cpu.Z && Cpu.C);
    EXPECT_EQ(Cpu.PC, 0x1234);
    EXPECT_EQ(Cpu.SP, 0xF4);
}

TEST_F(InterruptTest, JamRefetchesItselfForEverWithInterruptsMasked) {
    Place(0x2000, {0x02});
    Cpu.RaiseIrq();
    for (int repeat = 0; repeat < 50; ++repeat) {
        EXPECT_EQ(RunInstruction(), 2);
        EXPECT_EQ(Cpu.PC, 0x2000);
        EXPECT_NE(Cpu.I, 0);
    }
    Poke(0xFFFC, {0x00, 0x30});
    Cpu.Reset();
    EXPECT_EQ(Cpu.PC, 0x3000);
}

// Undocumented opcodes run. The log notes the first met at each address; with the debugger's
// option on, the processor stops before one with the report an illegal opcode used to give.
TEST_F(InterruptTest, UndocumentedOpcodesRunAndAreNotedOnceOrStoppedAt) {
    Place(0x2000, {0xA7, 0x80, 0x4C, 0x00, 0x20});  // LAX $80; JMP $2000
    Mem.Image[0x80] = 0x5A;
    for (int i = 0; i < 5; ++i) RunInstruction();
    EXPECT_EQ(Cpu.A, 0x5A);
    EXPECT_EQ(Cpu.X, 0x5A);
    EXPECT_EQ(Host.Events, std::vector<std::string>({"log:Undocumented opcode A7 (LDT) at 2000"}));

    Host.Events.clear();
    Cpu.StopOnUndocumented = true;
    Cpu.A = 0;
    RunInstruction();  // the JMP back, which ends at the LAX
    EXPECT_EQ(Host.Events, std::vector<std::string>({"breakpoint", "status:Illegal opcode!",
                                                     "log:Illegal opcode at PC:2000 ", "log:Opcode: A7"}));
    EXPECT_EQ(Cpu.PC, 0x2000);
    EXPECT_EQ(Cpu.A, 0) << "it has not run";
}

TEST_F(InterruptTest, TheUndocumentedLogHasALimit) {
    for (int a = 0x2000; a < 0x2200; ++a) Mem.Image[a] = 0x1A;  // NOP, undocumented
    for (int i = 0; i < 0x200; ++i) RunInstruction();
    ASSERT_EQ(Host.Events.size(), size_t(TCPU::UndocumentedLogLimit + 1));
    EXPECT_EQ(Host.Events.back(), "log:More undocumented opcodes are not logged.");
}

TEST(CpuWithoutHost, ReportsAndBreakpointsNeedNoHost) {
    TMemory mem(2);
    TCPU cpu;
    cpu.SetMemory(&mem);
    cpu.PowerOn();
    mem.Image[0x2000] = 0x03;
    cpu.PC = 0x2000;
    cpu.Breakpoints[0] = 0x2002;
    cpu.BreakpointCount = 1;
    cpu.SetHost(nullptr);
    cpu.StopOnUndocumented = true;
    for (int i = 0; i < 10; ++i) cpu.Step();
    EXPECT_NE(cpu.PC, 0x2000);
}

TEST_F(InterruptTest, BreakpointStopsBeforeTheInstructionAtItsAddressRuns) {
    Place(0x2000, {0xA9, 0x01, 0xA9, 0x02});
    Cpu.Breakpoints[0] = 0x2002;
    Cpu.BreakpointCount = 1;
    Cpu.Step();
    EXPECT_TRUE(Host.Events.empty());
    Cpu.Step();
    EXPECT_EQ(Host.Events, std::vector<std::string>({"breakpoint", BreakpointStatus}));
    EXPECT_EQ(Cpu.A, 0x01);
    EXPECT_EQ(Cpu.PC, 0x2002);
    EXPECT_EQ(Cpu.Cycle, 1u);
}

TEST_F(InterruptTest, BreakpointIsCheckedOnlyAtInstructionBoundaries) {
    Place(0x2000, {0xAD, 0x80, 0x30});  // PC passes $2001 and $2002 inside the instruction
    Cpu.Breakpoints[0] = 0x2001;
    Cpu.Breakpoints[1] = 0x2002;
    Cpu.BreakpointCount = 2;
    RunInstruction();
    EXPECT_TRUE(Host.Events.empty());
}

TEST_F(InterruptTest, BreakpointsCountOnlyUpToBreakpointCount) {
    Place(0x2000, {0xEA});
    Cpu.Breakpoints[0] = 0x2001;
    Cpu.BreakpointCount = 0;
    RunInstruction();
    EXPECT_TRUE(Host.Events.empty());

    for (int i = 0; i < TCPU::MaxBreakpoints; ++i) Cpu.Breakpoints[i] = uint16_t(0x3000 + i);
    Cpu.Breakpoints[15] = 0x2001;
    Cpu.BreakpointCount = 15;
    Place(0x2000, {0xEA});
    RunInstruction();
    EXPECT_TRUE(Host.Events.empty());
    Cpu.BreakpointCount = 16;
    Place(0x2000, {0xEA});
    RunInstruction();
    EXPECT_EQ(Host.Events, std::vector<std::string>({"breakpoint", BreakpointStatus}));
}

TEST_F(InterruptTest, ADuplicateOrOutOfRangeListReportsOneHitAndStaysInBounds) {
    Cpu.Breakpoints[0] = Cpu.Breakpoints[1] = 0x2001;
    Cpu.BreakpointCount = 2;
    RunInstruction();
    EXPECT_EQ(Host.Events.size(), 2u);

    Host.Events.clear();
    Cpu.Breakpoints[0] = Cpu.Breakpoints[1] = 0x1000;
    Cpu.Breakpoints[15] = 0x2002;
    Cpu.BreakpointCount = 1000;
    RunInstruction();
    EXPECT_EQ(Host.Events.size(), 2u);

    Host.Events.clear();
    Cpu.BreakpointCount = -1;
    RunInstruction();
    EXPECT_TRUE(Host.Events.empty());
}

// The boundary before the entry reports the instruction it pre-empts; the entry ends at a
// boundary of its own, which reports the handler's first instruction.
TEST_F(InterruptTest, BothThePreemptedInstructionAndTheHandlersFirstAreReported) {
    Cpu.Breakpoints[0] = 0x4000;
    Cpu.Breakpoints[1] = 0x2001;
    Cpu.BreakpointCount = 2;
    Cpu.RaiseIrq();
    Steps(2);
    EXPECT_EQ(Host.Events, std::vector<std::string>({"breakpoint", BreakpointStatus}));
    EXPECT_EQ(ClocksUntilHandler(), 7);
    EXPECT_EQ(Host.Events.size(), 4u);
    EXPECT_EQ(PushedPC(), 0x2001);
}

}  // namespace

// The micro-step table holds clocks 0-15 of each opcode; a clock number past every sequence
// (only a debugger can set one) ends the instruction with a read of the next byte, so the
// processor goes on, and never wraps onto a real clock of the table.
TEST_F(CpuTest, AClockNumberPastEverySequenceEndsTheInstruction) {
    for (uint32_t cycle : {0u, 9u, 15u, 16u, 40u}) {
        Place(0x0400, {0xAD, 0x00, 0x20});  // LDA $2000
        Cpu.Opcode = 0xAD;
        Cpu.A = 0x11;
        Cpu.Cycle = cycle;
        EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0x0400, 0xAD)})) << "clock " << cycle;
        EXPECT_EQ(Cpu.Cycle, 1u);
        EXPECT_EQ(Cpu.A, 0x11);
    }
}
