// The runs' whole instructions against the plain loop: a number-crunching program, every
// addressing mode on the TED's registers and the other decoded pages, interrupts rising at
// every clock of an instruction, and breakpoints set, hit and looked at while the machine runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../bench/workloads.h"
#include "frame_loop_twins.h"

namespace {

using namespace FrameLoopTwins;

// What a front-end's debugger sees when it is called from inside the clock that reached a
// breakpoint: the position of the TED, its timers, the frame loop's count, the pixels so far.
std::string Snapshot(TMachine& m) {
    uint32_t pixels = 2166136261u;
    for (int i = 0; i < TTED::FrameBytes; ++i) pixels = (pixels ^ m.Frame.Pixels[i]) * 16777619u;
    char text[96];
    std::snprintf(text, sizeof text, "%d:%d %d %d $%04X %08X", m.Ted.LineIndex, m.Ted.LineStep, m.Ted.RenderOffset(),
                  m.StepsLeft, unsigned(m.Cpu.PC), unsigned(pixels));
    std::string snapshot = text;
    for (uint16_t r = 0xFF00; r <= 0xFF05; ++r) snapshot.append(" ").append(std::to_string(m.Ted.ReadRegister(r)));
    return snapshot;
}

// The ROM-less machine with ROM off, a text screen at $0800/$0C00 in the characters of $3000,
// and `program` at $1000.
void SetUpRomless(TMachine& m, const std::vector<uint8_t>& program) {
    m.PowerUp(MachineCustom);
    m.Memory.Write(0xFF3F, 0);
    for (uint16_t a = 0x0800; a < 0x0C00; ++a) m.Memory.Image[a] = uint8_t(0x71 + a);
    for (uint16_t a = 0x0C00; a < 0x1000; ++a) m.Memory.Image[a] = uint8_t(a * 7);
    for (uint16_t a = 0x3000; a < 0x3800; ++a) m.Memory.Image[a] = uint8_t(a * 13 + (a >> 8));
    Workload::Place(m.Memory, 0x1000, program);
    m.Cpu.PC = 0x1000;
}

TEST(WholeInstructionRuns, NumberCrunchingProgram) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) { Workload::SetUpCrunch(m, 150); });
    RunAndCompare(fast, plain, 40);
}

// Reads and writes of $FF00-$FF1F through every addressing mode, read-modify-writes on the
// colours, a timer and a sound register, the port in page 0 and through $0001, the ROM switch
// and the keyboard latch, and a subroutine in page $FF, where every fetch decodes.
Workload::TMiniAsm DecodedPagesProgram() {
    Workload::TMiniAsm a(0x1000);
    a.Bytes({0x78, 0xA2, 0xFF, 0x9A})                          // SEI; stack
        .Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF, 0xA9, 0x08, 0x8D, 0x14, 0xFF})  // text at $0800
        .Bytes({0xA9, 0x30, 0x8D, 0x13, 0xFF})                 // characters at $3000
        .Bytes({0xA9, 0x00, 0x85, 0xF0, 0xA9, 0xFF, 0x85, 0xF1})  // ($F0) = $FF00
        .Bytes({0xA9, 0x15, 0x85, 0xF2, 0xA9, 0xFF, 0x85, 0xF3})  // ($F2) = $FF15
        .Bytes({0xA2, 0x00})
        .Label("loop")
        .Bytes({0x8A, 0x29, 0x07, 0xA8, 0x8A, 0x99, 0x12, 0xFF})  // STA $FF12,Y for Y = X AND 7
        .Bytes({0xBD, 0x00, 0xFF, 0x99, 0x00, 0x20})           // LDA $FF00,X; STA $2000,Y
        .Bytes({0xA0, 0x1E, 0xB1, 0xF0, 0x9D, 0x00, 0x0C})     // LDA ($F0),Y: $FF1E -> screen
        .Bytes({0xA0, 0x02, 0x91, 0xF2})                       // STA ($F2),Y: background 2
        .Label("middle")
        .Bytes({0x86, 0xF8, 0xA2, 0x00, 0x81, 0xF2})           // STA ($F2,X) with X 0
        .Bytes({0xA2, 0x04, 0xFE, 0x15, 0xFF, 0xA6, 0xF8})     // INC $FF15,X: the border
        .Bytes({0xEE, 0x19, 0xFF, 0xCE, 0x16, 0xFF, 0x2E, 0x17, 0xFF})  // INC, DEC, ROL colours
        .Bytes({0xEE, 0x03, 0xFF})                             // INC $FF03: timer 2 goes on
        .Bytes({0xEE, 0x0E, 0xFF, 0x4E, 0x11, 0xFF})           // sound: INC $FF0E, LSR $FF11
        .Bytes({0xAD, 0x09, 0xFF, 0x8D, 0x09, 0xFF})           // acknowledge what is set
        .Bytes({0xA5, 0x01, 0x49, 0x08, 0x85, 0x01})           // the motor line, through page 0
        .Bytes({0xAD, 0x01, 0x00, 0x8D, 0x01, 0x00})           // and through $0001
        .Bytes({0x8D, 0x3E, 0xFF, 0xAD, 0x00, 0x90, 0x8D, 0x3F, 0xFF})  // ROM on, a read, ROM off
        .Bytes({0x8E, 0x30, 0xFD, 0x8D, 0x08, 0xFF, 0xAC, 0x08, 0xFF})  // keyboard select, latch
        .Bytes({0xAD, 0x13, 0xFF, 0x49, 0x02, 0x8D, 0x13, 0xFF})  // double clock on and off
        .Bytes({0x20, 0x40, 0xFF})                             // JSR $FF40
        .Bytes({0xE8})
        .Branch(0xD0, "loop")
        .Bytes({0xAD, 0x07, 0xFF, 0x49, 0x09, 0x8D, 0x07, 0xFF})  // scroll and 40 columns
        .Absolute(0x4C, "loop");
    return a;
}

