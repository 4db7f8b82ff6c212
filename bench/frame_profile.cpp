// Runs one benchmark workload for a number of frames, for profilers: under callgrind only those
// frames are counted (start with --instr-atstart=no), under perf the set-up is short.
//   varlume-profile idle|print|bitmap|tape|crunch|breakpoint [frames]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#endif

#include "bench/workloads.h"
#include "machine/paths.h"

int main(int argc, char** argv) {
    const char* which = argc > 1 ? argv[1] : "";
    const int frames = argc > 2 ? std::atoi(argv[2]) : 200;
    auto machine = std::make_unique<TMachine>(TNullHost::Instance(), ExecutableDirectory());
    if (!std::strcmp(which, "idle")) {
        Workload::BootToPrompt(*machine, MachineC16);
    } else if (!std::strcmp(which, "print")) {
        Workload::BootToPrompt(*machine, MachinePlus4);
        Workload::StartPrintLoop(*machine);
        for (int i = 0; i < 50; ++i) machine->RunFrame();
    } else if (!std::strcmp(which, "bitmap")) {
        Workload::SetUpBitmapRaster(*machine);
    } else if (!std::strcmp(which, "tape")) {
        Workload::BootToPrompt(*machine, MachineC16);
        Workload::StartTapeLoad(*machine);
        for (int i = 0; i < 50; ++i) machine->RunFrame();
    } else if (!std::strcmp(which, "crunch")) {
        Workload::SetUpCrunch(*machine);
        for (int i = 0; i < 50; ++i) machine->RunFrame();
    } else if (!std::strcmp(which, "breakpoint")) {
        Workload::BootToPrompt(*machine, MachineC16);
        machine->Cpu.Breakpoints[0] = Workload::KernalLoadEntry;
        machine->Cpu.BreakpointCount = 1;
    } else {
        std::fprintf(stderr, "usage: varlume-profile idle|print|bitmap|tape|crunch|breakpoint [frames]\n");
        return 1;
    }
    const std::clock_t start = std::clock();
    CALLGRIND_START_INSTRUMENTATION;
    for (int i = 0; i < frames; ++i) machine->RunFrame();
    CALLGRIND_STOP_INSTRUMENTATION;
    // Processor time, which another process on the machine does not count into.
    const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    std::printf("%d frames, PC $%04X, %.0f frames/s of processor time\n", frames, unsigned(machine->Cpu.PC),
                seconds > 0 ? frames / seconds : 0.0);
    return 0;
}
