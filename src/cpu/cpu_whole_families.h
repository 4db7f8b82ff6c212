#pragma once
// The sequence families once more, each as a whole instruction: where every access of the
// instruction falls on a plain RAM or ROM page (so none can be seen by a device, and none
// needs the TED to catch up), the instruction's clocks after the fetch are taken at once, with
// the end state the micro-code's clocks leave: registers, flags, latches, memory and, in the
// test build, the bus log with each access's clock. A family declines, touching nothing, when
// an access would take the decoder; the generic path (cpu_whole.cpp) then runs the micro-steps
// one by one. The families without a version here always decline. Writes and pushes are
// announced before their clock (TCPU::WriteAhead) with `announce`. Included only by
// cpu_whole.cpp; the differential check (bench/cpu_differential.h) holds them to the micro-code.
#include "cpu/cpu_sequences.h"

// With `port`, a zero-page read of the port is taken too (it calls out of line, so it is kept
// apart from the common path); without, such a read declines and sets PortSeen.
template <bool announce, bool port>
struct TCPU::TWholeFamilies {
    TCPU& Cpu;
    const uint8_t* const Operand;  // the byte at PC, or null where its page takes the decoder
    uint32_t Clocks = 0;  // the instruction's clocks, the fetch included; 0 while declined
    bool PortSeen = false;

    // ---- helpers ----
    TMemory& Bus() { return *Cpu.Memory; }
    void Read(uint16_t address, uint8_t value, uint32_t clock) { Bus().LogPlain(address, value, false, clock); }
    void Wrote(uint16_t address, uint8_t value, uint32_t clock) { Bus().LogPlain(address, value, true, clock); }
    // The clocks RunInstructions has taken before clock `clock` of this instruction.
    uint32_t ClocksBefore(uint32_t clock) const { return Cpu.RunBudget - Cpu.LeftBeforeInstruction + clock - 1; }
    // Ahead of a clock that changes the RAM byte at `offset`, where the caller watches it.
    void Announce(uint32_t clock, uint32_t offset) {
        if constexpr (announce) {
            if (Cpu.Watch->Covers(offset)) Cpu.WriteAhead(Cpu.WriteAheadContext, ClocksBefore(clock));
        }
    }
    uint32_t Offset(const uint8_t* at) const { return uint32_t(at - Cpu.Memory->Image); }
    static uint32_t StackOffset(uint8_t sp) { return 0x100u + sp; }
    // The operand byte at PC (clock 2) and the one after it (clock 3), when their pages are plain.
    const uint8_t* Operand1() { return Operand; }
    const uint8_t* Operand2(const uint8_t* first) {
        return (Cpu.PC & 0xFF) != 0xFF ? first + 1 : Bus().PlainReadAt(uint16_t(Cpu.PC + 1));
    }
    // A zero-page byte of a pointer or an operand: page 0 is RAM but for the port at $0001.
    static bool PlainZeroPage(uint8_t address) { return address != 0x01; }
    uint8_t ZeroPage(uint8_t address, uint32_t clock) {
        const uint8_t value = Bus().Image[address];
        Read(address, value, clock);
        return value;
    }
    void WriteZeroPage(uint8_t address, uint8_t value, uint32_t clock) {
        Announce(clock, address);
        Wrote(address, value, clock);
        Bus().Image[address] = value;
    }
    void Write(uint8_t* at, uint16_t address, uint8_t value, uint32_t clock) {
        Announce(clock, Offset(at));
        Wrote(address, value, clock);
        *at = value;
    }
    // The two operand bytes (clocks 2 and 3), when their pages are plain; nothing is logged yet.
    bool PeekTwo(uint8_t& lo, uint8_t& hi) {
        const uint8_t* first = Operand1();
        if (!first) return false;
        const uint8_t* second = Operand2(first);
        if (!second) return false;
        lo = *first;
        hi = *second;
        return true;
    }
    // Clocks 2 and 3 taken: both operand bytes read, PC past them.
    void TakeTwo(uint8_t lo, uint8_t hi) {
        Read(Cpu.PC, lo, 2);
        Read(uint16_t(Cpu.PC + 1), hi, 3);
        Cpu.PC = uint16_t(Cpu.PC + 2);
    }
    // Clock 2 of the zero-page families (and the index, added in clock 3, into DataLo), when the
    // address is a plain zero-page byte.
    template <int indexed, TIndex ix> bool TakeZeroPageOperand(uint8_t& address) {
        const uint8_t* at = Operand1();
        if (!at) return false;
        const uint8_t zp = *at;
        address = indexed ? uint8_t(zp + Cpu.Index<ix>()) : zp;
        if (!PlainZeroPage(address)) return false;
        Read(Cpu.PC, zp, 2);
        ++Cpu.PC;
        Cpu.DataLo = address;
        return true;
    }
    template <TOp op> void ReadOperand(const uint8_t* data, uint16_t target, uint32_t clock) {
        const uint8_t value = *data;
        Read(target, value, clock);
        Cpu.Operate<op>(value);
    }
    // A read-modify-write's last three clocks: the read, the old value written back, the new.
    template <TOp op> void ModifyAt(const uint8_t* from, uint8_t* to, uint16_t target, uint32_t clock) {
        Cpu.DataHi = *from;
        Read(target, Cpu.DataHi, clock);
        Write(to, target, Cpu.DataHi, clock + 1);
        Cpu.Modify<op>(Cpu.Result16);
        Write(to, target, Cpu.DataHi, clock + 2);
        Cpu.FinishModify<op>(Cpu.Result16);
    }

