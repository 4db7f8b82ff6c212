#pragma once
// The processor's bus primitives, operations and ALU, included only by the sequences
// (cpu_clocks.h).
#include "cpu/cpu.h"
#include "memory/memory.h"

// The sequences are written as many small functions; the clock step only stays fast when all
// of them are folded into it.
#if defined(__GNUC__)
#define CPU_INLINE [[gnu::always_inline]] inline
#define CPU_COLD [[gnu::cold, gnu::noinline]]
#define CPU_NOINLINE [[gnu::noinline]]
#else
#define CPU_INLINE inline
#define CPU_COLD
#define CPU_NOINLINE
#endif

// Every access leaves its byte on the data bus (Bus), which an unconnected address reads back.
CPU_INLINE uint8_t TCPU::Read(uint16_t address) { return Bus = Memory->Read(address); }
CPU_INLINE void TCPU::Write(uint16_t address, uint8_t value) {
    Bus = value;
    Memory->Write(address, value);
}
CPU_INLINE uint8_t TCPU::ReadZeroPage(uint8_t address) { return Bus = Memory->ReadZeroPage(address); }
CPU_INLINE void TCPU::WriteZeroPage(uint8_t address, uint8_t value) {
    Bus = value;
    Memory->WriteZeroPage(address, value);
}

// Most clocks read at PC. Inside whole instructions whose bytes lie in one plain page
// (`inPage`), the reads at PC before any jump take them straight from that page (CodePage).
template <bool inPage>
CPU_INLINE uint8_t TCPU::ReadCode() {
    if constexpr (inPage) {
        const uint8_t value = CodePage[PC & 0xFF];
        Memory->LogPlain(PC, value, false, Cycle);
        return Bus = value;
    } else {
        return Read(PC);
    }
}

template <bool inPage>
CPU_INLINE uint8_t TCPU::Fetch() {
    const uint8_t value = ReadCode<inPage>();
    ++PC;
    return value;
}

// The stack lives in RAM page 1 whatever the decoder would show there, and has no I/O: its
// accesses are bus cycles like any other, but never reach a device.
CPU_INLINE void TCPU::Push(uint8_t value) {
    Bus = value;
    Memory->StackWrite(SP, value);
    --SP;
}

CPU_INLINE uint8_t TCPU::ReadStack() { return Bus = Memory->StackRead(SP); }

// Bits 7 6 3 2 1 0 of a pulled status byte; B (bit 4) is the caller's business.
CPU_INLINE void TCPU::SetStatus(uint8_t p) {
    N = p & 0x80;
    V = p & 0x40;
    D = p & 0x08;
    I = p & 0x04;
    Z = p & 0x02;
    C = p & 0x01;
}

CPU_INLINE void TCPU::Compare(uint8_t reg, uint8_t value) {
    C = reg >= value;
    Z = reg == value;
    N = uint8_t(reg - value) & 0x80;
}

CPU_INLINE void TCPU::AddBinary(uint8_t value) {
    const unsigned sum = A + value + (C != 0);
    V = (~(A ^ value) & (A ^ sum)) & 0x80;
    C = sum > 0xFF;
    A = uint8_t(sum);
    SetNZ(A);
}

CPU_INLINE void TCPU::SubtractBinary(uint8_t value) {
    const int diff = A - value - (C == 0);
    V = ((A ^ value) & (A ^ diff)) & 0x80;
    C = diff >= 0;
    A = uint8_t(diff);
    SetNZ(A);
}

// Decimal addition as the 7501 does it, invalid BCD digits included: Z comes from the binary
// sum, N and V from the sum after the low-digit adjustment only.
inline void TCPU::AddDecimal(uint8_t value) {
    const int carry = C != 0;
    int lo = (A & 0x0F) + (value & 0x0F) + carry;
    if (lo > 9) lo += 6;
    int r = (lo & 0x0F) + (A & 0xF0) + (value & 0xF0) + (lo > 0x0F ? 0x10 : 0);
    Z = uint8_t(A + value + carry) == 0;
    N = r & 0x80;
    V = (~(A ^ value) & (A ^ r)) & 0x80;
    if ((r & 0x1F0) > 0x90) r += 0x60;
    C = (r & 0xFF0) > 0xF0;
    A = uint8_t(r);
}

