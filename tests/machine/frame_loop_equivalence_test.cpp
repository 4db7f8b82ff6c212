// RunFrame's fast path against the plain loop of RunFrameObserved, on twin machines
// (frame_loop_twins.h), for whole workloads and for programs that stress the TED's events.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../../bench/workloads.h"
#include "frame_loop_twins.h"

namespace {

using namespace FrameLoopTwins;

// Timers 1-3 and the raster interrupt fire at many points of the line; the main loop reads the
// timers and the horizontal position onto the screen, flips double clock, horizontal scroll
// and 38/40 columns, and writes the sound registers; the handler re-arms timers 2 and 3 with
// short counts, reads the flags and positions into RAM and switches the colour mode.
Workload::TMiniAsm TimerStressProgram(uint16_t origin) {
    Workload::TMiniAsm a(origin);
    a.Bytes({0x78, 0xA2, 0xFF, 0x9A})
        .LowByteOf(0xA9, "irq").Bytes({0x8D, 0xFE, 0xFF})
        .HighByteOf(0xA9, "irq").Bytes({0x8D, 0xFF, 0xFF})
        .Bytes({0xA9, 0x00, 0x8D, 0x00, 0xFF, 0xA9, 0x10, 0x8D, 0x01, 0xFF})  // timer 1: $1000
        .Bytes({0xA9, 0x34, 0x8D, 0x02, 0xFF, 0xA9, 0x02, 0x8D, 0x03, 0xFF})  // timer 2: $0234
        .Bytes({0xA9, 0x99, 0x8D, 0x04, 0xFF, 0xA9, 0x05, 0x8D, 0x05, 0xFF})  // timer 3: $0599
        .Bytes({0xA9, 0x5A, 0x8D, 0x0A, 0xFF})   // all four sources
        .Bytes({0xA9, 0x40, 0x8D, 0x0B, 0xFF})   // raster 64
        .Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF})   // text, display on
        .Bytes({0xA9, 0x08, 0x8D, 0x14, 0xFF})   // matrix at $0800
        .Bytes({0xA9, 0x10, 0x8D, 0x13, 0xFF})   // characters from this program
        .Bytes({0x58})
        .Label("main")
        .Bytes({0xA6, 0xF0})                     // LDX $F0
        .Bytes({0xAD, 0x1E, 0xFF, 0x9D, 0x00, 0x0C})  // $FF1E -> codes
        .Bytes({0xAD, 0x00, 0xFF, 0x9D, 0x00, 0x08})  // timer 1 low -> attributes
        .Bytes({0xAD, 0x05, 0xFF, 0x9D, 0x00, 0x40})  // timer 3 high -> $4000
        .Bytes({0xE6, 0xF0, 0xA5, 0xF0, 0x29, 0x1F})  // INC $F0; LDA $F0; AND #$1F
        .Branch(0xD0, "main")
        .Bytes({0xAD, 0x13, 0xFF, 0x49, 0x02, 0x8D, 0x13, 0xFF})  // flip double clock
        .Bytes({0xAD, 0x07, 0xFF, 0x49, 0x09, 0x8D, 0x07, 0xFF})  // flip scroll bit 0 and 40 columns
        .Bytes({0xA5, 0xF0, 0x8D, 0x11, 0xFF, 0x8D, 0x0E, 0xFF})  // sound
        .Absolute(0x4C, "main")
        .Label("irq")
        .Bytes({0x48, 0x8A, 0x48})
        .Bytes({0xAD, 0x09, 0xFF, 0x8D, 0x09, 0xFF})  // acknowledge what is set
        .Label("irqRecord")
        .Bytes({0xA6, 0xF1, 0x9D, 0x00, 0x41})        // flags -> $4100,X
        .Bytes({0xAD, 0x1E, 0xFF, 0x9D, 0x00, 0x42})
        .Bytes({0xAD, 0x1D, 0xFF, 0x9D, 0x00, 0x43})
        .Bytes({0xAD, 0x02, 0xFF, 0x9D, 0x00, 0x44})
        .Bytes({0xE6, 0xF1})
        .Bytes({0xA9, 0x80, 0x8D, 0x02, 0xFF, 0xA9, 0x03, 0x8D, 0x03, 0xFF})  // timer 2: $0380
        .Bytes({0xA9, 0x55, 0x8D, 0x04, 0xFF, 0xA9, 0x01, 0x8D, 0x05, 0xFF})  // timer 3: $0155
        .Bytes({0xEE, 0x19, 0xFF, 0xEE, 0x15, 0xFF})  // border, background
        .Bytes({0xAD, 0x06, 0xFF, 0x49, 0x40, 0x8D, 0x06, 0xFF})  // extended colour on/off
        .Bytes({0x68, 0xAA, 0x68, 0x40});
    return a;
}

