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

// The undocumented operations, one row each: registers and the byte at $80 (or $3084 for the
// absolute,Y form) before, registers, flags and that byte after, and the clocks taken. The
// other addressing modes are the documented ones', which the timing and bus tests cover.
TEST_F(AluTest, UndocumentedOperationsGiveTheChipsResults) {
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Program;
        uint8_t A, X, SP, Carry, M;
        uint8_t WantA, WantX, WantSP, WantM;
        const char* WantNVZC;
        int Clocks;
    };
    const TCase cases[] = {
        {"SLO zp", {0x07, 0x80}, 0x02, 0, 0xF0, 0, 0x81, 0x02, 0, 0xF0, 0x02, "0001", 5},
        {"RLA zp", {0x27, 0x80}, 0x0F, 0, 0xF0, 1, 0x81, 0x03, 0, 0xF0, 0x03, "0001", 5},
        {"SRE zp", {0x47, 0x80}, 0x81, 0, 0xF0, 0, 0x03, 0x80, 0, 0xF0, 0x01, "1001", 5},
        {"RRA zp adds the bit rotated out", {0x67, 0x80}, 0xFF, 0, 0xF0, 0, 0x03, 0x01, 0, 0xF0, 0x01, "0001", 5},
        {"RRA zp, carry into bit 7", {0x67, 0x80}, 0x10, 0, 0xF0, 1, 0x02, 0x91, 0, 0xF0, 0x81, "1000", 5},
        {"SAX zp leaves the flags", {0x87, 0x80}, 0xF0, 0x3C, 0xF0, 1, 0x00, 0xF0, 0x3C, 0xF0, 0x30, "0001", 3},
        {"LAX zp", {0xA7, 0x80}, 0x00, 0, 0xF0, 0, 0x80, 0x80, 0x80, 0xF0, 0x80, "1000", 3},
        {"DCP zp, equal", {0xC7, 0x80}, 0x05, 0, 0xF0, 0, 0x06, 0x05, 0, 0xF0, 0x05, "0011", 5},
        {"DCP zp, through zero", {0xC7, 0x80}, 0x05, 0, 0xF0, 1, 0x00, 0x05, 0, 0xF0, 0xFF, "0000", 5},
        {"ISC zp", {0xE7, 0x80}, 0x05, 0, 0xF0, 1, 0x04, 0x00, 0, 0xF0, 0x05, "0011", 5},
        {"ISC zp with a borrow", {0xE7, 0x80}, 0x01, 0, 0xF0, 0, 0x01, 0xFE, 0, 0xF0, 0x02, "1000", 5},
        {"ANC #", {0x0B, 0x80}, 0xFF, 0, 0xF0, 0, 0, 0x80, 0, 0xF0, 0, "1001", 2},
        {"ANC # ($2B)", {0x2B, 0x7F}, 0xFF, 0, 0xF0, 1, 0, 0x7F, 0, 0xF0, 0, "0000", 2},
        {"ALR #", {0x4B, 0x03}, 0xFF, 0, 0xF0, 0, 0, 0x01, 0, 0xF0, 0, "0001", 2},
        {"ARR #, C from bit 6", {0x6B, 0xFF}, 0xFF, 0, 0xF0, 1, 0, 0xFF, 0, 0xF0, 0, "1001", 2},
        {"ARR #, V from bits 6 and 5", {0x6B, 0xFF}, 0x80, 0, 0xF0, 0, 0, 0x40, 0, 0xF0, 0, "0101", 2},
        {"SBX #", {0xCB, 0x10}, 0xF0, 0x3C, 0xF0, 0, 0, 0xF0, 0x20, 0xF0, 0, "0001", 2},
        {"SBX # below zero", {0xCB, 0x31}, 0xF0, 0x3C, 0xF0, 1, 0, 0xF0, 0xFF, 0xF0, 0, "1000", 2},
        {"ANE # ORs in the chip's constant", {0x8B, 0xFF}, 0x00, 0xFF, 0xF0, 0, 0, TCPU::MagicConstant, 0xFF, 0xF0, 0, "1000", 2},
        {"LXA # likewise", {0xAB, 0xFF}, 0x00, 0x00, 0xF0, 0, 0, TCPU::MagicConstant, TCPU::MagicConstant, 0xF0, 0, "1000", 2},
        {"LAS abs,Y", {0xBB, 0x80, 0x30}, 0x00, 0x00, 0xF3, 0, 0x3E, 0x32, 0x32, 0x32, 0x3E, "0000", 4},
        {"NOP #", {0x80, 0xFF}, 0x12, 0x34, 0xF0, 1, 0, 0x12, 0x34, 0xF0, 0, "0001", 2},
        {"NOP zp", {0x04, 0x80}, 0x12, 0x34, 0xF0, 0, 0x99, 0x12, 0x34, 0xF0, 0x99, "0000", 3},
        {"SBC # ($EB)", {0xEB, 0x01}, 0x10, 0, 0xF0, 1, 0, 0x0F, 0, 0xF0, 0, "0001", 2},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        const uint16_t data = test.Program.size() == 3 ? 0x3084 : 0x0080;
        Cpu.A = test.A;
        Cpu.X = test.X;
        Cpu.Y = 4;
        Cpu.SP = test.SP;
        Flags(0, 0, 0, test.Carry);
        Cpu.D = 0;
        Mem.Image[data] = test.M;
        for (size_t i = 0; i < test.Program.size(); ++i) Mem.Image[0x2000 + i] = test.Program[i];
        Cpu.PC = 0x2000;
        EXPECT_EQ(RunInstruction(), test.Clocks);
        EXPECT_EQ(Cpu.A, test.WantA);
        EXPECT_EQ(Cpu.X, test.WantX);
        EXPECT_EQ(Cpu.SP, test.WantSP);
        EXPECT_EQ(Mem.Image[data], test.WantM);
        EXPECT_EQ(Bits({0, Cpu.N != 0, Cpu.V != 0, Cpu.Z != 0, Cpu.C != 0}), test.WantNVZC);
    }
}

