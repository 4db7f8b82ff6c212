// Clock count, length and number of bus accesses of all 256 opcodes, against a table of
// sequence families written here independently of the processor's opcode map.
#include <cstring>

#include "cpu_test_support.h"

namespace {

struct TFamilyTiming {
    const char* Code;
    int Clocks;       // without page crossing
    int CrossClocks;  // with page crossing (equal to Clocks where the family has none)
    int Length;       // bytes; 0 where the instruction sets PC itself or stays put
    int Reads;        // decoded reads, the opcode fetch included
    int Writes;       // decoded writes; stack accesses are not decoded
};

constexpr TFamilyTiming Families[] = {
    {"imp", 2, 2, 1, 1, 0}, {"imm", 2, 2, 2, 2, 0}, {"zpr", 3, 3, 2, 3, 0}, {"zpw", 3, 3, 2, 2, 1},
    {"zpm", 5, 5, 2, 3, 2}, {"zxr", 4, 4, 2, 3, 0}, {"zxw", 4, 4, 2, 2, 1}, {"zxm", 6, 6, 2, 3, 2},
    {"abr", 4, 4, 3, 4, 0}, {"abw", 4, 4, 3, 3, 1}, {"abm", 6, 6, 3, 4, 2}, {"axr", 4, 5, 3, 4, 0},
    {"axw", 4, 5, 3, 3, 1}, {"axm", 7, 7, 3, 4, 2}, {"ixr", 6, 6, 2, 5, 0}, {"ixw", 6, 6, 2, 4, 1},
    {"ixm", 8, 8, 2, 5, 2}, {"iyr", 5, 6, 2, 5, 0}, {"iyw", 5, 6, 2, 4, 1}, {"iym", 6, 7, 2, 5, 2},
    {"jmp", 3, 3, 0, 3, 0}, {"jmi", 5, 5, 0, 5, 0}, {"jsr", 6, 6, 0, 3, 0}, {"rts", 6, 6, 0, 1, 0},
    {"rti", 6, 6, 0, 1, 0}, {"brk", 7, 7, 0, 3, 0}, {"psh", 3, 3, 1, 1, 0}, {"pul", 4, 4, 1, 1, 0},
    {"no1", 2, 2, 1, 1, 0}, {"nob", 2, 2, 2, 1, 0}, {"noz", 3, 3, 2, 1, 0}, {"nzx", 4, 4, 2, 1, 0},
    {"noa", 4, 4, 3, 1, 0}, {"nax", 4, 5, 3, 3, 0}, {"jam", 2, 2, 0, 1, 0}, {"ill", 2, 2, 1, 1, 0},
};

// The family of every opcode, one row per high nibble; $4B runs as an immediate instruction.
const char* const OpcodeFamilies[16] = {
    /* $00 */ "brk ixr jam ill noz zpr zpm ill psh imm imp imm noa abr abm ill",
    /* $10 */ "rel iyr jam ill nzx zxr zxm ill imp axr no1 ill nax axr axm ill",
    /* $20 */ "jsr ixr jam ill zpr zpr zpm ill pul imm imp imm abr abr abm ill",
    /* $30 */ "rel iyr jam ill nzx zxr zxm ill imp axr no1 ill nax axr axm axm",
    /* $40 */ "rti ixr jam ill noz zpr zpm ill psh imm imp imm jmp abr abm abm",
    /* $50 */ "rel iyr jam iym nzx zxr zxm ill imp axr no1 ill nax axr axm ill",
    /* $60 */ "rts ixr jam ill noz zpr zpm ill pul imm imp ill jmi abr abm ill",
    /* $70 */ "rel iyr jam ill nzx zxr zxm ill imp axr no1 ill nax axr axm axm",
    /* $80 */ "nob ixw nob ill zpw zpw zpw ill imp nob imp ill abw abw abw abw",
    /* $90 */ "rel iyw jam ill zxw zxw zxw ill imp axw imp ill ill axw ill ill",
    /* $A0 */ "imm ixr imm ixr zpr zpr zpr zpr imp imm imp ill abr abr abr abr",
    /* $B0 */ "rel iyr jam iyr zxr zxr zxr zxr imp axr imp ill axr axr axr axr",
    /* $C0 */ "imm ixr nob ixm zpr zpr zpm zpm imp imm imp ill abr abr abm abm",
    /* $D0 */ "rel iyr jam ill nzx zxr zxm zxm imp axr no1 axm nax axr axm axm",
    /* $E0 */ "imm ixr nob ill zpr zpr zpm zpm imp imm imp imm abr abr abm abm",
    /* $F0 */ "rel iyr jam ill nzx zxr zxm zxm imp axr no1 axm nax axr axm axm",
};

std::string FamilyOf(int opcode) { return std::string(OpcodeFamilies[opcode >> 4] + (opcode & 15) * 4, 3); }

const TFamilyTiming* TimingOf(const std::string& code) {
    for (const auto& family : Families)
        if (code == family.Code) return &family;
    return nullptr;
}

class OpcodeTimingTest : public CpuTest {
protected:
    // Every operand byte, zero-page pointer and absolute address is $30 or $3030, so with
    // X = Y = $01 no index crosses a page and with X = Y = $FF every one does.
    void Prepare(uint8_t opcode, uint16_t pc, uint8_t index) {
        Cpu.PowerOn();
        Cpu.SP = 0xF0;
        Cpu.X = Cpu.Y = index;
        for (int a = 0x02; a <= 0xFF; ++a) Mem.Image[a] = 0x30;
        std::memset(Mem.Image + 0x3000, 0, 0x300);
        Poke(0x3030, {0x34, 0x12});          // JMP ($3030) target
        Poke(0x01F1, {0x00, 0x10, 0x25});    // RTS to $1001; RTI: status $00, PC $2510
        Poke(0xFFFE, {0x00, 0x40});          // BRK vector
        Place(pc, {opcode, 0x30, 0x30});
        Host.Events.clear();
        Mem.AccessLog.clear();
    }

