// Power-on, reset, the IRQ input and its delay, BRK/RTI/PHP/PLP status bits, jam and illegal
// opcodes, breakpoints.
#include "cpu_test_support.h"

namespace {

const std::string BreakpointStatus = "status:A breakpoint has been reached.";

// Main program: NOPs from $2000; IRQ handler: NOPs from $4000.
class InterruptTest : public CpuTest {
protected:
    InterruptTest() {
        for (int a = 0x2000; a < 0x2100; ++a) Mem.Image[a] = 0xEA;
        for (int a = 0x4000; a < 0x4100; ++a) Mem.Image[a] = 0xEA;
        Poke(0xFFFE, {0x00, 0x40});
        Cpu.SP = 0xF0;
        Cpu.PC = 0x2000;
    }

    bool InHandler() const { return Cpu.PC >= 0x4000 && Cpu.PC < 0x4100; }

    // Clocks until the one that performs the interrupt entry (counting that one).
    int ClocksUntilEntry(int limit = 100) {
        for (int clock = 1; clock <= limit; ++clock) {
            Cpu.Step();
            if (InHandler()) return clock;
        }
        return -1;
    }

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
    Cpu.IrqLine = 1;
    Cpu.IrqDelay = 2;
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
    EXPECT_EQ(Cpu.IrqLine, 0);
    EXPECT_EQ(Cpu.IrqDelay, 7);
    EXPECT_EQ(Cpu.BreakpointCount, 1);
    EXPECT_EQ(Cpu.Breakpoints[0], 0xBEEF);
}

TEST_F(InterruptTest, ResetAfterPowerOnPushesAndJumpsThroughTheVector) {
    Cpu.PowerOn();
    Poke(0xFFFC, {0x00, 0xF0});
    Mem.Image[0xF000] = 0xEA;
    Mem.AccessLog.clear();
    Cpu.Reset();
    EXPECT_EQ(Mem.AccessLog, std::vector<TBusAccess>({R(0xFFFC, 0x00), R(0xFFFD, 0xF0)}));
    EXPECT_EQ(Cpu.PC, 0xF000);
    EXPECT_EQ(Cpu.SP, 0xFC);
    EXPECT_EQ(Mem.Image[0x01FF], 0x00);
    EXPECT_EQ(Mem.Image[0x01FE], 0x00);
    EXPECT_EQ(Mem.Image[0x01FD], 0x00);
    EXPECT_EQ(Cpu.I, 0);
    EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0xF000, 0xEA)}));
}

TEST_F(InterruptTest, ResetLeavesIAndTheIrqStateAlone) {
    Poke(0xFFFC, {0x00, 0xF0});
    Cpu.PC = 0x1234;
    Cpu.N = Cpu.C = Cpu.B = 1;
    Cpu.IrqLine = 1;
    Cpu.IrqDelay = 3;
    Cpu.Reset();
    EXPECT_EQ(Stack(0xF0), 0x12);
    EXPECT_EQ(Stack(0xEF), 0x34);
    EXPECT_EQ(Stack(0xEE), 0x81) << "bits 5 and 4 clear";
    EXPECT_EQ(Cpu.I, 0);
    EXPECT_EQ(Cpu.IrqLine, 1);
    EXPECT_EQ(Cpu.IrqDelay, 3);
}

TEST_F(InterruptTest, ResetInTheMiddleOfAnInstructionAbandonsIt) {
    Poke(0xFFFC, {0x00, 0xF0});
    Mem.Image[0xF000] = 0xA9;
    Mem.Image[0x3080] = 0x01;
    Place(0x2000, {0x0E, 0x80, 0x30});  // ASL $3080
    Steps(4);
    Cpu.Reset();
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0xF000, 0xA9)}));
    EXPECT_EQ(Mem.Image[0x3080], 0x01);
}

TEST_F(InterruptTest, EntryFollowsTheSeventhClockOfAssertionAtTheNextBoundary) {
    Cpu.N = Cpu.C = 1;
    Cpu.RaiseIrq();
    Steps(8);  // clock 8 is the second clock of a NOP
    EXPECT_EQ(Cpu.IrqDelay, 0);
    EXPECT_EQ(Cpu.PC, 0x2004);
    EXPECT_EQ(Cpu.SP, 0xF0);
    // The entry and the handler's first fetch share clock 9.
    EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0xFFFE, 0x00), R(0xFFFF, 0x40), R(0x4000, 0xEA)}));
    EXPECT_EQ(Cpu.PC, 0x4001);
    EXPECT_EQ(Cpu.Cycle, 2u);
    EXPECT_EQ(Stack(0xF0), 0x20);
    EXPECT_EQ(Stack(0xEF), 0x04);
    EXPECT_EQ(Stack(0xEE), 0x81) << "bits 5 and 4 clear, I clear";
    EXPECT_EQ(Cpu.SP, 0xED);
    EXPECT_NE(Cpu.I, 0);
    EXPECT_EQ(Cpu.IrqDelay, 7);
}