// ARR in decimal mode, as the NMOS notes describe it: the rotation's flags, then a digit
// correction of each nibble by the AND's own digits.
TAluResult ReferenceArr(int a, int value, int carry, bool decimal) {
    const int anded = a & value;
    int r = (anded >> 1) | (carry << 7);
    if (!decimal) return {r, Bit7(r), (((r >> 6) ^ (r >> 5)) & 1) != 0, r == 0, ((r >> 6) & 1) != 0};
    const bool negative = carry != 0, zero = r == 0, overflow = ((anded ^ r) & 0x40) != 0;
    if ((anded & 0x0F) + (anded & 0x01) > 5) r = (r & 0xF0) | ((r + 6) & 0x0F);
    const bool carryOut = (anded & 0xF0) + (anded & 0x10) > 0x50;
    if (carryOut) r = (r + 0x60) & 0xFF;
    return {r, negative, overflow, zero, carryOut};
}

TEST_F(AluTest, ArrMatchesTheReferenceForEveryOperandAndCarry) { CompareAll(0x6B, ReferenceArr); }

// RRA and ISC take the decimal flag into their addition and subtraction: for every memory
// byte, A and carry, the result is ROR then ADC, or INC then SBC, by the references above.
TEST_F(AluTest, RraAndIscAreRotateThenAddAndIncrementThenSubtractInBothModes) {
    int failures = 0;
    for (const bool decimal : {false, true})
        for (int carry = 0; carry <= 1; ++carry)
            for (int a = 0; a < 256; a += 3)
                for (int m = 0; m < 256; ++m) {
                    for (const uint8_t opcode : {uint8_t(0x67), uint8_t(0xE7)}) {
                        Cpu.A = uint8_t(a);
                        Cpu.C = uint8_t(carry);
                        Cpu.D = decimal;
                        Mem.Image[0x80] = uint8_t(m);
                        Place(0x2000, {opcode, 0x80});
                        RunInstruction();
                        TAluResult want;
                        if (opcode == 0x67) {
                            const int rotated = (m >> 1) | (carry << 7);
                            want = ReferenceAdc(a, rotated, m & 1, decimal);
                        } else {
                            want = ReferenceSbc(a, (m + 1) & 0xFF, carry, decimal);
                        }
                        const TAluResult got{Cpu.A, Cpu.N != 0, Cpu.V != 0, Cpu.Z != 0, Cpu.C != 0};
                        if (got != want && ++failures <= 8)
                            ADD_FAILURE() << "opcode $" << std::hex << int(opcode) << " A=$" << a << " M=$" << m
                                          << " C=" << carry << (decimal ? " decimal" : " binary") << ": got A=$"
                                          << got.A << " NVZC=" << Bits(got) << ", want A=$" << want.A
                                          << " NVZC=" << Bits(want);
                    }
                }
    EXPECT_EQ(failures, 0);
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
