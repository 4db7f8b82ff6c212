#include "machine/machine.h"

#include <cstdio>
#include <utility>

namespace {

struct TRomImage {
    const char* File;
    int Slot;
};

// The ROM set of each machine type, in loading order; slot 2b is bank b at $8000-$BFFF and
// slot 2b + 1 bank b at $C000-$FFFF.
constexpr TRomImage BasicKernal[] = {{"basic.bin", 0}, {"kernal.bin", 1}};
constexpr TRomImage Plus4Software[] = {{"3plus1lo.rom", 2}, {"3plus1hi.rom", 3}};

int32_t RamSizeCodeOf(int32_t type) {
    switch (type) {
        case MachineC16: return 0;
        case MachineC232: return 1;
        default: return 2;
    }
}

}  // namespace

TMachine::TMachine(THost& host, std::string romDirectory)
    : TMachine(host, std::vector<std::string>{std::move(romDirectory)}) {}

TMachine::TMachine(THost& host, std::vector<std::string> romDirectories)
    : OuterHost(host), RomDirs(std::move(romDirectories)) {
    Cpu.SetMemory(&Memory);
    Cpu.SetHost(&CoreHost);
    Ted.SetMemory(&Memory);
    Ted.SetCPU(&Cpu);
    Ted.SetHost(&CoreHost);
    Ted.SetKeyboard(&Keyboard);
    Memory.SetTED(&Ted);
    Memory.SetDrive8(&Drive8);
    Memory.SetDrive9(&Drive9);
    Memory.SetTape(&Tape);
    Drive8.SetDeviceNumber(8);
    Drive9.SetDeviceNumber(9);
    Ted.SetFrameBuffer(Frame.Pixels);
}

void TMachine::LoadRoms(int32_t type, TRomReport report) {
    if (type < MachineC16 || type > MachineCustom) return;  // an unknown type changes nothing
    // The Custom Machine has 64 KB like the Plus4 and loads no ROM; it has the Plus4's chips
    // in the I/O area, and its empty ROM banks read as they are.
    Memory.SetRamSize(RamSizeCodeOf(type));
    const bool plus4Io = type == MachinePlus4 || type == MachineCustom;
    Memory.SetIoModel(plus4Io ? TMemory::TIoModel::Plus4 : TMemory::TIoModel::C16, type != MachineCustom);
    // The drives cut a directory listing to what this RAM can take.
    Drive8.SetMachineRam(16384 << RamSizeCodeOf(type));
    Drive9.SetMachineRam(16384 << RamSizeCodeOf(type));
    if (type == MachineCustom) return;
    auto load = [&](const TRomImage& rom, bool reportFailure) {
        std::string tried;
        for (const std::string& dir : RomDirs) {
            const std::string path = dir + rom.File;
            if (Memory.LoadRom(path, rom.Slot)) return;
            tried += "\n" + path;
        }
        if (!reportFailure) return;
        char text[64];
        std::snprintf(text, sizeof text, "Cannot load file: '%s'", rom.File);
        // The box names every place looked in, so a user knows where to put the image.
        OuterHost.ErrorBox((text + std::string("\n\nLooked for:") + tried).c_str());
    };
    for (const auto& rom : BasicKernal) load(rom, report == TRomReport::All);
    if (type == MachinePlus4)
        for (const auto& rom : Plus4Software) load(rom, true);
}

void TMachine::PowerUp(int32_t type) {
    MachineType = type;
    Cpu.PowerOn();
    Memory.FillRam();
    Ted.Reset();
    LoadRoms(type, TRomReport::All);
    Drive8.SetMode(TDrive::ModeNone);
    Drive9.SetMode(TDrive::ModeNone);
    SetSkipDivisor(1);
    Memory.EnableRom();
    Cpu.Reset();
    EmulationStopped = false;
}

void TMachine::ColdStart() {
    Memory.FillRam();
    Ted.Reset();
    Cpu.PowerOn();
    Memory.EnableRom();
    Cpu.Reset();
}

void TMachine::SelectMachineType(int32_t type) {
    MachineType = type;
    Memory.ClearRoms();
    LoadRoms(type, TRomReport::Plus4Only);
    ColdStart();
}

void TMachine::ResetDrives() {
    Drive8.Reset();
    Drive9.Reset();
}

// The reset line also clears the ROM bank latch, so the reset vector is always read from the
// KERNAL, whichever bank a program (the Plus4's built-in software, say) had switched in.
void TMachine::ResetRomBanks() { Memory.SetRomBanks(0, 0); }

void TMachine::SoftReset() {
    ResetRomBanks();
    Cpu.Reset();
    ResetDrives();
    OuterHost.StatusMessage("Soft reset has been performed.");
}

void TMachine::HardReset() {
    ColdStart();
    ResetDrives();
    OuterHost.StatusMessage("Hard reset has been performed.");
}

void TMachine::SpecialReset() {
    Ted.Reset();
    Cpu.PowerOn();
    Memory.EnableRom();
    ResetRomBanks();
    Cpu.Reset();
    ResetDrives();
    OuterHost.StatusMessage("Special reset has been performed.");
}

