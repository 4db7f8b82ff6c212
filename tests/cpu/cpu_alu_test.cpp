// Arithmetic and flag rules, run through real instructions: every ADC and SBC operand and carry
// combination, binary and decimal, against a reference written from the ALU rules, and the
// flag rules of the undocumented opcodes.
#include "cpu_test_support.h"

namespace {

struct TAluResult {
    int A;
    bool N, V, Z, C;
    bool operator==(const TAluResult&) const = default;
};

std::string Bits(const TAluResult& r) {
    return std::string{char('0' + r.N), char('0' + r.V), char('0' + r.Z), char('0' + r.C)};
}

bool Bit7(int value) { return (value & 0x80) != 0; }

TAluResult ReferenceAdc(int a, int value, int carry, bool decimal) {
    const int binary = a + value + carry;
    if (!decimal) {
        const int result = binary % 256;
        const bool overflow = Bit7(a) == Bit7(value) && Bit7(result) != Bit7(a);
        return {result, Bit7(result), overflow, result == 0, binary >= 256};
    }
    int lo = (a & 0x0F) + (value & 0x0F) + carry;
    if (lo > 9) lo = lo + 6;
    int r = (lo & 0x0F) + (a & 0xF0) + (value & 0xF0);
    if (lo > 0x0F) r += 0x10;
    const bool zero = binary % 256 == 0;
    const bool negative = Bit7(r);
    const bool overflow = Bit7(a) == Bit7(value) && Bit7(r) != Bit7(a);
    if ((r & 0x1F0) > 0x90) r = r + 0x60;
    const bool carryOut = (r & 0xFF0) > 0xF0;
    return {r % 256, negative, overflow, zero, carryOut};
}

TAluResult ReferenceSbc(int a, int value, int carry, bool decimal) {
    const int bin = a - value - (1 - carry);
    const int low8 = bin & 0xFF;
    const bool overflow = Bit7(a) != Bit7(value) && Bit7(low8) != Bit7(a);
    if (!decimal) return {low8, Bit7(low8), overflow, low8 == 0, bin >= 0};
    const int lo = (a & 0x0F) - (value & 0x0F) - (1 - carry);
    int r;
    if (lo & 0x10)
        r = ((a & 0xF0) - (value & 0xF0) - 0x10) + ((lo - 6) & 0x0F);
    else
        r = ((a & 0xF0) - (value & 0xF0)) + (lo & 0x0F);
    if (r & 0x100) r = r - 0x60;
    return {r & 0xFF, Bit7(bin), overflow, low8 == 0, 0 <= bin && bin < 256};
}

class AluTest : public CpuTest {
protected:
    // One immediate instruction with A and the carry and decimal flags set beforehand.
    TAluResult RunImmediate(uint8_t opcode, int a, int value, int carry, bool decimal) {
        Cpu.A = uint8_t(a);
        Cpu.C = uint8_t(carry);
        Cpu.D = decimal ? 1 : 0;
        Mem.Image[0x2000] = opcode;
        Mem.Image[0x2001] = uint8_t(value);
        Cpu.PC = 0x2000;
        Cpu.Step();
        Cpu.Step();
        Mem.AccessLog.clear();
        return {Cpu.A, Cpu.N != 0, Cpu.V != 0, Cpu.Z != 0, Cpu.C != 0};
    }

    void CompareAll(uint8_t opcode, TAluResult (*reference)(int, int, int, bool)) {
        int failures = 0;
        for (const bool decimal : {false, true})
            for (int carry = 0; carry <= 1; ++carry)
                for (int a = 0; a < 256; ++a)
                    for (int value = 0; value < 256; ++value) {
                        const TAluResult got = RunImmediate(opcode, a, value, carry, decimal);
                        const TAluResult want = reference(a, value, carry, decimal);
                        if (got == want || ++failures > 8) continue;
                        ADD_FAILURE() << "opcode $" << std::hex << int(opcode) << (decimal ? " decimal" : " binary")
                                      << " A=$" << a << " value=$" << value << " C=" << carry << ": got A=$" << got.A
                                      << " NVZC=" << Bits(got) << ", want A=$" << want.A << " NVZC=" << Bits(want);
                    }
        EXPECT_EQ(failures, 0);
        EXPECT_EQ(Cpu.Cycle, 1u);
    }

