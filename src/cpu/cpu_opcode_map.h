#pragma once
// The opcode map: which sequence family, with which operation, each opcode runs. Included by
// the micro-code table (cpu.cpp) and the whole-instruction path (cpu_whole.cpp), so both run
// the very same micro-steps.
#include "cpu/cpu_sequences.h"

// The opcode map, one opcode a line, in rows of sixteen. Every instruction is one sequence
// family parameterised by its operation (cpu_sequences.h, cpu_operations.h).
//
// $4B has no documented behaviour on this processor. It runs here as ANL #imm, the NMOS
// 6502's: A = (A AND value) shifted right by one, C = the bit shifted out, N and Z of A, two
// clocks. So every opcode reaches an instruction boundary.
template <uint8_t opcode>
CPU_INLINE void TCPU::Execute() {
    // ---- $00 ----
    if constexpr (opcode == 0x00) Brk();
    else if constexpr (opcode == 0x01) IndexedIndirectRead<ORA>();
    else if constexpr (opcode == 0x02) Jam();
    else if constexpr (opcode == 0x03) Illegal();
    else if constexpr (opcode == 0x04) NopZeroPage();
    else if constexpr (opcode == 0x05) ZeroPageRead<ORA>();
    else if constexpr (opcode == 0x06) ZeroPageModify<ASL>();
    else if constexpr (opcode == 0x07) Illegal();
    else if constexpr (opcode == 0x08) PushRegister<PHP>();
    else if constexpr (opcode == 0x09) Immediate<ORA>();
    else if constexpr (opcode == 0x0A) Implied<ASL_A>();
    else if constexpr (opcode == 0x0B) Immediate<ANN>();
    else if constexpr (opcode == 0x0C) NopAbsolute();
    else if constexpr (opcode == 0x0D) AbsoluteRead<ORA>();
    else if constexpr (opcode == 0x0E) AbsoluteModify<ASL>();
    else if constexpr (opcode == 0x0F) Illegal();

    // ---- $10 ----
    else if constexpr (opcode == 0x10) Branch<BPL>();
    else if constexpr (opcode == 0x11) IndirectIndexedRead<ORA>();
    else if constexpr (opcode == 0x12) Jam();
    else if constexpr (opcode == 0x13) Illegal();
    else if constexpr (opcode == 0x14) NopZeroPageIndexed();
    else if constexpr (opcode == 0x15) ZeroPageIndexedRead<ORA, ByX>();
    else if constexpr (opcode == 0x16) ZeroPageIndexedModify<ASL, ByX>();
    else if constexpr (opcode == 0x17) Illegal();
    else if constexpr (opcode == 0x18) Implied<CLC>();
    else if constexpr (opcode == 0x19) AbsoluteIndexedRead<ORA, ByY>();
    else if constexpr (opcode == 0x1A) NopImplied();
    else if constexpr (opcode == 0x1B) Illegal();
    else if constexpr (opcode == 0x1C) NopAbsoluteIndexed();
    else if constexpr (opcode == 0x1D) AbsoluteIndexedRead<ORA, ByX>();
    else if constexpr (opcode == 0x1E) AbsoluteIndexedModify<ASL, ByX>();
    else if constexpr (opcode == 0x1F) Illegal();

    // ---- $20 ----
    else if constexpr (opcode == 0x20) Jsr();
    else if constexpr (opcode == 0x21) IndexedIndirectRead<AND>();
    else if constexpr (opcode == 0x22) Jam();
    else if constexpr (opcode == 0x23) Illegal();
    else if constexpr (opcode == 0x24) ZeroPageRead<BIT>();
    else if constexpr (opcode == 0x25) ZeroPageRead<AND>();
    else if constexpr (opcode == 0x26) ZeroPageModify<ROL>();
    else if constexpr (opcode == 0x27) Illegal();
    else if constexpr (opcode == 0x28) PullRegister<PLP>();
    else if constexpr (opcode == 0x29) Immediate<AND>();
    else if constexpr (opcode == 0x2A) Implied<ROL_A>();
    else if constexpr (opcode == 0x2B) Immediate<ANN>();
    else if constexpr (opcode == 0x2C) AbsoluteRead<BIT>();
    else if constexpr (opcode == 0x2D) AbsoluteRead<AND>();
    else if constexpr (opcode == 0x2E) AbsoluteModify<ROL>();
    else if constexpr (opcode == 0x2F) Illegal();

    // ---- $30 ----
    else if constexpr (opcode == 0x30) Branch<BMI>();
    else if constexpr (opcode == 0x31) IndirectIndexedRead<AND>();
    else if constexpr (opcode == 0x32) Jam();
    else if constexpr (opcode == 0x33) Illegal();
    else if constexpr (opcode == 0x34) NopZeroPageIndexed();
    else if constexpr (opcode == 0x35) ZeroPageIndexedRead<AND, ByX>();
    else if constexpr (opcode == 0x36) ZeroPageIndexedModify<ROL, ByX>();
    else if constexpr (opcode == 0x37) Illegal();
    else if constexpr (opcode == 0x38) Implied<SEC>();
    else if constexpr (opcode == 0x39) AbsoluteIndexedRead<AND, ByY>();
    else if constexpr (opcode == 0x3A) NopImplied();
    else if constexpr (opcode == 0x3B) Illegal();
    else if constexpr (opcode == 0x3C) NopAbsoluteIndexed();
    else if constexpr (opcode == 0x3D) AbsoluteIndexedRead<AND, ByX>();
    else if constexpr (opcode == 0x3E) AbsoluteIndexedModify<ROL, ByX>();
    else if constexpr (opcode == 0x3F) AbsoluteIndexedModify<RAN, ByX>();

    // ---- $40 ----
    else if constexpr (opcode == 0x40) Rti();
    else if constexpr (opcode == 0x41) IndexedIndirectRead<EOR>();
    else if constexpr (opcode == 0x42) Jam();
    else if constexpr (opcode == 0x43) Illegal();
    else if constexpr (opcode == 0x44) NopZeroPage();
    else if constexpr (opcode == 0x45) ZeroPageRead<EOR>();
    else if constexpr (opcode == 0x46) ZeroPageModify<LSR>();
    else if constexpr (opcode == 0x47) Illegal();
    else if constexpr (opcode == 0x48) PushRegister<PHA>();
    else if constexpr (opcode == 0x49) Immediate<EOR>();
    else if constexpr (opcode == 0x4A) Implied<LSR_A>();
    else if constexpr (opcode == 0x4B) Immediate<ANL>();
    else if constexpr (opcode == 0x4C) JmpAbsolute();
    else if constexpr (opcode == 0x4D) AbsoluteRead<EOR>();
    else if constexpr (opcode == 0x4E) AbsoluteModify<LSR>();
    else if constexpr (opcode == 0x4F) AbsoluteModify<LSE>();

    // ---- $50 ----
    else if constexpr (opcode == 0x50) Branch<BVC>();
    else if constexpr (opcode == 0x51) IndirectIndexedRead<EOR>();
    else if constexpr (opcode == 0x52) Jam();
    else if constexpr (opcode == 0x53) IndirectIndexedModify<LSE>();
    else if constexpr (opcode == 0x54) NopZeroPageIndexed();
    else if constexpr (opcode == 0x55) ZeroPageIndexedRead<EOR, ByX>();
    else if constexpr (opcode == 0x56) ZeroPageIndexedModify<LSR, ByX>();
    else if constexpr (opcode == 0x57) Illegal();
    else if constexpr (opcode == 0x58) Implied<CLI>();
    else if constexpr (opcode == 0x59) AbsoluteIndexedRead<EOR, ByY>();
    else if constexpr (opcode == 0x5A) NopImplied();
    else if constexpr (opcode == 0x5B) Illegal();
    else if constexpr (opcode == 0x5C) NopAbsoluteIndexed();
    else if constexpr (opcode == 0x5D) AbsoluteIndexedRead<EOR, ByX>();
    else if constexpr (opcode == 0x5E) AbsoluteIndexedModify<LSR, ByX>();
    else if constexpr (opcode == 0x5F) Illegal();

    // ---- $60 ----
    else if constexpr (opcode == 0x60) Rts();
    else if constexpr (opcode == 0x61) IndexedIndirectRead<ADC>();
    else if constexpr (opcode == 0x62) Jam();
    else if constexpr (opcode == 0x63) Illegal();
    else if constexpr (opcode == 0x64) NopZeroPage();
    else if constexpr (opcode == 0x65) ZeroPageRead<ADC>();
    else if constexpr (opcode == 0x66) ZeroPageModify<ROR>();
    else if constexpr (opcode == 0x67) Illegal();
    else if constexpr (opcode == 0x68) PullRegister<PLA>();
    else if constexpr (opcode == 0x69) Immediate<ADC>();
    else if constexpr (opcode == 0x6A) Implied<ROR_A>();
    else if constexpr (opcode == 0x6B) Illegal();
    else if constexpr (opcode == 0x6C) JmpIndirect();
    else if constexpr (opcode == 0x6D) AbsoluteRead<ADC>();
    else if constexpr (opcode == 0x6E) AbsoluteModify<ROR>();
    else if constexpr (opcode == 0x6F) Illegal();

    // ---- $70 ----
    else if constexpr (opcode == 0x70) Branch<BVS>();
    else if constexpr (opcode == 0x71) IndirectIndexedRead<ADC>();
    else if constexpr (opcode == 0x72) Jam();
    else if constexpr (opcode == 0x73) Illegal();
    else if constexpr (opcode == 0x74) NopZeroPageIndexed();
    else if constexpr (opcode == 0x75) ZeroPageIndexedRead<ADC, ByX>();
    else if constexpr (opcode == 0x76) ZeroPageIndexedModify<ROR, ByX>();
    else if constexpr (opcode == 0x77) Illegal();
    else if constexpr (opcode == 0x78) Implied<SEI>();
    else if constexpr (opcode == 0x79) AbsoluteIndexedRead<ADC, ByY>();
    else if constexpr (opcode == 0x7A) NopImplied();
    else if constexpr (opcode == 0x7B) Illegal();
    else if constexpr (opcode == 0x7C) NopAbsoluteIndexed();
    else if constexpr (opcode == 0x7D) AbsoluteIndexedRead<ADC, ByX>();
    else if constexpr (opcode == 0x7E) AbsoluteIndexedModify<ROR, ByX>();
    else if constexpr (opcode == 0x7F) AbsoluteIndexedModify<RAD, ByX>();

    // ---- $80 ----
    else if constexpr (opcode == 0x80) NopOneByte();
    else if constexpr (opcode == 0x81) IndexedIndirectWrite<STA>();
    else if constexpr (opcode == 0x82) NopOneByte();
    else if constexpr (opcode == 0x83) Illegal();
    else if constexpr (opcode == 0x84) ZeroPageWrite<STY>();
    else if constexpr (opcode == 0x85) ZeroPageWrite<STA>();
    else if constexpr (opcode == 0x86) ZeroPageWrite<STX>();
    else if constexpr (opcode == 0x87) Illegal();
    else if constexpr (opcode == 0x88) Implied<DEY>();
    else if constexpr (opcode == 0x89) NopOneByte();
    else if constexpr (opcode == 0x8A) Implied<TXA>();
    else if constexpr (opcode == 0x8B) Illegal();
    else if constexpr (opcode == 0x8C) AbsoluteWrite<STY>();
    else if constexpr (opcode == 0x8D) AbsoluteWrite<STA>();
    else if constexpr (opcode == 0x8E) AbsoluteWrite<STX>();
    else if constexpr (opcode == 0x8F) AbsoluteWrite<AAX>();

    // ---- $90 ----
    else if constexpr (opcode == 0x90) Branch<BCC>();
    else if constexpr (opcode == 0x91) IndirectIndexedWrite<STA>();
    else if constexpr (opcode == 0x92) Jam();
    else if constexpr (opcode == 0x93) Illegal();
    else if constexpr (opcode == 0x94) ZeroPageIndexedWrite<STY, ByX>();
    else if constexpr (opcode == 0x95) ZeroPageIndexedWrite<STA, ByX>();
    else if constexpr (opcode == 0x96) ZeroPageIndexedWrite<STX, ByY>();
    else if constexpr (opcode == 0x97) Illegal();
    else if constexpr (opcode == 0x98) Implied<TYA>();
    else if constexpr (opcode == 0x99) AbsoluteIndexedWrite<STA, ByY>();
    else if constexpr (opcode == 0x9A) Implied<TXS>();
    else if constexpr (opcode == 0x9B) Illegal();
    else if constexpr (opcode == 0x9C) Illegal();
    else if constexpr (opcode == 0x9D) AbsoluteIndexedWrite<STA, ByX>();
    else if constexpr (opcode == 0x9E) Illegal();
    else if constexpr (opcode == 0x9F) Illegal();

    // ---- $A0 ----
    else if constexpr (opcode == 0xA0) Immediate<LDY>();
    else if constexpr (opcode == 0xA1) IndexedIndirectRead<LDA>();
    else if constexpr (opcode == 0xA2) Immediate<LDX>();
    else if constexpr (opcode == 0xA3) IndexedIndirectRead<LDT>();
    else if constexpr (opcode == 0xA4) ZeroPageRead<LDY>();
    else if constexpr (opcode == 0xA5) ZeroPageRead<LDA>();
    else if constexpr (opcode == 0xA6) ZeroPageRead<LDX>();
    else if constexpr (opcode == 0xA7) ZeroPageRead<LDT>();
    else if constexpr (opcode == 0xA8) Implied<TAY>();
    else if constexpr (opcode == 0xA9) Immediate<LDA>();
    else if constexpr (opcode == 0xAA) Implied<TAX>();
    else if constexpr (opcode == 0xAB) Illegal();
    else if constexpr (opcode == 0xAC) AbsoluteRead<LDY>();
    else if constexpr (opcode == 0xAD) AbsoluteRead<LDA>();
    else if constexpr (opcode == 0xAE) AbsoluteRead<LDX>();
    else if constexpr (opcode == 0xAF) AbsoluteRead<LDT>();

    // ---- $B0 ----
    else if constexpr (opcode == 0xB0) Branch<BCS>();
    else if constexpr (opcode == 0xB1) IndirectIndexedRead<LDA>();
    else if constexpr (opcode == 0xB2) Jam();
    else if constexpr (opcode == 0xB3) IndirectIndexedRead<LDT>();
    else if constexpr (opcode == 0xB4) ZeroPageIndexedRead<LDY, ByX>();
    else if constexpr (opcode == 0xB5) ZeroPageIndexedRead<LDA, ByX>();
    else if constexpr (opcode == 0xB6) ZeroPageIndexedRead<LDX, ByY>();
    else if constexpr (opcode == 0xB7) ZeroPageIndexedRead<LDT, ByY>();
    else if constexpr (opcode == 0xB8) Implied<CLV>();
    else if constexpr (opcode == 0xB9) AbsoluteIndexedRead<LDA, ByY>();
    else if constexpr (opcode == 0xBA) Implied<TSX>();
    else if constexpr (opcode == 0xBB) Illegal();
    else if constexpr (opcode == 0xBC) AbsoluteIndexedRead<LDY, ByX>();
    else if constexpr (opcode == 0xBD) AbsoluteIndexedRead<LDA, ByX>();
    else if constexpr (opcode == 0xBE) AbsoluteIndexedRead<LDX, ByY>();
    else if constexpr (opcode == 0xBF) AbsoluteIndexedRead<LDT, ByY>();

    // ---- $C0 ----
    else if constexpr (opcode == 0xC0) Immediate<CPY>();
    else if constexpr (opcode == 0xC1) IndexedIndirectRead<CMP>();
    else if constexpr (opcode == 0xC2) NopOneByte();
    else if constexpr (opcode == 0xC3) IndexedIndirectModify<DEM>();
    else if constexpr (opcode == 0xC4) ZeroPageRead<CPY>();
    else if constexpr (opcode == 0xC5) ZeroPageRead<CMP>();
    else if constexpr (opcode == 0xC6) ZeroPageModify<DEC>();
    else if constexpr (opcode == 0xC7) ZeroPageModify<DEM>();
    else if constexpr (opcode == 0xC8) Implied<INY>();
    else if constexpr (opcode == 0xC9) Immediate<CMP>();
    else if constexpr (opcode == 0xCA) Implied<DEX>();
    else if constexpr (opcode == 0xCB) Illegal();
    else if constexpr (opcode == 0xCC) AbsoluteRead<CPY>();
    else if constexpr (opcode == 0xCD) AbsoluteRead<CMP>();
    else if constexpr (opcode == 0xCE) AbsoluteModify<DEC>();
    else if constexpr (opcode == 0xCF) AbsoluteModify<DEM>();

    // ---- $D0 ----
    else if constexpr (opcode == 0xD0) Branch<BNE>();
    else if constexpr (opcode == 0xD1) IndirectIndexedRead<CMP>();
    else if constexpr (opcode == 0xD2) Jam();
    else if constexpr (opcode == 0xD3) Illegal();
    else if constexpr (opcode == 0xD4) NopZeroPageIndexed();
    else if constexpr (opcode == 0xD5) ZeroPageIndexedRead<CMP, ByX>();
    else if constexpr (opcode == 0xD6) ZeroPageIndexedModify<DEC, ByX>();
    else if constexpr (opcode == 0xD7) ZeroPageIndexedModify<DEM, ByY>();
    else if constexpr (opcode == 0xD8) Implied<CLD>();
    else if constexpr (opcode == 0xD9) AbsoluteIndexedRead<CMP, ByY>();
    else if constexpr (opcode == 0xDA) NopImplied();
    else if constexpr (opcode == 0xDB) AbsoluteIndexedModify<DEM, ByY>();
    else if constexpr (opcode == 0xDC) NopAbsoluteIndexed();
    else if constexpr (opcode == 0xDD) AbsoluteIndexedRead<CMP, ByX>();
    else if constexpr (opcode == 0xDE) AbsoluteIndexedModify<DEC, ByX>();
    else if constexpr (opcode == 0xDF) AbsoluteIndexedModify<DEM, ByX>();

    // ---- $E0 ----
    else if constexpr (opcode == 0xE0) Immediate<CPX>();
    else if constexpr (opcode == 0xE1) IndexedIndirectRead<SBC>();
    else if constexpr (opcode == 0xE2) NopOneByte();
    else if constexpr (opcode == 0xE3) Illegal();
    else if constexpr (opcode == 0xE4) ZeroPageRead<CPX>();
    else if constexpr (opcode == 0xE5) ZeroPageRead<SBC>();
    else if constexpr (opcode == 0xE6) ZeroPageModify<INC>();
    else if constexpr (opcode == 0xE7) ZeroPageModify<INB>();
    else if constexpr (opcode == 0xE8) Implied<INX>();
    else if constexpr (opcode == 0xE9) Immediate<SBC>();
    else if constexpr (opcode == 0xEA) Implied<NOP>();
    else if constexpr (opcode == 0xEB) Immediate<SBC>();
    else if constexpr (opcode == 0xEC) AbsoluteRead<CPX>();
    else if constexpr (opcode == 0xED) AbsoluteRead<SBC>();
    else if constexpr (opcode == 0xEE) AbsoluteModify<INC>();
    else if constexpr (opcode == 0xEF) AbsoluteModify<INB_A>();

    // ---- $F0 ----
    else if constexpr (opcode == 0xF0) Branch<BEQ>();
    else if constexpr (opcode == 0xF1) IndirectIndexedRead<SBC>();
    else if constexpr (opcode == 0xF2) Jam();
    else if constexpr (opcode == 0xF3) Illegal();
    else if constexpr (opcode == 0xF4) NopZeroPageIndexed();
    else if constexpr (opcode == 0xF5) ZeroPageIndexedRead<SBC, ByX>();
    else if constexpr (opcode == 0xF6) ZeroPageIndexedModify<INC, ByX>();
    else if constexpr (opcode == 0xF7) ZeroPageIndexedModify<INB, ByX>();
    else if constexpr (opcode == 0xF8) Implied<SED>();
    else if constexpr (opcode == 0xF9) AbsoluteIndexedRead<SBC, ByY>();
    else if constexpr (opcode == 0xFA) NopImplied();
    else if constexpr (opcode == 0xFB) AbsoluteIndexedModify<INB, ByY>();
    else if constexpr (opcode == 0xFC) NopAbsoluteIndexed();
    else if constexpr (opcode == 0xFD) AbsoluteIndexedRead<SBC, ByX>();
    else if constexpr (opcode == 0xFE) AbsoluteIndexedModify<INC, ByX>();
    else if constexpr (opcode == 0xFF) AbsoluteIndexedModify<INB, ByX>();
    }
