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

// The 7501/8501 processor: a 6502 core advanced exactly one clock per Step. Every instruction
// is a numbered sequence of micro-steps; Cycle names the one the next clock performs, so the
// machine can be stopped and inspected between any two clocks.
class TCPU {
public:
    static constexpr int MaxBreakpoints = 16;

    void SetMemory(TMemory* memory) { Memory = memory; }
    // A null host falls back to one that ignores every report.
    void SetHost(THost* host) { Host = host ? host : &TNullHost::Instance(); }

    void Step();      // exactly one clock
    // The clock step of the frame loop's runs, which are taken only while no breakpoint is set:
    // without the breakpoint check. Returns false for an opcode fetch, a clock that only read
    // the bus, which can neither stop the machine nor change anything a run depends on.
    bool StepInRun() { return StepWith<true, false>(); }
    // The same without the interrupt input either: exact while the IRQ line is low, which it
    // stays for a whole run that starts with it low (only the TED raises it, at events that
    // end runs).
    bool StepQuiet() { return StepWith<false, false>(); }
    // Whole instructions, for the runs too. From an instruction boundary (Cycle 1) it performs
    // the instructions from PC one after the other, each in one call, clock for clock as
    // StepQuiet would, for `budget` clocks, and returns the clocks taken. It stops early after
    // any clock that made a decoded write (TMemory::DecodedWrites: I/O, the port, page $FF),
    // so that the caller sees that write's effects at its clock; at an instruction boundary
    // whose PC is a breakpoint; after the fetch of an illegal opcode; and, with the IRQ line
    // up, after the fetch of CLI, PLP or RTI, which may unmask it. An instruction left
    // unfinished goes on with StepQuiet, clock by clock (StepInRun with the line up). With the
    // line up it is exact while I is set, which only those three can change.
    uint32_t RunInstructions(uint32_t budget);
    // The same, calling `writeAhead(context, clocks taken before it)` ahead of every clock that
    // may change memory (a bus write or a stack push): where the TED draws from memory after
    // each processor clock, it draws up to there first.
    using TWriteAhead = void (*)(void* context, uint32_t clocksBefore);
    uint32_t RunInstructions(uint32_t budget, TWriteAhead writeAhead, void* context);
    // The same, announcing only the clocks whose write may land in `watch` (the clocks that
    // take the micro-code, whose addresses are not known ahead, are all announced). The watch
    // must stay valid for the call.
    uint32_t RunInstructions(uint32_t budget, TWriteAhead writeAhead, void* context, const TWriteWatch& watch);
    // Inside RunInstructions: the clocks it has taken before the current one.
    uint32_t ClocksIntoRunInstructions() const { return RunBudget - LeftBeforeInstruction + Cycle - 1; }
    // The most clocks RunInstructions takes of `opcode` in one go: all it can take; 1, the
    // fetch, for the opcodes it leaves to the micro-code.
    static uint32_t WholeInstructionClocks(uint8_t opcode) { return WholeInstructions.Clocks[opcode]; }
    // The earliest clock in which `opcode` may change memory, 0 for none.
    static uint32_t FirstWriteClock(uint8_t opcode);
    void PowerOn();   // registers to their power-on values, no bus access
    void Reset();     // pushes PC and status, PC from $FFFC/$FFFD, Cycle 1
    void RaiseIrq() { IrqLine = 1; }
    void ClearIrq() { IrqLine = 0; }

    // The breakpoint list: at most 16 addresses, no duplicates, in the order they were added.
    // Adding a 17th or a duplicate, and removing an address not in the list, do nothing and
    // return false. Removing moves the later entries up one place.
    bool HasBreakpoint(uint16_t address) const;
    bool AddBreakpoint(uint16_t address);
    bool RemoveBreakpoint(uint16_t address);
    // The entries that count: BreakpointCount clamped to 0..16.
    int ValidBreakpointCount() const;
    // The breakpoint check Step makes at an instruction boundary, in two halves, for the frame
    // loop's runs: whether PC is in the list, and the report of a hit (the host's debugger,
    // then the status message), which the runs make once every lazily kept field is up to date.
    bool AtBreakpoint() const { return BreakpointCount > 0 && HasBreakpoint(PC); }
    void ReportBreakpoint();

    // Processor status byte composed from the flag bytes (bit 5 and bit 4 as given).
    uint8_t StatusByte(bool bit5, bool bit4) const;

    // Snapshots (cpu_state.cpp): the registers and the sequencer between two clocks. The
    // breakpoints are the debugger's, not the machine's, and stay. Restore is false for
    // bytes that no processor state gives.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

