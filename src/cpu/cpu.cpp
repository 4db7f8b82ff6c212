#include "cpu/cpu.h"

#include <array>
#include <cstdio>
#include <utility>

#include "cpu/cpu_opcode_map.h"
#include "cpu/disassembler.h"
#include "memory/memory.h"

// One micro-step: the clock `cycle` of opcode `opcode`, with the selections on both folded
// away, and the number of the next clock, which each clock knows (1 after an instruction's
// last). Clock 1 of every opcode is the opcode fetch, which StepWith makes itself.
template <uint32_t key>
void TCPU::MicroStep(TCPU& cpu) {
    constexpr uint8_t opcode = uint8_t(key / CycleSlots);
    constexpr uint32_t cycle = key % CycleSlots;
    using Family = CpuMap::FamilyOf<opcode>;
    if constexpr (cycle == 1) {
        cpu.Opcode = cpu.Fetch();
        cpu.Cycle = 2;
    } else if constexpr (cycle >= 2 && cycle <= Family::Clocks) {
        if constexpr (cycle == 2 && CpuMap::IsUndocumented(opcode)) {
            if (!cpu.InterruptEntry) cpu.NoteUndocumented();
        }
        using Clock = typename Family::template Clock<cycle>;
        Clock::Run(cpu);
        cpu.Cycle = Clock::template Next<cycle>(cpu);
    } else {
        // No sequence has such a clock (only a damaged state could ask for one): the instruction
        // ends with a read of the next byte, so the processor goes on fetching.
        cpu.Read(cpu.PC);
        cpu.Cycle = 1;
    }
}

template <size_t... keys>
constexpr std::array<TCPU::TMicroStep, sizeof...(keys)> MicroStepTable(std::index_sequence<keys...>) {
    return {&TCPU::MicroStep<uint32_t(keys)>...};
}

const std::array<TCPU::TMicroStep, 256 * TCPU::CycleSlots> TCPU::MicroSteps =
    MicroStepTable(std::make_index_sequence<256 * TCPU::CycleSlots>());

void TCPU::Step() { StepWith<true, true>(); }

uint32_t TCPU::WholeInstructionClocks(uint8_t opcode) { return CpuMap::Facts[opcode].Clocks; }
uint32_t TCPU::FirstWriteClock(uint8_t opcode) { return CpuMap::Facts[opcode].FirstWrite; }
bool TCPU::WritesInClock(uint8_t opcode, uint32_t cycle) {
    return cycle < 16 && (CpuMap::Facts[opcode].WriteClocks >> cycle & 1) != 0;
}
bool TCPU::IsUndocumented(uint8_t opcode) { return CpuMap::IsUndocumented(opcode); }

// The clock that would fetch an opcode reads it and throws it away, PC stays, and BRK's
// sequence follows as the interrupt entry: 7 clocks in all.
CPU_NOINLINE void TCPU::BeginInterrupt() {
    Read(PC);
    Opcode = 0x00;
    InterruptEntry = 1;
    InterruptDue = 0;
    Cycle = 2;
}

void TCPU::PowerOn() {
    PC = 0;
    A = X = Y = 0;
    SP = 0xFF;
    N = V = B = D = I = Z = C = 0;
    Cycle = 1;
    Opcode = 0;
    DataLo = DataHi = Temp = 0;
    EffAddr = Result16 = 0;
    IrqLine = 0;
    IrqSample = InterruptDue = InterruptEntry = BranchIrqSample = 0;
    for (uint64_t& bits : UndocumentedSeen) bits = 0;
    UndocumentedLogged = 0;
}

// The reset pushes like an interrupt entry but leaves I alone, and abandons any instruction in
// progress, an interrupt entry included.
void TCPU::Reset() {
    Push(uint8_t(PC >> 8));
    Push(uint8_t(PC));
    Push(StatusByte(true, false));
    PC = Memory->ReadWord(0xFFFC);
    Cycle = 1;
    InterruptDue = InterruptEntry = 0;
}

uint8_t TCPU::StatusByte(bool bit5, bool bit4) const {
    return uint8_t((N ? 0x80 : 0) | (V ? 0x40 : 0) | (bit5 ? 0x20 : 0) | (bit4 ? 0x10 : 0) |
                   (D ? 0x08 : 0) | (I ? 0x04 : 0) | (Z ? 0x02 : 0) | (C ? 0x01 : 0));
}

// The first undocumented opcode met at each address gets one log line, up to a limit; PC is
// past the opcode.
CPU_COLD void TCPU::NoteUndocumented() {
    const uint16_t at = uint16_t(PC - 1);
    uint64_t& bits = UndocumentedSeen[at >> 6];
    const uint64_t bit = uint64_t(1) << (at & 63);
    if ((bits & bit) != 0 || UndocumentedLogged > UndocumentedLogLimit) return;
    bits |= bit;
    char line[64];
    if (++UndocumentedLogged > UndocumentedLogLimit)
        std::snprintf(line, sizeof line, "More undocumented opcodes are not logged.");
    else
        std::snprintf(line, sizeof line, "Undocumented opcode %.2X (%s) at %.4X", unsigned(Opcode),
                      MnemonicTable[Opcode].Name, unsigned(at));
    Host->AppendLog(line);
}

int TCPU::ValidBreakpointCount() const {
    return BreakpointCount < 0 ? 0 : BreakpointCount < MaxBreakpoints ? BreakpointCount : MaxBreakpoints;
}

bool TCPU::HasBreakpoint(uint16_t address) const {
    const int count = ValidBreakpointCount();
    for (int index = 0; index < count; ++index)
        if (Breakpoints[index] == address) return true;
    return false;
}

bool TCPU::AddBreakpoint(uint16_t address) {
    const int count = ValidBreakpointCount();
    if (count >= MaxBreakpoints || HasBreakpoint(address)) return false;
    Breakpoints[count] = address;
    BreakpointCount = count + 1;
    return true;
}

bool TCPU::RemoveBreakpoint(uint16_t address) {
    const int count = ValidBreakpointCount();
    for (int index = 0; index < count; ++index) {
        if (Breakpoints[index] != address) continue;
        for (int later = index + 1; later < count; ++later) Breakpoints[later - 1] = Breakpoints[later];
        BreakpointCount = count - 1;
        return true;
    }
    return false;
}

// At an instruction boundary: a breakpoint on PC, or the undocumented opcode the next clock
// would fetch (not while an interrupt entry comes first).
bool TCPU::StopsHere() const {
    if (BreakpointCount > 0 && HasBreakpoint(PC)) return true;
    return StopOnUndocumented && !InterruptDue && IsUndocumented(Memory->Peek(PC));
}

// Before the opcode at PC is fetched. A breakpoint takes precedence over the undocumented
// opcode's report.
CPU_COLD void TCPU::ReportBreakpoint() {
    if (BreakpointCount > 0 && HasBreakpoint(PC)) {
        Host->BreakpointReached();
        Host->StatusMessage("A breakpoint has been reached.");
        return;
    }
    ReportUndocumentedStop();
}

CPU_COLD void TCPU::ReportUndocumentedStop() {
    char line[48];
    Host->BreakpointReached();
    Host->StatusMessage("Illegal opcode!");
    std::snprintf(line, sizeof line, "Illegal opcode at PC:%.4X ", unsigned(PC));
    Host->AppendLog(line);
    std::snprintf(line, sizeof line, "Opcode: %.2X", unsigned(Memory->Peek(PC)));
    Host->AppendLog(line);
}