// At $FF40, in the RAM under the ROM: a counter and RTS, every fetch decoded.
const std::vector<uint8_t> PageFFSubroutine = {0xA5, 0xFA, 0x69, 0x01, 0x85, 0xFA, 0x60};

TEST(WholeInstructionRuns, DecodedPagesInEveryAddressingMode) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) {
        SetUpRomless(m, DecodedPagesProgram().Finish());
        Workload::Place(m.Memory, 0xFF40, PageFFSubroutine);
        m.Tape.LoadImage(Workload::PulseTape());
        m.Memory.PlayKey = 1;
    });
    RunAndCompare(fast, plain, 40);
}

// The interrupt tests' start: masked, the stack, the vector to "irq", the text screen, and
// timer 1 interrupting every 131 ticks.
Workload::TMiniAsm& TimerInterruptsEvery131Ticks(Workload::TMiniAsm& a) {
    return a.Bytes({0x78, 0xA2, 0xFF, 0x9A})
        .LowByteOf(0xA9, "irq").Bytes({0x8D, 0xFE, 0xFF})
        .HighByteOf(0xA9, "irq").Bytes({0x8D, 0xFF, 0xFF})
        .Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF, 0xA9, 0x08, 0x8D, 0x14, 0xFF, 0xA9, 0x30, 0x8D, 0x13, 0xFF})
        .Bytes({0xA9, 0x83, 0x8D, 0x00, 0xFF, 0xA9, 0x00, 0x8D, 0x01, 0xFF})
        .Bytes({0xA9, 0x08, 0x8D, 0x0A, 0xFF});
}

// Runs such a program fast and plain for 50 calls, comparing; returns the handler's count at $F9.
int RunInterruptProgram(const std::vector<uint8_t>& program) {
    TTwin fast, plain;
    ForBoth(fast, plain, [&](TMachine& m) {
        SetUpRomless(m, program);
        Workload::Place(m.Memory, 0x00F4, {0x00, 0x30, 0x00, 0x0C});  // ($F4) = $3000, ($F6) = $0C00
    });
    RunAndCompare(fast, plain, 50);
    return fast.Machine->Memory.Image[0xF9];
}

