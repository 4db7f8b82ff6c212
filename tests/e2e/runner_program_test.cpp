#include <gtest/gtest.h>

#include "run_tool.h"

// Raw 6502 programs in the ROM-less machine, from the command line.

namespace {

// LDX #0; loop: TXA; STA $10,X; INX; CPX #16; BNE loop; done: JMP done
const std::vector<uint8_t> FillZeroPage = {0xA2, 0x00, 0x8A, 0x95, 0x10, 0xE8, 0xE0, 0x10,
                                           0xD0, 0xF8, 0x4C, 0x0A, 0x04};

}  // namespace

TEST(RunnerProgram, RunsUntilThePcIsReachedAndDumpsMemory) {
    TScratchDir dir;
    const auto prog = dir.Write("prog.bin", FillZeroPage);
    const auto r = RunTool("--machine custom --rom-off --load 0400:" + prog +
                           " --pc 0400 --until-pc 040A --max-cycles 100000 --dump 0010:16");
    EXPECT_EQ(r.Status, 0);
    // 2 for LDX, then 16 rounds of TXA 2, STA zp,X 4, INX 2, CPX 2, BNE 3 (2 on the last): 209.
    EXPECT_NE(r.Out.find("reached $040A after 209 cycles"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("0010: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n"), std::string::npos) << r.Out;
}

TEST(RunnerProgram, ExitsWithTwoWhenTheCycleBudgetRunsOut) {
    TScratchDir dir;
    const auto prog = dir.Write("prog.bin", FillZeroPage);
    const auto r = RunTool("--machine custom --rom-off --load 0400:" + prog + " --pc 0400 --until-pc 2000 --max-cycles 500");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Out.find("after 500 cycles"), std::string::npos) << r.Out;
}

TEST(RunnerProgram, BadUsageAndUnreadableFilesExitWithOne) {
    TScratchDir dir;
    for (const std::string& args : std::vector<std::string>{"--bogus", "--machine c64", "--frames x", "--pc 12345", "--dump 0010",
                                   "--load 0400:" + dir / "missing.bin", "--keys 5", "--keys x:A",
                                   "--reset 5", "--reset 5:warm", "--reset -1:soft"}) {
        const auto r = RunTool(args, true);
        EXPECT_EQ(r.Status, 1) << args;
        EXPECT_NE(r.Out.find("varlume-run: "), std::string::npos) << args;
    }
}

TEST(RunnerProgram, BrkTakesTheProgramsOwnVectorFromRamWhenTheRomIsOff) {
    TScratchDir dir;
    // $0400: BRK, padding; handler at $0500: LDA #$42; STA $20; stop: JMP stop
    std::vector<uint8_t> prog(0x110, 0xEA);
    prog[0] = 0x00;
    const std::vector<uint8_t> handler = {0xA9, 0x42, 0x85, 0x20, 0x4C, 0x04, 0x05};
    std::copy(handler.begin(), handler.end(), prog.begin() + 0x100);
    const auto progFile = dir.Write("prog.bin", prog);
    const auto vector = dir.Write("vector.bin", {0x00, 0x05});
    const auto r = RunTool("--machine custom --rom-off --load 0400:" + progFile + " --load FFFE:" + vector +
                           " --pc 0400 --until-pc 0504 --max-cycles 1000 --dump 0020:1");
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_NE(r.Out.find("0020: 42"), std::string::npos) << r.Out;
}
