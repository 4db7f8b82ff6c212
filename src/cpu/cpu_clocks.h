#pragma once
// The processor's clocks and the sequence families made of them. A clock is one bus access
// (a read or a write, dummy accesses included) and the work the chip does with it; a family is
// the list of an instruction's clocks after the opcode fetch. Each family is written once,
// here; the micro-steps (cpu.cpp), the whole instructions (cpu_whole.cpp), the tables of clock
// counts and write clocks and the micro-code view's texts (cpu_opcode_map.h) all follow from it.
// Included only by the opcode map.
#include <tuple>

#include "cpu/cpu_operations.h"

struct TCPU::TClocks {
    // What a clock does on the bus, and whether it ends the instruction.
    enum TKind : uint8_t { ReadClock, WriteClock, StackWriteClock };
    enum TEnd : uint8_t { Continues, Ends, MayEnd };
    template <TKind kind, TEnd end = Continues> struct TClock {
        static constexpr TKind Kind = kind;
        static constexpr TEnd End = end;
        static constexpr bool Writes = kind != ReadClock;
        // The number of the clock after this one, clock `cycle` of its sequence, once it has run:
        // 1 after the instruction's last (End leaves 0 where the clock may end it).
        template <uint32_t cycle> CPU_INLINE static uint32_t Next(const TCPU& c) {
            if constexpr (end == Ends)
                return 1;
            else if constexpr (end == MayEnd)
                return c.Cycle == 0 ? 1 : cycle + 1;
            else
                return cycle + 1;
        }
    };

    // Where a family's data lies: in page 0 at DataLo, or at EffAddr.
    struct AtZeroPage {
        static uint8_t Read(TCPU& c) { return c.ReadZeroPage(c.DataLo); }
        static void Write(TCPU& c, uint8_t value) { c.WriteZeroPage(c.DataLo, value); }
        static uint16_t Address(const TCPU& c) { return c.DataLo; }
    };
    struct AtEffective {
        static uint8_t Read(TCPU& c) { return c.Read(c.EffAddr); }
        static void Write(TCPU& c, uint8_t value) { c.Write(c.EffAddr, value); }
        static uint16_t Address(const TCPU& c) { return c.EffAddr; }
    };

    // ---- the operand bytes ----------------------------------------------------------------

