#include <gtest/gtest.h>

#include <sstream>

#include "run_tool.h"

// Breakpoints from the command line: the run stops at one and prints the debugger's register
// line and listing.

namespace {

// $0400: LDX #3; loop: DEX; BNE loop; STX $10; done: JMP done
const std::vector<uint8_t> CountDown = {0xA2, 0x03, 0xCA, 0xD0, 0xFD, 0x86, 0x10, 0x4C, 0x07, 0x04};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(RunnerBreak, StopsAtTheFirstBreakpointReachedAndPrintsRegistersAndListing) {
    TScratchDir dir;
    const auto prog = dir.Write("prog.bin", CountDown);
    const auto r = RunTool("--machine custom --rom-off --load 0400:" + prog + " --pc 0400 --break 0407 --break 0405");
    EXPECT_EQ(r.Status, 0) << r.Out;
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 18u) << r.Out;
    EXPECT_EQ(lines[0], "breakpoint $0405 reached in frame 1");
    EXPECT_EQ(lines[1], "PC:0405  A:00  X:00  Y:00  SP:FC  ..-...Z.");
    EXPECT_EQ(lines[2], "0405  86 10     STX $10");
    EXPECT_EQ(lines[3], "0407  4C 07 04  JMP $0407");
}

TEST(RunnerBreak, ARunThatReachesNoBreakpointEndsWithTwo) {
    TScratchDir dir;
    const auto prog = dir.Write("prog.bin", CountDown);
    const auto r = RunTool("--machine custom --rom-off --load 0400:" + prog + " --pc 0400 --break 0300 --frames 3");
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Out, "no breakpoint reached in 3 frames\n");
}

TEST(RunnerBreak, TakesSixteenBreakpointsAndRefusesMore) {
    std::string sixteen;
    for (int i = 0; i < 16; ++i) sixteen += " --break " + std::to_string(1000 + i);
    EXPECT_EQ(RunTool("--machine custom --frames 1" + sixteen + " --break 1000").Status, 2);  // a duplicate counts once
    const auto r = RunTool("--machine custom --frames 1" + sixteen + " --break 2000", true);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Out.find("at most 16 breakpoints"), std::string::npos) << r.Out;
    EXPECT_EQ(RunTool("--break 12345", true).Status, 1);
}

TEST(RunnerBreak, StopsTheBootedC16InItsKeyboardLoop) {
    RequireRoms();
    const auto r = RunTool("--machine c16 --break D90C --frames 200");
    EXPECT_EQ(r.Status, 0) << r.Out;
    const auto lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 18u) << r.Out;
    EXPECT_EQ(lines[1].substr(0, 9), "PC:D90C  ");
    EXPECT_EQ(lines[2], "D90C  0D 5D 05  ORA $055D");
}
