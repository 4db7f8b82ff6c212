#pragma once
// The opcode map: which sequence family, with which operation, each opcode runs, as a grid of
// sixteen rows by the high nibble. Everything the rest of the system knows about an opcode's
// clocks is read off its family here: how many clocks it takes at most, which of them write,
// and what the micro-code view says of each. Included by the processor's sources only.
#include <array>
#include <tuple>

#include "cpu/cpu_clocks.h"

// Inside the processor's scope, where its operations and index names are at hand.
struct TCPU::TOpcodes {
    using F = TClocks;

    // Short names of the families for the grid; X and Y name the index, W a store, M a
    // read-modify-write, U a store that ANDs in the address's high byte. SKP reads and discards.
    template <TOp op> using Imp = F::Implied<op>;
    template <TOp op> using Imm = F::Immediate<op>;
    template <TOp op> using Zp = F::ZeroPageRead<op>;
    template <TOp op> using ZpW = F::ZeroPageWrite<op>;
    template <TOp op> using ZpM = F::ZeroPageModify<op>;
    template <TOp op> using ZpX = F::ZeroPageIndexedRead<op, ByX>;
    template <TOp op> using ZpY = F::ZeroPageIndexedRead<op, ByY>;
    template <TOp op> using ZpXW = F::ZeroPageIndexedWrite<op, ByX>;
    template <TOp op> using ZpYW = F::ZeroPageIndexedWrite<op, ByY>;
    template <TOp op> using ZpXM = F::ZeroPageIndexedModify<op, ByX>;
    template <TOp op> using Ab = F::AbsoluteRead<op>;
    template <TOp op> using AbW = F::AbsoluteWrite<op>;
    template <TOp op> using AbM = F::AbsoluteModify<op>;
    template <TOp op> using AbX = F::AbsoluteIndexedRead<op, ByX>;
    template <TOp op> using AbY = F::AbsoluteIndexedRead<op, ByY>;
    template <TOp op> using AbXW = F::AbsoluteIndexedWrite<op, ByX>;
    template <TOp op> using AbYW = F::AbsoluteIndexedWrite<op, ByY>;
    template <TOp op> using AbXM = F::AbsoluteIndexedModify<op, ByX>;
    template <TOp op> using AbYM = F::AbsoluteIndexedModify<op, ByY>;
    template <TOp op> using AbXU = F::AbsoluteIndexedUnstable<op, ByX>;
    template <TOp op> using AbYU = F::AbsoluteIndexedUnstable<op, ByY>;
    template <TOp op> using IzX = F::IndexedIndirectRead<op>;
    template <TOp op> using IzXW = F::IndexedIndirectWrite<op>;
    template <TOp op> using IzXM = F::IndexedIndirectModify<op>;
    template <TOp op> using IzY = F::IndirectIndexedRead<op>;
    template <TOp op> using IzYW = F::IndirectIndexedWrite<op>;
    template <TOp op> using IzYM = F::IndirectIndexedModify<op>;
    template <TOp op> using IzYU = F::IndirectIndexedUnstable<op>;
    template <TOp op> using Br = F::Branch<op>;
    template <TOp op> using Psh = F::Push<op>;
    template <TOp op> using Pul = F::Pull<op>;
    using Brk = F::Brk;
    using Jsr = F::Jsr;
    using Rts = F::Rts;
    using Rti = F::Rti;
    using Jmp = F::JmpAbsolute;
    using JmpI = F::JmpIndirect;
    using Jam = F::JamFamily;

