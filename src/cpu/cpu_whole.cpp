// The whole-instruction path: one instruction's clocks in one call. Each clock is its family's
// own clock (cpu_clocks.h), the one the micro-step runs, with Cycle set as Step would find it;
// only the per-clock dispatch, the interrupt sampling (nothing samples it: the line is low, or
// I masks it) and the frame loop's per-clock work are gone. So the bus accesses, their order
// and values, the latches and every register are the micro-code's.
#include <array>
#include <utility>

#include "cpu/cpu.h"
#include "cpu/cpu_opcode_map.h"
#include "memory/memory.h"

// Ahead of a clock that writes `address`: where the caller watches the RAM it lands in, the
// caller draws up to this clock first. A write the decoder takes is always announced.
void TCPU::Announce(uint16_t address) {
    const int32_t offset = Memory->PlainWriteOffset(address);
    if (offset < 0 || Watch->Covers(uint32_t(offset))) WriteAhead(WriteAheadContext, ClocksIntoRunInstructions());
}

// Clock `cycle` of `Family`, then the ones after it, while clocks are `left` (`budgeted`: the
// budget may run out inside the instruction, which then goes on clock by clock). The call ends
// after the clock that ends the instruction, and after a clock that made a decoded write,
// which may change what the caller's run depends on (a decoded read changes nothing a run
// depends on: its effects on the TED and the tape are kept exact through
// TTED::SyncToProcessorClock). Returns the clocks still left; Cycle is 1 when the instruction
// ended.
template <class Family, uint32_t cycle, bool announce, bool budgeted>
CPU_INLINE uint32_t TCPU::WholeClocks(uint32_t left) {
    using Clock = typename Family::template Clock<cycle>;
    Cycle = cycle;
    if constexpr (budgeted) {
        if (left == 0) return 0;
    }
    if constexpr (announce && Clock::Kind == TClocks::StackWriteClock) {
        if (Watch->Covers(0x100u + SP)) WriteAhead(WriteAheadContext, ClocksIntoRunInstructions());
    } else if constexpr (announce && Clock::Kind == TClocks::WriteClock) {
        Announce(Clock::Target(*this));
    }
    // Unbudgeted clocks run only where the instruction's bytes lie in its opcode's page.
    Clock::template Run<!budgeted>(*this);
    --left;
    Cycle = Clock::template Next<cycle>(*this);
    if constexpr (Clock::End == TClocks::Ends) {
        return left;
    } else {
        if constexpr (Clock::End == TClocks::MayEnd) {
            if (Cycle == 1) return left;
        }
        if constexpr (Clock::Kind == TClocks::WriteClock) {
            if (Memory->DecodedWrites != WritesBefore) return left;
        }
        return WholeClocks<Family, cycle + 1, announce, budgeted>(left);
    }
}

// One instruction after its fetch, then the next one's fetch and a jump to its own function:
// each instruction dispatches its successor, so the host's predictor sees which opcode follows
// which. `left` counts the clocks left after the fetch. Everything that calls out (the
// boundary checks, the reports) is kept out of line, so that the common path saves no
// registers.
template <uint8_t opcode, bool announce, bool inPage>
uint32_t TCPU::WholeInstruction(TCPU& cpu, uint32_t left) {
    using Family = CpuMap::FamilyOf<opcode>;
    // CLI, PLP and RTI may clear I: with the IRQ line up, the clocks after that sample it, so
    // the caller takes them one by one.
    if constexpr (opcode == 0x58 || opcode == 0x28 || opcode == 0x40) {
        if (cpu.IrqLine != 0) [[unlikely]] {
            cpu.Cycle = 2;
            return left;
        }
    }
    if constexpr (CpuMap::IsUndocumented(opcode)) {
        if (left > 0) cpu.NoteUndocumented();
    }
    // The budget runs out inside an instruction once a run, and few instructions cross a page
    // or run outside plain memory: that copy of its clocks, which looks up every read at PC, is
    // kept out of line, so that the common one stays small in the host's instruction cache.
    if constexpr (!inPage) {
        return BudgetedInstruction<opcode, announce>(cpu, left);
    } else {
        if (left + 1 < Family::Clocks) [[unlikely]] return BudgetedInstruction<opcode, announce>(cpu, left);
        return cpu.InstructionEnded<opcode, announce>(cpu.WholeClocks<Family, 2, announce, false>(left));
    }
}

template <uint8_t opcode, bool announce>
CPU_NOINLINE uint32_t TCPU::BudgetedInstruction(TCPU& cpu, uint32_t left) {
    return cpu.InstructionEnded<opcode, announce>(
        cpu.WholeClocks<CpuMap::FamilyOf<opcode>, 2, announce, true>(left));
}

