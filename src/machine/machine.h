#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/sound_sink.h"
#include "cpu/cpu.h"
#include "machine/frame_buffer.h"
#include "machine/machine_types.h"
#include "media/drive.h"
#include "media/tape.h"
#include "memory/memory.h"
#include "ted/keyboard.h"
#include "ted/ted.h"

// The whole emulated machine: builds and wires the components, loads the ROMs of a machine type,
// performs the resets and runs the frame loop. Allocate it on the heap: it holds the 192 KB
// memory image and the frame buffer.
class TMachine {
public:
    static constexpr int32_t StepsPerFrame = TTED::StepsPerFrame;

    // romDirectory ends with a separator (or is empty for the current directory).
    TMachine(THost& host, std::string romDirectory);
    // ROM images are looked up in these directories in order (each with a trailing separator);
    // the first regular file of the image's name is loaded.
    TMachine(THost& host, std::vector<std::string> romDirectories);
    TMachine(const TMachine&) = delete;
    TMachine& operator=(const TMachine&) = delete;

    // Start-up after the components exist: power on, fill RAM, reset the TED, load the ROMs of
    // `type` (a failing image shows its message box), both drives without back-end, enable ROM,
    // reset the processor, run.
    void PowerUp(int32_t type);
    // The Machine Type command: new RAM size and ROM set, then a cold start. Drives, tape and
    // sound output stay as they are.
    void SelectMachineType(int32_t type);
    void SoftReset();
    void HardReset();
    void SpecialReset();

    // One frame-loop call: 35568 clock steps unless emulation stops. It runs the TED's runs of
    // like steps where it can, and leaves every field exactly as the plain loop of
    // RunFrameObserved would, after any step at which it stops. A breakpoint reached inside a
    // run ends it, and is reported once the run has brought every field up to date, so that the
    // front-end, called from inside the processor clock that reaches it, sees every field exact
    // (docs/PERFORMANCE.md).
    void RunFrame();
    // The plain loop, one processor clock and one TED step at a time, with a hook after every
    // processor clock (trace, run-until).
    template <class Observer> void RunFrameObserved(Observer& observer);

    // The debugger's steps, outside the frame loop: one clock step (the processor's clock where
    // the TED gives it one, and the TED's step), and whole instructions. Neither sound nor tape
    // advances. StepClock returns whether the processor had the clock; LastStepClock keeps what
    // it did, for the micro-code view: its clock, none (the TED's half of a single-clock step),
    // or WriteOnly for held by a bad line's fetch.
    bool StepClock();
    TCpuClock LastStepClock = TCpuClock::Clock;
    // Clock steps until the processor is at the next instruction boundary (at least one of its
    // clocks). Every instruction ends within 8 clocks, and a bad line holds the processor for
    // less than a line; the bounds only guard against a processor fault. Returns false if a
    // bound was hit.
    bool StepInstruction();
    // Step Over: on a JSR, whole instructions until the first boundary at which SP is back at
    // its value from before the JSR (after the matching RTS, or earlier if the subroutine
    // pulls its return address); on any other opcode one instruction. A subroutine that never
    // returns must not hold the debugger for ever: after `maxSteps` clock steps it gives up
    // where it is and returns false. A breakpoint on the way is reported but does not end the
    // loop.
    bool StepOver(uint32_t maxSteps = StepOverSteps);
    // One second of machine time, 50 frames of clock steps.
    static constexpr uint32_t StepOverFrames = 50;
    static constexpr uint32_t StepOverSteps = StepOverFrames * StepsPerFrame;

    // The processor's part of a clock step, by the TED's rule (TTED::ClockAt): its clock, none,
    // or, stopped for a bad line's fetch, only a write it is doing. True when it took the clock.
    bool ProcessorClock() {
        switch (Ted.ClockAt()) {
            case TCpuClock::Clock: Cpu.Step(); return true;
            case TCpuClock::WriteOnly:
                if (!Cpu.NextClockWrites()) return false;
                Cpu.Step();
                return true;
            default: return false;
        }
    }

