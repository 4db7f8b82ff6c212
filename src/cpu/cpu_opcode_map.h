#pragma once
// The opcode map: which sequence family, with which operation, each opcode runs. It names the
// family to a set of families: the micro-code's (TCPU itself, one clock at a time: Execute)
// and the whole-instruction path's (cpu_whole.cpp). Included by those two only.
#include "cpu/cpu_sequences.h"

// The opcode map, one opcode a line, in rows of sixteen. Every instruction is one sequence
// family parameterised by its operation (cpu_sequences.h, cpu_operations.h).
//
// $4B has no documented behaviour on this processor. It runs here as ANL #imm, the NMOS
// 6502's: A = (A AND value) shifted right by one, C = the bit shifted out, N and Z of A, two
// clocks. So every opcode reaches an instruction boundary.
template <uint8_t opcode, class Families>
CPU_INLINE void TCPU::VisitFamily(Families& f) {
    // ---- $00 ----
    if constexpr (opcode == 0x00) f.Brk();
    else if constexpr (opcode == 0x01) f.template IndexedIndirectRead<ORA>();
    else if constexpr (opcode == 0x02) f.Jam();
    else if constexpr (opcode == 0x03) f.Illegal();
    else if constexpr (opcode == 0x04) f.NopZeroPage();
    else if constexpr (opcode == 0x05) f.template ZeroPageRead<ORA>();
    else if constexpr (opcode == 0x06) f.template ZeroPageModify<ASL>();
    else if constexpr (opcode == 0x07) f.Illegal();
    else if constexpr (opcode == 0x08) f.template PushRegister<PHP>();
    else if constexpr (opcode == 0x09) f.template Immediate<ORA>();
    else if constexpr (opcode == 0x0A) f.template Implied<ASL_A>();
    else if constexpr (opcode == 0x0B) f.template Immediate<ANN>();
    else if constexpr (opcode == 0x0C) f.NopAbsolute();
    else if constexpr (opcode == 0x0D) f.template AbsoluteRead<ORA>();
    else if constexpr (opcode == 0x0E) f.template AbsoluteModify<ASL>();
    else if constexpr (opcode == 0x0F) f.Illegal();

    // ---- $10 ----
    else if constexpr (opcode == 0x10) f.template Branch<BPL>();
    else if constexpr (opcode == 0x11) f.template IndirectIndexedRead<ORA>();
    else if constexpr (opcode == 0x12) f.Jam();
    else if constexpr (opcode == 0x13) f.Illegal();
    else if constexpr (opcode == 0x14) f.NopZeroPageIndexed();
    else if constexpr (opcode == 0x15) f.template ZeroPageIndexedRead<ORA, ByX>();
    else if constexpr (opcode == 0x16) f.template ZeroPageIndexedModify<ASL, ByX>();
    else if constexpr (opcode == 0x17) f.Illegal();
    else if constexpr (opcode == 0x18) f.template Implied<CLC>();
    else if constexpr (opcode == 0x19) f.template AbsoluteIndexedRead<ORA, ByY>();
    else if constexpr (opcode == 0x1A) f.NopImplied();
    else if constexpr (opcode == 0x1B) f.Illegal();
    else if constexpr (opcode == 0x1C) f.NopAbsoluteIndexed();
    else if constexpr (opcode == 0x1D) f.template AbsoluteIndexedRead<ORA, ByX>();
    else if constexpr (opcode == 0x1E) f.template AbsoluteIndexedModify<ASL, ByX>();
    else if constexpr (opcode == 0x1F) f.Illegal();

    // ---- $20 ----
    else if constexpr (opcode == 0x20) f.Jsr();
    else if constexpr (opcode == 0x21) f.template IndexedIndirectRead<AND>();
    else if constexpr (opcode == 0x22) f.Jam();
    else if constexpr (opcode == 0x23) f.Illegal();
    else if constexpr (opcode == 0x24) f.template ZeroPageRead<BIT>();
    else if constexpr (opcode == 0x25) f.template ZeroPageRead<AND>();
    else if constexpr (opcode == 0x26) f.template ZeroPageModify<ROL>();
    else if constexpr (opcode == 0x27) f.Illegal();
    else if constexpr (opcode == 0x28) f.template PullRegister<PLP>();
    else if constexpr (opcode == 0x29) f.template Immediate<AND>();
    else if constexpr (opcode == 0x2A) f.template Implied<ROL_A>();
    else if constexpr (opcode == 0x2B) f.template Immediate<ANN>();
    else if constexpr (opcode == 0x2C) f.template AbsoluteRead<BIT>();
    else if constexpr (opcode == 0x2D) f.template AbsoluteRead<AND>();
    else if constexpr (opcode == 0x2E) f.template AbsoluteModify<ROL>();
    else if constexpr (opcode == 0x2F) f.Illegal();

    // ---- $30 ----
    else if constexpr (opcode == 0x30) f.template Branch<BMI>();
    else if constexpr (opcode == 0x31) f.template IndirectIndexedRead<AND>();
    else if constexpr (opcode == 0x32) f.Jam();
    else if constexpr (opcode == 0x33) f.Illegal();
    else if constexpr (opcode == 0x34) f.NopZeroPageIndexed();
    else if constexpr (opcode == 0x35) f.template ZeroPageIndexedRead<AND, ByX>();
    else if constexpr (opcode == 0x36) f.template ZeroPageIndexedModify<ROL, ByX>();
    else if constexpr (opcode == 0x37) f.Illegal();
    else if constexpr (opcode == 0x38) f.template Implied<SEC>();
    else if constexpr (opcode == 0x39) f.template AbsoluteIndexedRead<AND, ByY>();
    else if constexpr (opcode == 0x3A) f.NopImplied();
    else if constexpr (opcode == 0x3B) f.Illegal();
    else if constexpr (opcode == 0x3C) f.NopAbsoluteIndexed();
    else if constexpr (opcode == 0x3D) f.template AbsoluteIndexedRead<AND, ByX>();
    else if constexpr (opcode == 0x3E) f.template AbsoluteIndexedModify<ROL, ByX>();
    else if constexpr (opcode == 0x3F) f.template AbsoluteIndexedModify<RAN, ByX>();

    // ---- $40 ----
    else if constexpr (opcode == 0x40) f.Rti();
    else if constexpr (opcode == 0x41) f.template IndexedIndirectRead<EOR>();
    else if constexpr (opcode == 0x42) f.Jam();
    else if constexpr (opcode == 0x43) f.Illegal();
    else if constexpr (opcode == 0x44) f.NopZeroPage();
    else if constexpr (opcode == 0x45) f.template ZeroPageRead<EOR>();
    else if constexpr (opcode == 0x46) f.template ZeroPageModify<LSR>();
    else if constexpr (opcode == 0x47) f.Illegal();
    else if constexpr (opcode == 0x48) f.template PushRegister<PHA>();
    else if constexpr (opcode == 0x49) f.template Immediate<EOR>();
    else if constexpr (opcode == 0x4A) f.template Implied<LSR_A>();
    else if constexpr (opcode == 0x4B) f.template Immediate<ANL>();
    else if constexpr (opcode == 0x4C) f.JmpAbsolute();
    else if constexpr (opcode == 0x4D) f.template AbsoluteRead<EOR>();
    else if constexpr (opcode == 0x4E) f.template AbsoluteModify<LSR>();
    else if constexpr (opcode == 0x4F) f.template AbsoluteModify<LSE>();

    // ---- $50 ----
    else if constexpr (opcode == 0x50) f.template Branch<BVC>();
    else if constexpr (opcode == 0x51) f.template IndirectIndexedRead<EOR>();
    else if constexpr (opcode == 0x52) f.Jam();
    else if constexpr (opcode == 0x53) f.template IndirectIndexedModify<LSE>();
    else if constexpr (opcode == 0x54) f.NopZeroPageIndexed();
    else if constexpr (opcode == 0x55) f.template ZeroPageIndexedRead<EOR, ByX>();
    else if constexpr (opcode == 0x56) f.template ZeroPageIndexedModify<LSR, ByX>();
    else if constexpr (opcode == 0x57) f.Illegal();
    else if constexpr (opcode == 0x58) f.template Implied<CLI>();
    else if constexpr (opcode == 0x59) f.template AbsoluteIndexedRead<EOR, ByY>();
    else if constexpr (opcode == 0x5A) f.NopImplied();
    else if constexpr (opcode == 0x5B) f.Illegal();
    else if constexpr (opcode == 0x5C) f.NopAbsoluteIndexed();
    else if constexpr (opcode == 0x5D) f.template AbsoluteIndexedRead<EOR, ByX>();
    else if constexpr (opcode == 0x5E) f.template AbsoluteIndexedModify<LSR, ByX>();
    else if constexpr (opcode == 0x5F) f.Illegal();

    // ---- $60 ----
    else if constexpr (opcode == 0x60) f.Rts();
    else if constexpr (opcode == 0x61) f.template IndexedIndirectRead<ADC>();
    else if constexpr (opcode == 0x62) f.Jam();
    else if constexpr (opcode == 0x63) f.Illegal();
    else if constexpr (opcode == 0x64) f.NopZeroPage();
    else if constexpr (opcode == 0x65) f.template ZeroPageRead<ADC>();
    else if constexpr (opcode == 0x66) f.template ZeroPageModify<ROR>();
    else if constexpr (opcode == 0x67) f.Illegal();
    else if constexpr (opcode == 0x68) f.template PullRegister<PLA>();
    else if constexpr (opcode == 0x69) f.template Immediate<ADC>();
    else if constexpr (opcode == 0x6A) f.template Implied<ROR_A>();
    else if constexpr (opcode == 0x6B) f.Illegal();
    else if constexpr (opcode == 0x6C) f.JmpIndirect();
    else if constexpr (opcode == 0x6D) f.template AbsoluteRead<ADC>();
    else if constexpr (opcode == 0x6E) f.template AbsoluteModify<ROR>();
    else if constexpr (opcode == 0x6F) f.Illegal();

    // ---- $70 ----
    else if constexpr (opcode == 0x70) f.template Branch<BVS>();
    else if constexpr (opcode == 0x71) f.template IndirectIndexedRead<ADC>();
    else if constexpr (opcode == 0x72) f.Jam();
    else if constexpr (opcode == 0x73) f.Illegal();
    else if constexpr (opcode == 0x74) f.NopZeroPageIndexed();
    else if constexpr (opcode == 0x75) f.template ZeroPageIndexedRead<ADC, ByX>();
    else if constexpr (opcode == 0x76) f.template ZeroPageIndexedModify<ROR, ByX>();
    else if constexpr (opcode == 0x77) f.Illegal();
    else if constexpr (opcode == 0x78) f.template Implied<SEI>();
    else if constexpr (opcode == 0x79) f.template AbsoluteIndexedRead<ADC, ByY>();
    else if constexpr (opcode == 0x7A) f.NopImplied();
    else if constexpr (opcode == 0x7B) f.Illegal();
    else if constexpr (opcode == 0x7C) f.NopAbsoluteIndexed();
    else if constexpr (opcode == 0x7D) f.template AbsoluteIndexedRead<ADC, ByX>();
    else if constexpr (opcode == 0x7E) f.template AbsoluteIndexedModify<ROR, ByX>();
    else if constexpr (opcode == 0x7F) f.template AbsoluteIndexedModify<RAD, ByX>();

    // ---- $80 ----
    else if constexpr (opcode == 0x80) f.NopOneByte();
    else if constexpr (opcode == 0x81) f.template IndexedIndirectWrite<STA>();
    else if constexpr (opcode == 0x82) f.NopOneByte();
    else if constexpr (opcode == 0x83) f.Illegal();
    else if constexpr (opcode == 0x84) f.template ZeroPageWrite<STY>();
    else if constexpr (opcode == 0x85) f.template ZeroPageWrite<STA>();
    else if constexpr (opcode == 0x86) f.template ZeroPageWrite<STX>();
    else if constexpr (opcode == 0x87) f.Illegal();
    else if constexpr (opcode == 0x88) f.template Implied<DEY>();
    else if constexpr (opcode == 0x89) f.NopOneByte();
    else if constexpr (opcode == 0x8A) f.template Implied<TXA>();
    else if constexpr (opcode == 0x8B) f.Illegal();
    else if constexpr (opcode == 0x8C) f.template AbsoluteWrite<STY>();
    else if constexpr (opcode == 0x8D) f.template AbsoluteWrite<STA>();
    else if constexpr (opcode == 0x8E) f.template AbsoluteWrite<STX>();
    else if constexpr (opcode == 0x8F) f.template AbsoluteWrite<AAX>();

    // ---- $90 ----
    else if constexpr (opcode == 0x90) f.template Branch<BCC>();
    else if constexpr (opcode == 0x91) f.template IndirectIndexedWrite<STA>();
    else if constexpr (opcode == 0x92) f.Jam();
    else if constexpr (opcode == 0x93) f.Illegal();
    else if constexpr (opcode == 0x94) f.template ZeroPageIndexedWrite<STY, ByX>();
    else if constexpr (opcode == 0x95) f.template ZeroPageIndexedWrite<STA, ByX>();
    else if constexpr (opcode == 0x96) f.template ZeroPageIndexedWrite<STX, ByY>();
    else if constexpr (opcode == 0x97) f.Illegal();
    else if constexpr (opcode == 0x98) f.template Implied<TYA>();
    else if constexpr (opcode == 0x99) f.template AbsoluteIndexedWrite<STA, ByY>();
    else if constexpr (opcode == 0x9A) f.template Implied<TXS>();
    else if constexpr (opcode == 0x9B) f.Illegal();
    else if constexpr (opcode == 0x9C) f.Illegal();
    else if constexpr (opcode == 0x9D) f.template AbsoluteIndexedWrite<STA, ByX>();
    else if constexpr (opcode == 0x9E) f.Illegal();
    else if constexpr (opcode == 0x9F) f.Illegal();

    // ---- $A0 ----
    else if constexpr (opcode == 0xA0) f.template Immediate<LDY>();
    else if constexpr (opcode == 0xA1) f.template IndexedIndirectRead<LDA>();
    else if constexpr (opcode == 0xA2) f.template Immediate<LDX>();
    else if constexpr (opcode == 0xA3) f.template IndexedIndirectRead<LDT>();
    else if constexpr (opcode == 0xA4) f.template ZeroPageRead<LDY>();
    else if constexpr (opcode == 0xA5) f.template ZeroPageRead<LDA>();
    else if constexpr (opcode == 0xA6) f.template ZeroPageRead<LDX>();
    else if constexpr (opcode == 0xA7) f.template ZeroPageRead<LDT>();
    else if constexpr (opcode == 0xA8) f.template Implied<TAY>();
    else if constexpr (opcode == 0xA9) f.template Immediate<LDA>();
    else if constexpr (opcode == 0xAA) f.template Implied<TAX>();
    else if constexpr (opcode == 0xAB) f.Illegal();
    else if constexpr (opcode == 0xAC) f.template AbsoluteRead<LDY>();
    else if constexpr (opcode == 0xAD) f.template AbsoluteRead<LDA>();
    else if constexpr (opcode == 0xAE) f.template AbsoluteRead<LDX>();
    else if constexpr (opcode == 0xAF) f.template AbsoluteRead<LDT>();

    // ---- $B0 ----
    else if constexpr (opcode == 0xB0) f.template Branch<BCS>();
    else if constexpr (opcode == 0xB1) f.template IndirectIndexedRead<LDA>();
    else if constexpr (opcode == 0xB2) f.Jam();
    else if constexpr (opcode == 0xB3) f.template IndirectIndexedRead<LDT>();
    else if constexpr (opcode == 0xB4) f.template ZeroPageIndexedRead<LDY, ByX>();
    else if constexpr (opcode == 0xB5) f.template ZeroPageIndexedRead<LDA, ByX>();
    else if constexpr (opcode == 0xB6) f.template ZeroPageIndexedRead<LDX, ByY>();
    else if constexpr (opcode == 0xB7) f.template ZeroPageIndexedRead<LDT, ByY>();
    else if constexpr (opcode == 0xB8) f.template Implied<CLV>();
    else if constexpr (opcode == 0xB9) f.template AbsoluteIndexedRead<LDA, ByY>();
    else if constexpr (opcode == 0xBA) f.template Implied<TSX>();
    else if constexpr (opcode == 0xBB) f.Illegal();
    else if constexpr (opcode == 0xBC) f.template AbsoluteIndexedRead<LDY, ByX>();
    else if constexpr (opcode == 0xBD) f.template AbsoluteIndexedRead<LDA, ByX>();
    else if constexpr (opcode == 0xBE) f.template AbsoluteIndexedRead<LDX, ByY>();
    else if constexpr (opcode == 0xBF) f.template AbsoluteIndexedRead<LDT, ByY>();

    // ---- $C0 ----
    else if constexpr (opcode == 0xC0) f.template Immediate<CPY>();
    else if constexpr (opcode == 0xC1) f.template IndexedIndirectRead<CMP>();
    else if constexpr (opcode == 0xC2) f.NopOneByte();
    else if constexpr (opcode == 0xC3) f.template IndexedIndirectModify<DEM>();
    else if constexpr (opcode == 0xC4) f.template ZeroPageRead<CPY>();
    else if constexpr (opcode == 0xC5) f.template ZeroPageRead<CMP>();
    else if constexpr (opcode == 0xC6) f.template ZeroPageModify<DEC>();
    else if constexpr (opcode == 0xC7) f.template ZeroPageModify<DEM>();
    else if constexpr (opcode == 0xC8) f.template Implied<INY>();
    else if constexpr (opcode == 0xC9) f.template Immediate<CMP>();
    else if constexpr (opcode == 0xCA) f.template Implied<DEX>();
    else if constexpr (opcode == 0xCB) f.Illegal();
    else if constexpr (opcode == 0xCC) f.template AbsoluteRead<CPY>();
    else if constexpr (opcode == 0xCD) f.template AbsoluteRead<CMP>();
    else if constexpr (opcode == 0xCE) f.template AbsoluteModify<DEC>();
    else if constexpr (opcode == 0xCF) f.template AbsoluteModify<DEM>();

    // ---- $D0 ----
    else if constexpr (opcode == 0xD0) f.template Branch<BNE>();
    else if constexpr (opcode == 0xD1) f.template IndirectIndexedRead<CMP>();
    else if constexpr (opcode == 0xD2) f.Jam();
    else if constexpr (opcode == 0xD3) f.Illegal();
    else if constexpr (opcode == 0xD4) f.NopZeroPageIndexed();
    else if constexpr (opcode == 0xD5) f.template ZeroPageIndexedRead<CMP, ByX>();
    else if constexpr (opcode == 0xD6) f.template ZeroPageIndexedModify<DEC, ByX>();
    else if constexpr (opcode == 0xD7) f.template ZeroPageIndexedModify<DEM, ByY>();
    else if constexpr (opcode == 0xD8) f.template Implied<CLD>();
    else if constexpr (opcode == 0xD9) f.template AbsoluteIndexedRead<CMP, ByY>();
    else if constexpr (opcode == 0xDA) f.NopImplied();
    else if constexpr (opcode == 0xDB) f.template AbsoluteIndexedModify<DEM, ByY>();
    else if constexpr (opcode == 0xDC) f.NopAbsoluteIndexed();
    else if constexpr (opcode == 0xDD) f.template AbsoluteIndexedRead<CMP, ByX>();
    else if constexpr (opcode == 0xDE) f.template AbsoluteIndexedModify<DEC, ByX>();
    else if constexpr (opcode == 0xDF) f.template AbsoluteIndexedModify<DEM, ByX>();

    // ---- $E0 ----
    else if constexpr (opcode == 0xE0) f.template Immediate<CPX>();
    else if constexpr (opcode == 0xE1) f.template IndexedIndirectRead<SBC>();
    else if constexpr (opcode == 0xE2) f.NopOneByte();
    else if constexpr (opcode == 0xE3) f.Illegal();
    else if constexpr (opcode == 0xE4) f.template ZeroPageRead<CPX>();
    else if constexpr (opcode == 0xE5) f.template ZeroPageRead<SBC>();
    else if constexpr (opcode == 0xE6) f.template ZeroPageModify<INC>();
    else if constexpr (opcode == 0xE7) f.template ZeroPageModify<INB>();
    else if constexpr (opcode == 0xE8) f.template Implied<INX>();
    else if constexpr (opcode == 0xE9) f.template Immediate<SBC>();
    else if constexpr (opcode == 0xEA) f.template Implied<NOP>();
    else if constexpr (opcode == 0xEB) f.template Immediate<SBC>();
    else if constexpr (opcode == 0xEC) f.template AbsoluteRead<CPX>();
    else if constexpr (opcode == 0xED) f.template AbsoluteRead<SBC>();
    else if constexpr (opcode == 0xEE) f.template AbsoluteModify<INC>();
    else if constexpr (opcode == 0xEF) f.template AbsoluteModify<INB_A>();

    // ---- $F0 ----
    else if constexpr (opcode == 0xF0) f.template Branch<BEQ>();
    else if constexpr (opcode == 0xF1) f.template IndirectIndexedRead<SBC>();
    else if constexpr (opcode == 0xF2) f.Jam();
    else if constexpr (opcode == 0xF3) f.Illegal();
    else if constexpr (opcode == 0xF4) f.NopZeroPageIndexed();
    else if constexpr (opcode == 0xF5) f.template ZeroPageIndexedRead<SBC, ByX>();
    else if constexpr (opcode == 0xF6) f.template ZeroPageIndexedModify<INC, ByX>();
    else if constexpr (opcode == 0xF7) f.template ZeroPageIndexedModify<INB, ByX>();
    else if constexpr (opcode == 0xF8) f.template Implied<SED>();
    else if constexpr (opcode == 0xF9) f.template AbsoluteIndexedRead<SBC, ByY>();
    else if constexpr (opcode == 0xFA) f.NopImplied();
    else if constexpr (opcode == 0xFB) f.template AbsoluteIndexedModify<INB, ByY>();
    else if constexpr (opcode == 0xFC) f.NopAbsoluteIndexed();
    else if constexpr (opcode == 0xFD) f.template AbsoluteIndexedRead<SBC, ByX>();
    else if constexpr (opcode == 0xFE) f.template AbsoluteIndexedModify<INC, ByX>();
    else if constexpr (opcode == 0xFF) f.template AbsoluteIndexedModify<INB, ByX>();
    }

// Micro-step Cycle (2 and above) of `opcode`.
template <uint8_t opcode>
CPU_INLINE void TCPU::Execute() {
    VisitFamily<opcode>(*this);
}
