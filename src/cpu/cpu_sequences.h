#pragma once
// The sequence families: one function per family, parameterised by the operation, each a
// selection on Cycle. Clock 1 (the opcode fetch) is Step's; a clock without a case is an
// internal clock with no bus access. The 6502's dummy reads and writes are left out, except
// the write of the unchanged value in read-modify-write instructions, which devices can see.
// Included only by the opcode map (cpu_opcode_map.h).
#include "cpu/cpu_operations.h"

template <TCPU::TOp op>
CPU_INLINE void TCPU::Implied() {
    ImpliedOperation<op>();
    End();
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::Immediate() {
    Operate<op>(Fetch());
    End();
}

// ---- zero page -----------------------------------------------------------------------------

template <TCPU::TOp op>
CPU_INLINE void TCPU::ZeroPageRead() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: Operate<op>(ReadZeroPage(DataLo)); End(); break;
    }
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::ZeroPageWrite() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: WriteZeroPage(DataLo, StoredValue<op>()); End(); break;
    }
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::ZeroPageModify() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = ReadZeroPage(DataLo); break;
        case 4: WriteZeroPage(DataLo, DataHi); Modify<op>(Result16); break;
        case 5: WriteZeroPage(DataLo, DataHi); FinishModify<op>(Result16); End(); break;
    }
}

// Zero-page indexing wraps within page 0.
template <TCPU::TOp op, TCPU::TIndex ix>
CPU_INLINE void TCPU::ZeroPageIndexedRead() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataLo = uint8_t(DataLo + Index<ix>()); break;
        case 4: Operate<op>(ReadZeroPage(DataLo)); End(); break;
    }
}

template <TCPU::TOp op, TCPU::TIndex ix>
CPU_INLINE void TCPU::ZeroPageIndexedWrite() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataLo = uint8_t(DataLo + Index<ix>()); break;
        case 4: WriteZeroPage(DataLo, StoredValue<op>()); End(); break;
    }
}

template <TCPU::TOp op, TCPU::TIndex ix>
CPU_INLINE void TCPU::ZeroPageIndexedModify() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataLo = uint8_t(DataLo + Index<ix>()); DataHi = ReadZeroPage(DataLo); break;
        case 5: WriteZeroPage(DataLo, DataHi); Modify<op>(Result16); break;
        case 6: WriteZeroPage(DataLo, DataHi); FinishModify<op>(Result16); End(); break;
    }
}

// ---- absolute ------------------------------------------------------------------------------

template <TCPU::TOp op>
CPU_INLINE void TCPU::AbsoluteRead() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = Fetch(); break;
        case 4: Operate<op>(Read(uint16_t(DataHi << 8 | DataLo))); End(); break;
    }
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::AbsoluteWrite() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = Fetch(); break;
        case 4: Write(uint16_t(DataHi << 8 | DataLo), StoredValue<op>()); End(); break;
    }
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::AbsoluteModify() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: EffAddr = uint16_t(Fetch() << 8 | DataLo); break;
        case 4: DataHi = Read(EffAddr); break;
        case 5: Write(EffAddr, DataHi); Modify<op>(Result16); break;
        case 6: Write(EffAddr, DataHi); FinishModify<op>(Result16); End(); break;
    }
}

// EffAddr holds low byte + index: above $FF the index carried into the high byte, which costs
// the extra clock.
template <TCPU::TOp op, TCPU::TIndex ix>
CPU_INLINE void TCPU::AbsoluteIndexedRead() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = Fetch(); EffAddr = uint16_t(DataLo + Index<ix>()); break;
        case 4: if (EffAddr > 0xFF) break; [[fallthrough]];
        case 5: Operate<op>(Read(uint16_t((DataHi << 8) + EffAddr))); End(); break;
    }
}

template <TCPU::TOp op, TCPU::TIndex ix>
CPU_INLINE void TCPU::AbsoluteIndexedWrite() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = Fetch(); EffAddr = uint16_t(DataLo + Index<ix>()); break;
        case 4: if (EffAddr > 0xFF) break; [[fallthrough]];
        case 5: Write(uint16_t((DataHi << 8) + EffAddr), StoredValue<op>()); End(); break;
    }
}

template <TCPU::TOp op, TCPU::TIndex ix>
CPU_INLINE void TCPU::AbsoluteIndexedModify() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = Fetch(); break;
        case 4: EffAddr = uint16_t((DataHi << 8 | DataLo) + Index<ix>()); break;
        case 5: DataHi = Read(EffAddr); break;
        case 6: Write(EffAddr, DataHi); Modify<op>(Result16); break;
        case 7: Write(EffAddr, DataHi); FinishModify<op>(Result16); End(); break;
    }
}

