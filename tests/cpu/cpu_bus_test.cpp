// Bus traffic clock by clock for each sequence family, as the NMOS 6502 makes it: exactly one
// access per clock, dummy reads included, with the page-crossing and wrap cases.
#include <cstring>
#include <functional>

#include "cpu_test_support.h"

namespace {

struct TBusCase {
    const char* Name;
    uint16_t Start;
    std::vector<uint8_t> Program;
    std::function<void(CpuTest&, TCPU&, TMemory&)> Setup;
    TClockTrace Expected;
    std::function<void(TCPU&, TMemory&)> Check = nullptr;
};

class BusTest : public CpuTest {
public:
    void Run(const TBusCase& test) {
        SCOPED_TRACE(test.Name);
        Cpu.PowerOn();
        Cpu.SP = 0xF0;
        std::memset(Mem.Image, 0, TMemory::RamSize);
        if (test.Setup) test.Setup(*this, Cpu, Mem);
        for (size_t i = 0; i < test.Program.size(); ++i) Mem.Image[uint16_t(test.Start + i)] = test.Program[i];
        Cpu.PC = test.Start;
        Cpu.Cycle = 1;
        Mem.AccessLog.clear();
        EXPECT_EQ(TraceInstruction(), test.Expected);
        if (test.Check) test.Check(Cpu, Mem);
    }
    using CpuTest::Poke;
};

void Pokes(CpuTest&, TMemory& mem, std::initializer_list<std::pair<uint16_t, uint8_t>> bytes) {
    for (const auto& [address, value] : bytes) mem.Image[address] = value;
}

TEST_F(BusTest, EveryFamilyMakesOneAccessPerClockInTheChipsOrder) {
    const TBusCase cases[] = {
        {"LDA #", 0x2000, {0xA9, 0x80}, nullptr, {{R(0x2000, 0xA9)}, {R(0x2001, 0x80)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.A, 0x80); EXPECT_NE(c.N, 0); EXPECT_EQ(c.PC, 0x2002); }},
        {"INX reads the next byte", 0x2000, {0xE8, 0x77}, [](CpuTest&, TCPU& c, TMemory&) { c.X = 0x7F; },
         {{R(0x2000, 0xE8)}, {R(0x2001, 0x77)}}, [](TCPU& c, TMemory&) { EXPECT_EQ(c.X, 0x80); }},
        {"LDA zp", 0x2000, {0xA5, 0x80}, [](CpuTest& t, TCPU&, TMemory& m) { Pokes(t, m, {{0x80, 0x42}}); },
         {{R(0x2000, 0xA5)}, {R(0x2001, 0x80)}, {R(0x0080, 0x42)}}},
        {"STA zp", 0x2000, {0x85, 0x90}, [](CpuTest&, TCPU& c, TMemory&) { c.A = 0x42; },
         {{R(0x2000, 0x85)}, {R(0x2001, 0x90)}, {W(0x0090, 0x42)}}},
        {"ASL zp: old value back, then the new", 0x2000, {0x06, 0x80},
         [](CpuTest& t, TCPU&, TMemory& m) { Pokes(t, m, {{0x80, 0x80}}); },
         {{R(0x2000, 0x06)}, {R(0x2001, 0x80)}, {R(0x0080, 0x80)}, {W(0x0080, 0x80)}, {W(0x0080, 0x00)}},
         [](TCPU& c, TMemory&) { EXPECT_NE(c.C, 0); EXPECT_NE(c.Z, 0); }},
        {"LDA zp,X wraps in page 0 and reads the base first", 0x2000, {0xB5, 0xF0},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 0x20; Pokes(t, m, {{0x10, 0x55}, {0xF0, 0x01}}); },
         {{R(0x2000, 0xB5)}, {R(0x2001, 0xF0)}, {R(0x00F0, 0x01)}, {R(0x0010, 0x55)}}},
        {"STX zp,Y", 0x2000, {0x96, 0x81}, [](CpuTest&, TCPU& c, TMemory&) { c.X = 0x12; c.Y = 0x10; },
         {{R(0x2000, 0x96)}, {R(0x2001, 0x81)}, {R(0x0081, 0x00)}, {W(0x0091, 0x12)}}},
        {"INC zp,X", 0x2000, {0xF6, 0x80}, [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 5; Pokes(t, m, {{0x85, 0x42}}); },
         {{R(0x2000, 0xF6)}, {R(0x2001, 0x80)}, {R(0x0080, 0x00)}, {R(0x0085, 0x42)}, {W(0x0085, 0x42)}, {W(0x0085, 0x43)}}},
        {"INC abs", 0x2000, {0xEE, 0x80, 0x30}, [](CpuTest& t, TCPU&, TMemory& m) { Pokes(t, m, {{0x3080, 0x01}}); },
         {{R(0x2000, 0xEE)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x3080, 0x01)}, {W(0x3080, 0x01)}, {W(0x3080, 0x02)}}},
        {"LDA abs,X in its page", 0x2000, {0xBD, 0x80, 0x30},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 3; Pokes(t, m, {{0x3083, 0x11}}); },
         {{R(0x2000, 0xBD)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x3083, 0x11)}}},
        {"LDA abs,X across a page reads the unfixed address first", 0x2000, {0xBD, 0x80, 0x30},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 0xFF; Pokes(t, m, {{0x307F, 0x33}, {0x317F, 0x22}}); },
         {{R(0x2000, 0xBD)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x307F, 0x33)}, {R(0x317F, 0x22)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.A, 0x22); }},
        {"LDA abs,Y wraps at the top of memory", 0x2000, {0xB9, 0xF0, 0xFF},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.Y = 0x20; Pokes(t, m, {{0x0010, 0x66}}); },
         {{R(0x2000, 0xB9)}, {R(0x2001, 0xF0)}, {R(0x2002, 0xFF)}, {R(0xFF10, 0x00)}, {R(0x0010, 0x66)}}},
        {"STA abs,Y always spends the fix-up clock", 0x2000, {0x99, 0x80, 0x30},
         [](CpuTest&, TCPU& c, TMemory&) { c.A = 0x5A; c.Y = 3; },
         {{R(0x2000, 0x99)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x3083, 0x00)}, {W(0x3083, 0x5A)}}},
        {"STA abs,X across a page", 0x2000, {0x9D, 0x80, 0x30}, [](CpuTest&, TCPU& c, TMemory&) { c.A = 0x5A; c.X = 0xFF; },
         {{R(0x2000, 0x9D)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x307F, 0x00)}, {W(0x317F, 0x5A)}}},
        {"ASL abs,X", 0x2000, {0x1E, 0x80, 0x30}, [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 1; Pokes(t, m, {{0x3081, 0x81}}); },
         {{R(0x2000, 0x1E)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x3081, 0x81)}, {R(0x3081, 0x81)},
          {W(0x3081, 0x81)}, {W(0x3081, 0x02)}}},
        {"LDA (zp,X): the pointer wraps in page 0", 0x2000, {0xA1, 0x80},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 0x7F; Pokes(t, m, {{0xFF, 0x34}, {0x00, 0x30}, {0x3034, 0x77}}); },
         {{R(0x2000, 0xA1)}, {R(0x2001, 0x80)}, {R(0x0080, 0x00)}, {R(0x00FF, 0x34)}, {R(0x0000, 0x30)}, {R(0x3034, 0x77)}}},
        {"DCP (zp,X) takes 8 clocks", 0x2000, {0xC3, 0x80},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 4; c.A = 0x3B; Pokes(t, m, {{0x84, 0x00}, {0x85, 0x31}, {0x3100, 0x3C}}); },
         {{R(0x2000, 0xC3)}, {R(0x2001, 0x80)}, {R(0x0080, 0x00)}, {R(0x0084, 0x00)}, {R(0x0085, 0x31)},
          {R(0x3100, 0x3C)}, {W(0x3100, 0x3C)}, {W(0x3100, 0x3B)}},
         [](TCPU& c, TMemory&) { EXPECT_NE(c.Z, 0); EXPECT_NE(c.C, 0); }},
        {"LDA (zp),Y: the pointer wraps, no crossing", 0x2000, {0xB1, 0xFF},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.Y = 1; Pokes(t, m, {{0xFF, 0x80}, {0x00, 0x30}, {0x3081, 0x11}}); },
         {{R(0x2000, 0xB1)}, {R(0x2001, 0xFF)}, {R(0x00FF, 0x80)}, {R(0x0000, 0x30)}, {R(0x3081, 0x11)}}},
        {"LDA (zp),Y across a page", 0x2000, {0xB1, 0x80},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.Y = 0xFF; Pokes(t, m, {{0x80, 0x80}, {0x81, 0x30}, {0x317F, 0x22}}); },
         {{R(0x2000, 0xB1)}, {R(0x2001, 0x80)}, {R(0x0080, 0x80)}, {R(0x0081, 0x30)}, {R(0x307F, 0x00)}, {R(0x317F, 0x22)}}},
        {"STA (zp),Y always spends the fix-up clock", 0x2000, {0x91, 0x80},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.A = 0x99; c.Y = 2; Pokes(t, m, {{0x80, 0x80}, {0x81, 0x30}}); },
         {{R(0x2000, 0x91)}, {R(0x2001, 0x80)}, {R(0x0080, 0x80)}, {R(0x0081, 0x30)}, {R(0x3082, 0x00)}, {W(0x3082, 0x99)}}},
        {"SRE (zp),Y takes 8 clocks", 0x2000, {0x53, 0x80},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.A = 0xF0; c.Y = 2; Pokes(t, m, {{0x80, 0x80}, {0x81, 0x30}, {0x3082, 0x03}}); },
         {{R(0x2000, 0x53)}, {R(0x2001, 0x80)}, {R(0x0080, 0x80)}, {R(0x0081, 0x30)}, {R(0x3082, 0x03)},
          {R(0x3082, 0x03)}, {W(0x3082, 0x03)}, {W(0x3082, 0x01)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.A, 0xF1); EXPECT_NE(c.C, 0); }},
        {"a branch not taken reads its offset", 0x2000, {0x10, 0x10}, [](CpuTest&, TCPU& c, TMemory&) { c.N = 0x80; },
         {{R(0x2000, 0x10)}, {R(0x2001, 0x10)}}, [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x2002); }},
        {"a branch taken in its page", 0x2000, {0x10, 0x10}, nullptr,
         {{R(0x2000, 0x10)}, {R(0x2001, 0x10)}, {R(0x2002, 0x00)}}, [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x2012); }},
        {"a branch taken to another page", 0x20F0, {0x10, 0x10}, nullptr,
         {{R(0x20F0, 0x10)}, {R(0x20F1, 0x10)}, {R(0x20F2, 0x00)}, {R(0x2002, 0x00)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x2102); }},
        {"a branch back into the previous page", 0x2100, {0x10, 0xFC}, nullptr,
         {{R(0x2100, 0x10)}, {R(0x2101, 0xFC)}, {R(0x2102, 0x00)}, {R(0x21FE, 0x00)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x20FE); }},
        {"the page test uses the address after the offset", 0x20FE, {0x10, 0x02}, nullptr,
         {{R(0x20FE, 0x10)}, {R(0x20FF, 0x02)}, {R(0x2100, 0x00)}}, [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x2102); }},
        {"JMP abs", 0x2000, {0x4C, 0x80, 0x30}, nullptr, {{R(0x2000, 0x4C)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x3080); }},
        {"JMP ($30FF) takes the high byte from $3000", 0x2000, {0x6C, 0xFF, 0x30},
         [](CpuTest& t, TCPU&, TMemory& m) { Pokes(t, m, {{0x30FF, 0x34}, {0x3000, 0x12}, {0x3100, 0x99}}); },
         {{R(0x2000, 0x6C)}, {R(0x2001, 0xFF)}, {R(0x2002, 0x30)}, {R(0x30FF, 0x34)}, {R(0x3000, 0x12)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x1234); }},
        {"JSR pushes the address of its last byte", 0x2000, {0x20, 0x80, 0x30}, nullptr,
         {{R(0x2000, 0x20)}, {R(0x2001, 0x80)}, {R(0x01F0, 0x00)}, {W(0x01F0, 0x20)}, {W(0x01EF, 0x02)}, {R(0x2002, 0x30)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x3080); EXPECT_EQ(c.SP, 0xEE); }},
        {"RTS returns past it", 0x3080, {0x60},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.SP = 0xEE; Pokes(t, m, {{0x01EF, 0x02}, {0x01F0, 0x20}}); },
         {{R(0x3080, 0x60)}, {R(0x3081, 0x00)}, {R(0x01EE, 0x00)}, {R(0x01EF, 0x02)}, {R(0x01F0, 0x20)}, {R(0x2002, 0x00)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x2003); EXPECT_EQ(c.SP, 0xF0); }},
        {"RTI", 0x3080, {0x40},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.SP = 0xED; Pokes(t, m, {{0x01EE, 0x01}, {0x01EF, 0x34}, {0x01F0, 0x12}}); },
         {{R(0x3080, 0x40)}, {R(0x3081, 0x00)}, {R(0x01ED, 0x00)}, {R(0x01EE, 0x01)}, {R(0x01EF, 0x34)}, {R(0x01F0, 0x12)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x1234); EXPECT_NE(c.C, 0); }},
        {"BRK", 0x2000, {0x00, 0xEA}, [](CpuTest& t, TCPU&, TMemory& m) { Pokes(t, m, {{0xFFFE, 0x00}, {0xFFFF, 0x40}}); },
         {{R(0x2000, 0x00)}, {R(0x2001, 0xEA)}, {W(0x01F0, 0x20)}, {W(0x01EF, 0x02)}, {W(0x01EE, 0x30)},
          {R(0xFFFE, 0x00)}, {R(0xFFFF, 0x40)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.PC, 0x4000); }},
        {"PHA at SP $00 writes $0100", 0x2000, {0x48}, [](CpuTest&, TCPU& c, TMemory&) { c.A = 0xAB; c.SP = 0; },
         {{R(0x2000, 0x48)}, {R(0x2001, 0x00)}, {W(0x0100, 0xAB)}}, [](TCPU& c, TMemory&) { EXPECT_EQ(c.SP, 0xFF); }},
        {"PLA at SP $FF reads $0100", 0x2000, {0x68},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.SP = 0xFF; Pokes(t, m, {{0x0100, 0x80}, {0x01FF, 0x11}}); },
         {{R(0x2000, 0x68)}, {R(0x2001, 0x00)}, {R(0x01FF, 0x11)}, {R(0x0100, 0x80)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.A, 0x80); EXPECT_EQ(c.SP, 0x00); }},
        {"NOP abs,X reads its operand like a load", 0x2000, {0x1C, 0x80, 0x30},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.X = 0xFF; Pokes(t, m, {{0x317F, 0x22}}); },
         {{R(0x2000, 0x1C)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x307F, 0x00)}, {R(0x317F, 0x22)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.A, 0x00); }},
        {"the program counter wraps at the top", 0xFFFF, {0xA9}, [](CpuTest& t, TCPU&, TMemory& m) { Pokes(t, m, {{0x0000, 0x5E}}); },
         {{R(0xFFFF, 0xA9)}, {R(0x0000, 0x5E)}}, [](TCPU& c, TMemory&) { EXPECT_EQ(c.A, 0x5E); EXPECT_EQ(c.PC, 0x0001); }},
    };
    for (const TBusCase& test : cases) Run(test);
}

