// The micro-code view's line texts, read off each opcode's sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cpu/cpu.h"
#include "cpu/micro_step_texts.h"

namespace {

std::vector<std::string> Lines(uint8_t opcode, bool entry = false) {
    std::vector<std::string> lines;
    for (int line = 1; line <= MicroStepLines; ++line) lines.push_back(MicroStepLine(opcode, 2, line, entry));
    return lines;
}

}  // namespace

// The texts the view has always shown for these instructions stay as they were.
TEST(MicroStepLine, TheLongKnownInstructionsKeepTheirTexts) {
    const std::string fetch = "Fetch opcode, increment PC", dummy = "Read next instruction byte (dummy)";
    EXPECT_EQ(Lines(0x00), std::vector<std::string>({fetch, "Read next instruction byte (dummy), increment PC",
                                                     "Push PCH on stack, decrement SP", "Push PCL on stack, decrement SP",
                                                     "Push flags on stack (with B flag set), decrement SP", "Fetch PCL",
                                                     "Fetch PCH", ""}));
    EXPECT_EQ(Lines(0x40), std::vector<std::string>({fetch, dummy, "Increment SP", "Pull flags from stack, increment SP",
                                                     "Pull PCL from stack, increment SP", "Pull PCH from stack", "", ""}));
    EXPECT_EQ(Lines(0x60), std::vector<std::string>({fetch, dummy, "Increment SP", "Pull PCL from stack, increment SP",
                                                     "Pull PCH from stack", "Increment PC", "", ""}));
    EXPECT_EQ(Lines(0x48)[2], "Push register on stack, decrement SP");
    EXPECT_EQ(Lines(0x68)[3], "Pull register from stack");
    EXPECT_EQ(Lines(0x20)[2], "Internal operation (predecrement SP?)");
    EXPECT_EQ(Lines(0x20)[5], "Copy low address byte to PCL, fetch high address byte to PCH");
    EXPECT_EQ(Lines(0xE8)[1], "Read next instruction byte (dummy), execute operation");
    EXPECT_EQ(Lines(0xA9)[1], "Fetch value, increment PC");
    EXPECT_EQ(Lines(0x4C)[1], "Fetch low address byte, increment PC");
    EXPECT_EQ(Lines(0xAD), std::vector<std::string>({fetch, "Fetch low byte of address, increment PC",
                                                     "Fetch high byte of address, increment PC",
                                                     "Read from effective address", "", "", "", ""}));
}

// Every clock of every sequence is named, and no line past it.
TEST(MicroStepLine, EveryClockOfEveryOpcodeIsNamedAndTheEntryHasItsOwn) {
    for (int opcode = 0; opcode < 256; ++opcode) {
        const uint32_t clocks = TCPU::WholeInstructionClocks(uint8_t(opcode));
        const std::vector<std::string> lines = Lines(uint8_t(opcode));
        for (int line = 1; line <= MicroStepLines; ++line)
            EXPECT_EQ(lines[size_t(line - 1)].empty(), uint32_t(line) > clocks) << opcode << " line " << line;
    }
    const std::vector<std::string> entry = Lines(0x00, true);
    EXPECT_EQ(entry[0], "Fetch opcode (dummy), take the interrupt");
    EXPECT_EQ(entry[1], "Read next instruction byte (dummy)");
    EXPECT_EQ(entry[4], "Push flags on stack (with B flag clear), decrement SP");
    EXPECT_EQ(entry[6], "Fetch PCH");
}

TEST(MicroStepLine, AtAnInstructionBoundaryOnlyTheFetchIsNamed) {
    EXPECT_EQ(MicroStepLine(0x00, 1, 1), "Fetch opcode, increment PC");
    for (int line = 2; line <= MicroStepLines; ++line) EXPECT_EQ(MicroStepLine(0x00, 1, line), "") << line;
}