    // ---- families ----
    template <TOp op> void Implied() {
        Cpu.ImpliedOperation<op>();
        Clocks = 2;
    }

    template <TOp op> void Immediate() {
        const uint8_t* at = Operand1();
        if (!at) return;
        Read(Cpu.PC, *at, 2);
        ++Cpu.PC;
        Cpu.Operate<op>(*at);
        Clocks = 2;
    }

    template <TOp op> void ZeroPageRead() { ZeroPageAccess<op, 0, ByX>(); }
    template <TOp op, TIndex ix> void ZeroPageIndexedRead() { ZeroPageAccess<op, 1, ix>(); }
    template <TOp op> void ZeroPageWrite() { ZeroPageStore<op, 0, ByX>(); }
    template <TOp op, TIndex ix> void ZeroPageIndexedWrite() { ZeroPageStore<op, 1, ix>(); }

    // LDA $zp (3 clocks) and LDA $zp,X (4): the index is added in clock 3, into DataLo.
    template <TOp op, int indexed, TIndex ix> void ZeroPageAccess() {
        uint8_t address;
        if (!TakeZeroPageOperand<indexed, ix>(address)) {
            if constexpr (!indexed && port) PortRead<op>();
            if constexpr (!indexed && !port) PortSeen = Operand && *Operand == 0x01;
            return;
        }
        Cpu.Operate<op>(ZeroPage(address, 3 + indexed));
        Clocks = 3 + indexed;
    }

    // LDA $01, BIT $01: a tape loader's poll. The port is read in clock 3, with the TED and the
    // tape brought up to that clock, as the decoder does it, without the micro-steps.
    template <TOp op> void PortRead() {
        const uint8_t* at = Operand1();
        if (!at || *at != 0x01) return;
        Read(Cpu.PC, 0x01, 2);
        ++Cpu.PC;
        Cpu.DataLo = 0x01;
        const uint8_t value = Bus().ReadPortInClock(ClocksBefore(3));
        Read(0x01, value, 3);
        Cpu.Operate<op>(value);
        Clocks = 3;
    }

    template <TOp op, int indexed, TIndex ix> void ZeroPageStore() {
        uint8_t address;
        if (!TakeZeroPageOperand<indexed, ix>(address)) return;
        WriteZeroPage(address, Cpu.StoredValue<op>(), 3 + indexed);
        Clocks = 3 + indexed;
    }

    // ASL $zp: read in clock 3, the old value written back in 4, the new one in 5; indexed, the
    // read is in clock 3 too and the writes in 5 and 6.
    template <TOp op> void ZeroPageModify() { ZeroPageReadModifyWrite<op, 0, ByX>(); }
    template <TOp op, TIndex ix> void ZeroPageIndexedModify() { ZeroPageReadModifyWrite<op, 1, ix>(); }

    template <TOp op, int indexed, TIndex ix> void ZeroPageReadModifyWrite() {
        uint8_t address;
        if (!TakeZeroPageOperand<indexed, ix>(address)) return;
        Cpu.DataHi = ZeroPage(address, 3);
        WriteZeroPage(address, Cpu.DataHi, 4 + indexed);
        Cpu.Modify<op>(Cpu.Result16);
        WriteZeroPage(address, Cpu.DataHi, 5 + indexed);
        Cpu.FinishModify<op>(Cpu.Result16);
        Clocks = 5 + indexed;
    }

    template <TOp op> void AbsoluteRead() {
        uint8_t lo, hi;
        if (!PeekTwo(lo, hi)) return;
        const uint16_t target = uint16_t(hi << 8 | lo);
        const uint8_t* data = Bus().PlainReadAt(target);
        if (!data) return;
        TakeTwo(lo, hi);
        Cpu.DataLo = lo;
        Cpu.DataHi = hi;
        ReadOperand<op>(data, target, 4);
        Clocks = 4;
    }

