#include "runner.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "cpu/disassembler.h"
#include "debug/symbolic_listing.h"
#include "debug_server.h"
#include "machine/cartridge.h"
#include "machine/machine.h"
#include "machine/paths.h"
#include "media/host_files.h"
#include "machine/snapshot.h"
#include "machine/typist.h"
#include "screen_output.h"
#include "stop_conditions.h"
#include "storage.h"
#include "ted/palettes.h"
#include "wav_recorder.h"

namespace {

// Messages that a window would show go to stderr, so stdout stays machine-readable.
class TRunnerHost : public THost {
public:
    void StatusMessage(const char* text) override { std::fprintf(stderr, "status: %s\n", text); }
    void AppendLog(const char* line) override { std::fprintf(stderr, "log: %s\n", line); }
    void ErrorBox(const char* text) override {
        std::fprintf(stderr, "error: %s\n", text);
        ++ErrorsShown;
    }
    // The machine stops itself after this; the run prints where it stopped at its end.
    void BreakpointReached() override { BreakpointHit = true; }
    void EndOfFrame(bool) override {}

    int ErrorsShown = 0;
    bool BreakpointHit = false;
};

// Watches every processor clock: counts clocks, traces instructions and stops the frame loop
// at the requested program counter or when the cycle budget is used up.
class TRunObserver {
public:
    TRunObserver(TMachine& machine, const TRunOptions& options, const TStopConditions& stops)
        : Machine(machine),
          Stops(stops),
          Trace(options.Trace),
          UntilPc(options.UntilPc ? int32_t(*options.UntilPc) : -1),
          MaxCycles(options.MaxCycles.value_or(std::numeric_limits<uint64_t>::max())) {}

    void AfterCpuClock() {
        ++Cycles;
        Stops.AfterClock();
        if (Machine.Cpu.Cycle == 1) {
            if (Machine.Cpu.PC == UntilPc) {
                ReachedPc = true;
                Machine.Stop();
            }
            if (Trace) TraceInstruction();
        }
        if (Cycles >= MaxCycles && !ReachedPc) {
            BudgetUsedUp = true;
            Machine.Stop();
        }
    }

    // The instruction about to be fetched, with the registers before it.
    void TraceInstruction() {
        TCPU& cpu = Machine.Cpu;
        const TMemory& mem = Machine.Memory;
        const uint16_t pc = cpu.PC;
        // Peeked: tracing must not change what the program reads.
        const std::string line = FormatLine(pc, mem.Peek(pc), mem.Peek(uint16_t(pc + 1)), mem.Peek(uint16_t(pc + 2)));
        // Padded to the widest line (one with a register comment), so the columns stay put.
        std::fprintf(stderr, "%-*s A:%02X X:%02X Y:%02X SP:%02X P:%c%c-%c%c%c%c%c cycles:%" PRIu64 "\n",
                     TraceLineWidth, line.c_str(), cpu.A, cpu.X, cpu.Y, cpu.SP, cpu.N ? 'N' : 'n', cpu.V ? 'V' : 'v',
                     cpu.B ? 'B' : 'b', cpu.D ? 'D' : 'd', cpu.I ? 'I' : 'i', cpu.Z ? 'Z' : 'z',
                     cpu.C ? 'C' : 'c', Cycles);
    }

    bool Stopped() const { return ReachedPc || BudgetUsedUp; }

    static constexpr int TraceLineWidth = 44;

    TMachine& Machine;
    const TStopConditions& Stops;
    const bool Trace;
    const int32_t UntilPc;
    const uint64_t MaxCycles;
    uint64_t Cycles = 0;
    bool ReachedPc = false;
    bool BudgetUsedUp = false;
};

bool LoadRawFiles(TMachine& machine, const TRunOptions& options) {
    for (const auto& load : options.Loads) {
        std::vector<uint8_t> bytes;
        const THostRead read = ReadHostFile(load.File, TMemory::RamSize, bytes);
        if (read != THostRead::Ok && read != THostRead::TooLarge) {
            std::fprintf(stderr, "varlume-run: cannot read '%s'\n", load.File.c_str());
            return false;
        }
        if (read == THostRead::TooLarge || load.Address + bytes.size() > TMemory::RamSize) {
            std::fprintf(stderr, "varlume-run: '%s' (%zu bytes) does not fit in RAM at $%04X\n", load.File.c_str(),
                         bytes.size(), load.Address);
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), machine.Memory.Ram() + load.Address);
    }
    return true;
}