// After an instruction's clocks: on to the next one, unless the clocks ran out, or a decoded
// write may have changed what the caller's run depends on.
template <uint8_t opcode, bool announce>
CPU_INLINE uint32_t TCPU::InstructionEnded(uint32_t left) {
    if (Cycle != 1) return left;
    if constexpr (CpuMap::Facts[opcode].FirstWrite != 0) {
        if (Memory->DecodedWrites != WritesBefore) return left;
    }
    // BIT $01 with BEQ or BNE back to it: a tape loader's wait.
    if constexpr (opcode == 0x24) {
        if (DataLo == 0x01) left = PortWaitTurns(left);
    }
    return AfterInstruction<announce>(left);
}

// BIT $01, then BEQ or BNE back to it: a tape loader waiting for an edge. While the port's
// value holds, every turn of the loop makes the same accesses with the same values and leaves
// the same state, so the turns that fit in the clocks left and end before the value may change
// are taken at once (and logged one by one in the test build). Just after the BIT.
uint32_t TCPU::PortWaitTurns(uint32_t left) {
    constexpr uint32_t turnClocks = 6;  // the branch taken within its page, then the BIT
    if (left < turnClocks || BoundaryChecks()) return left;
    const uint16_t loop = uint16_t(PC - 2);
    // The loop's four bytes and the byte after them within one page, so that the branch takes
    // 3 clocks and its dummy read is plain.
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
        Memory->LogPlain(uint16_t(loop + 3), 0xFC, false, 2);
        Memory->LogPlain(uint16_t(loop + 4), at[4], false, 3);
        Memory->LogPlain(loop, 0x24, false, 1);
        Memory->LogPlain(uint16_t(loop + 1), 0x01, false, 2);
        Memory->LogPlain(0x0001, value, false, 3);
    }
#endif
    if (turns > 0) EffAddr = loop;
    return left - turns * turnClocks;
}

// At an instruction boundary: the boundary checks, then the next instruction.
template <bool announce>
CPU_INLINE uint32_t TCPU::AfterInstruction(uint32_t left) {
    if (BoundaryChecks()) [[unlikely]] return AfterInstructionChecked<announce>(*this, left);
    return NextInstruction<announce>(left);
}

template <bool announce>
CPU_NOINLINE uint32_t TCPU::AfterInstructionChecked(TCPU& cpu, uint32_t left) {
    if (cpu.StopsHere()) return left;
    return cpu.NextInstruction<announce>(left);
}

// The fetch, then the instruction's own function: the one that reads its bytes straight from
// the page where they lie in one plain page (an opcode below $xxFE: the reads at PC that follow
// it before a jump are at most two bytes on), else the one that looks each up.
template <bool announce>
CPU_INLINE uint32_t TCPU::NextInstruction(uint32_t left) {
    if (left == 0) return 0;
    LeftBeforeInstruction = left;
    if (uint32_t(PC) - CodeStart > 0xFD) [[unlikely]] {
        if (uint32_t(PC) - CodeStart > 0xFF) {
            const uint8_t* at = Memory->PlainReadAt(PC);
            CodePage = at ? at - (PC & 0xFF) : nullptr;
            CodeStart = at ? PC & 0xFF00u : NoCode;
        }
        if (uint32_t(PC) - CodeStart > 0xFD) {
            Opcode = ReadCode();
            ++PC;
            return WholeRuns[announce][false][Opcode](*this, left - 1);
        }
    }
    Opcode = ReadCode<true>();
    ++PC;
    return WholeRuns[announce][true][Opcode](*this, left - 1);
}

template <bool announce, bool inPage, size_t... opcodes>
constexpr std::array<TCPU::TWholeRun, 256> TCPU::WholeTable(std::index_sequence<opcodes...>) {
    return {&TCPU::WholeInstruction<uint8_t(opcodes), announce, inPage>...};
}

const std::array<TCPU::TWholeRun, 256> TCPU::WholeRuns[2][2] = {
    {WholeTable<false, false>(std::make_index_sequence<256>()), WholeTable<false, true>(std::make_index_sequence<256>())},
    {WholeTable<true, false>(std::make_index_sequence<256>()), WholeTable<true, true>(std::make_index_sequence<256>())}};

// The first instruction's boundary has had its checks already. Nothing samples the interrupt
// input on this path, as nothing would see it asserted with I clear.
template <bool announce>
uint32_t TCPU::RunWholeInstructions(uint32_t budget) {
    RunBudget = budget;
    WritesBefore = Memory->DecodedWrites;
    IrqSample = 0;
    const uint32_t left = NextInstruction<announce>(budget);
    CodeStart = NoCode;
    return budget - left;
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
