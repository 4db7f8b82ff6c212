#include <gtest/gtest.h>

#include <map>

#include "media/d64_builder.h"
#include "media/d64_checker.h"
#include "run_tool.h"

// The KERNAL's and BASIC 3.5's disk commands on drives that write: SAVE, VERIFY, DSAVE,
// DIRECTORY, SCRATCH, RENAME, HEADER, data files and DS$, on host directories and D64 images.

namespace {

using Bytes = std::vector<uint8_t>;

// 10 PRINT "HI"
const Bytes HelloPrg = {0x01, 0x10, 0x0B, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x48, 0x49, 0x22, 0x00, 0x00, 0x00};

std::map<std::string, Bytes> Snapshot(const std::filesystem::path& directory) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        files[entry.path().filename().string()] = ReadFileBytes(entry.path());
    return files;
}

std::string Typed(const std::string& machine, const std::string& drives, const std::string& typed, int frames) {
    const auto r = RunTool("--machine " + machine + " " + drives + " --type '" + typed + "' --frames " +
                           std::to_string(frames) + " --screen-text");
    EXPECT_EQ(r.Status, 0) << r.Out;
    return r.Out;
}

// The offsets of the sectors a file's chain uses, as the independent reader walks it.
std::set<size_t> ChainOffsets(const Bytes& image, int track, int sector) {
    media_test::TD64Builder geometry;
    std::set<size_t> offsets;
    while (track != 0 && offsets.size() < 700) {
        const size_t offset = size_t(geometry.Sector(track, sector) - geometry.Image.data());
        offsets.insert(offset);
        track = image[offset];
        sector = image[offset + 1];
    }
    return offsets;
}

TEST(DriveWrites, SaveAndVerifyOnAHostDirectory) {
    RequireRoms();
    TScratchDir dir;
    dir.Write("other.prg", HelloPrg);
    dir.Write("notes.txt", {1, 2, 3});
    const auto before = Snapshot(dir.Path);
    const std::string screen = Typed("plus4", "--drive8 " + dir.Path.string(),
                                   "10 PRINT\"X\"\\nSAVE\"TEST\",8\\nVERIFY\"TEST\",8\\nPRINT DS$\\n", 700);
    EXPECT_TRUE(Contains(screen, "SAVING TEST\nREADY.\nVERIFY\"TEST\",8\n\nSEARCHING FOR TEST\nVERIFYING\nOK\n")) << screen;
    EXPECT_EQ(AfterLast(screen, "PRINT DS$").substr(0, 13), "00, OK,00,00\n") << screen;
    EXPECT_EQ(ReadFileBytes(dir.Path / "TEST.PRG"), (Bytes{0x01, 0x10, 0x0A, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x58, 0x22, 0x00, 0x00, 0x00}));
    auto after = Snapshot(dir.Path);
    after.erase("TEST.PRG");
    EXPECT_EQ(after, before);

    // The saved program runs in a fresh start; a plain SAVE keeps it, "@0:" replaces it.
    const std::string second = Typed("c16", "--drive8 " + dir.Path.string(),
                                   "LOAD\"TEST\",8\\nRUN\\n10 PRINT\"Y\"\\nSAVE\"TEST\",8\\nPRINT DS$\\n", 900);
    EXPECT_TRUE(Contains(second, "RUN\nX\n")) << second;
    EXPECT_EQ(AfterLast(second, "PRINT DS$").substr(0, 21), "63,FILE EXISTS,00,00\n") << second;
    const std::string third = Typed("c16", "--drive8 " + dir.Path.string(),
                                  "10 PRINT\"Y\"\\nSAVE\"@0:TEST\",8\\nPRINT DS$\\nNEW\\nLOAD\"TEST\",8\\nRUN\\n", 900);
    EXPECT_EQ(AfterLast(third, "PRINT DS$").substr(0, 13), "00, OK,00,00\n") << third;
    EXPECT_EQ(AfterLast(third, "RUN").substr(0, 2), "Y\n") << third;
}

TEST(DriveWrites, DsaveAndDirectoryOnACopyOfAD64) {
    RequireRoms();
    TScratchDir dir;
    media_test::TD64Builder disk;
    disk.SetTitle("WORK", "WK", "2A");
    disk.AddFile("HELLO", HelloPrg);
    const auto d64 = dir.Write("work.d64", disk.Image);
    const std::string screen = Typed("plus4", "--drive9 " + d64, "10 PRINT\"NEW\"\\nDSAVE\"NEW\",U9\\nDIRECTORY U9\\n", 900);
    EXPECT_TRUE(Contains(AfterLast(screen, "DIRECTORY U9"),
                         "0 \"WORK            \" WK 2A\n1    \"HELLO\"            PRG\n1    \"NEW\"              PRG\n"
                         "662 BLOCKS FREE.\n"))
        << screen;

    // The image file changed: the map, the directory and NEW's own sectors, and nothing else.
    const Bytes after = ReadFileBytes(d64);
    const media_test::TD64Check check = media_test::CheckD64(after);
    EXPECT_TRUE(check.Consistent()) << check.Problems.front();
    EXPECT_EQ(check.Files.at("HELLO"), Bytes(HelloPrg.begin(), HelloPrg.end()));
    std::set<size_t> allowed = ChainOffsets(after, 18, 0);
    const uint8_t* newEntry = after.data() + (disk.Sector(18, 1) - disk.Image.data()) + 32;
    ASSERT_EQ(newEntry[2], 0x82);
    for (size_t offset : ChainOffsets(after, newEntry[3], newEntry[4])) allowed.insert(offset);
    for (size_t offset = 0; offset < after.size(); offset += 256) {
        if (allowed.count(offset)) continue;
        EXPECT_TRUE(std::equal(after.begin() + long(offset), after.begin() + long(offset + 256), disk.Image.begin() + long(offset)))
            << offset;
    }

    const std::string fresh = Typed("c16", "--drive8 " + d64, "DLOAD\"NEW\"\\nRUN\\n", 600);
    EXPECT_EQ(AfterLast(fresh, "RUN").substr(0, 4), "NEW\n") << fresh;
}