    void Flags(uint8_t n, uint8_t v, uint8_t z, uint8_t c) { Cpu.N = n; Cpu.V = v; Cpu.Z = z; Cpu.C = c; }
};

// Known results, so that a reference sharing a fault with the processor cannot pass.
TEST_F(AluTest, KnownResultsThroughTheProcessor) {
    EXPECT_EQ(RunImmediate(0x69, 0x50, 0x50, 0, false), (TAluResult{0xA0, true, true, false, false}));
    EXPECT_EQ(RunImmediate(0xE9, 0x50, 0xB0, 1, false), (TAluResult{0xA0, true, true, false, false}));
    EXPECT_EQ(RunImmediate(0xE9, 0x00, 0x01, 1, true).A, 0x99);
    EXPECT_EQ(RunImmediate(0x69, 0x09, 0x01, 0, true), (TAluResult{0x10, false, false, false, false}));
    const TAluResult wrap = RunImmediate(0x69, 0x99, 0x01, 0, true);
    EXPECT_EQ(wrap.A, 0x00);
    EXPECT_TRUE(wrap.C);
    EXPECT_FALSE(wrap.Z) << "Z comes from the binary sum $9A";
    EXPECT_EQ(RunImmediate(0xE9, 0x10, 0x01, 1, true), (TAluResult{0x09, false, false, false, true}));
}

TEST_F(AluTest, AdcMatchesTheReferenceForEveryOperandAndCarry) { CompareAll(0x69, ReferenceAdc); }
TEST_F(AluTest, SbcMatchesTheReferenceForEveryOperandAndCarry) { CompareAll(0xE9, ReferenceSbc); }
TEST_F(AluTest, UndocumentedSbcEbMatchesTheReference) { CompareAll(0xEB, ReferenceSbc); }

TEST_F(AluTest, DecimalModeAppliesToEveryAddressingModeOfAdcAndSbc) {
    Cpu.D = 1;
    Cpu.C = 0;
    Cpu.A = 0x19;
    Cpu.X = 0x01;
    Mem.Image[0x3081] = 0x01;
    Place(0x2000, {0x7D, 0x80, 0x30});  // ADC $3080,X
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x20);
    Cpu.C = 1;
    Place(0x2000, {0xFD, 0x80, 0x30});  // SBC $3080,X
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x19);
}

TEST_F(AluTest, CompareSetsCarryZeroAndNegativeFromTheDifference) {
    struct { uint8_t Opcode; uint8_t TCPU::*Reg; } compares[] = {{0xC9, &TCPU::A}, {0xE0, &TCPU::X}, {0xC0, &TCPU::Y}};
    for (const auto& compare : compares) {
        SCOPED_TRACE(int(compare.Opcode));
        Cpu.*compare.Reg = 0x40;
        RunImmediate(compare.Opcode, Cpu.A, 0x40, 0, false);
        EXPECT_TRUE(Cpu.Z && Cpu.C && !Cpu.N);
        RunImmediate(compare.Opcode, Cpu.A, 0x41, 1, false);
        EXPECT_TRUE(!Cpu.Z && !Cpu.C && Cpu.N);
        RunImmediate(compare.Opcode, Cpu.A, 0xC0, 1, false);
        EXPECT_TRUE(!Cpu.Z && !Cpu.C && Cpu.N) << "$40 - $C0 = $80";
        RunImmediate(compare.Opcode, Cpu.A, 0x00, 0, false);
        EXPECT_TRUE(!Cpu.Z && Cpu.C && !Cpu.N);
        EXPECT_EQ(Cpu.*compare.Reg, 0x40);
    }
}