    template <TOp op> void AbsoluteWrite() {
        uint8_t lo, hi;
        if (!PeekTwo(lo, hi)) return;
        const uint16_t target = uint16_t(hi << 8 | lo);
        uint8_t* data = Bus().PlainWriteAt(target);
        if (!data) return;
        TakeTwo(lo, hi);
        Cpu.DataLo = lo;
        Cpu.DataHi = hi;
        Write(data, target, Cpu.StoredValue<op>(), 4);
        Clocks = 4;
    }

    // The effective address is in EffAddr from clock 3, the value read in DataHi from clock 4.
    template <TOp op> void AbsoluteModify() {
        uint8_t lo, hi;
        if (!PeekTwo(lo, hi)) return;
        const uint16_t target = uint16_t(hi << 8 | lo);
        const uint8_t* from = Bus().PlainReadAt(target);
        uint8_t* to = Bus().PlainWriteAt(target);
        if (!from || !to) return;
        TakeTwo(lo, hi);
        Cpu.DataLo = lo;
        Cpu.EffAddr = target;
        ModifyAt<op>(from, to, target, 4);
        Clocks = 6;
    }

    // EffAddr holds the low byte plus the index; above $FF the access takes clock 5.
    template <TOp op, TIndex ix> void AbsoluteIndexedRead() {
        uint8_t lo, hi;
        if (!PeekTwo(lo, hi)) return;
        const uint16_t sum = uint16_t(lo + Cpu.Index<ix>());
        const uint16_t target = uint16_t((hi << 8) + sum);
        const uint8_t* data = Bus().PlainReadAt(target);
        if (!data) return;
        const uint32_t clock = sum > 0xFF ? 5 : 4;
        TakeTwo(lo, hi);
        Cpu.DataLo = lo;
        Cpu.DataHi = hi;
        Cpu.EffAddr = sum;
        ReadOperand<op>(data, target, clock);
        Clocks = clock;
    }

    template <TOp op, TIndex ix> void AbsoluteIndexedWrite() {
        uint8_t lo, hi;
        if (!PeekTwo(lo, hi)) return;
        const uint16_t sum = uint16_t(lo + Cpu.Index<ix>());
        const uint16_t target = uint16_t((hi << 8) + sum);
        uint8_t* data = Bus().PlainWriteAt(target);
        if (!data) return;
        const uint32_t clock = sum > 0xFF ? 5 : 4;
        TakeTwo(lo, hi);
        Cpu.DataLo = lo;
        Cpu.DataHi = hi;
        Cpu.EffAddr = sum;
        Write(data, target, Cpu.StoredValue<op>(), clock);
        Clocks = clock;
    }

    // The address is in EffAddr from clock 4, the value read in DataHi (clock 5).
    template <TOp op, TIndex ix> void AbsoluteIndexedModify() {
        uint8_t lo, hi;
        if (!PeekTwo(lo, hi)) return;
        const uint16_t target = uint16_t((hi << 8 | lo) + Cpu.Index<ix>());
        const uint8_t* from = Bus().PlainReadAt(target);
        uint8_t* to = Bus().PlainWriteAt(target);
        if (!from || !to) return;
        TakeTwo(lo, hi);
        Cpu.DataLo = lo;
        Cpu.EffAddr = target;
        ModifyAt<op>(from, to, target, 5);
        Clocks = 7;
    }

    // (zp,X): the pointer from page 0 in clocks 3 and 4, kept in Result16; the access in 6.
    template <TOp op> void IndexedIndirectRead() { IndexedIndirectAccess<op, false>(); }
    template <TOp op> void IndexedIndirectWrite() { IndexedIndirectAccess<op, true>(); }

    template <TOp op, bool write> void IndexedIndirectAccess() {
        const uint8_t* at = Operand1();
        if (!at) return;
        const uint8_t zp = *at;
        const uint8_t low = uint8_t(zp + Cpu.X), high = uint8_t(zp + Cpu.X + 1);
        if (!PlainZeroPage(low) || !PlainZeroPage(high)) return;
        const TMemory& bus = Bus();
        const uint16_t target = uint16_t(bus.Image[high] << 8 | bus.Image[low]);
        const uint8_t* from = write ? nullptr : Bus().PlainReadAt(target);
        uint8_t* to = write ? Bus().PlainWriteAt(target) : nullptr;
        if (write ? !to : !from) return;
        Read(Cpu.PC, zp, 2);
        ++Cpu.PC;
        Cpu.DataLo = zp;
        Read(low, bus.Image[low], 3);
        Read(high, bus.Image[high], 4);
        Cpu.Result16 = target;
        if constexpr (write) {
            Write(to, target, Cpu.StoredValue<op>(), 6);
        } else {
            ReadOperand<op>(from, target, 6);
        }
        Clocks = 6;
    }

    // (zp),Y: EffAddr holds the pointer's low byte plus Y (above $FF: the access takes clock 6),
    // Result16 the address.
    template <TOp op> void IndirectIndexedRead() { IndirectIndexedAccess<op, false>(); }
    template <TOp op> void IndirectIndexedWrite() { IndirectIndexedAccess<op, true>(); }

