// Frames per second of the whole machine, every frame drawn, and processor clocks per second
// of the processor alone. Real speed is 50 frames a second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "bench/workloads.h"
#include "cpu/cpu.h"
#include "machine/paths.h"
#include "memory/memory.h"

namespace {

std::unique_ptr<TMachine> NewMachine() {
    return std::make_unique<TMachine>(TNullHost::Instance(), ExecutableDirectory());
}

void RunFrames(benchmark::State& state, TMachine& machine) {
    for (auto _ : state) machine.RunFrame();
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// (a) A C16 at the BASIC prompt, waiting for a key.
void C16Idle(benchmark::State& state) {
    auto machine = NewMachine();
    Workload::BootToPrompt(*machine, MachineC16);
    RunFrames(state, *machine);
}

// (b) A Plus4 printing from a BASIC loop: the text scrolls all the time.
void Plus4PrintLoop(benchmark::State& state) {
    auto machine = NewMachine();
    Workload::BootToPrompt(*machine, MachinePlus4);
    Workload::StartPrintLoop(*machine);
    for (int i = 0; i < 50; ++i) machine->RunFrame();
    RunFrames(state, *machine);
}

// (c) A multicolour bitmap with four raster interrupts a frame and a busy main loop.
void BitmapRaster(benchmark::State& state) {
    auto machine = NewMachine();
    Workload::SetUpBitmapRaster(*machine);
    RunFrames(state, *machine);
}

// (e) A C16 loading from tape: the KERNAL's loader with the motor on.
void C16TapeLoad(benchmark::State& state) {
    auto machine = NewMachine();
    Workload::BootToPrompt(*machine, MachineC16);
    Workload::StartTapeLoad(*machine);
    for (int i = 0; i < 50; ++i) machine->RunFrame();
    RunFrames(state, *machine);
}

// (f) A C16 running a number-crunching program from RAM, the screen displayed.
void C16Crunch(benchmark::State& state) {
    auto machine = NewMachine();
    Workload::SetUpCrunch(*machine);
    for (int i = 0; i < 50; ++i) machine->RunFrame();
    RunFrames(state, *machine);
}

// (g) The idle C16 with one breakpoint set, as with the debugger open and the machine running.
void C16IdleWithBreakpoint(benchmark::State& state) {
    auto machine = NewMachine();
    Workload::BootToPrompt(*machine, MachineC16);
    machine->Cpu.Breakpoints[0] = Workload::KernalLoadEntry;
    machine->Cpu.BreakpointCount = 1;
    RunFrames(state, *machine);
}

// (d) The processor alone, one Step per clock, running a CPU-bound loop from RAM.
void CpuAlone(benchmark::State& state) {
    auto memory = std::make_unique<TMemory>(2);
    memory->FillRam();
    memory->SetRomEnabled(0);
    Workload::Place(*memory, 0x1000, Workload::CpuLoop(0x1000));
    TCPU cpu;
    cpu.SetMemory(memory.get());
    cpu.PowerOn();
    cpu.PC = 0x1000;
    constexpr int ClocksPerIteration = 100000;
    for (auto _ : state)
        for (int i = 0; i < ClocksPerIteration; ++i) cpu.Step();
    state.counters["clocks/s"] =
        benchmark::Counter(double(state.iterations()) * ClocksPerIteration, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(C16Idle)->Unit(benchmark::kMicrosecond);
BENCHMARK(Plus4PrintLoop)->Unit(benchmark::kMicrosecond);
BENCHMARK(BitmapRaster)->Unit(benchmark::kMicrosecond);
BENCHMARK(C16TapeLoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(C16Crunch)->Unit(benchmark::kMicrosecond);
BENCHMARK(C16IdleWithBreakpoint)->Unit(benchmark::kMicrosecond);
BENCHMARK(CpuAlone)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