// ---- indirect ------------------------------------------------------------------------------
// The pointer is read from page 0 and wraps within it. The address it yields is kept in
// Result16; for (zp),Y, EffAddr holds pointer low + Y as the page-crossing test.

template <TCPU::TOp op>
CPU_INLINE void TCPU::IndexedIndirectRead() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: Result16 = ReadZeroPage(uint8_t(DataLo + X)); break;
        case 4: Result16 = uint16_t(ReadZeroPage(uint8_t(DataLo + X + 1)) << 8 | Result16); break;
        case 6: Operate<op>(Read(Result16)); End(); break;
    }
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::IndexedIndirectWrite() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: Result16 = ReadZeroPage(uint8_t(DataLo + X)); break;
        case 4: Result16 = uint16_t(ReadZeroPage(uint8_t(DataLo + X + 1)) << 8 | Result16); break;
        case 6: Write(Result16, StoredValue<op>()); End(); break;
    }
}

// With Result16 holding the address, the compare of DEM latches its difference in EffAddr.
template <TCPU::TOp op>
CPU_INLINE void TCPU::IndexedIndirectModify() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: Result16 = ReadZeroPage(uint8_t(DataLo + X)); break;
        case 4: Result16 = uint16_t(ReadZeroPage(uint8_t(DataLo + X + 1)) << 8 | Result16); break;
        case 6: DataHi = Read(Result16); break;
        case 7: Write(Result16, DataHi); Modify<op>(EffAddr); break;
        case 8: Write(Result16, DataHi); FinishModify<op>(EffAddr); End(); break;
    }
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::IndirectIndexedRead() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: EffAddr = uint16_t(ReadZeroPage(DataLo) + Y); break;
        case 4: Result16 = uint16_t((ReadZeroPage(uint8_t(DataLo + 1)) << 8) + EffAddr); break;
        case 5: if (EffAddr > 0xFF) break; [[fallthrough]];
        case 6: Operate<op>(Read(Result16)); End(); break;
    }
}

template <TCPU::TOp op>
CPU_INLINE void TCPU::IndirectIndexedWrite() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: EffAddr = uint16_t(ReadZeroPage(DataLo) + Y); break;
        case 4: Result16 = uint16_t((ReadZeroPage(uint8_t(DataLo + 1)) << 8) + EffAddr); break;
        case 5: if (EffAddr > 0xFF) break; [[fallthrough]];
        case 6: Write(Result16, StoredValue<op>()); End(); break;
    }
}

// The data is read in clock 5 whether or not the page was crossed; the old value, the new
// value and the operation on A then share one clock. EffAddr is free by then for a compare.
template <TCPU::TOp op>
CPU_INLINE void TCPU::IndirectIndexedModify() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: EffAddr = uint16_t(ReadZeroPage(DataLo) + Y); break;
        case 4: Result16 = uint16_t((ReadZeroPage(uint8_t(DataLo + 1)) << 8) + EffAddr); break;
        case 5: DataHi = Read(Result16); break;
        case 6: if (EffAddr > 0xFF) break; [[fallthrough]];
        case 7:
            Write(Result16, DataHi);
            Modify<op>(EffAddr);
            Write(Result16, DataHi);
            FinishModify<op>(EffAddr);
            End();
            break;
    }
}

// ---- control flow --------------------------------------------------------------------------

// A branch not taken skips its offset unread. A taken one fetches it in clock 3 and needs
// clock 4 only when the target lies in another page than the next instruction.
template <TCPU::TOp op>
CPU_INLINE void TCPU::Branch() {
    switch (Cycle) {
        case 2:
            if (!Condition<op>()) { ++PC; End(); }
            break;
        case 3:
            DataLo = Fetch();
            EffAddr = uint16_t(PC + int8_t(DataLo));
            if (((EffAddr ^ PC) & 0xFF00) == 0) { PC = EffAddr; End(); }
            break;
        case 4: PC = EffAddr; End(); break;
    }
}

CPU_INLINE void TCPU::JmpAbsolute() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: PC = uint16_t(Read(PC) << 8 | DataLo); End(); break;
    }
}