TEST_F(AluTest, BitTakesNAndVFromMemoryAndZFromTheAnd) {
    Mem.Image[0x80] = 0xC0;
    Cpu.A = 0x3F;
    Place(0x2000, {0x24, 0x80});
    RunInstruction();
    EXPECT_TRUE(Cpu.N && Cpu.V && Cpu.Z);
    EXPECT_EQ(Cpu.A, 0x3F);
    Mem.Image[0x80] = 0x01;
    Place(0x2000, {0x24, 0x80});
    RunInstruction();
    EXPECT_TRUE(!Cpu.N && !Cpu.V && !Cpu.Z);
}

TEST_F(AluTest, RotatesTakeTheOldCarryIn) {
    Cpu.A = 0x80;
    Cpu.C = 1;
    Place(0x2000, {0x2A, 0x6A, 0x6A});  // ROL A; ROR A; ROR A
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x01);
    EXPECT_NE(Cpu.C, 0);
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x80);
    EXPECT_NE(Cpu.C, 0);
    EXPECT_NE(Cpu.N, 0);
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0xC0);
    EXPECT_EQ(Cpu.C, 0);
}

TEST_F(AluTest, LdtLoadsAAndX) {
    Mem.Image[0x80] = 0x80;
    Poke(0x3080, {0x00});
    Place(0x2000, {0xA7, 0x80, 0xAF, 0x80, 0x30});  // LDT $80; LDT $3080
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x80);
    EXPECT_EQ(Cpu.X, 0x80);
    EXPECT_TRUE(Cpu.N && !Cpu.Z);
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x00);
    EXPECT_EQ(Cpu.X, 0x00);
    EXPECT_TRUE(!Cpu.N && Cpu.Z);
}

TEST_F(AluTest, AaxStoresAAndXWithoutTouchingFlags) {
    Cpu.A = 0xF0;
    Cpu.X = 0x3C;
    Flags(0x80, 0, 1, 0);
    Place(0x2000, {0x8F, 0x80, 0x30});
    RunInstruction();
    EXPECT_EQ(Mem.Image[0x3080], 0x30);
    EXPECT_TRUE(Cpu.N && !Cpu.V && Cpu.Z && !Cpu.C);
}

TEST_F(AluTest, AnnCopiesNIntoC) {
    for (const uint8_t opcode : {uint8_t(0x0B), uint8_t(0x2B)}) {
        RunImmediate(opcode, 0xFF, 0x80, 0, false);
        EXPECT_EQ(Cpu.A, 0x80);
        EXPECT_TRUE(Cpu.N && Cpu.C && !Cpu.Z);
        RunImmediate(opcode, 0xFF, 0x7F, 1, false);
        EXPECT_TRUE(!Cpu.N && !Cpu.C && !Cpu.Z);
        RunImmediate(opcode, 0x0F, 0xF0, 1, false);
        EXPECT_TRUE(!Cpu.N && !Cpu.C && Cpu.Z);
    }
}

TEST_F(AluTest, AnlAndsThenShiftsRight) {
    RunImmediate(0x4B, 0xFF, 0x03, 0, false);
    EXPECT_EQ(Cpu.A, 0x01);
    EXPECT_TRUE(Cpu.C && !Cpu.N && !Cpu.Z);
    RunImmediate(0x4B, 0x81, 0x80, 1, false);
    EXPECT_EQ(Cpu.A, 0x40);
    EXPECT_TRUE(!Cpu.C && !Cpu.Z);
    RunImmediate(0x4B, 0x01, 0x01, 0, false);
    EXPECT_EQ(Cpu.A, 0x00);
    EXPECT_TRUE(Cpu.C && Cpu.Z);
}

