#include <gtest/gtest.h>

#include "run_tool.h"

// The ends a program under test decides: the debug register, --until-write, --until-text and
// --timeout-frames; and labels naming the addresses of a run.

namespace {

// $0400: LDA #value; STA $0600; STA $FDCF; spin: JMP spin
std::vector<uint8_t> Reporter(uint8_t value) {
    return {0xA9, value, 0x8D, 0x00, 0x06, 0x8D, 0xCF, 0xFD, 0x4C, 0x08, 0x04};
}

}  // namespace

TEST(RunnerStop, TheProgramsWriteDecidesTheExitStatus) {
    struct TCase {
        uint8_t Value;
        std::string Options;
        int Status;
        std::string Printed;
    };
    const TCase cases[] = {
        {0x00, "", 0, "$FDCF written with $00 in frame 1"},
        {0x05, "", 5, "$FDCF written with $05 in frame 1"},
        {0x09, "--until-write 0600 --frames 5", 9, "$0600 written with $09 in frame 1"},
        {0x05, "--no-debug-register --frames 2", 0, ""},
        {0x05, "--no-debug-register --timeout-frames 3", 3, "timed out after 3 frames"},
        {0x05, "--no-debug-register --until-write 0700 --frames 2", 2, "the write not reached in 2 frames"},
    };
    TScratchDir dir;
    for (const TCase& c : cases) {
        const auto prog = dir.Write("prog.bin", Reporter(c.Value));
        const auto r = RunTool("--machine custom --rom-off --load 0400:" + prog + " --pc 0400 " + c.Options);
        EXPECT_EQ(r.Status, c.Status) << c.Options << "\n" << r.Out;
        EXPECT_EQ(r.Out, c.Printed.empty() ? "" : c.Printed + "\n") << c.Options;
    }
    // Pages 0 and 1 have write paths of their own, which are not watched; a bound is needed.
    EXPECT_EQ(RunTool("--until-write 01FF --frames 1").Status, 1);
    EXPECT_EQ(RunTool("--until-text READY").Status, 1);
}

TEST(RunnerStop, AFailingRunShowsItsScreen) {
    RequireRoms();
    const auto r = RunTool("--until-text NEVER --timeout-frames 150", true);
    EXPECT_EQ(r.Status, 3);
    EXPECT_TRUE(Contains(r.Out, "timed out after 150 frames")) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "READY.")) << r.Out;
}

TEST(RunnerStop, UntilTextStopsAtTheFirstFrameShowingIt) {
    RequireRoms();
    const auto r = RunTool("--until-text ready. --timeout-frames 300");
    ASSERT_EQ(r.Status, 0) << r.Out;
    int frame = 0;
    ASSERT_EQ(std::sscanf(r.Out.c_str(), "text found in frame %d", &frame), 1) << r.Out;
    ASSERT_GT(frame, 1);
    EXPECT_FALSE(Contains(RunTool("--screen-text --frames " + std::to_string(frame - 1)).Out, "READY."));
    EXPECT_TRUE(Contains(RunTool("--screen-text --frames " + std::to_string(frame)).Out, "READY."));
}

TEST(RunnerStop, LabelsNameBreakpointsAndTheListing) {
    TScratchDir dir;
    const auto prog = dir.Write("prog.bin", Reporter(1));
    const std::string labels = "al C:0408 .spin\n; a comment\nresult = $0600\nbegin := $0400\n";
    const auto file = dir.Write("prog.lbl", std::vector<uint8_t>(labels.begin(), labels.end()));
    const auto r = RunTool("--machine custom --rom-off --labels " + file + " --load 0400:" + prog +
                           " --pc begin --no-debug-register --break spin");
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "breakpoint $0408 reached in frame 1\n")) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "\nspin:\n0408  4C 08 04  JMP spin\n")) << r.Out;
    EXPECT_EQ(RunTool("--labels " + file + " --break nowhere").Status, 1);
    EXPECT_EQ(RunTool("--labels " + dir / "missing.lbl").Status, 1);
}