// SHA, SHX, SHY and TAS AND the stored value with the base's high byte plus one; where the
// index crosses a page, the written address takes that value as its high byte.
TEST_F(BusTest, TheUnstableStoresAndTheirPageCrossing) {
    const TBusCase cases[] = {
        {"SHX abs,Y", 0x2000, {0x9E, 0x80, 0x30}, [](CpuTest&, TCPU& c, TMemory&) { c.X = 0xFF; c.Y = 2; },
         {{R(0x2000, 0x9E)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x3082, 0x00)}, {W(0x3082, 0x31)}}},
        {"SHY abs,X across a page", 0x2000, {0x9C, 0xF0, 0x30}, [](CpuTest&, TCPU& c, TMemory&) { c.Y = 0x13; c.X = 0x20; },
         {{R(0x2000, 0x9C)}, {R(0x2001, 0xF0)}, {R(0x2002, 0x30)}, {R(0x3010, 0x00)}, {W(0x1110, 0x11)}}},
        {"SHA (zp),Y", 0x2000, {0x93, 0x80},
         [](CpuTest& t, TCPU& c, TMemory& m) { c.A = 0xFF; c.X = 0xF7; c.Y = 1; Pokes(t, m, {{0x80, 0x00}, {0x81, 0x30}}); },
         {{R(0x2000, 0x93)}, {R(0x2001, 0x80)}, {R(0x0080, 0x00)}, {R(0x0081, 0x30)}, {R(0x3001, 0x00)}, {W(0x3001, 0x31)}}},
        {"TAS abs,Y sets SP to A AND X", 0x2000, {0x9B, 0x00, 0x70}, [](CpuTest&, TCPU& c, TMemory&) { c.A = 0xF3; c.X = 0x3E; c.Y = 4; },
         {{R(0x2000, 0x9B)}, {R(0x2001, 0x00)}, {R(0x2002, 0x70)}, {R(0x7004, 0x00)}, {W(0x7004, 0x30)}},
         [](TCPU& c, TMemory&) { EXPECT_EQ(c.SP, 0x32); }},
    };
    for (const TBusCase& test : cases) Run(test);
}

// A push into page 1 of a 16 KB machine never reaches the mirror's devices: page 1 is RAM.
TEST_F(CpuTest, StackAccessesAreBusCyclesThatNeverReachADevice) {
    TMemory small(0);
    Cpu.SetMemory(&small);
    Cpu.PowerOn();
    Cpu.SP = 0x01;
    Cpu.A = 0x08;
    small.Image[0x2000] = 0x48;  // PHA to $0101, whose byte 1 mirrors nothing on page 1
    Cpu.PC = 0x2000;
    Cpu.Step();
    Cpu.Step();
    Cpu.Step();
    EXPECT_EQ(small.Image[0x0101], 0x08);
    EXPECT_EQ(small.Motor, 0) << "the port at $0001 is untouched";
    Cpu.SetMemory(&Mem);
}

}  // namespace