    // Called by the TED at the end of its last step of a frame, and by the debugger after a step.
    void EndOfFrame();
    void Stop() { EmulationStopped = true; }
    void Start();  // clears the host key state, then runs again

    // The sink hears the TED's sound-register writes from now on, stamped with their clock steps.
    void SetSoundSink(TSoundSink* sink) {
        Ted.SoundWrites = nullptr;
        SoundSink = sink;
        if (sink) sink->Attach(Ted);
    }
    // One frame in `divisor` is drawn; clamped to 1..4, so no frame count divides by zero.
    void SetSkipDivisor(int32_t divisor) { SkipDivisorValue = std::clamp(divisor, 1, 4); }
    int32_t SkipDivisor() const { return SkipDivisorValue; }
    THost& Host() { return OuterHost; }
    const std::vector<std::string>& RomDirectories() const { return RomDirs; }

    TCPU Cpu;
    TMemory Memory{2};
    TTED Ted;
    TDrive Drive8;
    TDrive Drive9;
    TTape Tape;
    TKeyboard Keyboard;
    TFrameBuffer Frame;

    int32_t MachineType = MachineC16;
    bool EmulationStopped = true;
    int32_t StepsLeft = 0;
    uint32_t FrameCounter = 0;  // wraps after 2^32 frames (about 2.7 years at 50 Hz)
    int32_t SkipThisFrame = 0;

private:
    // What the components call: adds the machine's own effects, then forwards to the front-end.
    class TCoreHost : public THost {
    public:
        explicit TCoreHost(TMachine& machine) : Machine(machine) {}
        void StatusMessage(const char* text) override { Machine.OuterHost.StatusMessage(text); }
        void AppendLog(const char* line) override { Machine.OuterHost.AppendLog(line); }
        void ErrorBox(const char* text) override { Machine.OuterHost.ErrorBox(text); }
        void BreakpointReached() override;
        void EndOfFrame(bool) override { Machine.EndOfFrame(); }

    private:
        TMachine& Machine;
    };

    // Loads the ROM images of `type`; reports the failures named by `report`.
    enum class TRomReport { All, Plus4Only };
    void LoadRoms(int32_t type, TRomReport report);
    void ColdStart();  // FillRam, TED reset, PowerOn, EnableRom, processor reset
    void ResetDrives();
    void ResetRomBanks();
    void FeedSound() { if (SoundSink) SoundSink->Feed(); }
    void BeginFrame() {
        StepsLeft = StepsPerFrame;
        SkipThisFrame = int32_t(FrameCounter % uint32_t(SkipDivisorValue));
        Ted.SkipThisFrame = SkipThisFrame;
    }
    // The plain loop's work for one step after the processor's clock: the TED step, the sound
    // feed (sound writes carry their clock steps, so every FeedSteps steps is enough) and the tape.
    static constexpr int32_t FeedSteps = 16384;
    static bool FeedsAfter(int32_t stepsLeft) { return (stepsLeft & (FeedSteps - 1)) == 0; }
    void FinishStep() {
        Ted.Step();
        if (FeedsAfter(StepsLeft)) FeedSound();
        if (Memory.Motor && Memory.PlayKey) Tape.Step();
    }

    int32_t SkipDivisorValue = 1;
    THost& OuterHost;
    TCoreHost CoreHost{*this};
    std::vector<std::string> RomDirs;
    TSoundSink* SoundSink = nullptr;
    bool BreakpointDue = false;  // a run ended at a breakpoint that is still to be reported
};

template <class Observer>
void TMachine::RunFrameObserved(Observer& observer) {
    BeginFrame();
    for (;;) {
        const int32_t taken = StepsLeft--;
        if (taken <= 0 || EmulationStopped) break;
        if (ProcessorClock()) observer.AfterCpuClock();
        FinishStep();
    }
}