    int Count(bool writes) const {
        int count = 0;
        for (const auto& access : Mem.AccessLog) count += access.IsWrite == writes;
        return count;
    }
};

uint16_t ExpectedPC(const std::string& family, const TFamilyTiming& timing) {
    if (family == "jmp" || family == "jsr") return 0x3030;
    if (family == "jmi") return 0x1234;
    if (family == "rts") return 0x1001;
    if (family == "rti") return 0x2510;
    if (family == "brk") return 0x4000;
    return uint16_t(0x2000 + timing.Length);
}

TEST_F(OpcodeTimingTest, EveryOpcodeHasItsFamilysClocksLengthAndBusAccesses) {
    int checked = 0;
    for (int opcode = 0; opcode < 256; ++opcode) {
        const std::string family = FamilyOf(opcode);
        if (family == "rel") continue;
        const TFamilyTiming* timing = TimingOf(family);
        ASSERT_NE(timing, nullptr) << family;
        for (const bool crossing : {false, true}) {
            SCOPED_TRACE(testing::Message() << "opcode $" << std::hex << opcode << " (" << family << ")"
                                            << (crossing ? " with page crossing" : ""));
            Prepare(uint8_t(opcode), 0x2000, crossing ? 0xFF : 0x01);
            const int clocks = RunInstruction();
            EXPECT_EQ(clocks, crossing ? timing->CrossClocks : timing->Clocks);
            EXPECT_EQ(Cpu.PC, ExpectedPC(family, *timing));
            EXPECT_EQ(Count(false), timing->Reads);
            EXPECT_EQ(Count(true), timing->Writes);
            EXPECT_EQ(Host.Events.size(), family == "ill" ? 3u : 0u);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2 * (256 - 8));
}

// Branch opcodes: bits 7-6 pick the flag (N, V, C, Z), bit 5 the value that takes the branch.
TEST_F(OpcodeTimingTest, BranchesTakeTwoThreeOrFourClocks) {
    for (int opcode = 0x10; opcode < 0x100; opcode += 0x20) {
        ASSERT_EQ(FamilyOf(opcode), "rel");
        SCOPED_TRACE(testing::Message() << "opcode $" << std::hex << opcode);
        uint8_t TCPU::*const flags[] = {&TCPU::N, &TCPU::V, &TCPU::C, &TCPU::Z};
        uint8_t TCPU::*const flag = flags[opcode >> 6];
        const bool takenWhenSet = opcode & 0x20;

        Prepare(uint8_t(opcode), 0x2000, 1);
        Cpu.*flag = takenWhenSet ? 0 : 1;
        EXPECT_EQ(RunInstruction(), 2);
        EXPECT_EQ(Cpu.PC, 0x2002);
        EXPECT_EQ(Count(false), 1) << "a branch not taken never reads its offset";

        Prepare(uint8_t(opcode), 0x2000, 1);
        Cpu.*flag = takenWhenSet ? 0x80 : 0;
        EXPECT_EQ(RunInstruction(), 3);
        EXPECT_EQ(Cpu.PC, 0x2032);
        EXPECT_EQ(Count(false), 2);

        Prepare(uint8_t(opcode), 0x20F0, 1);
        Cpu.*flag = takenWhenSet ? 0x40 : 0;
        EXPECT_EQ(RunInstruction(), 4);
        EXPECT_EQ(Cpu.PC, 0x2122);
        EXPECT_EQ(Count(false), 2);
    }
}

}  // namespace
