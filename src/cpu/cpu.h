#pragma once
#include <array>
#include <cstdint>
#include <utility>

#include "core/host.h"
#include "memory/memory.h"
#include "memory/write_watch.h"

class TMemory;
class TStateReader;
class TStateWriter;

// The 7501/8501 processor: an NMOS 6502 core advanced exactly one clock per Step. Every
// instruction is a numbered sequence of clocks, each one bus access (a read or a write, dummy
// accesses included); Cycle names the one the next clock performs, so the machine can be
// stopped and inspected between any two clocks. Each sequence is written once, as a list of
// clocks (cpu_families.h), and the clock-by-clock micro-steps, the whole-instruction path and
// the micro-code view's texts are all derived from that list.
class TCPU {
public:
    static constexpr int MaxBreakpoints = 16;
    // The constant that ANE ($8B) and LXA ($AB) OR into A: it differs between chips; $EE is one
    // of the values real chips show.
    static constexpr uint8_t MagicConstant = 0xEE;

    void SetMemory(TMemory* memory) {
        Memory = memory;
        if (memory) memory->BusLatch = &Bus;
    }
    // A null host falls back to one that ignores every report.
    void SetHost(THost* host) { Host = host ? host : &TNullHost::Instance(); }

    void Step();      // exactly one clock
    // The clock step of the frame loop's runs: without the breakpoint check, which the runs make
    // themselves at each instruction boundary. Returns false for an opcode fetch, a clock that
    // only read the bus, which can neither stop the machine nor change anything a run depends on.
    bool StepInRun() { return StepWith<true, false>(); }
    // The same without sampling the interrupt input: exact while the IRQ line is low, which it
    // stays for a whole run that starts with it low (only the TED raises it, at events that
    // end runs).
    bool StepQuiet() { return StepWith<false, false>(); }
    // Whole instructions, for the runs too. From an opcode fetch (AtOpcodeFetch) it performs the
    // instructions from PC one after the other, each in one call, clock for clock as StepQuiet
    // would, for `budget` clocks, and returns the clocks taken. It stops early after any clock
    // that made a decoded write (TMemory::DecodedWrites: I/O, the port, page $FF), so that the
    // caller sees that write's effects at its clock; at an instruction boundary that the
    // boundary checks stop at (AtBreakpoint); and, with the IRQ line up, after the fetch of
    // CLI, PLP or RTI, which may unmask it. An instruction left unfinished goes on with
    // StepQuiet, clock by clock (StepInRun with the line up). With the line up it is exact
    // while I is set, which only those three can change.
    uint32_t RunInstructions(uint32_t budget);
    // The same, calling `writeAhead(context, clocks taken before it)` ahead of every clock that
    // may change memory (a bus write or a stack push): where the TED draws from memory after
    // each processor clock, it draws up to there first.
    using TWriteAhead = void (*)(void* context, uint32_t clocksBefore);
    uint32_t RunInstructions(uint32_t budget, TWriteAhead writeAhead, void* context);
    // The same, announcing only the clocks whose write may land in `watch`. The watch must stay
    // valid for the call.
    uint32_t RunInstructions(uint32_t budget, TWriteAhead writeAhead, void* context, const TWriteWatch& watch);
    // Inside RunInstructions: the clocks it has taken before the current one.
    uint32_t ClocksIntoRunInstructions() const { return RunBudget - LeftBeforeInstruction + Cycle - 1; }
    // The most clocks an instruction of `opcode` takes, the fetch included.
    static uint32_t WholeInstructionClocks(uint8_t opcode);
    // The earliest clock in which `opcode` may change memory, 0 for none.
    static uint32_t FirstWriteClock(uint8_t opcode);
    // Whether clock `cycle` of `opcode`'s sequence writes (a bus write or a stack push); every
    // other clock reads. The interrupt entry is opcode $00's sequence.
    static bool WritesInClock(uint8_t opcode, uint32_t cycle);
    // Whether the next clock writes: a processor held by the bus's ready line still does it.
    bool NextClockWrites() const { return Cycle != 1 && WritesInClock(Opcode, Cycle); }
    // Whether `opcode` is one of the 105 that the 6502's documentation leaves out.
    static bool IsUndocumented(uint8_t opcode);

    void PowerOn();   // registers to their power-on values, no bus access
    void Reset();     // pushes PC and status, PC from $FFFC/$FFFD, Cycle 1
    void RaiseIrq() { IrqLine = 1; }
    void ClearIrq() { IrqLine = 0; }
    // The next clock fetches an opcode: an instruction boundary with no interrupt entry due.
    bool AtOpcodeFetch() const { return Cycle == 1 && InterruptDue == 0; }

