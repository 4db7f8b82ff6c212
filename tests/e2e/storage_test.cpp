#include <gtest/gtest.h>

#include "media/d64_builder.h"
#include "run_tool.h"

// The KERNAL's own LOAD and SAVE through the drive port, PRG files and tape.

namespace {

// 10 PRINT "HI"
const std::vector<uint8_t> HelloPrg = {0x01, 0x10, 0x0B, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x48, 0x49, 0x22, 0x00, 0x00, 0x00};

std::string D64With(const TScratchDir& dir, const std::string& file) {
    media_test::TD64Builder disk;
    disk.SetTitle("VARLUME TEST", "VT", "2A");
    disk.AddFile("HELLO", HelloPrg);
    return dir.Write(file, disk.Image);
}

}  // namespace

TEST(Storage, DirectoryListingOfAHostDirectory) {
    RequireRoms();
    TScratchDir dir;
    dir.Write("hello.prg", HelloPrg);
    dir.Write("notes.txt", {1, 2, 3});
    const auto r = RunTool("--machine plus4 --drive8 " + dir.Path.string() + " --type 'LOAD\"$\",8\\nLIST\\n' --frames 600 --screen-text");
    EXPECT_EQ(r.Status, 0);
    const auto listing = AfterLast(r.Out, "LIST");
    EXPECT_TRUE(Contains(listing, "0 \"VARLUME DIR (8) \" 00 2A\n1    \"HELLO\"            PRG\n")) << r.Out;
    EXPECT_TRUE(Contains(listing, " BLOCKS FREE.")) << r.Out;
    EXPECT_FALSE(Contains(listing, "NOTES")) << r.Out;
}

TEST(Storage, LoadAndRunFromADirectoryOnEitherDrive) {
    RequireRoms();
    TScratchDir dir;
    dir.Write("hello.prg", HelloPrg);
    for (const std::string device : {"8", "9"}) {
        const auto r = RunTool("--machine c16 --drive" + device + " " + dir.Path.string() + " --type 'LOAD\"HELLO\"," +
                               device + "\\nRUN\\n' --frames 400 --screen-text");
        EXPECT_EQ(r.Status, 0) << device;
        EXPECT_EQ(AfterLast(r.Out, "RUN").substr(0, 3), "HI\n") << r.Out;
    }
}

TEST(Storage, ListingAndLoadingFromAD64OnEitherDrive) {
    RequireRoms();
    TScratchDir dir;
    const auto d64 = D64With(dir, "disk.d64");
    for (const std::string device : {"8", "9"}) {
        const auto listing = RunTool("--machine c16 --drive" + device + " " + d64 + " --type 'LOAD\"$\"," + device +
                                     "\\nLIST\\n' --frames 400 --screen-text");
        EXPECT_TRUE(Contains(AfterLast(listing.Out, "LIST"), "0 \"VARLUME TEST    \" VT 2A\n1    \"HELLO\"            PRG\n"))
            << listing.Out;
        const auto run = RunTool("--machine c16 --drive" + device + " " + d64 + " --type 'LOAD\"HELLO\"," + device +
                                 "\\nRUN\\n' --frames 400 --screen-text");
        EXPECT_EQ(AfterLast(run.Out, "RUN").substr(0, 3), "HI\n") << run.Out;
    }
}

TEST(Storage, AD64ThatIsNotAWholeImageIsRefused) {
    TScratchDir dir;
    const auto bad = dir.Write("short.d64", std::vector<uint8_t>(1000, 0));
    const auto r = RunTool("--machine custom --drive8 " + bad + " --frames 1", true);
    EXPECT_EQ(r.Status, 1);
    EXPECT_TRUE(Contains(r.Out, "short.d64")) << r.Out;
}

TEST(Storage, APrgGivenOnTheCommandLineLoadsAndRuns) {
    RequireRoms();
    TScratchDir dir;
    const auto r = RunTool("--machine c16 --prg " + dir.Write("hello.prg", HelloPrg) + " --frames 100 --screen-text");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(AfterLast(r.Out, "RUN").substr(0, 3), "HI\n") << r.Out;
}

TEST(Storage, AProgramSavedAsPrgRunsTheSameInANewRun) {
    RequireRoms();
    TScratchDir dir;
    const auto saved = dir / "saved.prg";
    const auto first = RunTool("--machine c16 --type '10 PRINT 6*7;\"SAVED\"\\nRUN\\n' --frames 200 --screen-text --save-prg 1001:1020:" + saved);
    ASSERT_EQ(first.Status, 0);
    ASSERT_EQ(AfterLast(first.Out, "RUN").substr(0, 9), " 42 SAVED") << first.Out;
    const auto second = RunTool("--machine c16 --prg " + saved + " --frames 100 --screen-text");
    EXPECT_EQ(AfterLast(second.Out, "RUN").substr(0, 9), " 42 SAVED") << second.Out;

    // The same program from a D64 on drive 9.
    std::ifstream in(saved, std::ios::binary);
    media_test::TD64Builder disk;
    disk.AddFile("PROG", std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    const auto d64 = dir.Write("prog.d64", disk.Image);
    const auto third = RunTool("--machine c16 --drive9 " + d64 + " --type 'LOAD\"PROG\",9\\nRUN\\n' --frames 400 --screen-text");
    EXPECT_EQ(AfterLast(third.Out, "RUN").substr(0, 9), " 42 SAVED") << third.Out;
}

TEST(Storage, AProgramSavedToTapeLoadsBackAndRuns) {
    RequireRoms();
    TScratchDir dir;
    const auto tap = dir / "prog.tap";
    const auto save = RunTool("--machine c16 --record-tap " + tap + " --type '10 PRINT \"TAPE\"\\nSAVE\"X\"\\n' --frames 2000 --screen-text");
    ASSERT_EQ(save.Status, 0);
    ASSERT_TRUE(Contains(save.Out, "SAVING X")) << save.Out;
    const auto load = RunTool("--machine c16 --tap " + tap + " --play --type 'LOAD\\nRUN\\n' --frames 4000 --screen-text");
    EXPECT_EQ(load.Status, 0);
    EXPECT_TRUE(Contains(load.Out, "FOUND X")) << load.Out;
    EXPECT_EQ(AfterLast(load.Out, "RUN").substr(0, 5), "TAPE\n") << load.Out;
}
