// The whole-instruction path: one instruction's clocks in one call. Where all its accesses fall
// on plain RAM or ROM pages, its family takes them at once (cpu_whole_families.h); otherwise
// each clock is the micro-code's own micro-step, with Cycle set as Step would find it. Either
// way the bus accesses, their order and values, the latches and every register are the
// micro-code's; only the per-clock dispatch and the frame loop's per-clock work are gone.
#include "cpu/cpu.h"

#include <array>
#include <utility>

#include "cpu/cpu_opcode_map.h"
#include "cpu/cpu_whole_families.h"
#include "memory/memory.h"

namespace {

// The most clocks each opcode takes, the fetch included (page crossings and taken branches to
// another page counted). 0: the illegal opcodes, which stay with the micro-code after their
// fetch, because their report calls the host from inside the clock.
constexpr uint8_t MostClocks[256] = {
    7, 6, 2, 0, 3, 3, 5, 0, 3, 2, 2, 2, 4, 4, 6, 0,  // $00
    4, 6, 2, 0, 4, 4, 6, 0, 2, 5, 2, 0, 5, 5, 7, 0,  // $10
    6, 6, 2, 0, 3, 3, 5, 0, 4, 2, 2, 2, 4, 4, 6, 0,  // $20
    4, 6, 2, 0, 4, 4, 6, 0, 2, 5, 2, 0, 5, 5, 7, 7,  // $30
    6, 6, 2, 0, 3, 3, 5, 0, 3, 2, 2, 2, 3, 4, 6, 6,  // $40
    4, 6, 2, 7, 4, 4, 6, 0, 2, 5, 2, 0, 5, 5, 7, 0,  // $50
    6, 6, 2, 0, 3, 3, 5, 0, 4, 2, 2, 0, 5, 4, 6, 0,  // $60
    4, 6, 2, 0, 4, 4, 6, 0, 2, 5, 2, 0, 5, 5, 7, 7,  // $70
    2, 6, 2, 0, 3, 3, 3, 0, 2, 2, 2, 0, 4, 4, 4, 4,  // $80
    4, 6, 2, 0, 4, 4, 4, 0, 2, 5, 2, 0, 0, 5, 0, 0,  // $90
    2, 6, 2, 6, 3, 3, 3, 3, 2, 2, 2, 0, 4, 4, 4, 4,  // $A0
    4, 6, 2, 6, 4, 4, 4, 4, 2, 5, 2, 0, 5, 5, 5, 5,  // $B0
    2, 6, 2, 8, 3, 3, 5, 5, 2, 2, 2, 0, 4, 4, 6, 6,  // $C0
    4, 6, 2, 0, 4, 4, 6, 6, 2, 5, 2, 7, 5, 5, 7, 7,  // $D0
    2, 6, 2, 0, 3, 3, 5, 5, 2, 2, 2, 2, 4, 4, 6, 6,  // $E0
    4, 6, 2, 0, 4, 4, 6, 6, 2, 5, 2, 7, 5, 5, 7, 7,  // $F0
};

// The earliest clock in which each opcode may change memory (a bus write or a stack push), 0
// for none: from there on each clock is announced where the TED draws from memory.
constexpr uint8_t FirstWrites[256] = {
    3, 0, 0, 0, 0, 0, 4, 0, 3, 0, 0, 0, 0, 0, 5, 0,  // $00
    0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 6, 0,  // $10
    4, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 5, 0,  // $20
    0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 6, 6,  // $30
    0, 0, 0, 0, 0, 0, 4, 0, 3, 0, 0, 0, 0, 0, 5, 5,  // $40
    0, 0, 0, 6, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 6, 0,  // $50
    0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 5, 0,  // $60
    0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 6, 6,  // $70
    0, 6, 0, 0, 3, 3, 3, 0, 0, 0, 0, 0, 4, 4, 4, 4,  // $80
    0, 5, 0, 0, 4, 4, 4, 0, 0, 4, 0, 0, 0, 4, 0, 0,  // $90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // $A0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // $B0
    0, 0, 0, 7, 0, 0, 4, 4, 0, 0, 0, 0, 0, 0, 5, 5,  // $C0
    0, 0, 0, 0, 0, 0, 5, 5, 0, 0, 0, 6, 0, 0, 6, 6,  // $D0
    0, 0, 0, 0, 0, 0, 4, 4, 0, 0, 0, 0, 0, 0, 5, 5,  // $E0
    0, 0, 0, 0, 0, 0, 5, 5, 0, 0, 0, 6, 0, 0, 6, 6,  // $F0
};

// Whether clock `cycle` of `opcode` may write (a bus write or a stack push).
constexpr bool MayWrite(uint8_t opcode, uint32_t cycle) { return FirstWrites[opcode] != 0 && cycle >= FirstWrites[opcode]; }

}  // namespace