TEST_F(AluTest, DemDecrementsAndComparesInTheFinalClock) {
    Cpu.A = 0x05;
    Mem.Image[0x80] = 0x06;
    Flags(0x80, 0, 0, 0);
    Place(0x2000, {0xC7, 0x80});  // DEM $80
    for (int clock = 0; clock < 4; ++clock) Cpu.Step();
    EXPECT_TRUE(Cpu.N && !Cpu.Z && !Cpu.C) << "flags wait for the final write";
    Cpu.Step();
    EXPECT_EQ(Mem.Image[0x80], 0x05);
    EXPECT_EQ(Cpu.A, 0x05);
    EXPECT_TRUE(!Cpu.N && Cpu.Z && Cpu.C);

    Mem.Image[0x80] = 0x07;  // new value $06 > A
    Place(0x2000, {0xC7, 0x80});
    RunInstruction();
    EXPECT_TRUE(Cpu.N && !Cpu.Z && !Cpu.C);

    Mem.Image[0x80] = 0x00;  // new value $FF: A - $FF leaves $06 in the low byte
    Place(0x2000, {0xC7, 0x80});
    RunInstruction();
    EXPECT_EQ(Mem.Image[0x80], 0xFF);
    EXPECT_TRUE(!Cpu.N && !Cpu.Z && !Cpu.C);
}

TEST_F(AluTest, DemEveryAddressingMode) {
    Cpu.A = 0x10;
    Cpu.X = 0x02;
    Cpu.Y = 0x04;
    Poke(0x0082, {0x00, 0x31});
    const struct { std::initializer_list<uint8_t> Program; uint16_t Address; } cases[] = {
        {{0xC3, 0x80}, 0x3100},        // (zp,X)
        {{0xC7, 0x90}, 0x0090},        // zp
        {{0xCF, 0x80, 0x30}, 0x3080},  // abs
        {{0xD7, 0x90}, 0x0094},        // zp,Y
        {{0xDB, 0x80, 0x30}, 0x3084},  // abs,Y
        {{0xDF, 0x80, 0x30}, 0x3082},  // abs,X
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Address);
        Mem.Image[c.Address] = 0x11;
        Place(0x2000, c.Program);
        RunInstruction();
        EXPECT_EQ(Mem.Image[c.Address], 0x10);
        EXPECT_TRUE(Cpu.Z && Cpu.C && !Cpu.N);
        EXPECT_EQ(Cpu.A, 0x10);
    }
}

TEST_F(AluTest, InbIncrementsAndComparesLeavingA) {
    Cpu.A = 0x05;
    Cpu.V = 1;
    Mem.Image[0x80] = 0x04;
    Place(0x2000, {0xE7, 0x80});  // INB $80
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xE7)},
                                              {R(0x2001, 0x80)},
                                              {R(0x0080, 0x04)},
                                              {W(0x0080, 0x04)},
                                              {W(0x0080, 0x05)}}));
    EXPECT_EQ(Cpu.A, 0x05);
    EXPECT_TRUE(Cpu.Z && Cpu.C && !Cpu.N);
    EXPECT_NE(Cpu.V, 0) << "V unchanged";

    Cpu.D = 1;  // the compare is never decimal
    Mem.Image[0x80] = 0x09;
    Place(0x2000, {0xE7, 0x80});
    RunInstruction();
    EXPECT_TRUE(!Cpu.Z && !Cpu.C && Cpu.N);  // $05 - $0A = $FB
}