// The ROM-less machine with RAM under the ROM area, running `program` from its origin.
void StartRomless(TMachine& machine, const Workload::TMiniAsm& program) {
    machine.PowerUp(MachineCustom);
    machine.Memory.Write(0xFF3F, 0);
    Workload::Place(machine.Memory, program.Origin, program.Finish());
    machine.Cpu.PC = program.Origin;
}

void SetUpTimerStress(TMachine& machine) { StartRomless(machine, TimerStressProgram(0x1000)); }

}  // namespace

TEST(FrameLoopEquivalence, C16BootingToThePrompt) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) { m.PowerUp(MachineC16); });
    RunAndCompare(fast, plain, 200);
}

TEST(FrameLoopEquivalence, Plus4PrintingWithSkippedFrames) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) { Workload::BootToPrompt(m, MachinePlus4, 150); });
    ForBoth(fast, plain, [](TMachine& m) {
        Workload::StartPrintLoop(m);
        m.SetSkipDivisor(3);
    });
    RunAndCompare(fast, plain, 60);
}

TEST(FrameLoopEquivalence, MulticolourBitmapWithRasterInterrupts) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) { Workload::SetUpBitmapRaster(m, 0); });
    RunAndCompare(fast, plain, 40);
}

TEST(FrameLoopEquivalence, TimerAndRasterInterruptsWithModeChanges) {
    TTwin fast, plain;
    ForBoth(fast, plain, SetUpTimerStress);
    RunAndCompare(fast, plain, 60);
}

TEST(FrameLoopEquivalence, CharacterSetInRamRewrittenWhileTheRowIsDrawn) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) {
        m.PowerUp(MachineCustom);
        m.Memory.Write(0xFF3F, 0);
        // Every cell shows character 1 from a RAM set at $3000, so neighbouring cells are alike
        // but for the bytes of the character, which the main loop keeps inverting.
        for (uint16_t a = 0x0800; a < 0x0C00; ++a) m.Memory.Image[a] = 0x71;
        for (uint16_t a = 0x0C00; a < 0x1000; ++a) m.Memory.Image[a] = 0x01;
        Workload::TMiniAsm a(0x1000);
        a.Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF})        // text, display on
            .Bytes({0xA9, 0x08, 0x8D, 0x14, 0xFF})     // matrix at $0800
            .Bytes({0xA9, 0x30, 0x8D, 0x13, 0xFF})     // characters at $3000 in RAM
            .Label("loop")
            .Bytes({0xA2, 0x07})
            .Label("invert")
            .Bytes({0xBD, 0x08, 0x30, 0x49, 0xFF, 0x9D, 0x08, 0x30, 0xCA})  // $3008,X ^= $FF
            .Branch(0x10, "invert")
            .Absolute(0x4C, "loop");
        Workload::Place(m.Memory, 0x1000, a.Finish());
        m.Cpu.PC = 0x1000;
    });
    RunAndCompare(fast, plain, 10);
}