// The pointer's high byte comes from the same page as its low byte: JMP ($30FF) reads $3000.
CPU_INLINE void TCPU::JmpIndirect() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = Fetch(); break;
        case 4: EffAddr = Read(uint16_t(DataHi << 8 | DataLo)); break;
        case 5:
            PC = uint16_t(Read(uint16_t(DataHi << 8 | uint8_t(DataLo + 1))) << 8 | EffAddr);
            End();
            break;
    }
}

// The pushed return address is that of the operand's high byte; RTS adds the missing one.
CPU_INLINE void TCPU::Jsr() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 4: Push(uint8_t(PC >> 8)); break;
        case 5: Push(uint8_t(PC)); break;
        case 6: PC = uint16_t(Read(PC) << 8 | DataLo); End(); break;
    }
}

CPU_INLINE void TCPU::Rts() {
    switch (Cycle) {
        case 3: ++SP; break;
        case 4: DataLo = StackByte(); ++SP; break;
        case 5: DataHi = StackByte(); break;
        case 6: PC = uint16_t((DataHi << 8 | DataLo) + 1); End(); break;
    }
}

// RTI restores B from bit 4 as well, and with it I, so interrupts may be re-enabled.
CPU_INLINE void TCPU::Rti() {
    switch (Cycle) {
        case 3: ++SP; break;
        case 4: { const uint8_t p = StackByte(); SetStatus(p); B = p & 0x10; ++SP; break; }
        case 5: DataLo = StackByte(); ++SP; break;
        case 6: PC = uint16_t(StackByte() << 8 | DataLo); End(); break;
    }
}

// BRK skips the byte after its opcode. The status byte carries bits 5 and 4 set, and bit 2 is
// I as it was before BRK: BRK with I clear pushes it clear, so the returning RTI re-enables
// interrupts, as it would after an interrupt entry.
CPU_INLINE void TCPU::Brk() {
    switch (Cycle) {
        case 2: ++PC; break;
        case 3: Push(uint8_t(PC >> 8)); break;
        case 4: Push(uint8_t(PC)); break;
        case 5: {
            const uint8_t p = StatusByte(true, true);
            B = 0;
            I = 1;
            Push(p);
            break;
        }
        case 6: DataLo = Read(0xFFFE); break;
        case 7: PC = uint16_t(Read(0xFFFF) << 8 | DataLo); End(); break;
    }
}

// ---- stack ---------------------------------------------------------------------------------

// PHP pushes bit 4 set and bit 5 clear.
template <TCPU::TOp op>
CPU_INLINE void TCPU::PushRegister() {
    if (Cycle == 3) {
        Push(op == PHA ? A : StatusByte(false, true));
        End();
    }
}

// PLP has no B in the byte it restores: B is cleared.
template <TCPU::TOp op>
CPU_INLINE void TCPU::PullRegister() {
    switch (Cycle) {
        case 3: ++SP; break;
        case 4:
            if constexpr (op == PLA) { A = StackByte(); SetNZ(A); }
            else { SetStatus(StackByte()); B = 0; }
            End();
            break;
    }
}

// ---- no operation, jam, illegal --------------------------------------------------------------

// The NOPs with operands skip them without reading, except the absolute indexed ones, which
// fetch the address (and take the page-crossing clock) but never read the data.
CPU_INLINE void TCPU::NopImplied() { End(); }
CPU_INLINE void TCPU::NopOneByte() { ++PC; End(); }

CPU_INLINE void TCPU::NopZeroPage() {
    switch (Cycle) {
        case 2: ++PC; break;
        case 3: End(); break;
    }
}

CPU_INLINE void TCPU::NopZeroPageIndexed() {
    switch (Cycle) {
        case 2: ++PC; break;
        case 4: End(); break;
    }
}

CPU_INLINE void TCPU::NopAbsolute() {
    switch (Cycle) {
        case 2: ++PC; break;
        case 3: ++PC; break;
        case 4: End(); break;
    }
}

CPU_INLINE void TCPU::NopAbsoluteIndexed() {
    switch (Cycle) {
        case 2: DataLo = Fetch(); break;
        case 3: DataHi = Fetch(); EffAddr = uint16_t(DataLo + X); break;
        case 4: if (EffAddr > 0xFF) break; End(); break;
        case 5: End(); break;
    }
}

// A jam opcode refetches itself for ever with interrupts masked; only a reset gets out.
CPU_INLINE void TCPU::Jam() {
    I = 1;
    --PC;
    End();
}

CPU_INLINE void TCPU::Illegal() {
    ReportIllegalOpcode();
    End();
}