    using Grid = std::tuple<
        /* $00 */ std::tuple<Brk, IzX<ORA>, Jam, IzXM<SLO>, Zp<SKP>, Zp<ORA>, ZpM<ASL>, ZpM<SLO>,
                             Psh<PHP>, Imm<ORA>, Imp<ASL_A>, Imm<ANC>, Ab<SKP>, Ab<ORA>, AbM<ASL>, AbM<SLO>>,
        /* $10 */ std::tuple<Br<BPL>, IzY<ORA>, Jam, IzYM<SLO>, ZpX<SKP>, ZpX<ORA>, ZpXM<ASL>, ZpXM<SLO>,
                             Imp<CLC>, AbY<ORA>, Imp<NOP>, AbYM<SLO>, AbX<SKP>, AbX<ORA>, AbXM<ASL>, AbXM<SLO>>,
        /* $20 */ std::tuple<Jsr, IzX<AND>, Jam, IzXM<RLA>, Zp<BIT>, Zp<AND>, ZpM<ROL>, ZpM<RLA>,
                             Pul<PLP>, Imm<AND>, Imp<ROL_A>, Imm<ANC>, Ab<BIT>, Ab<AND>, AbM<ROL>, AbM<RLA>>,
        /* $30 */ std::tuple<Br<BMI>, IzY<AND>, Jam, IzYM<RLA>, ZpX<SKP>, ZpX<AND>, ZpXM<ROL>, ZpXM<RLA>,
                             Imp<SEC>, AbY<AND>, Imp<NOP>, AbYM<RLA>, AbX<SKP>, AbX<AND>, AbXM<ROL>, AbXM<RLA>>,
        /* $40 */ std::tuple<Rti, IzX<EOR>, Jam, IzXM<SRE>, Zp<SKP>, Zp<EOR>, ZpM<LSR>, ZpM<SRE>,
                             Psh<PHA>, Imm<EOR>, Imp<LSR_A>, Imm<ALR>, Jmp, Ab<EOR>, AbM<LSR>, AbM<SRE>>,
        /* $50 */ std::tuple<Br<BVC>, IzY<EOR>, Jam, IzYM<SRE>, ZpX<SKP>, ZpX<EOR>, ZpXM<LSR>, ZpXM<SRE>,
                             Imp<CLI>, AbY<EOR>, Imp<NOP>, AbYM<SRE>, AbX<SKP>, AbX<EOR>, AbXM<LSR>, AbXM<SRE>>,
        /* $60 */ std::tuple<Rts, IzX<ADC>, Jam, IzXM<RRA>, Zp<SKP>, Zp<ADC>, ZpM<ROR>, ZpM<RRA>,
                             Pul<PLA>, Imm<ADC>, Imp<ROR_A>, Imm<ARR>, JmpI, Ab<ADC>, AbM<ROR>, AbM<RRA>>,
        /* $70 */ std::tuple<Br<BVS>, IzY<ADC>, Jam, IzYM<RRA>, ZpX<SKP>, ZpX<ADC>, ZpXM<ROR>, ZpXM<RRA>,
                             Imp<SEI>, AbY<ADC>, Imp<NOP>, AbYM<RRA>, AbX<SKP>, AbX<ADC>, AbXM<ROR>, AbXM<RRA>>,
        /* $80 */ std::tuple<Imm<SKP>, IzXW<STA>, Imm<SKP>, IzXW<SAX>, ZpW<STY>, ZpW<STA>, ZpW<STX>, ZpW<SAX>,
                             Imp<DEY>, Imm<SKP>, Imp<TXA>, Imm<ANE>, AbW<STY>, AbW<STA>, AbW<STX>, AbW<SAX>>,
        /* $90 */ std::tuple<Br<BCC>, IzYW<STA>, Jam, IzYU<SHA>, ZpXW<STY>, ZpXW<STA>, ZpYW<STX>, ZpYW<SAX>,
                             Imp<TYA>, AbYW<STA>, Imp<TXS>, AbYU<TAS>, AbXU<SHY>, AbXW<STA>, AbYU<SHX>, AbYU<SHA>>,
        /* $A0 */ std::tuple<Imm<LDY>, IzX<LDA>, Imm<LDX>, IzX<LAX>, Zp<LDY>, Zp<LDA>, Zp<LDX>, Zp<LAX>,
                             Imp<TAY>, Imm<LDA>, Imp<TAX>, Imm<LXA>, Ab<LDY>, Ab<LDA>, Ab<LDX>, Ab<LAX>>,
        /* $B0 */ std::tuple<Br<BCS>, IzY<LDA>, Jam, IzY<LAX>, ZpX<LDY>, ZpX<LDA>, ZpY<LDX>, ZpY<LAX>,
                             Imp<CLV>, AbY<LDA>, Imp<TSX>, AbY<LAS>, AbX<LDY>, AbX<LDA>, AbY<LDX>, AbY<LAX>>,
        /* $C0 */ std::tuple<Imm<CPY>, IzX<CMP>, Imm<SKP>, IzXM<DCP>, Zp<CPY>, Zp<CMP>, ZpM<DEC>, ZpM<DCP>,
                             Imp<INY>, Imm<CMP>, Imp<DEX>, Imm<SBX>, Ab<CPY>, Ab<CMP>, AbM<DEC>, AbM<DCP>>,
        /* $D0 */ std::tuple<Br<BNE>, IzY<CMP>, Jam, IzYM<DCP>, ZpX<SKP>, ZpX<CMP>, ZpXM<DEC>, ZpXM<DCP>,
                             Imp<CLD>, AbY<CMP>, Imp<NOP>, AbYM<DCP>, AbX<SKP>, AbX<CMP>, AbXM<DEC>, AbXM<DCP>>,
        /* $E0 */ std::tuple<Imm<CPX>, IzX<SBC>, Imm<SKP>, IzXM<ISC>, Zp<CPX>, Zp<SBC>, ZpM<INC>, ZpM<ISC>,
                             Imp<INX>, Imm<SBC>, Imp<NOP>, Imm<SBC>, Ab<CPX>, Ab<SBC>, AbM<INC>, AbM<ISC>>,
        /* $F0 */ std::tuple<Br<BEQ>, IzY<SBC>, Jam, IzYM<ISC>, ZpX<SKP>, ZpX<SBC>, ZpXM<INC>, ZpXM<ISC>,
                             Imp<SED>, AbY<SBC>, Imp<NOP>, AbYM<ISC>, AbX<SKP>, AbX<SBC>, AbXM<INC>, AbXM<ISC>>>;
};