    TMemory* Memory = nullptr;
    THost* Host = &TNullHost::Instance();
    uint16_t Breakpoints[MaxBreakpoints] = {};
    int32_t BreakpointCount = 0;
    uint16_t PC = 0;
    uint8_t A = 0, X = 0, Y = 0, SP = 0xFF;
    uint8_t N = 0, V = 0, B = 0, D = 0, I = 0, Z = 0, C = 0;  // a flag is set when nonzero
    uint32_t Cycle = 1;   // 1: the next clock fetches an opcode (instruction boundary)
    uint8_t Opcode = 0;
    // DataLo and DataHi are written in separate clocks and read together: kept apart, so that the
    // compiler reads them as two bytes, which the store buffer can forward, not as one word.
    uint8_t DataLo = 0, Temp = 0, DataHi = 0;
    uint16_t EffAddr = 0, Result16 = 0;
    int16_t IrqLine = 0;
    int16_t IrqDelay = 7;

    // Every (opcode, clock) pair has its own micro-step function, with the selection by opcode
    // and then by clock resolved when it is compiled; one table lookup finds it.
    using TMicroStep = void (*)(TCPU&);
    static constexpr uint32_t CycleSlots = 16;
    template <uint32_t key> static void MicroStep(TCPU& cpu);

private:
    static const std::array<TMicroStep, 256 * CycleSlots> MicroSteps;

    // The whole-instruction path (cpu_whole.cpp): per opcode, the clocks after the fetch run
    // back to back, without and with announcing its writes, and the most clocks the call may
    // take (1 where the opcode is left to the micro-code). One array per kind, so that the
    // dispatch is a single indexed load.
    // `operand`: where the byte after the opcode lies, null where its page takes the decoder.
    using TWholeRun = uint32_t (*)(TCPU&, uint32_t left, const uint8_t* operand);
    struct TWholeTable {
        TWholeRun Run[2][256];
        uint8_t Clocks[256];
    };
    static const TWholeTable WholeInstructions;
    template <bool announce, bool port = false> struct TWholeFamilies;  // cpu_whole_families.h
    template <uint8_t opcode, uint32_t cycle, uint32_t last, bool announce> uint32_t WholeClocks(uint32_t left);
    template <uint8_t opcode, bool announce>
    static uint32_t WholeInstruction(TCPU& cpu, uint32_t left, const uint8_t* operand);
    template <uint8_t opcode, bool announce> static uint32_t MicroInstruction(TCPU& cpu, uint32_t left);
    template <uint8_t opcode, bool announce>
    static uint32_t PortInstruction(TCPU& cpu, uint32_t left, const uint8_t* operand);
    uint32_t PortWaitTurns(uint32_t left);
    template <bool announce> uint32_t AfterInstruction(uint32_t left);
    template <bool announce> static uint32_t AfterInstructionChecked(TCPU& cpu, uint32_t left);
    template <bool announce> uint32_t NextInstruction(uint32_t left);
    template <bool announce> static uint32_t DecodedFetch(TCPU& cpu, uint32_t left);
    // The illegal opcodes: their next clock is the micro-code's.
    static uint32_t FetchOnly(TCPU& cpu, uint32_t left, const uint8_t*) {
        cpu.Cycle = 2;
        return left;
    }
    // RunInstructions: its budget, the clocks left before the current instruction, the
    // decoded writes before the call and where it announces writes.
    uint32_t RunBudget = 0, LeftBeforeInstruction = 0, WritesBefore = 0;
    TWriteAhead WriteAhead = nullptr;
    void* WriteAheadContext = nullptr;
    const TWriteWatch* Watch = &AllOfRam;
    static const TWriteWatch AllOfRam;
    template <bool announce> uint32_t RunWholeInstructions(uint32_t budget);
    template <uint8_t opcode, bool announce> static constexpr TWholeRun WholeRun();
    template <size_t... opcodes> static constexpr TWholeTable WholeTable(std::index_sequence<opcodes...>);

    // What a sequence family does with its data: the operations of the read, write and
    // modify families, the implied instructions and the branch conditions.
    enum TOp : uint8_t {
        // read: the value read or fetched goes into the registers and flags
        ORA, AND, EOR, ADC, SBC, CMP, CPX, CPY, BIT, LDA, LDX, LDY, LDT, ANN, ANL,
        // write: a register value goes to memory
        STA, STX, STY, AAX,
        // modify: the value read is changed and written back
        ASL, LSR, ROL, ROR, INC, DEC, DEM, INB, INB_A, RAN, LSE, RAD,
        // implied
        ASL_A, LSR_A, ROL_A, ROR_A, CLC, SEC, CLI, SEI, CLD, SED, CLV,
        INX, INY, DEX, DEY, TAX, TAY, TXA, TYA, TSX, TXS, NOP,
        // branch conditions
        BPL, BMI, BVC, BVS, BCC, BCS, BNE, BEQ,
        // stack
        PHA, PHP, PLA, PLP,
    };
    enum TIndex : uint8_t { ByX, ByY };

