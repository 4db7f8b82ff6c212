// Typing into programs that read the keyboard themselves, and the runner's options around a
// run: --keys, --keybuf, --prg with --type, --until-pc alone, the trace's columns, a snapshot
// with its drive.
#include <gtest/gtest.h>

#include <sstream>

#include "e2e/run_tool.h"

namespace {

// 10 SYS4109, then a key loop of its own: each key GETIN returns is stored from $3000 on
// until RETURN, where it stops at $101F.
const std::vector<uint8_t> KeyLoopPrg = {
    0x01, 0x10, 0x0B, 0x10, 0x0A, 0x00, 0x9E, '4', '1', '0', '9', 0x00, 0x00, 0x00,
    0x20, 0xE4, 0xFF,  // $100D JSR GETIN
    0xF0, 0xFB,        //       BEQ $100D
    0xC9, 0x0D,        //       CMP #RETURN
    0xF0, 0x09,        //       BEQ $101F
    0x8D, 0x00, 0x30,  //       STA $3000 (its low byte counts up)
    0xEE, 0x17, 0x10,  //       INC $1017
    0x4C, 0x0D, 0x10,  //       JMP $100D
    0x4C, 0x1F, 0x10,  // $101F JMP $101F
};

// 10 PRINT"LOADED"
const std::vector<uint8_t> PrintPrg = {0x01, 0x10, 0x0F, 0x10, 0x0A, 0x00, 0x99, '"', 'L', 'O', 'A',
                                       'D',  'E',  'D',  '"',  0x00, 0x00, 0x00};

}  // namespace

TEST(RunnerTyping, AProgramWithItsOwnKeyLoopGetsKeysAndKeyBufferText) {
    RequireRoms();
    TScratchDir dir;
    const auto prg = dir.Write("keys.prg", KeyLoopPrg);
    // --type would wait for the ROM's input loop, which this program never enters.
    for (const char* input : {"--keys '300:Hello\\n'", "--keybuf 'Hello\\n'"}) {
        const auto r = RunTool("--machine c16 --prg " + prg + " " + std::string(input) + " --until-pc 101F --dump 3000:5");
        EXPECT_EQ(r.Status, 0) << input << "\n" << r.Out;
        EXPECT_TRUE(Contains(r.Out, "3000: 48 45 4C 4C 4F\n")) << input << "\n" << r.Out;
    }
}

TEST(RunnerTyping, TypedTextFollowsThePrgsRun) {
    RequireRoms();
    TScratchDir dir;
    const auto prg = dir.Write("print.prg", PrintPrg);
    const auto r = RunTool("--machine c16 --prg " + prg + " --type 'PRINT 6*7\\n' --frames 400 --screen-text");
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "\nRUN\nLOADED\n")) << r.Out;
    EXPECT_EQ(AfterLast(r.Out, "PRINT 6*7").substr(0, 4), " 42\n") << r.Out;
}

TEST(RunnerTyping, UntilPcAloneRunsUntilReachedAndAMissedOneEndsWithTwo) {
    TScratchDir dir;
    // $0400: INX; BNE $0400; JMP $0400 — $0403 is reached after 256 loops.
    const auto prog = dir.Write("loop.bin", {0xE8, 0xD0, 0xFD, 0x4C, 0x00, 0x04});
    const std::string run = "--machine custom --rom-off --load 0400:" + prog + " --pc 0400";
    EXPECT_EQ(RunTool(run + " --until-pc 0403").Status, 0);
    const auto missed = RunTool(run + " --until-pc 2000 --frames 3");
    EXPECT_EQ(missed.Status, 2);
    EXPECT_TRUE(Contains(missed.Out, "$2000 not reached in 3 frames")) << missed.Out;
}

TEST(RunnerTyping, TraceColumnsLineUpWithAndWithoutARegisterComment) {
    TScratchDir dir;
    // LDA #$01; STA $FF15 (commented); NOP; JMP $0400
    const auto prog = dir.Write("trace.bin", {0xA9, 0x01, 0x8D, 0x15, 0xFF, 0xEA, 0x4C, 0x00, 0x04});
    const auto r = RunTool("--machine custom --rom-off --load 0400:" + prog + " --pc 0400 --max-cycles 20 --trace", true);
    std::istringstream lines(r.Out);
    std::string line;
    size_t column = std::string::npos;
    int traced = 0;
    while (std::getline(lines, line)) {
        const size_t at = line.find(" A:");
        if (at == std::string::npos || line.find("cycles:") == std::string::npos) continue;
        if (column == std::string::npos) column = at;
        EXPECT_EQ(at, column) << line;
        ++traced;
    }
    EXPECT_GE(traced, 4) << r.Out;
}

TEST(RunnerTyping, ASnapshotsDriveOnTheSamePathKeepsItsOpenFile) {
    RequireRoms();
    TScratchDir dir;
    dir.Write("hello.prg", {0x01, 0x10, 0x2A});
    const auto snapshot = dir / "open.vsn";
    const std::string drive = " --drive8 " + dir.Path.string();
    // Stopped with the file open; CONT reads on (RUN and a new line would close it).
    const auto opened = RunTool("--machine c16" + drive + " --type '1OPEN1,8,2,\"HELLO\":STOP\\n2GET#1,A$:PRINTASC(A$)\\nRUN\\n' "
                                "--frames 400 --save-snapshot " + snapshot);
    ASSERT_EQ(opened.Status, 0) << opened.Out;
    const auto read = RunTool("--snapshot " + snapshot + drive + " --type 'CONT\\n' --frames 100 --screen-text");
    EXPECT_EQ(read.Status, 0) << read.Out;
    EXPECT_EQ(AfterLast(read.Out, "CONT").substr(0, 3), " 1\n") << read.Out;
}

TEST(RunnerTyping, WithoutRomsBesideItTheRunnerReadsTheUsersRomDirectory) {
    RequireRoms();
    TScratchDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.Path / "bin");
    fs::create_directories(dir.Path / "data/varlume/roms");
    fs::copy_file(BinDir() + "/varlume-run", dir.Path / "bin/varlume-run");
    fs::permissions(dir.Path / "bin/varlume-run", fs::perms::owner_exec, fs::perm_options::add);
    for (const char* rom : {"basic.bin", "kernal.bin"}) fs::copy_file(BinDir() + "/" + rom, dir.Path / "data/varlume/roms" / rom);
    const std::string command = "XDG_DATA_HOME=" + (dir.Path / "data").string() + " " + (dir.Path / "bin/varlume-run").string() +
                                " --machine c16 --frames 150 --screen-text";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << out;
    EXPECT_TRUE(Contains(out, "READY.")) << out;
}