// Timer 1 interrupts every 131 ticks, a count prime to the main loop's length, so the line
// rises at every clock of every instruction of the loop (2 to 7 clocks, stack traffic among
// them); the loop also masks and unmasks, so the delay counts on and off.
TEST(WholeInstructionRuns, InterruptsRisingAtEveryClockOfAnInstruction) {
    Workload::TMiniAsm a(0x1000);
    TimerInterruptsEvery131Ticks(a)
        .Bytes({0x58})  // CLI
        .Label("main")
        .Bytes({0xFE, 0x00, 0x0C, 0xB1, 0xF4, 0x91, 0xF6})     // INC $0C00,X; LDA ($F4),Y; STA ($F6),Y
        .Bytes({0x48, 0x68}).Absolute(0x20, "sub")             // PHA; PLA; JSR sub
        .Bytes({0xE8, 0xC8, 0xEA, 0x0E, 0x00, 0x08})           // INX; INY; NOP; ASL $0800
        .Bytes({0x8A, 0x29, 0x3F})
        .Branch(0xD0, "main")
        .Bytes({0x78, 0xB5, 0x10, 0x95, 0x20, 0x58})           // SEI; LDA $10,X; STA $20,X; CLI
        .Absolute(0x4C, "main")
        .Label("sub")
        .Bytes({0xE6, 0xF8, 0x60})                             // INC $F8; RTS
        .Label("irq")
        .Bytes({0x48, 0xAD, 0x09, 0xFF, 0x8D, 0x09, 0xFF})     // PHA; acknowledge
        .Bytes({0xE6, 0xF9, 0xA5, 0xF9, 0x8D, 0x19, 0xFF})     // count into the border
        .Bytes({0x68, 0x40});
    EXPECT_GT(RunInterruptProgram(a.Finish()), 0);  // the handler ran
}

// The line stays up while I masks it (a tape loader's state): the masked stretches run whole,
// and CLI, PLP and an RTI from a handler that left the line up unmask it, so the delay counts
// and the interrupt comes, at the clocks the plain loop gives.
TEST(WholeInstructionRuns, InterruptsPendingWhileMaskedAndUnmaskedByCliPlpAndRti) {
    Workload::TMiniAsm a(0x1000);
    TimerInterruptsEvery131Ticks(a)  // still masked
        .Label("main")
        .Bytes({0x58, 0xEA, 0x08, 0x78})                       // CLI; NOP; PHP with I clear; SEI
        .Bytes({0xFE, 0x00, 0x0C, 0xB1, 0xF4, 0x91, 0xF6})     // INC $0C00,X; LDA ($F4),Y; STA ($F6),Y
        .Absolute(0x20, "sub")
        .Bytes({0xE8, 0xC8, 0x0E, 0x00, 0x08})                 // INX; INY; ASL $0800
        .Bytes({0x28, 0xEA, 0xEA, 0x78})                       // PLP unmasks; NOP; NOP; SEI
        .Bytes({0xB5, 0x10, 0x95, 0x20, 0x48, 0x68})           // LDA $10,X; STA $20,X; PHA; PLA
        .Absolute(0x20, "sub")
        .Absolute(0x4C, "main")
        .Label("sub")
        .Bytes({0xE6, 0xF8, 0x60})                             // INC $F8; RTS
        .Label("irq")
        .Bytes({0x48, 0xE6, 0xF9, 0xA5, 0xF9, 0x8D, 0x19, 0xFF})  // PHA; count into the border
        .Bytes({0x29, 0x01, 0xF0, 0x06})                       // every second time:
        .Bytes({0xAD, 0x09, 0xFF, 0x8D, 0x09, 0xFF})           // acknowledge
        .Bytes({0x68, 0x40});                                  // PLA; RTI, perhaps with the line up
    EXPECT_GT(RunInterruptProgram(a.Finish()), 1);  // the handler ran, with and without acknowledging
}