TEST_F(InterruptTest, DelayCountsOnlyWithIClearAndCliStartsTheCount) {
    Cpu.I = 1;
    Mem.Image[0x2005] = 0x58;  // CLI after five NOPs
    Cpu.RaiseIrq();
    Steps(10);
    EXPECT_EQ(Cpu.IrqDelay, 7);
    Steps(2);  // CLI clears I in its second clock, after that clock's check
    EXPECT_EQ(Cpu.IrqDelay, 7);
    EXPECT_EQ(Cpu.I, 0);
    EXPECT_EQ(ClocksUntilEntry(), 9);
}

TEST_F(InterruptTest, DroppingTheLineKeepsTheDelayCount) {
    Cpu.RaiseIrq();
    Steps(3);
    Cpu.ClearIrq();
    Steps(10);
    EXPECT_EQ(Cpu.IrqDelay, 4);
    EXPECT_FALSE(InHandler());
    Cpu.RaiseIrq();
    Steps(4);
    EXPECT_EQ(Cpu.IrqDelay, 0);
    EXPECT_FALSE(InHandler());
    EXPECT_EQ(ClocksUntilEntry(), 2) << "clock 4 of assertion was a fetch; the boundary comes two clocks later";
}

TEST_F(InterruptTest, DelayRunningOutInsideAnInstructionWaitsForItsEnd) {
    Cpu.X = 0x01;
    Place(0x2000, {0xEA, 0x1E, 0x80, 0x30});  // NOP; ASL $3080,X (7 clocks)
    Mem.Image[0x3081] = 0x01;
    Cpu.RaiseIrq();
    Steps(9);
    EXPECT_FALSE(InHandler());
    EXPECT_EQ(Mem.Image[0x3081], 0x02);
    EXPECT_EQ(ClocksUntilEntry(), 1);
    EXPECT_EQ(Stack(0xEF), 0x04);
}

TEST_F(InterruptTest, AnUnacknowledgedRequestIsTakenAgainAfterRti) {
    Mem.Image[0x4000] = 0x40;  // RTI
    Cpu.RaiseIrq();
    EXPECT_EQ(ClocksUntilEntry(), 9);
    Steps(5);  // rest of RTI
    EXPECT_EQ(Cpu.PC, 0x2004);
    EXPECT_EQ(Cpu.I, 0);
    EXPECT_EQ(Cpu.IrqDelay, 5) << "the last two clocks of RTI already count";
    EXPECT_EQ(ClocksUntilEntry(), 7);
    EXPECT_EQ(Stack(0xEF), 0x07) << "three NOPs ran in between";

    Cpu.ClearIrq();  // acknowledged
    Steps(5);
    EXPECT_EQ(ClocksUntilEntry(40), -1);
}

TEST_F(InterruptTest, BrkPushesPcPlusTwoWithBits5And4AndTheIFromBefore) {
    Cpu.N = Cpu.C = Cpu.B = 1;
    Cpu.IrqDelay = 3;
    Place(0x2000, {0x00, 0xFF});
    EXPECT_EQ(RunInstruction(), 7);
    EXPECT_EQ(Cpu.PC, 0x4000);
    EXPECT_EQ(Stack(0xF0), 0x20);
    EXPECT_EQ(Stack(0xEF), 0x02);
    EXPECT_EQ(Stack(0xEE), 0xB1);
    EXPECT_NE(Cpu.I, 0);
    EXPECT_EQ(Cpu.B, 0);
    EXPECT_EQ(Cpu.IrqDelay, 3);

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

TEST_F(InterruptTest, PhpPushesBit4SetAndBit5Clear) {
    Cpu.N = Cpu.V = Cpu.B = Cpu.D = Cpu.I = Cpu.Z = Cpu.C = 1;
    Place(0x2000, {0x08});
    RunInstruction();
    EXPECT_EQ(Stack(0xF0), 0xDF);
    Cpu.N = Cpu.V = Cpu.B = Cpu.D = Cpu.I = Cpu.Z = Cpu.C = 0;
    Place(0x2000, {0x08});
    RunInstruction();
    EXPECT_EQ(Stack(0xEF), 0x10);
}

TEST_F(InterruptTest, PlpRestoresAllButBAndRtiRestoresBToo) {
    Mem.Image[0x01F1] = 0xFF;
    Place(0x2000, {0x28});
    Cpu.B = 1;
    RunInstruction();
    EXPECT_TRUE(Cpu.N && Cpu.V && Cpu.D && Cpu.I && Cpu.Z && Cpu.C);
    EXPECT_EQ(Cpu.B, 0);
    EXPECT_EQ(Cpu.SP, 0xF1);

    Mem.Image[0x01F2] = 0x00;
    Place(0x2000, {0x28});
    RunInstruction();
    EXPECT_EQ(Cpu.N | Cpu.V | Cpu.B | Cpu.D | Cpu.I | Cpu.Z | Cpu.C, 0);

    Poke(0x01F3, {0xFF, 0x34, 0x12});
    Place(0x2000, {0x40});
    RunInstruction();
    EXPECT_TRUE(Cpu.N && Cpu.V && Cpu.B && Cpu.D && Cpu.I && Cpu.Z && Cpu.C);
    EXPECT_EQ(Cpu.PC, 0x1234);
    EXPECT_EQ(Cpu.SP, 0xF5);
}

TEST_F(InterruptTest, JamRefetchesItselfForEverWithInterruptsMasked) {
    Place(0x2000, {0x02});
    Cpu.RaiseIrq();
    for (int repeat = 0; repeat < 50; ++repeat) {
        EXPECT_EQ(RunInstruction(), 2);
        EXPECT_EQ(Cpu.PC, 0x2000);
        EXPECT_NE(Cpu.I, 0);
    }
    EXPECT_TRUE(Host.Events.empty());
    Poke(0xFFFC, {0x00, 0x30});
    Cpu.Reset();
    EXPECT_EQ(Cpu.PC, 0x3000);
}

TEST_F(InterruptTest, IllegalOpcodeIsReportedAndSkipped) {
    Cpu.A = 0x11;
    Cpu.X = 0x22;
    Cpu.Y = 0x33;
    Cpu.N = Cpu.C = 1;
    Place(0x2000, {0x03, 0xEA});
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x03)}, {}}));
    EXPECT_EQ(Cpu.PC, 0x2001);
    EXPECT_EQ(Host.Events,
              std::vector<std::string>({"status:Illegal opcode!", "log:Illegal opcode at PC:2001 ", "log:Opcode: 03"}));
    EXPECT_EQ(Cpu.A, 0x11);
    EXPECT_EQ(Cpu.X, 0x22);
    EXPECT_EQ(Cpu.Y, 0x33);
    EXPECT_EQ(Cpu.SP, 0xF0);
    EXPECT_EQ(Cpu.StatusByte(false, false), 0x81);
    EXPECT_EQ(StepLogged(), std::vector<TBusAccess>({R(0x2001, 0xEA)}));
}