    struct FetchZeroPage : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch address, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataLo = c.Fetch<inPage>(); }
    };
    struct FetchPointer : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch pointer address, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataLo = c.Fetch<inPage>(); }
    };
    struct FetchLow : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch low byte of address, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataLo = c.Fetch<inPage>(); }
    };
    struct FetchAddressLow : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch low address byte, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataLo = c.Fetch<inPage>(); }
    };
    struct FetchHigh : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch high byte of address, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.EffAddr = uint16_t(c.Fetch<inPage>() << 8 | c.DataLo); }
    };
    // Result16 holds the low byte plus the index: above $FF the chip first reads the address
    // with the old high byte, then fixes it.
    template <TIndex ix> struct FetchHighIndexed : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch high byte of address, add index register to low address byte, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.DataHi = c.Fetch<inPage>();
            c.Result16 = uint16_t(c.DataLo + c.Index<ix>());
            c.EffAddr = uint16_t(c.DataHi << 8 | uint8_t(c.Result16));
        }
    };

    // ---- implied and immediate ---------------------------------------------------------------

    template <TOp op> struct ImpliedClock : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Read next instruction byte (dummy), execute operation";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadCode<inPage>();
            c.ImpliedOperation<op>();
            c.End();
        }
    };
    template <TOp op> struct FetchValue : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Fetch value, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.Operate<op>(c.Fetch<inPage>());
            c.End();
        }
    };
    struct DummyRead : TClock<ReadClock> {
        static constexpr const char* Text = "Read next instruction byte (dummy)";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.ReadCode<inPage>(); }
    };

    // ---- the data ------------------------------------------------------------------------------

    template <TOp op, class At> struct ReadOperate : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Read from effective address";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.Operate<op>(At::Read(c));
            c.End();
        }
    };
    template <TOp op, class At> struct WriteStore : TClock<WriteClock, Ends> {
        static constexpr const char* Text = "Write to effective address";
        static uint16_t Target(const TCPU& c) { return At::Address(c); }
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            At::Write(c, c.StoredValue<op>());
            c.End();
        }
    };
    template <class At> struct ReadData : TClock<ReadClock> {
        static constexpr const char* Text = "Read from effective address";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataHi = At::Read(c); }
    };
    // Read-modify-write: the unchanged value goes back first, then the new one.
    template <TOp op, class At> struct WriteBack : TClock<WriteClock> {
        static constexpr const char* Text = "Write the value back to effective address, and do the operation on it";
        static uint16_t Target(const TCPU& c) { return At::Address(c); }
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            At::Write(c, c.DataHi);
            c.Modify<op>();
        }
    };
    template <TOp op, class At> struct WriteResult : TClock<WriteClock, Ends> {
        static constexpr const char* Text = "Write the new value to effective address";
        static uint16_t Target(const TCPU& c) { return At::Address(c); }
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            At::Write(c, c.DataHi);
            c.FinishModify<op>();
            c.End();
        }
    };

    // ---- indexing and pointers --------------------------------------------------------------

    // Zero-page indexing wraps within page 0; the chip reads the unindexed address meanwhile.
    template <TIndex ix> struct IndexZeroPage : TClock<ReadClock> {
        static constexpr const char* Text = "Read from address, add index register to it";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadZeroPage(c.DataLo);
            c.DataLo = uint8_t(c.DataLo + c.Index<ix>());
        }
    };
    // Pointers are read from page 0 and wrap within it.
    struct ReadPointerLow : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch effective address low";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.Result16 = c.ReadZeroPage(c.DataLo); }
    };
    struct ReadPointerHigh : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch effective address high";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.EffAddr = uint16_t(c.ReadZeroPage(uint8_t(c.DataLo + 1)) << 8 | uint8_t(c.Result16));
        }
    };
    struct ReadPointerHighIndexed : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch effective address high, add Y to low byte of effective address";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.DataHi = c.ReadZeroPage(uint8_t(c.DataLo + 1));
            c.Result16 = uint16_t(c.Result16 + c.Y);
            c.EffAddr = uint16_t(c.DataHi << 8 | uint8_t(c.Result16));
        }
    };
    // A read ends here when the index carried nothing into the high byte.
    template <TOp op> struct ReadIndexedOrFix : TClock<ReadClock, MayEnd> {
        static constexpr const char* Text = "Read from effective address, fix the high byte of effective address";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            const uint8_t value = c.Read(c.EffAddr);
            if (c.Result16 <= 0xFF) {
                c.Operate<op>(value);
                c.End();
            } else {
                c.EffAddr = uint16_t(c.EffAddr + 0x100);
            }
        }
    };
    // Stores and read-modify-writes always spend the clock.
    struct FixIndexed : TClock<ReadClock> {
        static constexpr const char* Text = "Read from effective address, fix the high byte of effective address";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.Read(c.EffAddr);
            if (c.Result16 > 0xFF) c.EffAddr = uint16_t(c.EffAddr + 0x100);
        }
    };
    // SHA, SHX, SHY, TAS: the value is ANDed with the base address's high byte plus one, and
    // where the index crossed a page that value also becomes the address's high byte.
    template <TOp op> struct WriteUnstable : TClock<WriteClock, Ends> {
        static constexpr const char* Text = "Write to effective address (register AND high address byte + 1)";
        static uint8_t Value(uint8_t stored, const TCPU& c) { return stored & uint8_t(c.DataHi + 1); }
        static uint16_t Where(uint8_t value, const TCPU& c) {
            return c.Result16 > 0xFF ? uint16_t(value << 8 | (c.EffAddr & 0xFF)) : c.EffAddr;
        }
        static uint16_t Target(const TCPU& c) {
            const uint8_t stored = op == SHX ? c.X : op == SHY ? c.Y : uint8_t(c.A & c.X);
            return Where(Value(stored, c), c);
        }
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            const uint8_t value = Value(c.StoredValue<op>(), c);
            c.Write(Where(value, c), value);
            c.End();
        }
    };

    // ---- branches and jumps -------------------------------------------------------------------

    // The interrupt input is looked at before clock 2; a taken branch that stays in its page
    // keeps that sample rather than its last clock's.
    template <TOp op> struct BranchFetch : TClock<ReadClock, MayEnd> {
        static constexpr const char* Text = "Fetch operand, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.DataLo = c.Fetch<inPage>();
            c.BranchIrqSample = c.IrqSample;
            if (!c.Condition<op>()) c.End();
        }
    };
    struct BranchTake : TClock<ReadClock, MayEnd> {
        static constexpr const char* Text = "Fetch opcode of next instruction (dummy), add operand to PCL";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadCode<inPage>();
            c.EffAddr = uint16_t(c.PC + int8_t(c.DataLo));
            if (((c.EffAddr ^ c.PC) & 0xFF00) == 0) {
                c.PC = c.EffAddr;
                c.IrqSample = c.BranchIrqSample;
                c.End();
            } else {
                c.PC = uint16_t((c.PC & 0xFF00) | (c.EffAddr & 0x00FF));
            }
        }
    };
    struct BranchFix : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Fetch opcode of next instruction (dummy), fix PCH";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadCode<inPage>();
            c.PC = c.EffAddr;
            c.End();
        }
    };
    struct JumpAbsolute : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Copy low address byte to PCL, fetch high address byte to PCH";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.PC = uint16_t(c.ReadCode<inPage>() << 8 | c.DataLo);
            c.End();
        }
    };
    struct FetchPointerLow : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch pointer address low, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataLo = c.Fetch<inPage>(); }
    };
    struct FetchPointerHigh : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch pointer address high, increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataHi = c.Fetch<inPage>(); }
    };
    struct ReadTargetLow : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch low address to latch";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.EffAddr = c.Read(uint16_t(c.DataHi << 8 | c.DataLo)); }
    };
    // The pointer's high byte comes from the same page as its low byte: JMP ($30FF) reads $3000.
    struct ReadTargetHigh : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Fetch PCH, copy latch to PCL";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.PC = uint16_t(c.Read(uint16_t(c.DataHi << 8 | uint8_t(c.DataLo + 1))) << 8 | uint8_t(c.EffAddr));
            c.End();
        }
    };

    // ---- the stack ----------------------------------------------------------------------------

    struct StackPeek : TClock<ReadClock> {
        static constexpr const char* Text = "Internal operation (predecrement SP?)";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.ReadStack(); }
    };
    struct StackIncrement : TClock<ReadClock> {
        static constexpr const char* Text = "Increment SP";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadStack();
            ++c.SP;
        }
    };
    struct PushPCH : TClock<StackWriteClock> {
        static constexpr const char* Text = "Push PCH on stack, decrement SP";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.Push(uint8_t(c.PC >> 8)); }
    };
    struct PushPCL : TClock<StackWriteClock> {
        static constexpr const char* Text = "Push PCL on stack, decrement SP";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.Push(uint8_t(c.PC)); }
    };
    struct PullPCL : TClock<ReadClock> {
        static constexpr const char* Text = "Pull PCL from stack, increment SP";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.DataLo = c.ReadStack();
            ++c.SP;
        }
    };
    struct PullPCH : TClock<ReadClock> {
        static constexpr const char* Text = "Pull PCH from stack";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.PC = uint16_t(c.ReadStack() << 8 | c.DataLo); }
    };
    struct PullPCHEnd : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Pull PCH from stack";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.PC = uint16_t(c.ReadStack() << 8 | c.DataLo);
            c.End();
        }
    };
    // RTS returns past the JSR's last byte, whose address it pulled.
    struct ReturnIncrement : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Increment PC";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadCode();  // at the pulled address, anywhere
            ++c.PC;
            c.End();
        }
    };
    // RTI restores B from bit 4 as well, and with it I, so interrupts may be re-enabled.
    struct PullStatus : TClock<ReadClock> {
        static constexpr const char* Text = "Pull flags from stack, increment SP";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            const uint8_t p = c.ReadStack();
            c.SetStatus(p);
            c.B = p & 0x10;
            ++c.SP;
        }
    };
    // PHP pushes bits 5 and 4 set, as the chip always does.
    template <TOp op> struct PushRegister : TClock<StackWriteClock, Ends> {
        static constexpr const char* Text = "Push register on stack, decrement SP";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.Push(op == PHA ? c.A : c.StatusByte(true, true));
            c.End();
        }
    };
    // PLP has no B in the byte it restores: B is cleared.
    template <TOp op> struct PullRegister : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Pull register from stack";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            const uint8_t value = c.ReadStack();
            if constexpr (op == PLA) {
                c.A = value;
                c.SetNZ(c.A);
            } else {
                c.SetStatus(value);
                c.B = 0;
            }
            c.End();
        }
    };

    // ---- BRK and the interrupt entry ----------------------------------------------------------
    // The interrupt entry is BRK's sequence with PC kept and B clear in the pushed status. BRK's
    // status carries bit 2 as I was before it, so the returning RTI restores the caller's mask.

    struct BreakSkip : TClock<ReadClock> {
        static constexpr const char* Text = "Read next instruction byte (dummy), increment PC";
        static constexpr const char* EntryText = "Read next instruction byte (dummy)";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadCode<inPage>();
            if (!c.InterruptEntry) ++c.PC;
        }
    };
    struct PushStatusBreak : TClock<StackWriteClock> {
        static constexpr const char* Text = "Push flags on stack (with B flag set), decrement SP";
        static constexpr const char* EntryText = "Push flags on stack (with B flag clear), decrement SP";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            const uint8_t p = c.StatusByte(true, c.InterruptEntry == 0);
            c.B = 0;
            c.I = 1;
            c.Push(p);
        }
    };
    struct FetchVectorLow : TClock<ReadClock> {
        static constexpr const char* Text = "Fetch PCL";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) { c.DataLo = c.Read(0xFFFE); }
    };
    struct FetchVectorHigh : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Fetch PCH";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.PC = uint16_t(c.Read(0xFFFF) << 8 | c.DataLo);
            c.InterruptEntry = 0;
            c.End();
        }
    };

    // A jam opcode stops the chip: here it fetches itself again and again, with interrupts
    // masked, until a reset.
    struct Jam : TClock<ReadClock, Ends> {
        static constexpr const char* Text = "Read next instruction byte (dummy), jammed: fetch the opcode again";
        template <bool inPage = false> CPU_INLINE static void Run(TCPU& c) {
            c.ReadCode<inPage>();
            c.I = 1;
            --c.PC;
            c.IrqSample = 0;
            c.End();
        }
    };

    // ---- the families ---------------------------------------------------------------------------

    // An instruction's clocks after the opcode fetch; Clock<n> is clock n (2 and up).
    template <class... List> struct TSequence {
        static constexpr uint32_t Clocks = 1 + sizeof...(List);
        template <uint32_t cycle> using Clock = std::tuple_element_t<cycle - 2, std::tuple<List...>>;
    };

    template <TOp op> using Implied = TSequence<ImpliedClock<op>>;
    template <TOp op> using Immediate = TSequence<FetchValue<op>>;

    template <TOp op> using ZeroPageRead = TSequence<FetchZeroPage, ReadOperate<op, AtZeroPage>>;
    template <TOp op> using ZeroPageWrite = TSequence<FetchZeroPage, WriteStore<op, AtZeroPage>>;
    template <TOp op>
    using ZeroPageModify =
        TSequence<FetchZeroPage, ReadData<AtZeroPage>, WriteBack<op, AtZeroPage>, WriteResult<op, AtZeroPage>>;
    template <TOp op, TIndex ix>
    using ZeroPageIndexedRead = TSequence<FetchZeroPage, IndexZeroPage<ix>, ReadOperate<op, AtZeroPage>>;
    template <TOp op, TIndex ix>
    using ZeroPageIndexedWrite = TSequence<FetchZeroPage, IndexZeroPage<ix>, WriteStore<op, AtZeroPage>>;
    template <TOp op, TIndex ix>
    using ZeroPageIndexedModify = TSequence<FetchZeroPage, IndexZeroPage<ix>, ReadData<AtZeroPage>,
                                            WriteBack<op, AtZeroPage>, WriteResult<op, AtZeroPage>>;

    template <TOp op> using AbsoluteRead = TSequence<FetchLow, FetchHigh, ReadOperate<op, AtEffective>>;
    template <TOp op> using AbsoluteWrite = TSequence<FetchLow, FetchHigh, WriteStore<op, AtEffective>>;
    template <TOp op>
    using AbsoluteModify =
        TSequence<FetchLow, FetchHigh, ReadData<AtEffective>, WriteBack<op, AtEffective>, WriteResult<op, AtEffective>>;
    template <TOp op, TIndex ix>
    using AbsoluteIndexedRead =
        TSequence<FetchLow, FetchHighIndexed<ix>, ReadIndexedOrFix<op>, ReadOperate<op, AtEffective>>;
    template <TOp op, TIndex ix>
    using AbsoluteIndexedWrite = TSequence<FetchLow, FetchHighIndexed<ix>, FixIndexed, WriteStore<op, AtEffective>>;
    template <TOp op, TIndex ix>
    using AbsoluteIndexedModify = TSequence<FetchLow, FetchHighIndexed<ix>, FixIndexed, ReadData<AtEffective>,
                                            WriteBack<op, AtEffective>, WriteResult<op, AtEffective>>;
    template <TOp op, TIndex ix>
    using AbsoluteIndexedUnstable = TSequence<FetchLow, FetchHighIndexed<ix>, FixIndexed, WriteUnstable<op>>;

    template <TOp op>
    using IndexedIndirectRead =
        TSequence<FetchPointer, IndexZeroPage<ByX>, ReadPointerLow, ReadPointerHigh, ReadOperate<op, AtEffective>>;
    template <TOp op>
    using IndexedIndirectWrite =
        TSequence<FetchPointer, IndexZeroPage<ByX>, ReadPointerLow, ReadPointerHigh, WriteStore<op, AtEffective>>;
    template <TOp op>
    using IndexedIndirectModify = TSequence<FetchPointer, IndexZeroPage<ByX>, ReadPointerLow, ReadPointerHigh,
                                            ReadData<AtEffective>, WriteBack<op, AtEffective>, WriteResult<op, AtEffective>>;
    template <TOp op>
    using IndirectIndexedRead = TSequence<FetchPointer, ReadPointerLow, ReadPointerHighIndexed, ReadIndexedOrFix<op>,
                                          ReadOperate<op, AtEffective>>;
    template <TOp op>
    using IndirectIndexedWrite =
        TSequence<FetchPointer, ReadPointerLow, ReadPointerHighIndexed, FixIndexed, WriteStore<op, AtEffective>>;
    template <TOp op>
    using IndirectIndexedModify =
        TSequence<FetchPointer, ReadPointerLow, ReadPointerHighIndexed, FixIndexed, ReadData<AtEffective>,
                  WriteBack<op, AtEffective>, WriteResult<op, AtEffective>>;
    template <TOp op>
    using IndirectIndexedUnstable =
        TSequence<FetchPointer, ReadPointerLow, ReadPointerHighIndexed, FixIndexed, WriteUnstable<op>>;

    template <TOp op> using Branch = TSequence<BranchFetch<op>, BranchTake, BranchFix>;
    using JmpAbsolute = TSequence<FetchAddressLow, JumpAbsolute>;
    using JmpIndirect = TSequence<FetchPointerLow, FetchPointerHigh, ReadTargetLow, ReadTargetHigh>;
    using Jsr = TSequence<FetchAddressLow, StackPeek, PushPCH, PushPCL, JumpAbsolute>;
    using Rts = TSequence<DummyRead, StackIncrement, PullPCL, PullPCH, ReturnIncrement>;
    using Rti = TSequence<DummyRead, StackIncrement, PullStatus, PullPCL, PullPCHEnd>;
    using Brk = TSequence<BreakSkip, PushPCH, PushPCL, PushStatusBreak, FetchVectorLow, FetchVectorHigh>;
    template <TOp op> using Push = TSequence<DummyRead, PushRegister<op>>;
    template <TOp op> using Pull = TSequence<DummyRead, StackIncrement, PullRegister<op>>;
    using JamFamily = TSequence<Jam>;
};