uint32_t TCPU::FirstWriteClock(uint8_t opcode) { return FirstWrites[opcode]; }

// Clock `cycle` of `opcode`, then the ones after it up to `last`, while clocks are `left`: the
// micro-step, then Cycle advanced as Step advances it. The call ends after the clock that ends
// the instruction, when no clock is left (the instruction then goes on clock by clock), and
// after a clock that made a decoded write, which may change what the caller's run depends on
// (a decoded read changes nothing a run depends on: its effects on the TED and the tape are
// kept exact through TTED::SyncToProcessorClock). Every family ends by its last clock, so the
// compiler folds the chain to the clocks the instruction can really take. Returns the clocks
// still left.
template <uint8_t opcode, uint32_t cycle, uint32_t last, bool announce>
CPU_INLINE uint32_t TCPU::WholeClocks(uint32_t left) {
    if (left == 0) return 0;
    Cycle = cycle;
    if constexpr (announce && MayWrite(opcode, cycle)) WriteAhead(WriteAheadContext, ClocksIntoRunInstructions());
    Execute<opcode>();
    --left;
    if (Cycle == 0) {
        Cycle = 1;
        return left;
    }
    Cycle = cycle + 1;
    if constexpr (cycle < last) {
        if constexpr (MayWrite(opcode, cycle)) {
            if (Memory->DecodedWrites != WritesBefore) return left;
        }
        return WholeClocks<opcode, cycle + 1, last, announce>(left);
    }
    return left;
}

// One instruction after its fetch, then the next one's fetch and a jump to its own function:
// each instruction dispatches its successor, so the host's predictor sees which opcode follows
// which. Where the instruction's clocks are all left and its family takes it at once
// (cpu_whole_families.h), that; else its micro-steps. `left` counts the clocks left after the
// fetch. Everything that calls out (the micro-steps, the breakpoint list, a decoded fetch) is
// kept out of line, so that the common path saves no registers.
template <uint8_t opcode, bool announce>
uint32_t TCPU::WholeInstruction(TCPU& cpu, uint32_t left, const uint8_t* operand) {
    // CLI, PLP and RTI may clear I: with the IRQ line up, the clocks after that sample it, so
    // the caller takes them one by one.
    if constexpr (opcode == 0x58 || opcode == 0x28 || opcode == 0x40) {
        if (cpu.IrqLine != 0) [[unlikely]]
            return FetchOnly(cpu, left, operand);
    }
    TWholeFamilies<announce> atOnce{cpu, operand};
    if (left + 1 >= MostClocks[opcode]) VisitFamily<opcode>(atOnce);
    if (atOnce.Clocks == 0) [[unlikely]] {
        if (atOnce.PortSeen) return PortInstruction<opcode, announce>(cpu, left, operand);
        return MicroInstruction<opcode, announce>(cpu, left);
    }
    return cpu.AfterInstruction<announce>(left - (atOnce.Clocks - 1));
}

// LDA $01, BIT $01 and the like, whose clocks are all left.
template <uint8_t opcode, bool announce>
CPU_NOINLINE uint32_t TCPU::PortInstruction(TCPU& cpu, uint32_t left, const uint8_t* operand) {
    TWholeFamilies<announce, true> atOnce{cpu, operand};
    VisitFamily<opcode>(atOnce);
    left -= atOnce.Clocks - 1;
    if constexpr (opcode == 0x24) left = cpu.PortWaitTurns(left);
    return cpu.AfterInstruction<announce>(left);
}

// BIT $01, then BEQ or BNE back to it: a tape loader waiting for an edge. While the port's
// value holds, every turn of the loop makes the same accesses with the same values and leaves
// the same state, so the turns that fit in the clocks left and end before the value may change
// are taken at once (and logged one by one in the test build). Just after the BIT.
uint32_t TCPU::PortWaitTurns(uint32_t left) {
    constexpr uint32_t turnClocks = 6;  // the branch taken within its page, then the BIT
    if (left < turnClocks || BreakpointCount > 0) return left;
    const uint16_t loop = uint16_t(PC - 2);
    // The loop's four bytes within one page, so that the branch takes 3 clocks.
    if ((loop & 0xFF) > 0xFB) return left;
    const uint8_t* at = Memory->PlainReadAt(loop);
    if (!at || at[0] != 0x24 || at[1] != 0x01 || at[3] != 0xFC) return left;
    const bool taken = at[2] == 0xF0 ? Z != 0 : at[2] == 0xD0 && Z == 0;
    if (!taken) return left;
    uint32_t turns = left / turnClocks;
    const uint32_t holds = Memory->ClocksPortHolds() / turnClocks;
    if (holds < turns) turns = holds;
#ifdef VARLUME_BUS_LOG
    const uint8_t value = Memory->AccessLog.back().Value;  // the BIT's read of the port
    for (uint32_t turn = 0; turn < turns; ++turn) {
        Memory->LogPlain(uint16_t(loop + 2), at[2], false, 1);
        Memory->LogPlain(uint16_t(loop + 3), 0xFC, false, 3);
        Memory->LogPlain(loop, 0x24, false, 1);
        Memory->LogPlain(uint16_t(loop + 1), 0x01, false, 2);
        Memory->LogPlain(0x0001, value, false, 3);
    }
#endif
    if (turns > 0) EffAddr = loop;
    return left - turns * turnClocks;
}