    // The breakpoint list: at most 16 addresses, no duplicates, in the order they were added.
    // Adding a 17th or a duplicate, and removing an address not in the list, do nothing and
    // return false. Removing moves the later entries up one place.
    bool HasBreakpoint(uint16_t address) const;
    bool AddBreakpoint(uint16_t address);
    bool RemoveBreakpoint(uint16_t address);
    // The entries that count: BreakpointCount clamped to 0..16.
    int ValidBreakpointCount() const;
    // The checks Step makes at an instruction boundary, in two halves, for the frame loop's
    // runs: whether to stop there (PC is in the list, or, with StopOnUndocumented, the opcode at
    // PC is undocumented), and the report of it (the host's debugger, then the status message),
    // which the runs make once every lazily kept field is up to date.
    bool BoundaryChecks() const { return (BreakpointCount | int32_t(StopOnUndocumented)) != 0; }
    bool AtBreakpoint() const { return BoundaryChecks() && StopsHere(); }
    void ReportBreakpoint();
    // The debugger's option: stop before an undocumented opcode runs, with the report an
    // illegal opcode used to give. While it is off, the first undocumented opcode met at each
    // address is noted in the log, up to UndocumentedLogLimit lines from power-on.
    bool StopOnUndocumented = false;
    static constexpr int UndocumentedLogLimit = 256;

    // Processor status byte composed from the flag bytes (bit 5 and bit 4 as given).
    uint8_t StatusByte(bool bit5, bool bit4) const;

    // Snapshots (cpu_state.cpp): the registers and the sequencer between two clocks. The
    // breakpoints are the debugger's, not the machine's, and stay. Restore is false for
    // bytes that no processor state gives.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in, uint16_t version);

    TMemory* Memory = nullptr;
    THost* Host = &TNullHost::Instance();
    uint16_t Breakpoints[MaxBreakpoints] = {};
    int32_t BreakpointCount = 0;
    uint16_t PC = 0;
    uint8_t A = 0, X = 0, Y = 0, SP = 0xFF;
    uint8_t N = 0, V = 0, B = 0, D = 0, I = 0, Z = 0, C = 0;  // a flag is set when nonzero
    uint32_t Cycle = 1;   // 1: the next clock starts an instruction (an instruction boundary)
    uint8_t Opcode = 0;
    // DataLo and DataHi are written in separate clocks and read together: kept apart, so that the
    // compiler reads them as two bytes, which the store buffer can forward, not as one word.
    uint8_t DataLo = 0, Temp = 0, DataHi = 0;
    uint16_t EffAddr = 0, Result16 = 0;
    int16_t IrqLine = 0;
    // The interrupt input as the chip sees it. IrqSample: the line was up with I clear at the
    // start of the current clock. InterruptDue: the sample at the start of the last clock of the
    // instruction that just ended (for a taken branch within its page, the one of its clock 2),
    // so the next clock begins the interrupt entry instead of a fetch. InterruptEntry: opcode
    // $00's sequence runs as the entry (PC kept, B clear in the pushed status).
    uint8_t IrqSample = 0, InterruptDue = 0, InterruptEntry = 0, BranchIrqSample = 0;
    // The last byte on the data bus, read or written by any clock.
    uint8_t Bus = 0xFF;

    // Every (opcode, clock) pair has its own micro-step function, with the selection by opcode
    // and then by clock resolved when it is compiled; one table lookup finds it.
    using TMicroStep = void (*)(TCPU&);
    static constexpr uint32_t CycleSlots = 16;
    template <uint32_t key> static void MicroStep(TCPU& cpu);

    // The clocks of the sequences and their families (cpu_clocks.h), and which family each
    // opcode runs (cpu_opcode_map.h).
    struct TClocks;
    struct TOpcodes;

private:
    static const std::array<TMicroStep, 256 * CycleSlots> MicroSteps;

    // The whole-instruction path (cpu_whole.cpp): per opcode, its clocks after the fetch back to
    // back, without and with announcing its writes.
    using TWholeRun = uint32_t (*)(TCPU&, uint32_t left);
    static const std::array<TWholeRun, 256> WholeRuns[2][2];  // [announce][inPage]
    template <class Family, uint32_t cycle, bool announce, bool budgeted> uint32_t WholeClocks(uint32_t left);
    template <uint8_t opcode, bool announce, bool inPage> static uint32_t WholeInstruction(TCPU& cpu, uint32_t left);
    template <uint8_t opcode, bool announce> static uint32_t BudgetedInstruction(TCPU& cpu, uint32_t left);
    template <uint8_t opcode, bool announce> uint32_t InstructionEnded(uint32_t left);
    uint32_t PortWaitTurns(uint32_t left);
    template <bool announce> uint32_t AfterInstruction(uint32_t left);
    template <bool announce> static uint32_t AfterInstructionChecked(TCPU& cpu, uint32_t left);
    template <bool announce> uint32_t NextInstruction(uint32_t left);
    template <bool announce, bool inPage, size_t... opcodes>
    static constexpr std::array<TWholeRun, 256> WholeTable(std::index_sequence<opcodes...>);
    // RunInstructions: its budget, the clocks left before the current instruction, the
    // decoded writes before the call and where it announces writes.
    uint32_t RunBudget = 0, LeftBeforeInstruction = 0, WritesBefore = 0;
    TWriteAhead WriteAhead = nullptr;
    void* WriteAheadContext = nullptr;
    const TWriteWatch* Watch = &AllOfRam;
    // Inside RunInstructions: the plain page the current opcode was fetched from (CodePage, from
    // address CodeStart), or CodeStart NoCode where the decoder takes it, and always outside.
    // The reads at PC of an instruction whose bytes lie in that page take them from there.
    static constexpr uint32_t NoCode = 0x20000;
    const uint8_t* CodePage = nullptr;
    uint32_t CodeStart = NoCode;
    static const TWriteWatch AllOfRam;
    template <bool announce> uint32_t RunWholeInstructions(uint32_t budget);
    void Announce(uint16_t address);