TEST(DriveWrites, ScratchAfterTheConfirmation) {
    RequireRoms();
    TScratchDir dir;
    dir.Write("TEST.PRG", HelloPrg);
    dir.Write("keep.prg", HelloPrg);
    const auto before = Snapshot(dir.Path);
    const std::string protectedRun =
        Typed("plus4", "--write-protect --drive8 " + dir.Path.string(), "SCRATCH\"TEST\",D0,U8\\nY\\n", 400);
    EXPECT_TRUE(Contains(protectedRun, "ARE YOU SURE?Y\n26,WRITE PROTECT ON,00,00\n")) << protectedRun;
    EXPECT_EQ(Snapshot(dir.Path), before);
    const std::string screen = Typed("plus4", "--drive8 " + dir.Path.string(), "SCRATCH\"TEST\",D0,U8\\nY\\nPRINT DS$\\n", 500);
    EXPECT_TRUE(Contains(screen, "ARE YOU SURE?Y\n01,FILES SCRATCHED,01,00\n")) << screen;
    EXPECT_EQ(AfterLast(screen, "PRINT DS$").substr(0, 25), "01,FILES SCRATCHED,01,00\n") << screen;
    auto expected = before;
    expected.erase("TEST.PRG");
    EXPECT_EQ(Snapshot(dir.Path), expected);
}

// DOS errors as BASIC 3.5 shows them, and the disk commands that end in them.
TEST(DriveWrites, DiskCommandsReportThroughDs) {
    RequireRoms();
    TScratchDir dir;
    media_test::TD64Builder full;
    full.AddFile("BIG", Bytes(664 * 254, 0x55));  // every block taken
    const auto fullImage = dir.Write("full.d64", full.Image);
    const auto readOnly = dir.Write("locked.d64", media_test::TD64Builder().Image);
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    const std::string drives = "--drive8 " + fullImage + " --drive9 " + readOnly;
    const std::string first = Typed("plus4", drives, "PRINT DS$\\nLOAD\"NOPE\",8\\nPRINT DS$\\n10 REM\\nDSAVE\"X\"\\nPRINT DS$\\n", 700);
    const std::string second = Typed("plus4", drives,
                                     "DSAVE\"X\",U9\\nPRINT DS$\\nRENAME\"B*\"TO\"HUGE\"\\nPRINT DS$\\n"
                                     "HEADER\"FRESH\",D0,IAB\\nY\\nDIRECTORY\\n",
                                     900);
    for (const char* status : {"73,VARLUME DOS V1.0,00,00", "62,FILE NOT FOUND,00,00", "72,DISK FULL,00,00"})
        EXPECT_TRUE(Contains(first, std::string("PRINT DS$\n") + status + "\n")) << status << "\n" << first;
    for (const char* status : {"26,WRITE PROTECT ON,00,00", "00, OK,00,00"})
        EXPECT_TRUE(Contains(second, std::string("PRINT DS$\n") + status + "\n")) << status << "\n" << second;
    EXPECT_TRUE(Contains(AfterLast(second, "DIRECTORY"), "0 \"FRESH           \" AB 2A\n664 BLOCKS FREE.")) << second;
    const media_test::TD64Check check = media_test::CheckD64(ReadFileBytes(fullImage));
    EXPECT_TRUE(check.Consistent());
    EXPECT_TRUE(check.Files.empty());  // HEADER made a new disk
    EXPECT_EQ(check.BlocksFree, 664);
    EXPECT_EQ(ReadFileBytes(readOnly), media_test::TD64Builder().Image);
}

TEST(DriveWrites, DataFilesAndTheDirectoryThroughChannels) {
    RequireRoms();
    TScratchDir dir;
    dir.Write("hello.prg", HelloPrg);
    const std::string program =
        "10 OPEN2,8,2,\"DATA,S,W\":PRINT#2,\"HELLO\";:PRINT#2,\"WORLD\":CLOSE2\\n"
        "20 OPEN2,8,2,\"DATA,S,R\":INPUT#2,A$:S=ST:CLOSE2:PRINT A$;S\\n"
        "30 OPEN1,8,0,\"$\":OPEN15,8,15\\n"
        "40 GET#1,B$:N=N+1:IF ST=0 THEN 40\\n"
        "50 INPUT#15,E,E$:PRINT N;E;E$:CLOSE1:CLOSE15\\nRUN\\n";
    const std::string screen = Typed("plus4", "--drive8 " + dir.Path.string(), program, 2500);
    // The listing read byte by byte is as long as LOAD"$" makes it: 64 bytes and 32 a file.
    EXPECT_EQ(AfterLast(screen, "RUN").substr(0, 25), "HELLOWORLD 64\n 128  0 OK\n") << screen;
    EXPECT_EQ(ReadFileBytes(dir.Path / "DATA.SEQ"), (Bytes{'H', 'E', 'L', 'L', 'O', 'W', 'O', 'R', 'L', 'D', 0x0D}));
}

}  // namespace