template <uint8_t opcode, bool announce>
CPU_NOINLINE uint32_t TCPU::MicroInstruction(TCPU& cpu, uint32_t left) {
    cpu.Cycle = 2;
    left = cpu.WholeClocks<opcode, 2, MostClocks[opcode], announce>(left);
    if (cpu.Cycle != 1) return left;
    if constexpr (FirstWrites[opcode] != 0) {
        if (cpu.Memory->DecodedWrites != cpu.WritesBefore) return left;
    }
    return cpu.AfterInstruction<announce>(left);
}

// At an instruction boundary: the breakpoint check, then the next instruction.
template <bool announce>
CPU_INLINE uint32_t TCPU::AfterInstruction(uint32_t left) {
    if (BreakpointCount > 0) [[unlikely]] return AfterInstructionChecked<announce>(*this, left);
    return NextInstruction<announce>(left);
}

template <bool announce>
CPU_NOINLINE uint32_t TCPU::AfterInstructionChecked(TCPU& cpu, uint32_t left) {
    if (cpu.HasBreakpoint(cpu.PC)) return left;
    return cpu.NextInstruction<announce>(left);
}

// The fetch, then the instruction's own function.
template <bool announce>
CPU_INLINE uint32_t TCPU::NextInstruction(uint32_t left) {
    if (left == 0) return 0;
    LeftBeforeInstruction = left;
    const uint8_t* at = Memory->PlainReadAt(PC);
    if (!at) [[unlikely]] return DecodedFetch<announce>(*this, left);
    Opcode = *at;
    Memory->LogPlain(PC, Opcode, false, 1);
    ++PC;
    // The operand byte lies beside the opcode unless the page ends there.
    const uint8_t* operand = (PC & 0xFF) != 0 ? at + 1 : Memory->PlainReadAt(PC);
    // Cycle stays 1 where the family takes the instruction at once: nothing reads it in between.
    return WholeInstructions.Run[announce][Opcode](*this, left - 1, operand);
}

template <bool announce>
CPU_NOINLINE uint32_t TCPU::DecodedFetch(TCPU& cpu, uint32_t left) {
    cpu.Opcode = cpu.Memory->Read(cpu.PC);
    ++cpu.PC;
    return WholeInstructions.Run[announce][cpu.Opcode](cpu, left - 1, cpu.Memory->PlainReadAt(cpu.PC));
}

template <uint8_t opcode, bool announce>
constexpr TCPU::TWholeRun TCPU::WholeRun() {
    if constexpr (MostClocks[opcode] >= 2)
        return &TCPU::WholeInstruction<opcode, announce>;
    else
        return &TCPU::FetchOnly;
}

template <size_t... opcodes>
constexpr TCPU::TWholeTable TCPU::WholeTable(std::index_sequence<opcodes...>) {
    return {{{WholeRun<uint8_t(opcodes), false>()...}, {WholeRun<uint8_t(opcodes), true>()...}},
            {uint8_t(MostClocks[opcodes] >= 2 ? MostClocks[opcodes] : 1)...}};
}

const TCPU::TWholeTable TCPU::WholeInstructions = WholeTable(std::make_index_sequence<256>());

// The first instruction's boundary has had its breakpoint check already.
template <bool announce>
uint32_t TCPU::RunWholeInstructions(uint32_t budget) {
    RunBudget = budget;
    WritesBefore = Memory->DecodedWrites;
    return budget - NextInstruction<announce>(budget);
}

uint32_t TCPU::RunInstructions(uint32_t budget) { return RunWholeInstructions<false>(budget); }

const TWriteWatch TCPU::AllOfRam{};

uint32_t TCPU::RunInstructions(uint32_t budget, TWriteAhead writeAhead, void* context) {
    return RunInstructions(budget, writeAhead, context, AllOfRam);
}

uint32_t TCPU::RunInstructions(uint32_t budget, TWriteAhead writeAhead, void* context, const TWriteWatch& watch) {
    WriteAhead = writeAhead;
    WriteAheadContext = context;
    Watch = &watch;
    return RunWholeInstructions<true>(budget);
}