// Decimal subtraction: every flag comes from the binary difference, only A is adjusted.
inline void TCPU::SubtractDecimal(uint8_t value) {
    const int borrow = C == 0;
    const int bin = A - value - borrow;
    const int lo = (A & 0x0F) - (value & 0x0F) - borrow;
    int r;
    if (lo < 0)
        r = ((A & 0xF0) - (value & 0xF0) - 0x10) + ((lo - 6) & 0x0F);
    else
        r = ((A & 0xF0) - (value & 0xF0)) + lo;
    if (r < 0) r -= 0x60;
    C = bin >= 0;
    N = bin & 0x80;
    Z = uint8_t(bin) == 0;
    V = ((A ^ value) & (A ^ bin)) & 0x80;
    A = uint8_t(r);
}

// ADC and SBC, and the additions of RRA and ISC, follow the decimal flag.
CPU_INLINE void TCPU::AddWithCarry(uint8_t value) {
    if (D) AddDecimal(value);
    else AddBinary(value);
}

CPU_INLINE void TCPU::SubtractWithBorrow(uint8_t value) {
    if (D) SubtractDecimal(value);
    else SubtractBinary(value);
}

// ARR: (A AND value) rotated right through C, with the flags of the adder that works beside
// the rotation. In decimal mode that adder also corrects the digits.
inline void TCPU::RotateAndAdjust(uint8_t value) {
    const uint8_t anded = A & value;
    uint8_t result = uint8_t(anded >> 1 | (C ? 0x80 : 0));
    if (!D) {
        A = result;
        SetNZ(A);
        C = A & 0x40;
        V = (A ^ (A << 1)) & 0x40;
        return;
    }
    N = C ? 0x80 : 0;
    Z = result == 0;
    V = (anded ^ result) & 0x40;
    if ((anded & 0x0F) + (anded & 0x01) > 5) result = uint8_t((result & 0xF0) | ((result + 6) & 0x0F));
    const bool high = (anded & 0xF0) + (anded & 0x10) > 0x50;
    if (high) result = uint8_t(result + 0x60);
    C = high;
    A = result;
}

// Read operations: the value fetched or read from memory.
template <TCPU::TOp op>
CPU_INLINE void TCPU::Operate(uint8_t value) {
    if constexpr (op == ORA) { A |= value; SetNZ(A); }
    else if constexpr (op == AND) { A &= value; SetNZ(A); }
    else if constexpr (op == EOR) { A ^= value; SetNZ(A); }
    else if constexpr (op == ADC) AddWithCarry(value);
    else if constexpr (op == SBC) SubtractWithBorrow(value);
    else if constexpr (op == CMP) Compare(A, value);
    else if constexpr (op == CPX) Compare(X, value);
    else if constexpr (op == CPY) Compare(Y, value);
    else if constexpr (op == BIT) { N = value & 0x80; V = value & 0x40; Z = (A & value) == 0; }
    else if constexpr (op == LDA) { A = value; SetNZ(A); }
    else if constexpr (op == LDX) { X = value; SetNZ(X); }
    else if constexpr (op == LDY) { Y = value; SetNZ(Y); }
    else if constexpr (op == LAX) { A = X = value; SetNZ(A); }
    else if constexpr (op == ANC) { A &= value; SetNZ(A); C = N != 0; }
    else if constexpr (op == ALR) {
        const uint8_t anded = A & value;
        C = anded & 0x01;
        A = anded >> 1;
        SetNZ(A);
    }
    else if constexpr (op == ARR) RotateAndAdjust(value);
    else if constexpr (op == SBX) {
        const uint8_t anded = A & X;
        Compare(anded, value);
        X = uint8_t(anded - value);
    }
    else if constexpr (op == ANE) { A = (A | MagicConstant) & X & value; SetNZ(A); }
    else if constexpr (op == LXA) { A = X = (A | MagicConstant) & value; SetNZ(A); }
    else if constexpr (op == LAS) { A = X = SP = value & SP; SetNZ(A); }
    else if constexpr (op == SKP) {}
    else static_assert(op == ORA, "not a read operation");
}

