// The debugger's steps on the machine, and the order of effects of a breakpoint hit.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace {

// Records the host calls, with whether the machine was already stopped at each.
class TOrderHost : public THost {
public:
    void StatusMessage(const char* text) override { Calls.push_back(std::string("status:") + text); }
    void AppendLog(const char*) override {}
    void ErrorBox(const char*) override {}
    void BreakpointReached() override {
        Calls.push_back(Machine->EmulationStopped ? "breakpoint(stopped)" : "breakpoint(running)");
        LineStepAtHit = Machine->Ted.LineStep;
    }
    void EndOfFrame(bool) override {}

    TMachine* Machine = nullptr;
    std::vector<std::string> Calls;
    int32_t LineStepAtHit = -1;
};

// The ROM-less machine with a program in RAM at $2000 and a stack with room.
class DebugStepTest : public ::testing::Test {
protected:
    DebugStepTest() {
        Host.Machine = Machine.get();
        Machine->PowerUp(MachineCustom);
        Machine->Memory.SetRomEnabled(0);
        Machine->Cpu.PC = 0x2000;
        Machine->Cpu.SP = 0xF0;
        Machine->Cpu.I = 1;
    }

    void Put(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) Machine->Memory.Image[address++] = b;
    }

    TOrderHost Host;
    std::unique_ptr<TMachine> Machine = std::make_unique<TMachine>(Host, "/nonexistent/");
};

}  // namespace

TEST_F(DebugStepTest, StepOverRunsASubroutineToTheInstructionAfterTheJsr) {
    Put(0x2000, {0x20, 0x00, 0x30, 0xEA});            // JSR $3000; NOP
    Put(0x3000, {0xA2, 0x05, 0xCA, 0xD0, 0xFD, 0x60});  // LDX #5; loop: DEX; BNE loop; RTS
    EXPECT_TRUE(Machine->StepOver());
    EXPECT_EQ(Machine->Cpu.PC, 0x2003);
    EXPECT_EQ(Machine->Cpu.SP, 0xF0);
    EXPECT_EQ(Machine->Cpu.X, 0);
    EXPECT_EQ(Machine->Cpu.Cycle, 1u);

    // Any other opcode: one instruction, as Step In.
    EXPECT_TRUE(Machine->StepOver());
    EXPECT_EQ(Machine->Cpu.PC, 0x2004);

    // Inside an instruction, even a JSR, it only completes that instruction.
    Machine->Cpu.PC = 0x2000;
    Machine->StepClock();
    EXPECT_TRUE(Machine->StepOver());
    EXPECT_EQ(Machine->Cpu.PC, 0x3000);
}

TEST_F(DebugStepTest, StepOverEndsWhereTheSubroutinePullsItsReturnAddress) {
    Put(0x2000, {0x20, 0x00, 0x30});
    Put(0x3000, {0x68, 0x68, 0xEA});  // PLA; PLA: SP is back after the second pull
    EXPECT_TRUE(Machine->StepOver());
    EXPECT_EQ(Machine->Cpu.PC, 0x3002);
}

TEST_F(DebugStepTest, StepOverGivesUpOnASubroutineThatNeverReturns) {
    Put(0x2000, {0x20, 0x00, 0x30});
    Put(0x3000, {0x4C, 0x00, 0x30});  // JMP $3000
    EXPECT_FALSE(Machine->StepOver(1000));
    EXPECT_EQ(Machine->Cpu.PC & 0xFFF0, 0x3000);
    // The default bound is a second of machine time, and it is kept too.
    Machine->Cpu.PC = 0x2000;
    Machine->Cpu.SP = 0xF0;
    Machine->Cpu.Cycle = 1;
    const int32_t frames = Machine->FrameCounter;
    EXPECT_FALSE(Machine->StepOver());
    EXPECT_EQ(Machine->FrameCounter - frames, int32_t(TMachine::StepOverFrames));
}

TEST_F(DebugStepTest, ABreakpointInsideAStepOverIsReportedButDoesNotEndIt) {
    Put(0x2000, {0x20, 0x00, 0x30, 0xEA});
    Put(0x3000, {0xEA, 0xEA, 0x60});
    Machine->Cpu.AddBreakpoint(0x3001);
    EXPECT_TRUE(Machine->StepOver());
    EXPECT_EQ(Machine->Cpu.PC, 0x2003);
    EXPECT_EQ(Host.Calls, std::vector<std::string>({"breakpoint(running)", "status:A breakpoint has been reached."}));
}

TEST_F(DebugStepTest, ABreakpointStopsTheFrameLoopAfterTheRestOfItsClockStep) {
    Put(0x2000, {0xEA, 0xEA, 0xEA, 0x4C, 0x00, 0x20});
    Machine->Cpu.AddBreakpoint(0x2003);
    Machine->RunFrame();
    EXPECT_TRUE(Machine->EmulationStopped);
    EXPECT_EQ(Machine->Cpu.PC, 0x2003);
    EXPECT_EQ(Machine->Cpu.Cycle, 1u);
    // The front-end is told first (and stops the machine itself); the status text follows.
    EXPECT_EQ(Host.Calls, std::vector<std::string>({"breakpoint(running)", "status:A breakpoint has been reached."}));
    // The TED's part of the clock step that reached the breakpoint still ran.
    EXPECT_EQ(Machine->Ted.LineStep, (Host.LineStepAtHit + 1) % TTED::StepsPerLine);

    // Running again goes on from the breakpoint and stops there the next time round.
    Host.Calls.clear();
    Machine->Start();
    Machine->RunFrame();
    EXPECT_EQ(Machine->Cpu.PC, 0x2003);
    EXPECT_EQ(Host.Calls.size(), 2u);
}