TEST(FrameLoopEquivalence, BreakpointsStopBothLoopsAtTheSameClock) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) {
        SetUpTimerStress(m);
        // In the main loop and in the interrupt handler: stops in border and window alike.
        const Workload::TMiniAsm program = TimerStressProgram(0x1000);
        m.Cpu.Breakpoints[0] = program.AddressOf("main");
        m.Cpu.Breakpoints[1] = program.AddressOf("irqRecord");
        m.Cpu.BreakpointCount = 2;
    });
    RunAndCompare(fast, plain, 300);
    EXPECT_GT(fast.Host.Breakpoints, 100);
}

TEST(FrameLoopEquivalence, AStopFromInsideAProcessorClockEndsBothLoopsAtTheSameStep) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) {
        m.PowerUp(MachineCustom);
        m.Memory.Write(0xFF3F, 0);
        // An illegal opcode after a delay that changes every pass: the report, and with it the
        // stop, lands on border and window steps, double and single clock alike.
        Workload::TMiniAsm a(0x1000);
        a.Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF, 0xA2, 0x00})  // display on; LDX #0
            .Label("loop")
            .Bytes({0xE8, 0x8A, 0x29, 0x3F, 0xA8})           // INX; TXA; AND #$3F; TAY
            .Label("delay")
            .Bytes({0x88})
            .Branch(0x10, "delay")
            .Bytes({0x03})                                   // illegal
            .Bytes({0xAD, 0x13, 0xFF, 0x49, 0x02, 0x8D, 0x13, 0xFF})  // flip double clock
            .Absolute(0x4C, "loop");
        Workload::Place(m.Memory, 0x1000, a.Finish());
        m.Cpu.PC = 0x1000;
    });
    fast.Host.StopOnStatus = plain.Host.StopOnStatus = true;
    RunAndCompare(fast, plain, 400);
}

TEST(FrameLoopEquivalence, StopsAtTheEndOfAFrameThatBeganMidway) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) {
        SetUpTimerStress(m);
        // The debugger's single clocks move the TED away from the frame loop's frame start.
        for (int i = 0; i < 12345; ++i) m.StepClock();
    });
    fast.Host.StopEvery = plain.Host.StopEvery = 2;
    RunAndCompare(fast, plain, 30);
}