void PrintDumps(const TMachine& machine, const TRunOptions& options) {
    const uint8_t* ram = machine.Memory.Ram();
    for (const auto& dump : options.Dumps) {
        for (uint32_t offset = 0; offset < dump.Length; offset += 16) {
            const uint32_t address = dump.Address + offset;
            std::printf("%04X:", address);
            for (uint32_t i = offset; i < dump.Length && i < offset + 16; ++i) std::printf(" %02X", ram[dump.Address + i]);
            std::printf("\n");
        }
    }
}

// Where a breakpoint stopped the run: the debugger's register line and its listing from PC.
void PrintBreakpoint(const TMachine& machine, int64_t frame, const TSymbolTable& symbols) {
    std::printf("breakpoint $%04X reached in frame %" PRId64 "\n", machine.Cpu.PC, frame);
    std::printf("%s\n", RegisterLine(machine.Cpu).c_str());
    const TSymbolListing listing = DisassembleWithSymbols(machine.Memory, machine.Cpu.PC, symbols);
    for (const std::string& line : listing.Text) {
        if (line.empty()) break;
        std::printf("%.*s\n", int(line.find_last_not_of(' ') + 1), line.c_str());
    }
}

// The texts typed at the input loop's pace and into the buffer, in the order given; with --prg
// they follow its RUN.
void QueueTypedTexts(TTypist& typist, const TRunOptions& options) {
    typist.Type(options.TypeText, TTypist::TWay::Matrix, TTypist::TPace::AtInputLoop);
    typist.Type(options.KeyBuffer, TTypist::TWay::Buffer, TTypist::TPace::Steady);
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "varlume-run: %s\n", why.c_str());
    return 1;
}

}  // namespace

