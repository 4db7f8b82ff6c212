#pragma once
// The processor's operations and ALU, included only by the micro-code (cpu_sequences.h).
#include "cpu/cpu.h"
#include "memory/memory.h"

// The micro-code is written as many small functions; the clock step only stays fast when all
// of them are folded into it.
#if defined(__GNUC__)
#define CPU_INLINE [[gnu::always_inline]] inline
#define CPU_COLD [[gnu::cold, gnu::noinline]]
#define CPU_NOINLINE [[gnu::noinline]]
#define CPU_ASSUME(condition) \
    do {                          \
        if (!(condition)) __builtin_unreachable(); \
    } while (0)
#else
#define CPU_INLINE inline
#define CPU_COLD
#define CPU_NOINLINE
#define CPU_ASSUME(condition) ((void)0)
#endif

CPU_INLINE uint8_t TCPU::Read(uint16_t address) { return Memory->Read(address); }
CPU_INLINE void TCPU::Write(uint16_t address, uint8_t value) { Memory->Write(address, value); }
CPU_INLINE uint8_t TCPU::ReadZeroPage(uint8_t address) { return Memory->ReadZeroPage(address); }
CPU_INLINE void TCPU::WriteZeroPage(uint8_t address, uint8_t value) { Memory->WriteZeroPage(address, value); }

CPU_INLINE uint8_t TCPU::Fetch() {
    const uint8_t value = Memory->Read(PC);
    ++PC;
    return value;
}

// The stack lives in RAM page 1 whatever the decoder would show there, and has no I/O.
CPU_INLINE void TCPU::Push(uint8_t value) {
    Memory->Image[0x100 + SP] = value;
    --SP;
}

CPU_INLINE uint8_t TCPU::StackByte() const { return Memory->Image[0x100 + SP]; }

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

// Read operations: the value fetched or read from memory.
template <TCPU::TOp op>
CPU_INLINE void TCPU::Operate(uint8_t value) {
    if constexpr (op == ORA) { A |= value; SetNZ(A); }
    else if constexpr (op == AND) { A &= value; SetNZ(A); }
    else if constexpr (op == EOR) { A ^= value; SetNZ(A); }
    else if constexpr (op == ADC) { if (D) AddDecimal(value); else AddBinary(value); }
    else if constexpr (op == SBC) { if (D) SubtractDecimal(value); else SubtractBinary(value); }
    else if constexpr (op == CMP) Compare(A, value);
    else if constexpr (op == CPX) Compare(X, value);
    else if constexpr (op == CPY) Compare(Y, value);
    else if constexpr (op == BIT) { N = value & 0x80; V = value & 0x40; Z = (A & value) == 0; }
    else if constexpr (op == LDA) { A = value; SetNZ(A); }
    else if constexpr (op == LDX) { X = value; SetNZ(X); }
    else if constexpr (op == LDY) { Y = value; SetNZ(Y); }
    else if constexpr (op == LDT) { A = X = value; SetNZ(A); }
    else if constexpr (op == ANN) { A &= value; SetNZ(A); C = N != 0; }
    else if constexpr (op == ANL) {
        // $4B: AND, then shift right; as on the NMOS 6502.
        const uint8_t anded = A & value;
        C = anded & 0x01;
        A = anded >> 1;
        SetNZ(A);
    }
    else static_assert(op == ORA, "not a read operation");
}

template <TCPU::TOp op>
CPU_INLINE uint8_t TCPU::StoredValue() const {
    if constexpr (op == STA) return A;
    else if constexpr (op == STX) return X;
    else if constexpr (op == STY) return Y;
    else if constexpr (op == AAX) return A & X;
    else static_assert(op == STA, "not a write operation");
}

// The compute clock of a read-modify-write: DataHi is the value read and becomes the value to
// write back. DEM and INB only latch the 16-bit difference A - new value here; their flags
// follow in the final clock (FinishModify).
template <TCPU::TOp op>
CPU_INLINE void TCPU::Modify(uint16_t& compareLatch) {
    uint8_t& m = DataHi;
    if constexpr (op == ASL) { C = m >> 7; m = uint8_t(m << 1); SetNZ(m); }
    else if constexpr (op == LSR) { C = m & 0x01; m >>= 1; SetNZ(m); }
    else if constexpr (op == ROL) { const int in = C != 0; C = m >> 7; m = uint8_t(m << 1 | in); SetNZ(m); }
    else if constexpr (op == ROR) { const int in = C != 0; C = m & 0x01; m = uint8_t(m >> 1 | in << 7); SetNZ(m); }
    else if constexpr (op == INC) { ++m; SetNZ(m); }
    else if constexpr (op == DEC) { --m; SetNZ(m); }
    else if constexpr (op == DEM) { --m; compareLatch = uint16_t(A - m); }
    else if constexpr (op == INB || op == INB_A) { ++m; compareLatch = uint16_t(A - m); }
    else if constexpr (op == RAN) {
        const int in = C != 0;
        C = m >> 7;
        m = uint8_t(m << 1 | in);
        A &= m;
        SetNZ(A);
    }
    else if constexpr (op == LSE) { C = m & 0x01; m >>= 1; A ^= m; SetNZ(A); }
    else if constexpr (op == RAD) {
        // The rotated-out bit stays in C; the addition neither uses nor changes the carry.
        Temp = C != 0;
        C = m & 0x01;
        m = uint8_t(m >> 1 | Temp << 7);
        A = uint8_t(A + m);
        SetNZ(A);
    }
    else static_assert(op == ASL, "not a modify operation");
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::FinishModify(uint16_t compareLatch) {
    if constexpr (op == DEM || op == INB || op == INB_A) {
        Z = compareLatch == 0;
        C = compareLatch < 0x100;
        N = compareLatch & 0x80;
        if constexpr (op == INB_A) A = uint8_t(compareLatch);
    }
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