// A split screen that scrolls: raster interrupts at the frame start (raster 260), at raster 100
// and at raster 150 step the vertical scroll, the 24/25 rows, the horizontal scroll and the
// 38/40 columns, and switch between text, bitmap, extended colour and multicolour, some of it in
// the middle of a line; the main loop rewrites the screen and the cursor sits on row 2.
Workload::TMiniAsm SplitScrollProgram(uint16_t origin) {
    Workload::TMiniAsm a(origin);
    a.Bytes({0x78, 0xA2, 0xFF, 0x9A})
        .LowByteOf(0xA9, "irq").Bytes({0x8D, 0xFE, 0xFF})
        .HighByteOf(0xA9, "irq").Bytes({0x8D, 0xFF, 0xFF})
        .Bytes({0xA9, 0x03, 0x8D, 0x0A, 0xFF, 0xA9, 0x04, 0x8D, 0x0B, 0xFF})  // raster 260
        .Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF})   // text, display on
        .Bytes({0xA9, 0x08, 0x8D, 0x14, 0xFF})   // matrix at $0800
        .Bytes({0xA9, 0x10, 0x8D, 0x13, 0xFF})   // characters from this program
        .Bytes({0xA9, 0x10, 0x8D, 0x12, 0xFF})   // bitmap at $4000
        .Bytes({0xA9, 0x00, 0x8D, 0x0C, 0xFF, 0xA9, 0x55, 0x8D, 0x0D, 0xFF})  // cursor: row 2
        .Bytes({0xA9, 0x00, 0x85, 0xF2, 0x58})
        .Label("main")
        .Bytes({0xFE, 0x00, 0x08})                      // INC $0800,X
        .Bytes({0xA5, 0xF3, 0x9D, 0x00, 0x0C})          // frame count -> codes
        .Bytes({0x8A, 0x9D, 0x00, 0x40, 0x9D, 0x00, 0x48})  // bitmap bytes
        .Bytes({0xE8})
        .Branch(0xD0, "main")
        .Bytes({0xEE, 0x19, 0xFF})                      // border
        .Absolute(0x4C, "main")
        .Label("irq")
        .Bytes({0x48, 0x8A, 0x48})
        .Bytes({0xAD, 0x09, 0xFF, 0x8D, 0x09, 0xFF})
        .Bytes({0xA5, 0xF2})
        .Branch(0xD0, "notTop")
        // The frame start: scroll and rows for this frame.
        .Bytes({0xE6, 0xF3, 0xA5, 0xF3, 0x29, 0x0F, 0x09, 0x10, 0x8D, 0x06, 0xFF})
        .Bytes({0xA5, 0xF3, 0x4A, 0x29, 0x0F, 0x8D, 0x07, 0xFF})
        .Bytes({0xA9, 0x02, 0x8D, 0x0A, 0xFF, 0xA9, 0x64, 0x8D, 0x0B, 0xFF})  // raster 100
        .Bytes({0xE6, 0xF2})
        .Absolute(0x4C, "done")
        .Label("notTop")
        .Bytes({0xC9, 0x01})
        .Branch(0xD0, "bottom")
        // Raster 100: bitmap, another vertical scroll, the horizontal scroll mid-line.
        .Bytes({0xAD, 0x06, 0xFF, 0x09, 0x20, 0x49, 0x05, 0x8D, 0x06, 0xFF})
        .Bytes({0xAD, 0x07, 0xFF, 0x49, 0x03, 0x8D, 0x07, 0xFF})
        .Bytes({0xA9, 0x96, 0x8D, 0x0B, 0xFF, 0xE6, 0xF2})  // raster 150
        .Absolute(0x4C, "done")
        .Label("bottom")
        // Raster 150: extended colour text, multicolour, a new background.
        .Bytes({0xAD, 0x06, 0xFF, 0x49, 0x60, 0x8D, 0x06, 0xFF})
        .Bytes({0xAD, 0x07, 0xFF, 0x09, 0x10, 0x8D, 0x07, 0xFF})
        .Bytes({0xEE, 0x15, 0xFF})
        .Bytes({0xA9, 0x03, 0x8D, 0x0A, 0xFF, 0xA9, 0x04, 0x8D, 0x0B, 0xFF})  // raster 260
        .Bytes({0xA9, 0x00, 0x85, 0xF2})
        .Label("done")
        .Bytes({0x68, 0xAA, 0x68, 0x40});
    return a;
}

TEST(FrameLoopEquivalence, ScrollingSplitScreenWithRasterInterruptsAtLineStarts) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) {
        StartRomless(m, SplitScrollProgram(0x1000));
        m.Ted.FlashOn = true;
    });
    RunAndCompare(fast, plain, 48);
    // Every interrupt came: the frame count stepped the scroll through all its values.
    EXPECT_EQ(fast.Machine->Memory.Image[0xF3], 48);
}

// The program reads the tape through the port and also switches the motor off and on, so the
// tape stops and starts inside lines.
void SetUpTapeReader(TMachine& machine) {
    machine.PowerUp(MachineCustom);
    machine.Memory.Write(0xFF3F, 0);
    Workload::TMiniAsm a(0x1000);
    a.Bytes({0x78, 0xA9, 0x00, 0x85, 0x01})          // SEI; motor on
        .Label("loop")
        .Bytes({0xA5, 0x01, 0x29, 0x10, 0x9D, 0x00, 0x0C})  // the tape level onto the screen
        .Bytes({0xE8})
        .Branch(0xD0, "loop")
        .Bytes({0xE6, 0xF0, 0xA5, 0xF0, 0x29, 0x07})
        .Branch(0xD0, "loop")
        .Bytes({0xA5, 0x01, 0x49, 0x08, 0x85, 0x01})     // motor off or on again
        .Absolute(0x4C, "loop");
    Workload::Place(machine.Memory, 0x1000, a.Finish());
    machine.Cpu.PC = 0x1000;
    machine.Tape.LoadImage(Workload::PulseTape());
    machine.Memory.PlayKey = 1;
}