void TMachine::RunFrame() {
    BeginFrame();
    // After a processor clock inside a run: anything that changes the run's plan ends it, and
    // so does a breakpoint at the boundary just reached, which is reported once the run has
    // brought every field up to date.
    auto runEnds = [this] {
        if (Cpu.Cycle == 1 && Cpu.AtBreakpoint()) [[unlikely]] BreakpointDue = true;
        return (BreakpointDue | EmulationStopped | Ted.ScheduleChanged) != 0;
    };
    // With the IRQ line low from the start of the run (only the TED raises it, at events that
    // end runs), whole instructions where one starts, clock by clock otherwise.
    auto quietClock = [this, &runEnds](uint32_t budget, TTED::TDrawAhead drawAhead) -> TTED::TRunClocks {
        if (Cpu.AtOpcodeFetch()) {
            Ted.WholeInstructionFrom = Ted.LineStep;
            const uint32_t clocks = drawAhead.Draw ? Cpu.RunInstructions(budget, drawAhead.Draw, drawAhead.Cells, *drawAhead.Watch)
                                                   : Cpu.RunInstructions(budget);
            Ted.WholeInstructionFrom = -1;
            return {clocks, runEnds()};
        }
        Cpu.StepQuiet();
        return {1, runEnds()};
    };
    // With the line up: while I masks it nothing samples it, so whole instructions from a
    // boundary too (the processor hands back CLI, PLP and RTI after their fetch); else clock
    // by clock, sampling it. An opcode fetch only reads, and no read stops the machine or
    // changes the plan.
    auto clock = [this, &runEnds, &quietClock](uint32_t budget, TTED::TDrawAhead drawAhead) -> TTED::TRunClocks {
        if (Cpu.AtOpcodeFetch() && Cpu.I != 0) return quietClock(budget, drawAhead);
        return {1, Cpu.StepInRun() && runEnds()};
    };
    auto run = [this](int32_t start, int32_t end, auto& cpuClock) {
        return Ted.InWindow(start) ? Ted.RunWindow(end, cpuClock) : Ted.RunBorder(end, cpuClock);
    };
    for (;;) {
        if (StepsLeft <= 0 || EmulationStopped) {
            --StepsLeft;
            return;
        }
        // A run ends at the step after which the sound is fed.
        {
            const int32_t start = Ted.LineStep;
            const int32_t end = Ted.RunEnd(((StepsLeft - 1) & (FeedSteps - 1)) + 1);
            // Stopped for a bad line, the processor still ends a write it is doing, step by step.
            if (end > start && !(Ted.ProcessorStopped() && Cpu.NextClockWrites())) {
                Ted.ScheduleChanged = false;
                // A running tape is stepped after the run, or at a port access inside it.
                const bool tapeRuns = Memory.Motor && Memory.PlayKey;
                if (tapeRuns) Memory.TapeStepsFrom = start;
                const bool quiet = Cpu.IrqLine == 0;
                const bool cut = quiet ? run(start, end, quietClock) : run(start, end, clock);
                if (tapeRuns) {
                    Memory.CatchUpTape();
                    Memory.TapeStepsFrom = -1;
                }
                StepsLeft -= Ted.LineStep - start;
                if (!cut) {
                    if (FeedsAfter(StepsLeft)) FeedSound();
                    continue;
                }
                // The step whose processor clock ended the run: the breakpoint's report, as the
                // clock makes it in the plain loop, then the TED part as the plain loop does it.
                --StepsLeft;
                if (BreakpointDue) {
                    BreakpointDue = false;
                    Cpu.ReportBreakpoint();
                }
                FinishStep();
                continue;
            }
        }
        --StepsLeft;
        ProcessorClock();
        FinishStep();
    }
}

bool TMachine::StepClock() {
    const TCpuClock rule = Ted.ClockAt();
    const bool clocked = ProcessorClock();
    LastStepClock = clocked ? TCpuClock::Clock : rule;
    Ted.Step();
    return clocked;
}

bool TMachine::StepInstruction() {
    constexpr int MaxClocks = 64, MaxSteps = 2 * MaxClocks + 2 * TTED::StepsPerLine;
    int clocks = 0;
    for (int step = 0; step < MaxSteps && clocks < MaxClocks; ++step) {
        if (!StepClock()) continue;
        ++clocks;
        if (Cpu.Cycle == 1) return true;
    }
    return false;
}

bool TMachine::StepOver(uint32_t maxSteps) {
    constexpr uint8_t Jsr = 0x20;
    if (Memory.Peek(Cpu.PC) != Jsr || Cpu.Cycle != 1) return StepInstruction();
    const uint8_t stackBefore = Cpu.SP;
    for (uint32_t step = 0; step < maxSteps; ++step)
        if (StepClock() && Cpu.Cycle == 1 && Cpu.SP == stackBefore) return true;
    return false;
}

void TMachine::EndOfFrame() {
    OuterHost.EndOfFrame(SkipThisFrame == 0);
    ++FrameCounter;
}

void TMachine::Start() {
    Keyboard.ClearKeys();
    EmulationStopped = false;
}

void TMachine::TCoreHost::BreakpointReached() {
    // The front-end shows its debugger and stops emulation, which sets EmulationStopped before
    // its windows refresh; a host that only notes the hit leaves the stop to the machine.
    Machine.OuterHost.BreakpointReached();
    Machine.Stop();
}
