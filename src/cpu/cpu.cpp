#include "cpu/cpu.h"

#include <array>
#include <cstdio>
#include <utility>

#include "cpu/cpu_opcode_map.h"
#include "memory/memory.h"

// One micro-step: the clock `cycle` of opcode `opcode`, with the selections on both folded
// away. Clock 1 of every opcode is the opcode fetch.
template <uint32_t key>
void TCPU::MicroStep(TCPU& cpu) {
    constexpr uint32_t cycle = key % CycleSlots;
    if constexpr (cycle == 1) {
        cpu.Opcode = cpu.Fetch();
    } else {
        // The last slot takes every clock number from there on: no sequence has such a clock.
        if constexpr (cycle < CycleSlots - 1) {
            CPU_ASSUME(cpu.Cycle == cycle);
        }
        cpu.Execute<uint8_t(key / CycleSlots)>();
    }
}

template <size_t... keys>
constexpr std::array<TCPU::TMicroStep, sizeof...(keys)> MicroStepTable(std::index_sequence<keys...>) {
    return {&TCPU::MicroStep<uint32_t(keys)>...};
}

const std::array<TCPU::TMicroStep, 256 * TCPU::CycleSlots> TCPU::MicroSteps =
    MicroStepTable(std::make_index_sequence<256 * TCPU::CycleSlots>());

void TCPU::Step() { StepWith<true, true>(); }

// The entry takes no clock of its own: the clock that performs it goes on to fetch the
// handler's first opcode.
void TCPU::EnterInterrupt() {
    Push(uint8_t(PC >> 8));
    Push(uint8_t(PC));
    Push(StatusByte(false, false));
    I = 1;
    PC = Memory->ReadWord(0xFFFE);
    Cycle = 1;
    IrqDelay = 7;
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
    IrqDelay = 7;
    IrqLine = 0;
}

// The reset pushes like an interrupt but leaves I alone, and abandons any instruction in
// progress.
void TCPU::Reset() {
    Push(uint8_t(PC >> 8));
    Push(uint8_t(PC));
    Push(StatusByte(false, false));
    PC = Memory->ReadWord(0xFFFC);
    Cycle = 1;
}

uint8_t TCPU::StatusByte(bool bit5, bool bit4) const {
    return uint8_t((N ? 0x80 : 0) | (V ? 0x40 : 0) | (bit5 ? 0x20 : 0) | (bit4 ? 0x10 : 0) |
                   (D ? 0x08 : 0) | (I ? 0x04 : 0) | (Z ? 0x02 : 0) | (C ? 0x01 : 0));
}

// An illegal opcode is reported and skipped; PC already points past it.
CPU_COLD void TCPU::ReportIllegalOpcode() {
    char line[48];
    Host->StatusMessage("Illegal opcode!");
    std::snprintf(line, sizeof line, "Illegal opcode at PC:%.4X ", unsigned(PC));
    Host->AppendLog(line);
    std::snprintf(line, sizeof line, "Opcode: %.2X", unsigned(Opcode));
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

// At an instruction boundary whose PC is in the list (once, even when it is there twice),
// before the next opcode is fetched.
CPU_COLD void TCPU::ReportBreakpoint() {
    Host->BreakpointReached();
    Host->StatusMessage("A breakpoint has been reached.");
}
