#pragma once
// Twin machines for the frame loop tests: one runs RunFrame (the fast path), the other
// RunFrameObserved (the plain loop, one processor clock and one TED step at a time); after
// every call they must agree on everything a debugger could look at: RAM and ROM, processor,
// TED, frame buffer, the frame loop's own counters and when the sound was fed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace FrameLoopTwins {

// Stops the machine at chosen ends of frame, as a front-end pausing on a frame may.
class TStoppingHost : public THost {
public:
    void StatusMessage(const char*) override {
        if (StopOnStatus && Machine) Machine->Stop();
    }
    void AppendLog(const char*) override {}
    void ErrorBox(const char*) override {}
    void BreakpointReached() override {
        ++Breakpoints;
        if (AtBreakpoint && Machine) AtBreakpoint(*Machine);
    }
    void EndOfFrame(bool drawn) override {
        Drawn.push_back(drawn);
        if (StopEvery != 0 && Drawn.size() % StopEvery == 0 && Machine) Machine->Stop();
        if (AtEndOfFrame && Machine) AtEndOfFrame(*Machine);
    }
    TMachine* Machine = nullptr;
    std::function<void(TMachine&)> AtEndOfFrame;  // inside the frame loop's call
    std::function<void(TMachine&)> AtBreakpoint;  // inside the processor clock that reached it
    size_t StopEvery = 0;
    bool StopOnStatus = false;  // as a front-end pausing on "Illegal opcode!" may
    std::vector<bool> Drawn;
    int Breakpoints = 0;
};

// Notes where in the frame each feed happens and what the sound registers said.
class TFeedLog : public TSoundSink {
public:
    explicit TFeedLog(const TTED& ted) : Ted(ted) {}
    void Feed() override {
        Entries.push_back(Ted.LineIndex * 1000 + Ted.LineStep);
        Entries.push_back(Ted.Sound.Voice1Frequency << 16 | Ted.Sound.Voice2Frequency);
        Entries.push_back(Ted.Sound.Volume | Ted.Sound.Voice1On << 4 | Ted.Sound.Noise << 5);
    }
    const TTED& Ted;
    std::vector<int> Entries;
};

struct TTwin {
    TStoppingHost Host;
    std::unique_ptr<TMachine> Machine;
    std::unique_ptr<TFeedLog> Feeds;
    TTwin() : Machine(std::make_unique<TMachine>(Host, std::string(VARLUME_BIN_DIR) + "/")) {
        Host.Machine = Machine.get();
        Feeds = std::make_unique<TFeedLog>(Machine->Ted);
        Machine->SetSoundSink(Feeds.get());
    }
};

// Counts the clocks, and so keeps the plain loop.
struct TClockCounter {
    uint64_t Clocks = 0;
    void AfterCpuClock() { ++Clocks; }
};

inline std::string Difference(const TMachine& a, const TMachine& b) {
    if (std::memcmp(a.Memory.Image, b.Memory.Image, TMemory::ImageSize) != 0) {
        for (uint32_t i = 0; i < TMemory::ImageSize; ++i)
            if (a.Memory.Image[i] != b.Memory.Image[i]) return "memory at " + std::to_string(i);
    }
    const TCPU &c = a.Cpu, &d = b.Cpu;
    if (c.PC != d.PC || c.A != d.A || c.X != d.X || c.Y != d.Y || c.SP != d.SP || c.Cycle != d.Cycle ||
        c.Opcode != d.Opcode || c.DataLo != d.DataLo || c.DataHi != d.DataHi || c.EffAddr != d.EffAddr ||
        c.Result16 != d.Result16 || c.IrqLine != d.IrqLine || c.IrqSample != d.IrqSample ||
        c.InterruptDue != d.InterruptDue || c.InterruptEntry != d.InterruptEntry || c.BranchIrqSample != d.BranchIrqSample ||
        c.StatusByte(false, false) != d.StatusByte(false, false) || c.B != d.B)
        return "processor";
    if (a.Cpu.Bus != b.Cpu.Bus) return "data bus";
    const TTED &t = a.Ted, &u = b.Ted;
    if (t.LineStep != u.LineStep || t.LineIndex != u.LineIndex || t.InBorder != u.InBorder ||
        t.DoubleClockAllowed != u.DoubleClockAllowed || t.RenderOffset() != u.RenderOffset() ||
        t.FlashCounter != u.FlashCounter || t.FlashOn != u.FlashOn || t.ClockCount() != u.ClockCount() ||
        t.KeyboardLatch != u.KeyboardLatch || t.CharPosition != u.CharPosition || t.RowsActive != u.RowsActive ||
        t.FrameLines != u.FrameLines)
        return "TED position " + std::to_string(t.LineIndex) + ":" + std::to_string(t.LineStep) + " vs " +
               std::to_string(u.LineIndex) + ":" + std::to_string(u.LineStep);
    for (int i = 0; i < 3; ++i)
        if (t.Timer[i].Counter != u.Timer[i].Counter || t.Timer[i].Running != u.Timer[i].Running)
            return "timer " + std::to_string(i + 1);
    // Every register read is free of side effects except the keyboard latch, which reads as stored.
    for (uint16_t r = 0xFF00; r < 0xFF20; ++r)
        if (const_cast<TTED&>(t).ReadRegister(r) != const_cast<TTED&>(u).ReadRegister(r))
            return "TED register " + std::to_string(r - 0xFF00);
    if (std::memcmp(a.Frame.Pixels, b.Frame.Pixels, TTED::FrameBytes) != 0) return "frame buffer";
    if (a.StepsLeft != b.StepsLeft || a.FrameCounter != b.FrameCounter || a.SkipThisFrame != b.SkipThisFrame ||
        a.EmulationStopped != b.EmulationStopped)
        return "frame loop";
    if (a.Memory.Motor != b.Memory.Motor || a.Memory.RomEnabled() != b.Memory.RomEnabled()) return "bus";
    return {};
}

// Runs `calls` frame-loop calls on both twins, restarting after each stop, and compares after each.
inline void RunAndCompare(TTwin& fast, TTwin& plain, int calls) {
    TClockCounter counter;
    for (int call = 0; call < calls; ++call) {
        fast.Machine->RunFrame();
        plain.Machine->RunFrameObserved(counter);
        const std::string difference = Difference(*fast.Machine, *plain.Machine);
        ASSERT_EQ(difference, "") << "after call " << call;
        ASSERT_EQ(fast.Feeds->Entries, plain.Feeds->Entries) << "after call " << call;
        ASSERT_EQ(fast.Host.Drawn, plain.Host.Drawn);
        ASSERT_EQ(fast.Host.Breakpoints, plain.Host.Breakpoints);
        if (fast.Machine->EmulationStopped) {
            fast.Machine->Start();
            plain.Machine->Start();
        }
    }
}

template <class SetUp> void ForBoth(TTwin& a, TTwin& b, SetUp setUp) {
    setUp(*a.Machine);
    setUp(*b.Machine);
}

}  // namespace FrameLoopTwins
