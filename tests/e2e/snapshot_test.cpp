#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "run_tool.h"

// varlume-run's snapshots: a BASIC program saved in the middle of its run goes on, in a new
// run, exactly where it was.

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string Program = "--type '10 A=A+1:PRINT A:GOTO 10\\nRUN\\n'";

}  // namespace

TEST(RunnerSnapshot, AProgramSavedMidRunGoesOnInTheNextRunAsIfNeverStopped) {
    RequireRoms();
    TScratchDir dir;
    const std::string state = dir / "basic.vsn";
    const std::string outputs = " --dump 0000:65536 --screen-text --wav ";
    const auto whole = RunTool(Program + " --frames 400" + outputs + dir / "whole.wav" + " --screenshot " + dir / "whole.png");
    ASSERT_EQ(whole.Status, 0) << whole.Out;
    const auto first = RunTool(Program + " --frames 300 --save-snapshot " + state);
    ASSERT_EQ(first.Status, 0) << first.Out;
    const auto second = RunTool("--snapshot " + state + " --frames 100" + outputs + dir / "rest.wav" + " --screenshot " +
                                dir / "rest.png");
    ASSERT_EQ(second.Status, 0) << second.Out;
    EXPECT_TRUE(second.Out == whole.Out) << "RAM and screen differ";
    EXPECT_EQ(ReadAll(dir / "rest.png"), ReadAll(dir / "whole.png"));
    // The sound of the last 100 frames (44-byte header, 884.45 samples a frame) is the end of
    // the whole run's.
    const std::string wholeWav = ReadAll(dir / "whole.wav"), restWav = ReadAll(dir / "rest.wav");
    ASSERT_NEAR(double(restWav.size()), 44 + 100 * 884.45, 1.0);
    EXPECT_TRUE(restWav.substr(44) == wholeWav.substr(wholeWav.size() - (restWav.size() - 44)));
}

TEST(RunnerSnapshot, ATruncatedOrForeignSnapshotStopsTheRunWithItsReason) {
    RequireRoms();
    TScratchDir dir;
    const std::string state = dir / "basic.vsn";
    ASSERT_EQ(RunTool("--frames 10 --save-snapshot " + state).Status, 0);
    const std::string bytes = ReadAll(state);
    std::ofstream(dir / "cut.vsn", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    auto r = RunTool("--snapshot " + dir / "cut.vsn", true);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Out.find("The snapshot file is damaged or incomplete."), std::string::npos) << r.Out;
    r = RunTool("--snapshot " + dir / "missing.vsn", true);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Out.find("Cannot open the snapshot file."), std::string::npos) << r.Out;
    std::ofstream(dir / "text.vsn") << "hello";
    r = RunTool("--snapshot " + dir / "text.vsn", true);
    EXPECT_NE(r.Out.find("The file is not a Varlume snapshot."), std::string::npos) << r.Out;
}
