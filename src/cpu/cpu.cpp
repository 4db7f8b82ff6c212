#include "cpu/cpu.h"

#include <cstdio>

#include "cpu/cpu_sequences.h"
#include "memory/memory.h"

// The opcode map, one opcode a line, in rows of sixteen. Every instruction is one sequence
// family parameterised by its operation (cpu_sequences.h, cpu_operations.h).
//
// $4B has no documented behaviour on this processor. It runs here as ANL #imm, the NMOS
// 6502's: A = (A AND value) shifted right by one, C = the bit shifted out, N and Z of A, two
// clocks. So every opcode reaches an instruction boundary.
CPU_INLINE void TCPU::Execute() {
    switch (Opcode) {
        // ---- $00 ----
        case 0x00: return Brk();
        case 0x01: return IndexedIndirectRead<ORA>();
        case 0x02: return Jam();
        case 0x03: return Illegal();
        case 0x04: return NopZeroPage();
        case 0x05: return ZeroPageRead<ORA>();
        case 0x06: return ZeroPageModify<ASL>();
        case 0x07: return Illegal();
        case 0x08: return PushRegister<PHP>();
        case 0x09: return Immediate<ORA>();
        case 0x0A: return Implied<ASL_A>();
        case 0x0B: return Immediate<ANN>();
        case 0x0C: return NopAbsolute();
        case 0x0D: return AbsoluteRead<ORA>();
        case 0x0E: return AbsoluteModify<ASL>();
        case 0x0F: return Illegal();

        // ---- $10 ----
        case 0x10: return Branch<BPL>();
        case 0x11: return IndirectIndexedRead<ORA>();
        case 0x12: return Jam();
        case 0x13: return Illegal();
        case 0x14: return NopZeroPageIndexed();
        case 0x15: return ZeroPageIndexedRead<ORA, ByX>();
        case 0x16: return ZeroPageIndexedModify<ASL, ByX>();
        case 0x17: return Illegal();
        case 0x18: return Implied<CLC>();
        case 0x19: return AbsoluteIndexedRead<ORA, ByY>();
        case 0x1A: return NopImplied();
        case 0x1B: return Illegal();
        case 0x1C: return NopAbsoluteIndexed();
        case 0x1D: return AbsoluteIndexedRead<ORA, ByX>();
        case 0x1E: return AbsoluteIndexedModify<ASL, ByX>();
        case 0x1F: return Illegal();

        // ---- $20 ----
        case 0x20: return Jsr();
        case 0x21: return IndexedIndirectRead<AND>();
        case 0x22: return Jam();
        case 0x23: return Illegal();
        case 0x24: return ZeroPageRead<BIT>();
        case 0x25: return ZeroPageRead<AND>();
        case 0x26: return ZeroPageModify<ROL>();
        case 0x27: return Illegal();
        case 0x28: return PullRegister<PLP>();
        case 0x29: return Immediate<AND>();
        case 0x2A: return Implied<ROL_A>();
        case 0x2B: return Immediate<ANN>();
        case 0x2C: return AbsoluteRead<BIT>();
        case 0x2D: return AbsoluteRead<AND>();
        case 0x2E: return AbsoluteModify<ROL>();
        case 0x2F: return Illegal();

        // ---- $30 ----
        case 0x30: return Branch<BMI>();
        case 0x31: return IndirectIndexedRead<AND>();
        case 0x32: return Jam();
        case 0x33: return Illegal();
        case 0x34: return NopZeroPageIndexed();
        case 0x35: return ZeroPageIndexedRead<AND, ByX>();
        case 0x36: return ZeroPageIndexedModify<ROL, ByX>();
        case 0x37: return Illegal();
        case 0x38: return Implied<SEC>();
        case 0x39: return AbsoluteIndexedRead<AND, ByY>();
        case 0x3A: return NopImplied();
        case 0x3B: return Illegal();
        case 0x3C: return NopAbsoluteIndexed();
        case 0x3D: return AbsoluteIndexedRead<AND, ByX>();
        case 0x3E: return AbsoluteIndexedModify<ROL, ByX>();
        case 0x3F: return AbsoluteIndexedModify<RAN, ByX>();

        // ---- $40 ----
        case 0x40: return Rti();
        case 0x41: return IndexedIndirectRead<EOR>();
        case 0x42: return Jam();
        case 0x43: return Illegal();
        case 0x44: return NopZeroPage();
        case 0x45: return ZeroPageRead<EOR>();
        case 0x46: return ZeroPageModify<LSR>();
        case 0x47: return Illegal();
        case 0x48: return PushRegister<PHA>();
        case 0x49: return Immediate<EOR>();
        case 0x4A: return Implied<LSR_A>();
        case 0x4B: return Immediate<ANL>();
        case 0x4C: return JmpAbsolute();
        case 0x4D: return AbsoluteRead<EOR>();
        case 0x4E: return AbsoluteModify<LSR>();
        case 0x4F: return AbsoluteModify<LSE>();

        // ---- $50 ----
        case 0x50: return Branch<BVC>();
        case 0x51: return IndirectIndexedRead<EOR>();
        case 0x52: return Jam();
        case 0x53: return IndirectIndexedModify<LSE>();
        case 0x54: return NopZeroPageIndexed();
        case 0x55: return ZeroPageIndexedRead<EOR, ByX>();
        case 0x56: return ZeroPageIndexedModify<LSR, ByX>();
        case 0x57: return Illegal();
        case 0x58: return Implied<CLI>();
        case 0x59: return AbsoluteIndexedRead<EOR, ByY>();
        case 0x5A: return NopImplied();
        case 0x5B: return Illegal();
        case 0x5C: return NopAbsoluteIndexed();
        case 0x5D: return AbsoluteIndexedRead<EOR, ByX>();
        case 0x5E: return AbsoluteIndexedModify<LSR, ByX>();
        case 0x5F: return Illegal();

        // ---- $60 ----
        case 0x60: return Rts();
        case 0x61: return IndexedIndirectRead<ADC>();
        case 0x62: return Jam();
        case 0x63: return Illegal();
        case 0x64: return NopZeroPage();
        case 0x65: return ZeroPageRead<ADC>();
        case 0x66: return ZeroPageModify<ROR>();
        case 0x67: return Illegal();
        case 0x68: return PullRegister<PLA>();
        case 0x69: return Immediate<ADC>();
        case 0x6A: return Implied<ROR_A>();
        case 0x6B: return Illegal();
        case 0x6C: return JmpIndirect();
        case 0x6D: return AbsoluteRead<ADC>();
        case 0x6E: return AbsoluteModify<ROR>();
        case 0x6F: return Illegal();

        // ---- $70 ----
        case 0x70: return Branch<BVS>();
        case 0x71: return IndirectIndexedRead<ADC>();
        case 0x72: return Jam();
        case 0x73: return Illegal();
        case 0x74: return NopZeroPageIndexed();
        case 0x75: return ZeroPageIndexedRead<ADC, ByX>();
        case 0x76: return ZeroPageIndexedModify<ROR, ByX>();
        case 0x77: return Illegal();
        case 0x78: return Implied<SEI>();
        case 0x79: return AbsoluteIndexedRead<ADC, ByY>();
        case 0x7A: return NopImplied();
        case 0x7B: return Illegal();
        case 0x7C: return NopAbsoluteIndexed();
        case 0x7D: return AbsoluteIndexedRead<ADC, ByX>();
        case 0x7E: return AbsoluteIndexedModify<ROR, ByX>();
        case 0x7F: return AbsoluteIndexedModify<RAD, ByX>();

        // ---- $80 ----
        case 0x80: return NopOneByte();
        case 0x81: return IndexedIndirectWrite<STA>();
        case 0x82: return NopOneByte();
        case 0x83: return Illegal();
        case 0x84: return ZeroPageWrite<STY>();
        case 0x85: return ZeroPageWrite<STA>();
        case 0x86: return ZeroPageWrite<STX>();
        case 0x87: return Illegal();
        case 0x88: return Implied<DEY>();
        case 0x89: return NopOneByte();
        case 0x8A: return Implied<TXA>();
        case 0x8B: return Illegal();
        case 0x8C: return AbsoluteWrite<STY>();
        case 0x8D: return AbsoluteWrite<STA>();
        case 0x8E: return AbsoluteWrite<STX>();
        case 0x8F: return AbsoluteWrite<AAX>();

        // ---- $90 ----
        case 0x90: return Branch<BCC>();
        case 0x91: return IndirectIndexedWrite<STA>();
        case 0x92: return Jam();
        case 0x93: return Illegal();
        case 0x94: return ZeroPageIndexedWrite<STY, ByX>();
        case 0x95: return ZeroPageIndexedWrite<STA, ByX>();
        case 0x96: return ZeroPageIndexedWrite<STX, ByY>();
        case 0x97: return Illegal();
        case 0x98: return Implied<TYA>();
        case 0x99: return AbsoluteIndexedWrite<STA, ByY>();
        case 0x9A: return Implied<TXS>();
        case 0x9B: return Illegal();
        case 0x9C: return Illegal();
        case 0x9D: return AbsoluteIndexedWrite<STA, ByX>();
        case 0x9E: return Illegal();
        case 0x9F: return Illegal();

        // ---- $A0 ----
        case 0xA0: return Immediate<LDY>();
        case 0xA1: return IndexedIndirectRead<LDA>();
        case 0xA2: return Immediate<LDX>();
        case 0xA3: return IndexedIndirectRead<LDT>();
        case 0xA4: return ZeroPageRead<LDY>();
        case 0xA5: return ZeroPageRead<LDA>();
        case 0xA6: return ZeroPageRead<LDX>();
        case 0xA7: return ZeroPageRead<LDT>();
        case 0xA8: return Implied<TAY>();
        case 0xA9: return Immediate<LDA>();
        case 0xAA: return Implied<TAX>();
        case 0xAB: return Illegal();
        case 0xAC: return AbsoluteRead<LDY>();
        case 0xAD: return AbsoluteRead<LDA>();
        case 0xAE: return AbsoluteRead<LDX>();
        case 0xAF: return AbsoluteRead<LDT>();

        // ---- $B0 ----
        case 0xB0: return Branch<BCS>();
        case 0xB1: return IndirectIndexedRead<LDA>();
        case 0xB2: return Jam();
        case 0xB3: return IndirectIndexedRead<LDT>();
        case 0xB4: return ZeroPageIndexedRead<LDY, ByX>();
        case 0xB5: return ZeroPageIndexedRead<LDA, ByX>();
        case 0xB6: return ZeroPageIndexedRead<LDX, ByY>();
        case 0xB7: return ZeroPageIndexedRead<LDT, ByY>();
        case 0xB8: return Implied<CLV>();
        case 0xB9: return AbsoluteIndexedRead<LDA, ByY>();
        case 0xBA: return Implied<TSX>();
        case 0xBB: return Illegal();
        case 0xBC: return AbsoluteIndexedRead<LDY, ByX>();
        case 0xBD: return AbsoluteIndexedRead<LDA, ByX>();
        case 0xBE: return AbsoluteIndexedRead<LDX, ByY>();
        case 0xBF: return AbsoluteIndexedRead<LDT, ByY>();

        // ---- $C0 ----
        case 0xC0: return Immediate<CPY>();
        case 0xC1: return IndexedIndirectRead<CMP>();
        case 0xC2: return NopOneByte();
        case 0xC3: return IndexedIndirectModify<DEM>();
        case 0xC4: return ZeroPageRead<CPY>();
        case 0xC5: return ZeroPageRead<CMP>();
        case 0xC6: return ZeroPageModify<DEC>();
        case 0xC7: return ZeroPageModify<DEM>();
        case 0xC8: return Implied<INY>();
        case 0xC9: return Immediate<CMP>();
        case 0xCA: return Implied<DEX>();
        case 0xCB: return Illegal();
        case 0xCC: return AbsoluteRead<CPY>();
        case 0xCD: return AbsoluteRead<CMP>();
        case 0xCE: return AbsoluteModify<DEC>();
        case 0xCF: return AbsoluteModify<DEM>();

        // ---- $D0 ----
        case 0xD0: return Branch<BNE>();
        case 0xD1: return IndirectIndexedRead<CMP>();
        case 0xD2: return Jam();
        case 0xD3: return Illegal();
        case 0xD4: return NopZeroPageIndexed();
        case 0xD5: return ZeroPageIndexedRead<CMP, ByX>();
        case 0xD6: return ZeroPageIndexedModify<DEC, ByX>();
        case 0xD7: return ZeroPageIndexedModify<DEM, ByY>();
        case 0xD8: return Implied<CLD>();
        case 0xD9: return AbsoluteIndexedRead<CMP, ByY>();
        case 0xDA: return NopImplied();
        case 0xDB: return AbsoluteIndexedModify<DEM, ByY>();
        case 0xDC: return NopAbsoluteIndexed();
        case 0xDD: return AbsoluteIndexedRead<CMP, ByX>();
        case 0xDE: return AbsoluteIndexedModify<DEC, ByX>();
        case 0xDF: return AbsoluteIndexedModify<DEM, ByX>();

        // ---- $E0 ----
        case 0xE0: return Immediate<CPX>();
        case 0xE1: return IndexedIndirectRead<SBC>();
        case 0xE2: return NopOneByte();
        case 0xE3: return Illegal();
        case 0xE4: return ZeroPageRead<CPX>();
        case 0xE5: return ZeroPageRead<SBC>();
        case 0xE6: return ZeroPageModify<INC>();
        case 0xE7: return ZeroPageModify<INB>();
        case 0xE8: return Implied<INX>();
        case 0xE9: return Immediate<SBC>();
        case 0xEA: return Implied<NOP>();
        case 0xEB: return Immediate<SBC>();
        case 0xEC: return AbsoluteRead<CPX>();
        case 0xED: return AbsoluteRead<SBC>();
        case 0xEE: return AbsoluteModify<INC>();
        case 0xEF: return AbsoluteModify<INB_A>();

        // ---- $F0 ----
        case 0xF0: return Branch<BEQ>();
        case 0xF1: return IndirectIndexedRead<SBC>();
        case 0xF2: return Jam();
        case 0xF3: return Illegal();
        case 0xF4: return NopZeroPageIndexed();
        case 0xF5: return ZeroPageIndexedRead<SBC, ByX>();
        case 0xF6: return ZeroPageIndexedModify<INC, ByX>();
        case 0xF7: return ZeroPageIndexedModify<INB, ByX>();
        case 0xF8: return Implied<SED>();
        case 0xF9: return AbsoluteIndexedRead<SBC, ByY>();
        case 0xFA: return NopImplied();
        case 0xFB: return AbsoluteIndexedModify<INB, ByY>();
        case 0xFC: return NopAbsoluteIndexed();
        case 0xFD: return AbsoluteIndexedRead<SBC, ByX>();
        case 0xFE: return AbsoluteIndexedModify<INC, ByX>();
        case 0xFF: return AbsoluteIndexedModify<INB, ByX>();
    }
}

void TCPU::Step() {
    // The IRQ input is sampled at the start of every clock. The delay counts only clocks in
    // which the line is asserted and I is clear, and is not reloaded when the line drops.
    if (IrqLine != 0 && I == 0) [[unlikely]] {
        if (IrqDelay != 0)
            --IrqDelay;
        else if (Cycle == 1)
            EnterInterrupt();
    }
    if (Cycle == 1) {
        Opcode = Memory->Read(PC);
        ++PC;
    } else {
        Execute();
    }
    ++Cycle;
    if (BreakpointCount != 0 && Cycle == 1) [[unlikely]]
        CheckBreakpoints();
}

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

// Runs at an instruction boundary, before the next opcode is fetched. One hit is reported
// even when an address is in the list twice; a count out of range is clamped to the list.
CPU_COLD void TCPU::CheckBreakpoints() {
    const int count = BreakpointCount < MaxBreakpoints ? BreakpointCount : MaxBreakpoints;
    for (int index = 0; index < count; ++index) {
        if (Breakpoints[index] != PC) continue;
        Host->BreakpointReached();
        Host->StatusMessage("A breakpoint has been reached.");
        return;
    }
}