TEST(FrameLoopEquivalence, TapePlayingWhileTheProgramReadsItAndSwitchesTheMotor) {
    TTwin fast, plain;
    ForBoth(fast, plain, SetUpTapeReader);
    TClockCounter counter;
    int highSeen = 0, lowSeen = 0;
    const uint8_t* screen = fast.Machine->Memory.Image + 0x0C00;
    for (int call = 0; call < 40; ++call) {
        fast.Machine->RunFrame();
        highSeen += int(std::count(screen, screen + 256, 0x10));
        lowSeen += int(std::count(screen, screen + 256, 0x00));
        plain.Machine->RunFrameObserved(counter);
        ASSERT_EQ(Difference(*fast.Machine, *plain.Machine), "") << "after call " << call;
        ASSERT_EQ(fast.Machine->Tape.ReadPosition, plain.Machine->Tape.ReadPosition) << "after call " << call;
        ASSERT_EQ(fast.Machine->Tape.Remaining, plain.Machine->Tape.Remaining) << "after call " << call;
        ASSERT_EQ(fast.Machine->Tape.LevelBit, plain.Machine->Tape.LevelBit) << "after call " << call;
    }
    // The tape has moved and the program has seen both levels.
    EXPECT_GT(fast.Machine->Tape.ReadPosition, 1000);
    EXPECT_GT(highSeen, 0);
    EXPECT_GT(lowSeen, 0);
}

// The KERNAL's own loader: an interrupt pending while it masks it, and its wait for an edge
// (BIT $01 and a branch back), whose turns the runs take at once while the level holds; half
// and whole waves.
TEST(FrameLoopEquivalence, TheKernalTapeLoaderWaitingForEdges) {
    for (const uint8_t version : {uint8_t(2), uint8_t(1)}) {
        TTwin fast, plain;
        ForBoth(fast, plain, [](TMachine& m) { Workload::BootToPrompt(m, MachineC16); });
        ForBoth(fast, plain, [&](TMachine& m) {
            Workload::StartTapeLoad(m);
            std::vector<uint8_t> image = m.Tape.Image;
            image[0x0C] = version;
            m.Tape.LoadImage(image);
        });
        TClockCounter counter;
        for (int call = 0; call < 30; ++call) {
            fast.Machine->RunFrame();
            plain.Machine->RunFrameObserved(counter);
            ASSERT_EQ(Difference(*fast.Machine, *plain.Machine), "") << "version " << int(version) << ", call " << call;
            ASSERT_EQ(fast.Machine->Tape.ReadPosition, plain.Machine->Tape.ReadPosition) << "call " << call;
            ASSERT_EQ(fast.Machine->Tape.Remaining, plain.Machine->Tape.Remaining) << "call " << call;
            ASSERT_EQ(fast.Machine->Tape.LevelBit, plain.Machine->Tape.LevelBit) << "call " << call;
        }
        EXPECT_GT(fast.Machine->Tape.ReadPosition, 5000);
    }
}

