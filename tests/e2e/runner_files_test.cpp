#include <gtest/gtest.h>
#include <sys/stat.h>

#include "media/d64_builder.h"
#include "run_tool.h"

// What the runner does with the files it is given: inputs that are not regular files, saves
// onto files that exist or that the run itself reads, and a tape on which nothing was recorded.

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The runner under a time limit: a run that blocks on a file ends with status 124.
TToolResult RunWithin(const std::string& arguments) {
    return RunTool(arguments, true, "timeout 20 ");
}

TEST(RunnerFiles, AnInputThatIsNotARegularFileIsRefusedAtOnce) {
    TScratchDir dir;
    const std::string pipe = dir / "pipe";
    ::mkfifo(pipe.c_str(), 0600);
    for (const std::string option : {"--tap", "--prg", "--drive8", "--snapshot", "--load 1000:"}) {
        const auto r = RunWithin("--machine custom " + option + (option.back() == ':' ? "" : " ") + pipe + " --frames 1");
        EXPECT_EQ(r.Status, 1) << option << r.Out;
        EXPECT_TRUE(Contains(r.Out, "'" + pipe + "' is not a regular file")) << option << r.Out;
    }
    // ROM images of that kind are not loaded, and a machine without its ROMs is not run.
    ::mkfifo((dir / "basic.bin").c_str(), 0600);
    ::mkfifo((dir / "kernal.bin").c_str(), 0600);
    const auto r = RunWithin("--machine c16 --rom-dir " + dir.Path.string() + " --frames 1");
    EXPECT_EQ(r.Status, 1) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "Cannot load file: 'basic.bin'")) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "ROM images could not all be loaded")) << r.Out;
}

TEST(RunnerFiles, ASaveReplacesAFileOnlyWhenForcedAndNeverOneTheRunReads) {
    TScratchDir dir;
    const Bytes old = {0x01, 0x10, 0xAA};
    const std::string out = dir.Write("out.prg", old);
    const auto refused = RunWithin("--machine custom --frames 1 --save-prg 1001:1010:" + out);
    EXPECT_EQ(refused.Status, 1);
    EXPECT_TRUE(Contains(refused.Out, "'" + out + "' already exists (--force replaces it)")) << refused.Out;
    EXPECT_EQ(FileBytes(out), old);
    EXPECT_EQ(RunWithin("--machine custom --frames 1 --force --save-prg 1001:1010:" + out).Status, 0);
    EXPECT_EQ(FileBytes(out).size(), 18u);

    // The disk in a drive, the program loaded and the tape are read by the run: --force does
    // not let a save replace them, under their own name or another.
    media_test::TD64Builder disk;
    const std::string d64 = dir.Write("disk.d64", disk.Image);
    const std::string tap = dir.Write("in.tap", {'C', '1', '6', 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0, 0, 1, 0, 0, 0, 9});
    std::filesystem::create_symlink(d64, dir / "alias.d64");
    const std::vector<std::string> attempts = {
        "--drive8 " + d64 + " --save-prg 1001:1010:" + d64,
        "--drive9 " + d64 + " --save-prg 1001:1010:" + (dir / "alias.d64"),
        "--drive8 " + d64 + " --record-tap " + d64,
        "--prg " + out + " --save-prg 1001:1010:" + out,
        "--tap " + tap + " --save-prg 1001:1010:" + tap,
        "--load 2000:" + out + " --record-tap " + out,
        "--drive8 " + d64 + " --save-snapshot " + d64,
    };
    for (const std::string& attempt : attempts) {
        const auto r = RunWithin("--machine custom --frames 1 --force " + attempt);
        EXPECT_EQ(r.Status, 1) << attempt;
        EXPECT_TRUE(Contains(r.Out, "is read by this run")) << attempt << r.Out;
    }
    EXPECT_EQ(FileBytes(d64), disk.Image);
    EXPECT_EQ(FileBytes(out).size(), 18u);
    const auto both = RunWithin("--machine custom --frames 1 --save-prg 1001:1010:" + (dir / "x") + " --record-tap " + (dir / "x"));
    EXPECT_EQ(both.Status, 1);
    EXPECT_TRUE(Contains(both.Out, "name the same file")) << both.Out;
    // A snapshot is a save like the others: an existing one is replaced only when forced.
    const std::string state = dir.Write("state.vsn", old);
    const auto snapshot = RunWithin("--machine custom --frames 1 --save-snapshot " + state);
    EXPECT_EQ(snapshot.Status, 1);
    EXPECT_TRUE(Contains(snapshot.Out, "'" + state + "' already exists")) << snapshot.Out;
    EXPECT_EQ(FileBytes(state), old);
}

// The target is checked again at the end: here the machine's own SAVE made it during the run.
TEST(RunnerFiles, AFileMadeDuringTheRunIsNotWrittenOver) {
    RequireRoms();
    TScratchDir dir;
    const auto r = RunWithin("--machine c16 --drive8 " + dir.Path.string() + " --type '10 REM\\nSAVE\"OUT\",8\\n' "
                             "--frames 400 --save-prg 0000:00FF:" + (dir / "OUT.PRG"));
    EXPECT_EQ(r.Status, 1) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "already exists")) << r.Out;
    const Bytes saved = FileBytes(dir / "OUT.PRG");
    ASSERT_GE(saved.size(), 2u);
    EXPECT_EQ(saved[0], 0x01);  // BASIC's program, saved from $1001
    EXPECT_EQ(saved[1], 0x10);
}

// A tape with no pulse would be a bare 20-byte header that no loader takes.
TEST(RunnerFiles, ATapeOnWhichNothingWasRecordedIsNotWritten) {
    RequireRoms();
    TScratchDir dir;
    const auto r = RunWithin("--machine c16 --frames 60 --record-tap " + (dir / "empty.tap"));
    EXPECT_EQ(r.Status, 1) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "nothing was recorded on the tape")) << r.Out;
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.tap"));
}

}  // namespace