namespace CpuMap {

template <uint8_t opcode>
using FamilyOf = std::tuple_element_t<opcode & 15, std::tuple_element_t<(opcode >> 4), TCPU::TOpcodes::Grid>>;

// The 151 opcodes of the 6502's documentation, a bit per opcode in rows by the high nibble.
constexpr uint16_t Documented[16] = {0x6763, 0x6363, 0x7773, 0x6363, 0x7763, 0x6363, 0x7763, 0x6363,
                                     0x7572, 0x2773, 0x7777, 0x7773, 0x7773, 0x6363, 0x7773, 0x6363};
constexpr bool IsUndocumented(uint8_t opcode) { return !(Documented[opcode >> 4] >> (opcode & 15) & 1); }

// What is read off each family once.
constexpr uint32_t MaxClocks = 8;
struct TOpcodeFacts {
    uint8_t Clocks = 0;      // the most it takes, the fetch included
    uint8_t FirstWrite = 0;  // its earliest clock that writes, 0 for none
    uint16_t WriteClocks = 0;  // bit n: clock n writes
    // The micro-code view's text of clocks 2 to 8; the interrupt entry's own texts where they
    // differ from BRK's.
    std::array<const char*, MaxClocks - 1> Texts{};
    std::array<const char*, MaxClocks - 1> EntryTexts{};
};

template <class Family, uint32_t cycle> constexpr void ReadClock(TOpcodeFacts& facts) {
    using Clock = typename Family::template Clock<cycle>;
    if (Clock::Writes) {
        facts.WriteClocks |= uint16_t(1u << cycle);
        if (facts.FirstWrite == 0) facts.FirstWrite = uint8_t(cycle);
    }
    facts.Texts[cycle - 2] = Clock::Text;
    if constexpr (requires { Clock::EntryText; })
        facts.EntryTexts[cycle - 2] = Clock::EntryText;
    else
        facts.EntryTexts[cycle - 2] = Clock::Text;
}

template <class Family, uint32_t... n> constexpr TOpcodeFacts FactsOf(std::integer_sequence<uint32_t, n...>) {
    TOpcodeFacts facts;
    facts.Clocks = uint8_t(Family::Clocks);
    (ReadClock<Family, n + 2>(facts), ...);
    return facts;
}

template <size_t... opcodes> constexpr std::array<TOpcodeFacts, 256> AllFacts(std::index_sequence<opcodes...>) {
    return {FactsOf<FamilyOf<uint8_t(opcodes)>>(std::make_integer_sequence<uint32_t, FamilyOf<uint8_t(opcodes)>::Clocks - 1>())...};
}

inline constexpr std::array<TOpcodeFacts, 256> Facts = AllFacts(std::make_index_sequence<256>());

}  // namespace CpuMap