    // The undocumented opcodes met with StopOnUndocumented off: one bit per address, and the
    // lines written so far.
    uint64_t UndocumentedSeen[1024] = {};
    int32_t UndocumentedLogged = 0;
    void NoteUndocumented();
    bool StopsHere() const;

public:
    // What a sequence does with its data: the operations of the read, write and modify
    // families, the implied instructions and the branch conditions.
    enum TOp : uint8_t {
        // read: the value read or fetched goes into the registers and flags
        ORA, AND, EOR, ADC, SBC, CMP, CPX, CPY, BIT, LDA, LDX, LDY, LAX, ANC, ALR, ARR, SBX, ANE,
        LXA, LAS, SKP,
        // write: a register value goes to memory
        STA, STX, STY, SAX, SHA, SHX, SHY, TAS,
        // modify: the value read is changed and written back
        ASL, LSR, ROL, ROR, INC, DEC, SLO, RLA, SRE, RRA, DCP, ISC,
        // implied
        ASL_A, LSR_A, ROL_A, ROR_A, CLC, SEC, CLI, SEI, CLD, SED, CLV,
        INX, INY, DEX, DEY, TAX, TAY, TXA, TYA, TSX, TXS, NOP,
        // branch conditions
        BPL, BMI, BVC, BVS, BCC, BCS, BNE, BEQ,
        // stack
        PHA, PHP, PLA, PLP,
    };
    enum TIndex : uint8_t { ByX, ByY };

private:
    void ReportUndocumentedStop();
    template <bool sampleIrq, bool checkBreakpoints> bool StepWith();
    void BeginInterrupt();

    // Bus and stack primitives (cpu_operations.h).
    template <bool inPage = false> uint8_t ReadCode();
    template <bool inPage = false> uint8_t Fetch();
    uint8_t Read(uint16_t address);
    void Write(uint16_t address, uint8_t value);
    uint8_t ReadZeroPage(uint8_t address);
    void WriteZeroPage(uint8_t address, uint8_t value);
    void Push(uint8_t value);
    uint8_t ReadStack();
    // The end of an instruction: the next clock starts the next one, or the interrupt entry
    // when the line was seen at the start of this, the last, clock (StepWith notes that).
    void End() { Cycle = 0; }
    template <TIndex ix> uint8_t Index() const { return ix == ByX ? X : Y; }

    // Operations (cpu_operations.h).
    void SetNZ(uint8_t value) { N = value & 0x80; Z = value == 0; }
    void SetStatus(uint8_t p);
    void Compare(uint8_t reg, uint8_t value);
    void AddWithCarry(uint8_t value);
    void SubtractWithBorrow(uint8_t value);
    void AddBinary(uint8_t value);
    void SubtractBinary(uint8_t value);
    void AddDecimal(uint8_t value);
    void SubtractDecimal(uint8_t value);
    void RotateAndAdjust(uint8_t value);
    template <TOp op> void Operate(uint8_t value);
    template <TOp op> uint8_t StoredValue();
    template <TOp op> void Modify();
    template <TOp op> void FinishModify();
    template <TOp op> void ImpliedOperation();
    template <TOp op> bool Condition() const;
};

template <bool sampleIrq, bool checkBreakpoints>
inline bool TCPU::StepWith() {
    // The interrupt input is sampled at the start of every clock; the sample of an instruction's
    // last clock decides whether the interrupt entry follows it (End).
    if (sampleIrq && IrqLine != 0) [[unlikely]]
        IrqSample = I == 0;
    else
        IrqSample = 0;
    // The opcode fetch, a third of all clocks, is done here without the table's indirect call.
    // It ends no instruction, so no breakpoint can follow it.
    if (Cycle == 1) {
        if (InterruptDue) [[unlikely]] {
            BeginInterrupt();
            return false;
        }
        Opcode = Bus = Memory->Read(PC);
        ++PC;
        Cycle = 2;
        return false;
    }
    // A clock number past every sequence's (only a damaged state has one) finds the slot that
    // ends the instruction.
    MicroSteps[Opcode * CycleSlots + (Cycle & (CycleSlots - 1))](*this);
    // Without sampling the line is low throughout, and no entry can become due.
    if (sampleIrq && Cycle == 1) InterruptDue = IrqSample;
    if (checkBreakpoints && Cycle == 1 && BoundaryChecks()) [[unlikely]] {
        if (StopsHere()) ReportBreakpoint();
    }
    return true;
}
