#include <gtest/gtest.h>

#include "media/d64_builder.h"
#include "run_tool.h"

// Files that are not what they seem, through the real KERNAL: empty files, directories larger
// than any disk's, and links that lead out of the drive's directory.

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes HelloPrg = {0x01, 0x10, 0x0B, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x48, 0x49, 0x22, 0x00, 0x00, 0x00};

// After the typed lines the machine still answers: a sum is printed and READY follows.
void ExpectMachineWhole(const TToolResult& r) {
    EXPECT_EQ(r.Status, 0) << r.Out;
    EXPECT_EQ(AfterLast(r.Out, "PRINT 6*7").substr(0, 4), " 42\n") << r.Out;
}

TEST(DriveFaults, AnEmptyFileIsNotFoundAndLoadEndsAtOnce) {
    RequireRoms();
    TScratchDir dir;
    dir.Write("empty.prg", {});
    media_test::TD64Builder disk;
    for (int index : {0, 1}) {
        disk.Sector(1, index)[0] = 0;
        disk.Sector(1, index)[1] = uint8_t(index);
    }
    disk.AddEntry("NONE", 0x82, {1, 0}, 1);
    disk.AddEntry("ONE", 0x82, {1, 1}, 1);
    const auto d64 = dir.Write("empty.d64", disk.Image);
    const auto r = RunTool("--machine plus4 --drive8 " + dir.Path.string() + " --drive9 " + d64 +
                           " --type 'LOAD\"EMPTY\",8\\nLOAD\"NONE\",9\\nLOAD\"ONE\",9,1\\nPRINT DS$\\nPRINT 6*7\\n' "
                           "--frames 700 --screen-text");
    for (const char* name : {"EMPTY", "NONE", "ONE"})
        EXPECT_TRUE(Contains(r.Out, std::string("SEARCHING FOR ") + name + "\n?FILE NOT FOUND ERROR\n")) << name << r.Out;
    EXPECT_TRUE(Contains(r.Out, "PRINT DS$\n62,FILE NOT FOUND,00,00\n")) << r.Out;
    ExpectMachineWhole(r);
}

// 2100 host files make a listing of 67 KB; it is cut so that it ends below the top of BASIC's
// memory, on a 64 KB machine and on a 16 KB one, and the machine goes on.
TEST(DriveFaults, AHugeDirectoryIsCutToFitTheMachine) {
    RequireRoms();
    TScratchDir dir;
    for (int i = 0; i < 2100; ++i) dir.Write("file" + std::to_string(i) + ".prg", HelloPrg);
    for (const auto& [machine, top] : {std::pair{"plus4", 0xFD00}, std::pair{"c16", 0x4000}}) {
        const auto r = RunTool(std::string("--machine ") + machine + " --drive8 " + dir.Path.string() +
                               " --type 'LOAD\"$\",8\\nPRINT PEEK(157)+256*PEEK(158)\\nLIST 0\\nPRINT 6*7\\n' "
                               "--frames 1500 --screen-text");
        const int end = std::atoi(AfterLast(r.Out, "PRINT PEEK(157)+256*PEEK(158)").c_str());
        EXPECT_GT(end, top - 512) << machine << r.Out;
        EXPECT_LE(end, top - 256) << machine << r.Out;
        EXPECT_TRUE(Contains(AfterLast(r.Out, "LIST 0"), "0 \"VARLUME DIR (8) \" 00 2A\n")) << r.Out;
        ExpectMachineWhole(r);
    }
}

TEST(DriveFaults, ADiskWhoseDirectoryFillsTheImageIsCutToo) {
    RequireRoms();
    TScratchDir dir;
    media_test::TD64Builder disk;
    disk.ChainDirectoryThroughEverySector();
    const auto r = RunTool("--machine plus4 --drive8 " + dir.Write("huge.d64", disk.Image) +
                           " --type 'LOAD\"$\",8\\nPRINT PEEK(157)+256*PEEK(158)\\nPRINT 6*7\\n' --frames 1500 --screen-text");
    const int end = std::atoi(AfterLast(r.Out, "PRINT PEEK(157)+256*PEEK(158)").c_str());
    EXPECT_GT(end, 0xFD00 - 512) << r.Out;
    EXPECT_LE(end, 0xFD00 - 256) << r.Out;
    ExpectMachineWhole(r);
}

// Links out of the directory, to a device, to a directory or nowhere are not files of the
// drive; a link to a file inside it is.
TEST(DriveFaults, LinksLeadingOutOfTheDirectoryAreNotServed) {
    RequireRoms();
    TScratchDir scratch;
    const auto outside = scratch.Path / "outside";
    const auto dir = scratch.Path / "served";
    std::filesystem::create_directories(outside);
    std::filesystem::create_directories(dir);
    // 10 PRINT "OUT"
    scratch.Write("outside/secret.prg", {0x01, 0x10, 0x0C, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x4F, 0x55, 0x54, 0x22, 0x00, 0x00, 0x00});
    scratch.Write("served/real.prg", HelloPrg);
    std::filesystem::create_symlink(outside / "secret.prg", dir / "link.prg");
    std::filesystem::create_symlink("/dev/zero", dir / "zero.prg");
    std::filesystem::create_symlink(outside, dir / "folder.prg");
    std::filesystem::create_symlink(dir / "gone.prg", dir / "dangling.prg");
    std::filesystem::create_symlink(dir / "real.prg", dir / "alias.prg");
    const std::string drive = "--machine plus4 --drive8 " + dir.string();
    const auto loads = RunTool(drive + " --type 'LOAD\"LINK\",8\\nLOAD\"ZERO\",8\\nLOAD\"FOLDER\",8\\n"
                                       "LOAD\"DANGLING\",8\\nPRINT 6*7\\n' --frames 900 --screen-text");
    for (const char* name : {"LINK", "ZERO", "FOLDER", "DANGLING"})
        EXPECT_TRUE(Contains(loads.Out, std::string("SEARCHING FOR ") + name + "\n?FILE NOT FOUND ERROR\n")) << name << loads.Out;
    ExpectMachineWhole(loads);
    const auto listed = RunTool(drive + " --type 'DIRECTORY\\nLOAD\"ALIAS\",8\\nRUN\\nPRINT 6*7\\n' --frames 700 --screen-text");
    const std::string listing = AfterLast(listed.Out, "DIRECTORY");
    EXPECT_TRUE(Contains(listing, "0 \"VARLUME DIR (8) \" 00 2A\n1    \"ALIAS\"            PRG\n1    \"REAL\"             PRG\n"))
        << listed.Out;
    const std::string entries = listing.substr(0, listing.find("BLOCKS FREE."));
    EXPECT_EQ(std::count(entries.begin(), entries.end(), '\n'), 3) << listed.Out;
    EXPECT_EQ(AfterLast(listed.Out, "RUN").substr(0, 3), "HI\n") << listed.Out;
    ExpectMachineWhole(listed);
}

}  // namespace
