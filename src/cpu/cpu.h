#pragma once
#include <cstdint>

class TMemory;
class THost;

// The 7501/8501 processor: a 6502 core advanced exactly one clock per Step. Every instruction
// is a numbered sequence of micro-steps; Cycle names the one the next clock performs, so the
// machine can be stopped and inspected between any two clocks.
class TCPU {
public:
    static constexpr int MaxBreakpoints = 16;

    void SetMemory(TMemory* memory) { Memory = memory; }
    void SetHost(THost* host) { Host = host; }

    void Step();      // exactly one clock
    void PowerOn();   // registers to their power-on values, no bus access
    void Reset();     // pushes PC and status, PC from $FFFC/$FFFD, Cycle 1
    void RaiseIrq() { IrqLine = 1; }
    void ClearIrq() { IrqLine = 0; }

    // Processor status byte composed from the flag bytes (bit 5 and bit 4 as given).
    uint8_t StatusByte(bool bit5, bool bit4) const;

    TMemory* Memory = nullptr;
    THost* Host = nullptr;
    uint16_t Breakpoints[MaxBreakpoints] = {};
    int32_t BreakpointCount = 0;
    uint16_t PC = 0;
    uint8_t A = 0, X = 0, Y = 0, SP = 0xFF;
    uint8_t N = 0, V = 0, B = 0, D = 0, I = 0, Z = 0, C = 0;  // a flag is set when nonzero
    uint32_t Cycle = 1;   // 1: the next clock fetches an opcode (instruction boundary)
    uint8_t Opcode = 0;
    uint8_t DataLo = 0, DataHi = 0, Temp = 0;
    uint16_t EffAddr = 0, Result16 = 0;
    int16_t IrqLine = 0;
    int16_t IrqDelay = 7;
};