int Run(const TRunOptions& options) {
    TRunnerHost host;
    // Without --rom-dir, where the desktop program looks: beside the binary, then the user's.
    auto machine = std::make_unique<TMachine>(host, options.RomDirectory.empty()
                                                        ? std::vector<std::string>{ExecutableDirectory(), UserRomDirectory()}
                                                        : std::vector<std::string>{options.RomDirectory});
    TStorage storage(*machine, options);
    std::string error;
    if (!storage.CheckFiles(error)) return Fail(error);
    SelectPalette(*PaletteForSettingsCode(options.Palette), machine->Frame.ColourTable);
    machine->PowerUp(options.MachineType);
    // A machine without its ROMs runs no program of its own: the run would mean nothing.
    if (host.ErrorsShown > 0)
        return Fail("the machine's ROM images could not all be loaded (see above); put them beside varlume-run or in "
                    "~/.local/share/varlume/roms, or name their directory with --rom-dir (scripts/fetch-roms.sh DIR fetches them)");
    if (!options.Cartridge.empty()) {
        TCartridgeImage cartridge;
        if (!ReadCartridgeFile(options.Cartridge, cartridge, error)) return Fail(error);
        AttachCartridge(*machine, cartridge);
    }
    std::unique_ptr<TWavRecorder> wav;
    if (!options.Wav.empty()) wav = std::make_unique<TWavRecorder>(*machine);
    if (!options.Snapshot.empty()) {
        std::vector<std::string> notes;
        if (!LoadSnapshotFile(*machine, options.Snapshot, error, wav ? &wav->Synth() : nullptr, &notes))
            return Fail(error + " '" + options.Snapshot + "'");
        for (const std::string& note : notes) std::fprintf(stderr, "varlume-run: %s\n", note.c_str());
    }
    if (options.RomOff) machine->Memory.Write(0xFF3F, 0);
    if (!LoadRawFiles(*machine, options)) return 1;
    if (options.Pc) machine->Cpu.PC = *options.Pc;
    for (const uint16_t address : options.Breaks) machine->Cpu.AddBreakpoint(address);
    if (!storage.Prepare(error)) return Fail(error);

    if (options.DebugServerPort) {
        // --frames boots the machine first, so that a program the client loads is not wiped.
        for (int64_t frame = 0; frame < options.Frames.value_or(0); ++frame) machine->RunFrame();
        return ServeDebugClient(*machine, *options.DebugServerPort, host.BreakpointHit);
    }
    TStopConditions stops(*machine, options);
    TRunObserver observer(*machine, options, stops);
    const bool stopCondition = options.UntilPc || options.MaxCycles;
    const int64_t frames = options.Frames.value_or(options.MaxCycles || stops.Waiting() ? std::numeric_limits<int64_t>::max()
                                                   : options.UntilPc                   ? TRunOptions::UntilPcFrames
                                                                                       : 50);
    if (options.Trace) observer.TraceInstruction();
    TTypist typist;
    if (options.Prg.empty()) QueueTypedTexts(typist, options);
    // --keys keeps its own frame whatever the other texts do.
    TTypist keys;
    keys.Type(options.Keys, TTypist::TWay::Matrix, TTypist::TPace::Steady, options.KeysFrame);

    const auto start = std::chrono::steady_clock::now();
    int64_t done = 0;
    // A breakpoint stops the machine inside a frame; that frame counts as run.
    for (; done < frames && !observer.Stopped() && !machine->EmulationStopped; ++done) {
        ApplyJoystickScripts(*machine, options.Joystick1 ? &*options.Joystick1 : nullptr,
                             options.Joystick2 ? &*options.Joystick2 : nullptr, done);
        if (options.Bench)
            machine->RunFrame();
        else
            machine->RunFrameObserved(observer);
        for (const auto& reset : options.Resets) {
            if (reset.AfterFrame != done + 1) continue;
            if (reset.Kind == TRunOptions::TReset::Soft) machine->SoftReset();
            else if (reset.Kind == TRunOptions::TReset::Hard) machine->HardReset();
            else machine->SpecialReset();
        }
        const bool prgPending = storage.PrgPending();
        if (!storage.AfterFrame(typist, error)) return Fail(error);
        if (prgPending && !storage.PrgPending()) QueueTypedTexts(typist, options);
        typist.AfterFrame(*machine);
        keys.AfterFrame(*machine);
        if (stops.AfterFrame(done + 1)) {
            ++done;
            break;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (options.Bench) {
        const double fps = seconds > 0 ? double(done) / seconds : 0;
        std::printf("%" PRId64 " frames in %.3f s: %.1f frames/s, %.1f%% of real time\n", done, seconds, fps, fps * 2);
    }
    if (stopCondition) {
        if (observer.ReachedPc)
            std::printf("reached $%04X after %" PRIu64 " cycles\n", machine->Cpu.PC, observer.Cycles);
        else if (observer.BudgetUsedUp)
            std::printf("cycle budget used up at $%04X after %" PRIu64 " cycles\n", machine->Cpu.PC, observer.Cycles);
        else if (options.UntilPc && !host.BreakpointHit)
            std::printf("$%04X not reached in %" PRId64 " frames, %" PRIu64 " cycles\n", *options.UntilPc, done,
                        observer.Cycles);
        else
            std::printf("stopped after %" PRId64 " frames, %" PRIu64 " cycles\n", done, observer.Cycles);
    }
    const bool untilPcMissed = options.UntilPc && !observer.ReachedPc && !host.BreakpointHit;
    const bool breakpointMissed = !options.Breaks.empty() && !host.BreakpointHit && !observer.ReachedPc;
    if (host.BreakpointHit)
        PrintBreakpoint(*machine, done, options.Symbols);
    else if (breakpointMissed)
        std::printf("no breakpoint reached in %" PRId64 " frames\n", done);
    const int stopStatus = stops.Finish(done);
    PrintDumps(*machine, options);
    if (options.ScreenText) std::fputs(ScreenText(*machine).c_str(), stdout);

    if (!storage.Finish(error)) return Fail(error);
    if (!options.Screenshot.empty() && !WriteScreenshot(*machine, options.Screenshot, error)) return Fail(error);
    if (wav && !wav->Save(options.Wav, error)) return Fail(error);
    if (!options.SaveSnapshot.empty() && !storage.CheckSnapshotTarget(error)) return Fail(error);
    if (!options.SaveSnapshot.empty() &&
        !SaveSnapshotFile(*machine, options.SaveSnapshot, error, wav ? &wav->Synth() : nullptr))
        return Fail(error + " '" + options.SaveSnapshot + "'");
    if (storage.PrgPending()) return Fail("the PRG was never loaded: the ROM did not wait for keyboard input");
    if (stopStatus >= 0) return stopStatus;
    // A run that stopped where it was asked to may end with a key still held.
    const bool stoppedByRequest = observer.ReachedPc || host.BreakpointHit;
    if (!typist.Idle() && !stoppedByRequest)
        return Fail(typist.Started() ? "typing did not finish within " + std::to_string(done) + " frames"
                                     : "typing never started: the ROM did not wait for keyboard input within " +
                                           std::to_string(done) + " frames");
    if (!keys.Idle() && !stoppedByRequest) return Fail("--keys did not finish within " + std::to_string(done) + " frames");
    return observer.BudgetUsedUp || breakpointMissed || untilPcMissed ? 2 : 0;
}
