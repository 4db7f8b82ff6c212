// The micro-code view's line texts.
#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "cpu/micro_step_texts.h"

TEST(MicroStepLine, NamesEachClockOfTheDescribedInstructions) {
    // BRK after its opcode fetch: record 0 on every line.
    EXPECT_EQ(MicroStepLine(0x00, 2, 1), "Fetch opcode, increment PC");
    EXPECT_EQ(MicroStepLine(0x00, 2, 2), "Read next instruction byte (dummy), increment PC");
    EXPECT_EQ(MicroStepLine(0x00, 2, 5), "Push flags on stack (with B flag set), decrement SP");
    EXPECT_EQ(MicroStepLine(0x00, 2, 7), "Fetch PCH");
    // LDA absolute: three clocks after the fetch, then nothing.
    EXPECT_EQ(MicroStepLine(0xAD, 3, 2), "Fetch low byte of address, increment PC");
    EXPECT_EQ(MicroStepLine(0xAD, 3, 4), "Read from effective address");
    for (int line = 5; line <= 7; ++line) EXPECT_EQ(MicroStepLine(0xAD, 3, line), "") << line;
    // STA absolute has no record.
    for (int line = 2; line <= 7; ++line) EXPECT_EQ(MicroStepLine(0x8D, 2, line), "???") << line;
}

TEST(MicroStepLine, AtAnInstructionBoundaryOnlyTheFetchIsNamed) {
    EXPECT_EQ(MicroStepLine(0x00, 1, 1), "Fetch opcode, increment PC");
    for (int line = 2; line <= 7; ++line) EXPECT_EQ(MicroStepLine(0x00, 1, line), "") << line;
    EXPECT_EQ(MicroStepLine(0x8D, 1, 2), "");
}

TEST(MicroStepGroup, DescribesExactlyTheListedOpcodes) {
    const std::vector<std::pair<int, std::vector<int>>> groups = {
        {0, {0x00}}, {1, {0x40}}, {2, {0x60}}, {3, {0x08, 0x48}}, {4, {0x28, 0x68}}, {5, {0x20}},
        {6, {0x18, 0x38, 0x58, 0x78, 0x88, 0x8A, 0x98, 0x9A, 0xA8, 0xAA, 0xB8, 0xBA, 0xC8, 0xCA, 0xD8, 0xE8, 0xF8}},
        {7, {0xA0, 0xA2, 0xA9}}, {8, {0x4C}}, {9, {0x0D, 0x2D, 0x4D, 0x6D, 0xAC, 0xAD, 0xAE, 0xAF, 0xED}}};
    std::array<int32_t, 256> expected;
    expected.fill(-1);
    for (const auto& [record, opcodes] : groups)
        for (int opcode : opcodes) expected[size_t(opcode)] = record;
    for (int opcode = 0; opcode < 256; ++opcode) EXPECT_EQ(MicroStepGroup[size_t(opcode)], expected[size_t(opcode)]) << opcode;
    for (int record = 0; record < MicroStepRecords; ++record) EXPECT_EQ(MicroStepTexts[record].Record, record);
}
