#include "cpu/micro_step_texts.h"

const TMicroStepText MicroStepTexts[MicroStepRecords] = {
    {0, {"Read next instruction byte (dummy), increment PC", "Push PCH on stack, decrement SP",
         "Push PCL on stack, decrement SP", "Push flags on stack (with B flag set), decrement SP", "Fetch PCL",
         "Fetch PCH"}},
    {1, {"Read next instruction byte (dummy)", "Increment SP", "Pull flags from stack, increment SP",
         "Pull PCL from stack, increment SP", "Pull PCH from stack", ""}},
    {2, {"Read next instruction byte (dummy)", "Increment SP", "Pull PCL from stack, increment SP",
         "Pull PCH from stack", "Increment PC", ""}},
    {3, {"Read next instruction byte (dummy)", "Push register on stack, decrement SP", "", "", "", ""}},
    {4, {"Read next instruction byte (dummy)", "Increment SP", "Pull register from stack", "", "", ""}},
    {5, {"Fetch low address byte, increment PC", "Internal operation (predecrement SP?)",
         "Push PCH on stack, decrement SP", "Push PCL on stack, decrement SP",
         "Copy low address byte to PCL, fetch high address byte to PCH", ""}},
    {6, {"Read next instruction byte (dummy), execute operation", "", "", "", "", ""}},
    {7, {"Fetch value, increment PC", "", "", "", "", ""}},
    {8, {"Fetch low address byte, increment PC", "Copy low address byte to PCL, fetch high address byte to PCH", "",
         "", "", ""}},
    {9, {"Fetch low byte of address, increment PC", "Fetch high byte of address, increment PC",
         "Read from effective address", "", "", ""}},
};

namespace {

constexpr int32_t BuildGroupEntry(int opcode) {
    switch (opcode) {
        case 0x00: return 0;  // BRK
        case 0x40: return 1;  // RTI
        case 0x60: return 2;  // RTS
        case 0x08: case 0x48: return 3;  // PHP, PHA
        case 0x28: case 0x68: return 4;  // PLP, PLA
        case 0x20: return 5;  // JSR
        // the implied one-byte instructions
        case 0x18: case 0x38: case 0x58: case 0x78: case 0x88: case 0x8A: case 0x98: case 0x9A: case 0xA8:
        case 0xAA: case 0xB8: case 0xBA: case 0xC8: case 0xCA: case 0xD8: case 0xE8: case 0xF8: return 6;
        case 0xA0: case 0xA2: case 0xA9: return 7;  // LDY, LDX, LDA immediate
        case 0x4C: return 8;  // JMP absolute
        // reads from an absolute address
        case 0x0D: case 0x2D: case 0x4D: case 0x6D: case 0xAC: case 0xAD: case 0xAE: case 0xAF: case 0xED: return 9;
        default: return -1;
    }
}

constexpr std::array<int32_t, 256> BuildGroup() {
    std::array<int32_t, 256> group{};
    for (int opcode = 0; opcode < 256; ++opcode) group[size_t(opcode)] = BuildGroupEntry(opcode);
    return group;
}

}  // namespace

const std::array<int32_t, 256> MicroStepGroup = BuildGroup();

std::string MicroStepLine(uint8_t opcode, uint32_t cycle, int line) {
    if (line == 1) return "Fetch opcode, increment PC";
    if (line < 2 || line > 7 || cycle == 1) return {};
    const int32_t group = MicroStepGroup[opcode];
    if (group < 0) return "???";
    return MicroStepTexts[group].Text[line - 2];
}