// The window's cells are fetched after their clocks, so a write to anything a cell reads must
// reach it at its clock and no other. Every code on the screen is 0 and the loop keeps changing
// that character's bytes in RAM, a column of the first bitmap row, codes and, with the screen
// matrix at $0000, attributes through zero-page and stack writes; in each display mode.
TEST(WholeInstructionRuns, WritesToWhatTheCellsReadInEveryMode) {
    struct TMode {
        int Control6, Control7;
    };
    for (const TMode mode : {TMode{0x1B, 0x08}, TMode{0x5B, 0x08}, TMode{0x1B, 0x18}, TMode{0x3B, 0x08},
                             TMode{0x3B, 0x18}}) {
        Workload::TMiniAsm a(0x1000);
        a.Bytes({0x78, 0xA2, 0xFF, 0x9A})
            .Bytes({0xA9, mode.Control6, 0x8D, 0x06, 0xFF, 0xA9, mode.Control7, 0x8D, 0x07, 0xFF})
            .Bytes({0xA9, 0x00, 0x8D, 0x14, 0xFF})              // matrix at $0000
            .Bytes({0xA9, 0x30, 0x8D, 0x13, 0xFF})              // characters at $3000
            .Bytes({0xA9, 0x08, 0x8D, 0x12, 0xFF})              // bitmap at $2000, characters in RAM
            .Label("loop")
            .Bytes({0x69, 0x35});                              // ADC #$35
        for (int line = 0; line < 8; ++line) a.Bytes({0x8D, line, 0x30});         // STA $3000+line
        for (int line = 0; line < 8; ++line) a.Bytes({0x9D, line, 0x20});         // STA $2000+line,X
        for (int row = 0; row < 6; ++row) a.Bytes({0x9D, 40 * row, 0x04});     // STA $0400+40*row,X: codes
        a.Bytes({0xE6, 0x10, 0x85, 0x11})                   // INC $10; STA $11
            .Bytes({0x48}).Absolute(0x20, "sub").Bytes({0x68})  // PHA; JSR sub; PLA
            .Bytes({0x48, 0x8A, 0x69, 0x08, 0xAA, 0x68})       // X += 8 (and carry)
            .Absolute(0x4C, "loop")
            .Label("sub")
            .Bytes({0x1E, 0x00, 0x01, 0x60});                  // ASL $0100,X; RTS
        const std::vector<uint8_t> program = a.Finish();
        TTwin fast, plain;
        ForBoth(fast, plain, [&](TMachine& m) {
            SetUpRomless(m, program);
            // Attributes unlike the background, so that every pattern shows.
            for (uint16_t at = 0x0002; at < 0x0400; ++at) m.Memory.Image[at] = 0x71;
            for (uint16_t at = 0x0400; at < 0x0800; ++at) m.Memory.Image[at] = 0x00;
        });
        SCOPED_TRACE("$FF06 " + std::to_string(mode.Control6) + ", $FF07 " + std::to_string(mode.Control7));
        RunAndCompare(fast, plain, 12);
    }
}

// Breakpoints set and cleared from inside the frame loop's call (at each end of frame, which
// falls inside a call after the single clocks), in the main loop and on the subroutine in page
// $FF; at each hit the front-end looks at the TED and the pixels from inside the clock.
TEST(WholeInstructionRuns, BreakpointsSetWhileRunningAndLookedAtWhenHit) {
    TTwin fast, plain;
    std::vector<std::string> seenFast, seenPlain;
    ForBoth(fast, plain, [](TMachine& m) {
        SetUpRomless(m, DecodedPagesProgram().Finish());
        Workload::Place(m.Memory, 0xFF40, PageFFSubroutine);
        for (int i = 0; i < 777; ++i) m.StepClock();
    });
    const Workload::TMiniAsm program = DecodedPagesProgram();
    auto toggle = [&program](TMachine& m) {
        m.Cpu.BreakpointCount = 0;
        m.Cpu.AddBreakpoint(program.AddressOf(m.FrameCounter % 2 ? "loop" : "middle"));
        if (m.FrameCounter % 3 == 0) m.Cpu.AddBreakpoint(0xFF44);
    };
    fast.Host.AtEndOfFrame = toggle;
    plain.Host.AtEndOfFrame = toggle;
    fast.Host.AtBreakpoint = [&](TMachine& m) { seenFast.push_back(Snapshot(m)); };
    plain.Host.AtBreakpoint = [&](TMachine& m) { seenPlain.push_back(Snapshot(m)); };
    RunAndCompare(fast, plain, 300);
    EXPECT_EQ(seenFast, seenPlain);
    EXPECT_GT(seenFast.size(), 50u);
}

}  // namespace