// The register value a store puts on the bus. SHA, SHX, SHY and TAS AND it with the high
// byte of the base address plus one in their write clock (cpu_clocks.h); TAS also sets SP.
template <TCPU::TOp op>
CPU_INLINE uint8_t TCPU::StoredValue() {
    if constexpr (op == STA) return A;
    else if constexpr (op == STX || op == SHX) return X;
    else if constexpr (op == STY || op == SHY) return Y;
    else if constexpr (op == SAX || op == SHA) return A & X;
    else if constexpr (op == TAS) { SP = A & X; return SP; }
    else static_assert(op == STA, "not a write operation");
}

// The clock that writes the old value back: DataHi, the value read, becomes the value to write,
// with the flags of the shift, rotation or count. The undocumented combinations finish with A
// in their last clock (FinishModify).
template <TCPU::TOp op>
CPU_INLINE void TCPU::Modify() {
    uint8_t& m = DataHi;
    if constexpr (op == ASL || op == SLO) { C = m >> 7; m = uint8_t(m << 1); SetNZ(m); }
    else if constexpr (op == LSR || op == SRE) { C = m & 0x01; m >>= 1; SetNZ(m); }
    else if constexpr (op == ROL || op == RLA) { const int in = C != 0; C = m >> 7; m = uint8_t(m << 1 | in); SetNZ(m); }
    else if constexpr (op == ROR || op == RRA) { const int in = C != 0; C = m & 0x01; m = uint8_t(m >> 1 | in << 7); SetNZ(m); }
    else if constexpr (op == INC || op == ISC) { ++m; SetNZ(m); }
    else if constexpr (op == DEC || op == DCP) { --m; SetNZ(m); }
    else static_assert(op == ASL, "not a modify operation");
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::FinishModify() {
    const uint8_t m = DataHi;
    if constexpr (op == SLO) { A |= m; SetNZ(A); }
    else if constexpr (op == RLA) { A &= m; SetNZ(A); }
    else if constexpr (op == SRE) { A ^= m; SetNZ(A); }
    else if constexpr (op == RRA) AddWithCarry(m);
    else if constexpr (op == DCP) Compare(A, m);
    else if constexpr (op == ISC) SubtractWithBorrow(m);
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::ImpliedOperation() {
    if constexpr (op == ASL_A || op == LSR_A || op == ROL_A || op == ROR_A) {
        const int in = C != 0;
        if constexpr (op == ASL_A) { C = A >> 7; A = uint8_t(A << 1); }
        else if constexpr (op == LSR_A) { C = A & 0x01; A >>= 1; }
        else if constexpr (op == ROL_A) { C = A >> 7; A = uint8_t(A << 1 | in); }
        else { C = A & 0x01; A = uint8_t(A >> 1 | in << 7); }
        SetNZ(A);
    }
    else if constexpr (op == CLC) C = 0;
    else if constexpr (op == SEC) C = 1;
    else if constexpr (op == CLI) I = 0;
    else if constexpr (op == SEI) I = 1;
    else if constexpr (op == CLD) D = 0;
    else if constexpr (op == SED) D = 1;
    else if constexpr (op == CLV) V = 0;
    else if constexpr (op == INX) SetNZ(++X);
    else if constexpr (op == INY) SetNZ(++Y);
    else if constexpr (op == DEX) SetNZ(--X);
    else if constexpr (op == DEY) SetNZ(--Y);
    else if constexpr (op == TAX) SetNZ(X = A);
    else if constexpr (op == TAY) SetNZ(Y = A);
    else if constexpr (op == TXA) SetNZ(A = X);
    else if constexpr (op == TYA) SetNZ(A = Y);
    else if constexpr (op == TSX) SetNZ(X = SP);
    else if constexpr (op == TXS) SP = X;
    else if constexpr (op == NOP) {}
    else static_assert(op == CLC, "not an implied operation");
}

template <TCPU::TOp op>
CPU_INLINE bool TCPU::Condition() const {
    if constexpr (op == BPL) return N == 0;
    else if constexpr (op == BMI) return N != 0;
    else if constexpr (op == BVC) return V == 0;
    else if constexpr (op == BVS) return V != 0;
    else if constexpr (op == BCC) return C == 0;
    else if constexpr (op == BCS) return C != 0;
    else if constexpr (op == BNE) return Z == 0;
    else if constexpr (op == BEQ) return Z != 0;
    else static_assert(op == BPL, "not a branch condition");
}