TEST_F(AluTest, InbAbsoluteEfAlsoSubtractsFromA) {
    Cpu.A = 0x05;
    Mem.Image[0x3080] = 0x04;
    Place(0x2000, {0xEF, 0x80, 0x30});
    RunInstruction();
    EXPECT_EQ(Mem.Image[0x3080], 0x05);
    EXPECT_EQ(Cpu.A, 0x00);
    EXPECT_TRUE(Cpu.Z && Cpu.C);

    Cpu.A = 0x01;
    Cpu.C = 0;  // no borrow in
    Mem.Image[0x3080] = 0x02;
    Place(0x2000, {0xEF, 0x80, 0x30});
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0xFE);
    EXPECT_TRUE(Cpu.N && !Cpu.Z && !Cpu.C);

    // The other INB opcodes leave A alone.
    for (const std::initializer_list<uint8_t> program :
         {std::initializer_list<uint8_t>{0xF7, 0x70}, {0xFB, 0x70, 0x30}, {0xFF, 0x70, 0x30}}) {
        Cpu.A = 0x42;
        Cpu.X = Cpu.Y = 0x10;
        Mem.Image[0x0080] = Mem.Image[0x3080] = 0x41;
        Place(0x2000, program);
        RunInstruction();
        EXPECT_EQ(Cpu.A, 0x42);
        EXPECT_TRUE(Cpu.Z && Cpu.C);
    }
}

TEST_F(AluTest, RanRotatesLeftThenAnds) {
    Cpu.A = 0x0F;
    Cpu.C = 1;
    Cpu.X = 0x01;
    Mem.Image[0x3081] = 0x81;
    Place(0x2000, {0x3F, 0x80, 0x30});
    RunInstruction();
    EXPECT_EQ(Mem.Image[0x3081], 0x03);
    EXPECT_EQ(Cpu.A, 0x03);
    EXPECT_TRUE(Cpu.C && !Cpu.N && !Cpu.Z);
}

TEST_F(AluTest, LseShiftsRightThenExclusiveOrs) {
    Cpu.A = 0x81;
    Mem.Image[0x3080] = 0x03;
    Place(0x2000, {0x4F, 0x80, 0x30});
    RunInstruction();
    EXPECT_EQ(Mem.Image[0x3080], 0x01);
    EXPECT_EQ(Cpu.A, 0x80);
    EXPECT_TRUE(Cpu.C && Cpu.N && !Cpu.Z);
}

TEST_F(AluTest, RadRotatesRightThenAddsWithoutCarry) {
    Cpu.A = 0x10;
    Cpu.C = 1;
    Cpu.V = 1;
    Cpu.X = 0x01;
    Mem.Image[0x3081] = 0x02;
    Place(0x2000, {0x7F, 0x80, 0x30});
    RunInstruction();
    EXPECT_EQ(Mem.Image[0x3081], 0x81);
    EXPECT_EQ(Cpu.A, 0x91);
    EXPECT_TRUE(!Cpu.C && Cpu.N && !Cpu.Z);
    EXPECT_NE(Cpu.V, 0) << "V unchanged";

    // The bit rotated out is C afterwards but takes no part in the addition; no decimal mode.
    Cpu.A = 0xFF;
    Cpu.C = 0;
    Cpu.D = 1;
    Mem.Image[0x3081] = 0x03;
    Place(0x2000, {0x7F, 0x80, 0x30});
    RunInstruction();
    EXPECT_EQ(Mem.Image[0x3081], 0x01);
    EXPECT_EQ(Cpu.A, 0x00);
    EXPECT_TRUE(Cpu.C && Cpu.Z);
}

TEST_F(AluTest, ModifyFlagsAreSetInTheClockThatWritesTheOldValue) {
    Cpu.C = 1;
    Mem.Image[0x3080] = 0x40;
    Place(0x2000, {0x2E, 0x80, 0x30});  // ROL $3080
    for (int clock = 0; clock < 4; ++clock) Cpu.Step();
    EXPECT_EQ(Cpu.N, 0);
    Cpu.Step();
    EXPECT_NE(Cpu.N, 0);
    EXPECT_EQ(Cpu.C, 0);
    EXPECT_EQ(Mem.Image[0x3080], 0x40) << "old value written first";
    Cpu.Step();
    EXPECT_EQ(Mem.Image[0x3080], 0x81);
}

}  // namespace