TEST_F(InterruptTest, EveryIllegalByteMetIsReportedOnce) {
    Place(0x2000, {0x9C, 0xBB, 0xAB});
    for (int i = 0; i < 3; ++i) RunInstruction();
    ASSERT_EQ(Host.Events.size(), 9u);
    EXPECT_EQ(Host.Events[1], "log:Illegal opcode at PC:2001 ");
    EXPECT_EQ(Host.Events[2], "log:Opcode: 9C");
    EXPECT_EQ(Host.Events[7], "log:Illegal opcode at PC:2003 ");
    EXPECT_EQ(Host.Events[8], "log:Opcode: AB");
    EXPECT_EQ(Cpu.PC, 0x2003);
}

TEST(CpuWithoutHost, IllegalOpcodeAndBreakpointNeedNoHost) {
    TMemory mem(2);
    TCPU cpu;
    cpu.SetMemory(&mem);
    cpu.PowerOn();
    mem.Image[0x2000] = 0x03;
    cpu.PC = 0x2000;
    cpu.Breakpoints[0] = 0x2001;
    cpu.BreakpointCount = 1;
    cpu.Step();
    cpu.Step();
    cpu.SetHost(nullptr);
    cpu.PC = 0x2000;
    cpu.Step();
    cpu.Step();
    EXPECT_EQ(cpu.PC, 0x2001);
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

TEST_F(InterruptTest, InterruptEntryReportsThePreemptedInstructionNotTheHandler) {
    Cpu.Breakpoints[0] = 0x4000;
    Cpu.Breakpoints[1] = 0x2004;
    Cpu.BreakpointCount = 2;
    Cpu.RaiseIrq();
    EXPECT_EQ(ClocksUntilEntry(), 9);
    Steps(6);
    EXPECT_EQ(Host.Events, std::vector<std::string>({"breakpoint", BreakpointStatus}));
    EXPECT_EQ(Stack(0xEF), 0x04);
}

}  // namespace

// The micro-step table holds clocks 0-15 of each opcode; a clock number past every sequence
// (only a debugger can set one) must stay an internal clock with no bus access, as the
// selection on the clock always made it, and never wrap onto a real clock of the table.
TEST_F(CpuTest, AClockNumberPastEverySequenceIsAnInternalClock) {
    Place(0x0400, {0xAD, 0x00, 0x20});  // LDA $2000
    Cpu.Opcode = 0xAD;
    Cpu.A = 0x11;
    for (uint32_t cycle : {0u, 9u, 15u, 16u, 17u, 18u, 20u, 40u}) {
        Cpu.Cycle = cycle;
        EXPECT_TRUE(StepLogged().empty()) << "clock " << cycle;
        EXPECT_EQ(Cpu.Cycle, cycle + 1);
    }
    EXPECT_EQ(Cpu.A, 0x11);
    EXPECT_EQ(Cpu.PC, 0x0400);
    // A one-clock operation has no clock selection: it completes in whatever clock it is given.
    Cpu.Opcode = 0xE8;  // INX
    Cpu.X = 4;
    Cpu.Cycle = 17;
    StepLogged();
    EXPECT_EQ(Cpu.X, 5);
    EXPECT_EQ(Cpu.Cycle, 1u);
}