    template <TOp op, bool write> void IndirectIndexedAccess() {
        const uint8_t* at = Operand1();
        if (!at) return;
        const uint8_t zp = *at;
        const uint8_t next = uint8_t(zp + 1);
        if (!PlainZeroPage(zp) || !PlainZeroPage(next)) return;
        const TMemory& bus = Bus();
        const uint16_t sum = uint16_t(bus.Image[zp] + Cpu.Y);
        const uint16_t target = uint16_t((bus.Image[next] << 8) + sum);
        const uint8_t* from = write ? nullptr : Bus().PlainReadAt(target);
        uint8_t* to = write ? Bus().PlainWriteAt(target) : nullptr;
        if (write ? !to : !from) return;
        const uint32_t clock = sum > 0xFF ? 6 : 5;
        Read(Cpu.PC, zp, 2);
        ++Cpu.PC;
        Cpu.DataLo = zp;
        Read(zp, bus.Image[zp], 3);
        Read(next, bus.Image[next], 4);
        Cpu.EffAddr = sum;
        Cpu.Result16 = target;
        if constexpr (write) {
            Write(to, target, Cpu.StoredValue<op>(), clock);
        } else {
            ReadOperand<op>(from, target, clock);
        }
        Clocks = clock;
    }

    // Not taken: 2 clocks, the offset unread. Taken: the offset in DataLo, the target in
    // EffAddr, a clock more into another page.
    template <TOp op> void Branch() {
        if (!Cpu.Condition<op>()) {
            ++Cpu.PC;
            Clocks = 2;
            return;
        }
        const uint8_t* at = Operand1();
        if (!at) return;
        const uint8_t offset = *at;
        Read(Cpu.PC, offset, 3);
        ++Cpu.PC;
        Cpu.DataLo = offset;
        Cpu.EffAddr = uint16_t(Cpu.PC + int8_t(offset));
        Clocks = ((Cpu.EffAddr ^ Cpu.PC) & 0xFF00) == 0 ? 3 : 4;
        Cpu.PC = Cpu.EffAddr;
    }

    void JmpAbsolute() {
        uint8_t lo, hi;
        if (!PeekTwo(lo, hi)) return;
        TakeTwo(lo, hi);
        Cpu.DataLo = lo;
        Cpu.PC = uint16_t(hi << 8 | lo);
        Clocks = 3;
    }

    // The return address pushed is that of the high byte, which is read after the pushes.
    void Jsr() {
        const uint8_t* first = Operand1();
        if (!first) return;
        const uint8_t* second = Operand2(first);
        if (!second) return;
        const uint8_t lo = *first;
        Read(Cpu.PC, lo, 2);
        Cpu.DataLo = lo;
        const uint16_t back = uint16_t(Cpu.PC + 1);
        Announce(4, StackOffset(Cpu.SP));
        Cpu.Push(uint8_t(back >> 8));
        Announce(5, StackOffset(Cpu.SP));
        Cpu.Push(uint8_t(back));
        Announce(6, StackOffset(uint8_t(Cpu.SP + 1)));  // a clock after a write, as the micro-steps announce it
        const uint8_t hi = *second;
        Read(back, hi, 6);
        Cpu.PC = uint16_t(hi << 8 | lo);
        Clocks = 6;
    }

    void Rts() {
        ++Cpu.SP;
        Cpu.DataLo = Cpu.StackByte();
        ++Cpu.SP;
        Cpu.DataHi = Cpu.StackByte();
        Cpu.PC = uint16_t((Cpu.DataHi << 8 | Cpu.DataLo) + 1);
        Clocks = 6;
    }

    template <TOp op> void PushRegister() {
        Announce(3, StackOffset(Cpu.SP));
        Cpu.Push(op == PHA ? Cpu.A : Cpu.StatusByte(false, true));
        Clocks = 3;
    }

    template <TOp op> void PullRegister() {
        ++Cpu.SP;
        if constexpr (op == PLA) {
            Cpu.A = Cpu.StackByte();
            Cpu.SetNZ(Cpu.A);
        } else {
            Cpu.SetStatus(Cpu.StackByte());
            Cpu.B = 0;
        }
        Clocks = 4;
    }

    // ---- left to the micro-steps ----
    template <TOp op> void IndexedIndirectModify() {}
    template <TOp op> void IndirectIndexedModify() {}
    void JmpIndirect() {}
    void Rti() {}
    void Brk() {}
    void NopImplied() {}
    void NopOneByte() {}
    void NopZeroPage() {}
    void NopZeroPageIndexed() {}
    void NopAbsolute() {}
    void NopAbsoluteIndexed() {}
    void Jam() {}
    void Illegal() {}
};