    template <uint8_t opcode> void Execute();  // micro-step Cycle (2 and above) of opcode
    template <uint8_t opcode, class Families> static void VisitFamily(Families& families);
    void EnterInterrupt();
    void ReportIllegalOpcode();
    void CheckBreakpoints() {
        if (AtBreakpoint()) ReportBreakpoint();
    }
    template <bool sampleIrq, bool checkBreakpoints> bool StepWith();

    // Bus and stack primitives.
    uint8_t Fetch();
    uint8_t Read(uint16_t address);
    void Write(uint16_t address, uint8_t value);
    uint8_t ReadZeroPage(uint8_t address);
    void WriteZeroPage(uint8_t address, uint8_t value);
    void Push(uint8_t value);
    uint8_t StackByte() const;
    void End() { Cycle = 0; }
    template <TIndex ix> uint8_t Index() const { return ix == ByX ? X : Y; }

    // Operations (cpu_operations.h).
    void SetNZ(uint8_t value) { N = value & 0x80; Z = value == 0; }
    void SetStatus(uint8_t p);
    void Compare(uint8_t reg, uint8_t value);
    void AddBinary(uint8_t value);
    void SubtractBinary(uint8_t value);
    void AddDecimal(uint8_t value);
    void SubtractDecimal(uint8_t value);
    template <TOp op> void Operate(uint8_t value);
    template <TOp op> uint8_t StoredValue() const;
    template <TOp op> void Modify(uint16_t& compareLatch);
    template <TOp op> void FinishModify(uint16_t compareLatch);
    template <TOp op> void ImpliedOperation();
    template <TOp op> bool Condition() const;

    // Sequence families (cpu_sequences.h), one function per family, each a selection on Cycle.
    template <TOp op> void Implied();
    template <TOp op> void Immediate();
    template <TOp op> void ZeroPageRead();
    template <TOp op> void ZeroPageWrite();
    template <TOp op> void ZeroPageModify();
    template <TOp op, TIndex ix> void ZeroPageIndexedRead();
    template <TOp op, TIndex ix> void ZeroPageIndexedWrite();
    template <TOp op, TIndex ix> void ZeroPageIndexedModify();
    template <TOp op> void AbsoluteRead();
    template <TOp op> void AbsoluteWrite();
    template <TOp op> void AbsoluteModify();
    template <TOp op, TIndex ix> void AbsoluteIndexedRead();
    template <TOp op, TIndex ix> void AbsoluteIndexedWrite();
    template <TOp op, TIndex ix> void AbsoluteIndexedModify();
    template <TOp op> void IndexedIndirectRead();
    template <TOp op> void IndexedIndirectWrite();
    template <TOp op> void IndexedIndirectModify();
    template <TOp op> void IndirectIndexedRead();
    template <TOp op> void IndirectIndexedWrite();
    template <TOp op> void IndirectIndexedModify();
    template <TOp op> void Branch();
    template <TOp op> void PushRegister();
    template <TOp op> void PullRegister();
    void JmpAbsolute();
    void JmpIndirect();
    void Jsr();
    void Rts();
    void Rti();
    void Brk();
    void NopImplied();
    void NopOneByte();
    void NopZeroPage();
    void NopZeroPageIndexed();
    void NopAbsolute();
    void NopAbsoluteIndexed();
    void Jam();
    void Illegal();
};

template <bool sampleIrq, bool checkBreakpoints>
inline bool TCPU::StepWith() {
    // The IRQ input is sampled at the start of every clock. The delay counts only clocks in
    // which the line is asserted and I is clear, and is not reloaded when the line drops.
    if (sampleIrq && IrqLine != 0 && I == 0) [[unlikely]] {
        if (IrqDelay != 0)
            --IrqDelay;
        else if (Cycle == 1)
            EnterInterrupt();
    }
    // The opcode fetch, a third of all clocks, is done here without the table's indirect call.
    // It ends no instruction, so no breakpoint can follow it.
    if (Cycle == 1) {
        Opcode = Memory->Read(PC);
        ++PC;
        Cycle = 2;
        return false;
    }
    MicroSteps[Opcode * CycleSlots + (Cycle < CycleSlots ? Cycle : CycleSlots - 1)](*this);
    ++Cycle;
    if (checkBreakpoints && BreakpointCount != 0 && Cycle == 1) [[unlikely]]
        CheckBreakpoints();
    return true;
}