// The handler of a raster interrupt that moves down the display area does one of eight things
// in turn: moves the horizontal position back or forward, sets the row's line, the row reload
// value, the vertical scroll with 24/25 rows and the display enable, moves the line counter,
// flips the clock mode, or restores the screen; the main loop stores and increments through
// bad lines.
Workload::TMiniAsm CounterWritesProgram(uint16_t origin) {
    Workload::TMiniAsm a(origin);
    a.Bytes({0x78, 0xA2, 0xFF, 0x9A})
        .LowByteOf(0xA9, "irq").Bytes({0x8D, 0xFE, 0xFF})
        .HighByteOf(0xA9, "irq").Bytes({0x8D, 0xFF, 0xFF})
        .Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF, 0xA9, 0x08, 0x8D, 0x14, 0xFF})
        .Bytes({0xA9, 0x02, 0x8D, 0x0A, 0xFF, 0xA9, 0x05, 0x8D, 0x0B, 0xFF, 0x58})
        .Label("main")
        .Bytes({0xFE, 0x00, 0x0C, 0x9D, 0x00, 0x0D, 0xE8})  // INC $0C00,X; STA $0D00,X; INX
        .Absolute(0x4C, "main")
        .Label("irq")
        .Bytes({0x48, 0x8A, 0x48, 0xA9, 0x02, 0x8D, 0x09, 0xFF, 0xE6, 0xF0, 0xA5, 0xF0, 0x29, 0x07})
        .Branch(0xD0, "n1")
        .Bytes({0xAD, 0x1E, 0xFF, 0x38, 0xE9, 0x10, 0x8D, 0x1E, 0xFF}).Absolute(0x4C, "next")
        .Label("n1").Bytes({0xC9, 0x01}).Branch(0xD0, "n2")
        .Bytes({0xAD, 0x1E, 0xFF, 0x18, 0x69, 0x18, 0x8D, 0x1E, 0xFF}).Absolute(0x4C, "next")
        .Label("n2").Bytes({0xC9, 0x02}).Branch(0xD0, "n3")
        .Bytes({0xA5, 0xF0, 0x4A, 0x4A, 0x4A, 0x29, 0x07, 0x09, 0x08, 0x8D, 0x1F, 0xFF}).Absolute(0x4C, "next")
        .Label("n3").Bytes({0xC9, 0x03}).Branch(0xD0, "n4")
        .Bytes({0xA5, 0xF0, 0x8D, 0x1B, 0xFF}).Absolute(0x4C, "next")
        .Label("n4").Bytes({0xC9, 0x04}).Branch(0xD0, "n5")
        .Bytes({0xA5, 0xF0, 0x4A, 0x4A, 0x4A, 0x29, 0x1F, 0x8D, 0x06, 0xFF}).Absolute(0x4C, "next")
        .Label("n5").Bytes({0xC9, 0x05}).Branch(0xD0, "n6")
        .Bytes({0xAD, 0x1D, 0xFF, 0x18, 0x69, 0x03, 0x8D, 0x1D, 0xFF}).Absolute(0x4C, "next")
        .Label("n6").Bytes({0xC9, 0x06}).Branch(0xD0, "n7")
        .Bytes({0xAD, 0x13, 0xFF, 0x49, 0x02, 0x8D, 0x13, 0xFF}).Absolute(0x4C, "next")
        .Label("n7")
        .Bytes({0xE6, 0xF1, 0xA9, 0x1B, 0x8D, 0x06, 0xFF, 0xAD, 0x13, 0xFF, 0x29, 0xFD, 0x8D, 0x13, 0xFF})
        .Label("next")  // the next compare 29 lines on, within the display area
        .Bytes({0xAD, 0x0B, 0xFF, 0x18, 0x69, 0x1D, 0xC9, 0xC8})
        .Branch(0x90, "ok")
        .Bytes({0xE9, 0xC8})
        .Label("ok")
        .Bytes({0x8D, 0x0B, 0xFF, 0x68, 0xAA, 0x68, 0x40});
    return a;
}

TEST(FrameLoopEquivalence, CounterWritesScrollRowsAndClockModeFromRasterInterrupts) {
    TTwin fast, plain;
    ForBoth(fast, plain, [](TMachine& m) { StartRomless(m, CounterWritesProgram(0x1000)); });
    RunAndCompare(fast, plain, 60);
    EXPECT_GT(fast.Machine->Memory.Image[0xF1], 30);  // the interrupts kept coming
}
