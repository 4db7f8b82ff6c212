// Clock count, length and number of bus accesses of all 256 opcodes, against a table of
// sequence families written here from the NMOS 6502's published timing, independently of the
// processor's opcode map.
#include <cstring>

#include "cpu_test_support.h"

namespace {

struct TFamilyTiming {
    const char* Code;
    int Clocks;       // without page crossing
    int CrossClocks;  // with page crossing (equal to Clocks where the family has none)
    int Length;       // bytes; 0 where the instruction sets PC itself or stays put
    int Writes;       // bus writes, stack pushes included; every other clock reads
};

// The NMOS 6502's clock counts: stores with an index always spend the fix-up clock,
// read-modify-writes take 5 to 8 clocks, every clock is a bus access.
constexpr TFamilyTiming Families[] = {
    {"imp", 2, 2, 1, 0}, {"imm", 2, 2, 2, 0}, {"zpr", 3, 3, 2, 0}, {"zpw", 3, 3, 2, 1}, {"zpm", 5, 5, 2, 2},
    {"zxr", 4, 4, 2, 0}, {"zxw", 4, 4, 2, 1}, {"zxm", 6, 6, 2, 2}, {"abr", 4, 4, 3, 0}, {"abw", 4, 4, 3, 1},
    {"abm", 6, 6, 3, 2}, {"axr", 4, 5, 3, 0}, {"axw", 5, 5, 3, 1}, {"axm", 7, 7, 3, 2}, {"axu", 5, 5, 3, 1},
    {"ixr", 6, 6, 2, 0}, {"ixw", 6, 6, 2, 1}, {"ixm", 8, 8, 2, 2}, {"iyr", 5, 6, 2, 0}, {"iyw", 6, 6, 2, 1},
    {"iym", 8, 8, 2, 2}, {"iyu", 6, 6, 2, 1}, {"jmp", 3, 3, 0, 0}, {"jmi", 5, 5, 0, 0}, {"jsr", 6, 6, 0, 2},
    {"rts", 6, 6, 0, 0}, {"rti", 6, 6, 0, 0}, {"brk", 7, 7, 0, 3}, {"psh", 3, 3, 1, 1}, {"pul", 4, 4, 1, 0},
    {"jam", 2, 2, 0, 0},
};

// The family of every opcode, one row per high nibble, from the NMOS opcode table (the
// undocumented NOPs read like the loads of their mode; abs,Y counts as axr/axw/axm/axu).
const char* const OpcodeFamilies[16] = {
    /* $00 */ "brk ixr jam ixm zpr zpr zpm zpm psh imm imp imm abr abr abm abm",
    /* $10 */ "rel iyr jam iym zxr zxr zxm zxm imp axr imp axm axr axr axm axm",
    /* $20 */ "jsr ixr jam ixm zpr zpr zpm zpm pul imm imp imm abr abr abm abm",
    /* $30 */ "rel iyr jam iym zxr zxr zxm zxm imp axr imp axm axr axr axm axm",
    /* $40 */ "rti ixr jam ixm zpr zpr zpm zpm psh imm imp imm jmp abr abm abm",
    /* $50 */ "rel iyr jam iym zxr zxr zxm zxm imp axr imp axm axr axr axm axm",
    /* $60 */ "rts ixr jam ixm zpr zpr zpm zpm pul imm imp imm jmi abr abm abm",
    /* $70 */ "rel iyr jam iym zxr zxr zxm zxm imp axr imp axm axr axr axm axm",
    /* $80 */ "imm ixw imm ixw zpw zpw zpw zpw imp imm imp imm abw abw abw abw",
    /* $90 */ "rel iyw jam iyu zxw zxw zxw zxw imp axw imp axu axu axw axu axu",
    /* $A0 */ "imm ixr imm ixr zpr zpr zpr zpr imp imm imp imm abr abr abr abr",
    /* $B0 */ "rel iyr jam iyr zxr zxr zxr zxr imp axr imp axr axr axr axr axr",
    /* $C0 */ "imm ixr imm ixm zpr zpr zpm zpm imp imm imp imm abr abr abm abm",
    /* $D0 */ "rel iyr jam iym zxr zxr zxm zxm imp axr imp axm axr axr axm axm",
    /* $E0 */ "imm ixr imm ixm zpr zpr zpm zpm imp imm imp imm abr abr abm abm",
    /* $F0 */ "rel iyr jam iym zxr zxr zxm zxm imp axr imp axm axr axr axm axm",
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
    if (family == "jam") return 0x2000;
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
            EXPECT_EQ(TCPU::WholeInstructionClocks(uint8_t(opcode)), uint32_t(timing->CrossClocks));
            EXPECT_EQ(Cpu.PC, ExpectedPC(family, *timing));
            EXPECT_EQ(Count(false) + Count(true), clocks) << "one bus access per clock";
            EXPECT_EQ(Count(true), timing->Writes);
            // Undocumented opcodes run, and the first met at an address is noted in the log.
            EXPECT_EQ(Host.Events.size(), TCPU::IsUndocumented(uint8_t(opcode)) ? 1u : 0u);
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
        EXPECT_EQ(Count(false), 2);

        Prepare(uint8_t(opcode), 0x2000, 1);
        Cpu.*flag = takenWhenSet ? 0x80 : 0;
        EXPECT_EQ(RunInstruction(), 3);
        EXPECT_EQ(Cpu.PC, 0x2032);
        EXPECT_EQ(Count(false), 3);

        Prepare(uint8_t(opcode), 0x20F0, 1);
        Cpu.*flag = takenWhenSet ? 0x40 : 0;
        EXPECT_EQ(RunInstruction(), 4);
        EXPECT_EQ(Cpu.PC, 0x2122);
        EXPECT_EQ(Count(false), 4);
    }
}

}  // namespace
