#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include "media/d64_builder.h"
#include "media/d64_checker.h"
#include "run_tool.h"

// Drives that never lose or misplace a user's data, through the real KERNAL: every write that
// answers OK is on the medium afterwards, every other one answers an error and changes nothing,
// and every image written is consistent (its map against its chains, no sector shared).

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// 10 PRINT "HI"
const Bytes HelloPrg = {0x01, 0x10, 0x0B, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x48, 0x49, 0x22, 0x00, 0x00, 0x00};

// The answers to each "PRINT DS$" on the screen, in order.
std::vector<std::string> DosAnswers(const std::string& screen) {
    std::vector<std::string> answers;
    for (size_t at = screen.find("PRINT DS$\n"); at != std::string::npos; at = screen.find("PRINT DS$\n", at + 1)) {
        const size_t start = at + 10;
        answers.push_back(screen.substr(start, screen.find('\n', start) - start));
    }
    return answers;
}

void ExpectConsistent(const Bytes& image) {
    const media_test::TD64Check check = media_test::CheckD64(image);
    EXPECT_TRUE(check.Consistent()) << check.Problems.front();
}

struct TFaultCase {
    const char* Name;
    // Makes the media in `dir`; gives the drive options.
    std::function<std::string(const TScratchDir& dir)> Media;
    std::string Typed;
    std::vector<std::string> Answers;
    std::function<void(const TScratchDir& dir, const std::string& output)> Check;
};

media_test::TD64Builder DiskWithHello() {
    media_test::TD64Builder disk;
    disk.AddFile("HELLO", HelloPrg);
    return disk;
}

// The disk with HELLO, stretched to `size` bytes with `fill` (a 40-track image, error bytes).
Bytes HelloImageOf(size_t size, uint8_t fill) {
    Bytes image = DiskWithHello().Image;
    image.resize(size, fill);
    return image;
}

// The directory holds exactly these files, with these contents.
void ExpectFiles(const fs::path& directory, const std::map<std::string, Bytes>& files) {
    std::map<std::string, Bytes> found;
    for (const auto& entry : fs::directory_iterator(directory)) found[entry.path().filename().string()] = ReadFileBytes(entry.path());
    EXPECT_EQ(found, files);
}

const std::string DollarNames = "10 REM\\nSAVE\"$\",8\\nPRINT DS$\\nSAVE\"0:$\",8\\nPRINT DS$\\n"
                                "OPEN2,8,2,\"$X,S,W\":CLOSE2\\nPRINT DS$\\n";
const std::string TwoWriters = "OPEN2,8,2,\"F,S,W\":OPEN3,8,3,\"F,S,W\"\\nPRINT DS$\\nOPEN4,8,4,\"F,S,R\"\\nPRINT DS$\\n"
                               "PRINT#2,\"A\":CLOSE2:CLOSE3:CLOSE4\\nPRINT DS$\\n";
const std::vector<std::string> Syntax3(3, "33,SYNTAX ERROR,00,00");
const std::vector<std::string> ExistsOpenOk = {"63,FILE EXISTS,00,00", "60,WRITE FILE OPEN,00,00", "00, OK,00,00"};

const TFaultCase FaultCases[] = {
    {"dollar names on a directory", [](const TScratchDir& dir) { return "--drive8 " + dir.Path.string(); }, DollarNames, Syntax3,
     [](const TScratchDir& dir, const std::string&) { ExpectFiles(dir.Path, {}); }},
    {"dollar names on a disk", [](const TScratchDir& dir) { return "--drive8 " + dir.Write("d.d64", DiskWithHello().Image); },
     DollarNames, Syntax3,
     [](const TScratchDir& dir, const std::string&) { EXPECT_EQ(ReadFileBytes(dir / "d.d64"), DiskWithHello().Image); }},
    {"two writers on a directory", [](const TScratchDir& dir) { return "--drive8 " + dir.Path.string(); }, TwoWriters,
     ExistsOpenOk, [](const TScratchDir& dir, const std::string&) { ExpectFiles(dir.Path, {{"F.SEQ", {'A', 0x0D}}}); }},
    {"two writers on a disk", [](const TScratchDir& dir) { return "--drive8 " + dir.Write("d.d64", DiskWithHello().Image); },
     TwoWriters, ExistsOpenOk,
     [](const TScratchDir& dir, const std::string&) {
         const Bytes image = ReadFileBytes(dir / "d.d64");
         ExpectConsistent(image);
         EXPECT_EQ(media_test::CheckD64(image).Files.at("F"), (Bytes{'A', 0x0D}));
     }},
    // One free block: the appended 100 bytes fill the last sector and take that block.
    {"append on a nearly full disk",
     [](const TScratchDir& dir) {
         media_test::TD64Builder disk;
         disk.AddFile("LOG", Bytes(200, 'L'), 0x81);
         disk.AddFile("BIG", Bytes(662 * 254, 0x55));
         return "--drive8 " + dir.Write("d.d64", disk.Image);
     },
     "OPEN2,8,2,\"LOG,S,A\":FORI=1TO99:PRINT#2,\"N\";:NEXT:PRINT#2,\"\":CLOSE2\\nPRINT DS$\\n", {"00, OK,00,00"},
     [](const TScratchDir& dir, const std::string&) {
         const Bytes image = ReadFileBytes(dir / "d.d64");
         ExpectConsistent(image);
         Bytes log(200, 'L');
         log.insert(log.end(), 99, 'N');
         log.push_back(0x0D);
         EXPECT_EQ(media_test::CheckD64(image).Files.at("LOG"), log);
         EXPECT_EQ(media_test::CheckD64(image).BlocksFree, 0);
     }},
    {"read-only host files are locked",
     [](const TScratchDir& dir) {
         ::chmod(dir.Write("RO.PRG", HelloPrg).c_str(), 0444);
         return "--drive8 " + dir.Path.string();
     },
     "10 REM\\nSAVE\"@0:RO\",8\\nPRINT DS$\\nOPEN2,8,2,\"RO,P,A\":CLOSE2\\nPRINT DS$\\nOPEN15,8,15,\"S0:RO\":CLOSE15\\nPRINT DS$\\n",
     {"26,WRITE PROTECT ON,00,00", "26,WRITE PROTECT ON,00,00", "01,FILES SCRATCHED,00,00"},
     [](const TScratchDir& dir, const std::string&) { ExpectFiles(dir.Path, {{"RO.PRG", HelloPrg}}); }},
    {"an image whose name is near the file system's limit",
     [](const TScratchDir& dir) { return "--drive8 " + dir.Write(std::string(240, 'a') + ".d64", media_test::TD64Builder().Image); },
     "10 REM\\nSAVE\"X\",8\\nPRINT DS$\\n", {"00, OK,00,00"},
     [](const TScratchDir& dir, const std::string&) {
         const Bytes image = ReadFileBytes(dir / (std::string(240, 'a') + ".d64"));
         ExpectConsistent(image);
         EXPECT_EQ(media_test::CheckD64(image).Files.count("X"), 1u);
     }},
    {"a 40-track image is served read-only",
     [](const TScratchDir& dir) { return "--drive8 " + dir.Write("forty.d64", HelloImageOf(196608, 0)); },
     "LOAD\"HELLO\",8\\nRUN\\nSAVE\"X\",8\\nPRINT DS$\\n", {"26,WRITE PROTECT ON,00,00"},
     [](const TScratchDir& dir, const std::string& output) {
         EXPECT_EQ(ReadFileBytes(dir / "forty.d64"), HelloImageOf(196608, 0));
         EXPECT_TRUE(Contains(output, "RUN\nHI\n")) << output;
         EXPECT_TRUE(Contains(output, "drive 8: The disk image 'forty.d64' is longer than a 35-track disk: the drive serves "
                                      "its first 35 tracks, write-protected."))
             << output;
     }},
    // Every sector starts with error code 5; those the drive writes read "no error" (1).
    {"the error bytes of the sectors written",
     [](const TScratchDir& dir) { return "--drive8 " + dir.Write("errors.d64", HelloImageOf(175531, 5)); },
     "10 REM\\nSAVE\"X\",8\\nPRINT DS$\\n", {"00, OK,00,00"},
     [](const TScratchDir& dir, const std::string&) {
         const Bytes file = ReadFileBytes(dir / "errors.d64");
         ASSERT_EQ(file.size(), 175531u);
         const Bytes before = DiskWithHello().Image;
         ExpectConsistent(Bytes(file.begin(), file.begin() + 174848));
         for (size_t sector = 0; sector < 683; ++sector) {
             const bool written = !std::equal(before.begin() + long(256 * sector), before.begin() + long(256 * sector + 256),
                                              file.begin() + long(256 * sector));
             EXPECT_EQ(file[174848 + sector], written ? 1 : 5) << sector;
         }
     }},
    // Drive 9 serves the directory that holds drive 8's image and writes over it: drive 8 then
    // keeps its change in memory, answers 25, and is write-protected from there on.
    {"an image changed by another writer",
     [](const TScratchDir& dir) {
         return "--drive8 " + dir.Write("X.PRG", DiskWithHello().Image) + " --drive9 " + dir.Path.string();
     },
     "10 REM\\nSAVE\"@0:X\",9\\nSAVE\"NEW\",8\\nPRINT DS$\\nSAVE\"NEW2\",8\\nPRINT DS$\\n",
     {"25,WRITE ERROR,00,00", "26,WRITE PROTECT ON,00,00"},
     [](const TScratchDir& dir, const std::string& output) {
         EXPECT_EQ(ReadFileBytes(dir / "X.PRG"), (Bytes{0x01, 0x10, 0x07, 0x10, 0x0A, 0x00, 0x8F, 0x00, 0x00, 0x00}));
         EXPECT_TRUE(Contains(output, "drive 8: The disk image was changed by another program; the drive's change is kept "
                                      "in memory only."))
             << output;
     }},
};

TEST(DriveSafety, EveryWriteAnsweredOkIsKeptAndEveryOtherChangesNothing) {
    RequireRoms();
    for (const TFaultCase& fault : FaultCases) {
        SCOPED_TRACE(fault.Name);
        TScratchDir dir;
        const std::string media = fault.Media(dir);
        const auto r = RunTool("--machine plus4 " + media + " --type '" + fault.Typed + "' --frames 1200 --screen-text", true);
        EXPECT_EQ(r.Status, 0) << r.Out;
        EXPECT_EQ(DosAnswers(r.Out), fault.Answers) << r.Out;
        fault.Check(dir, r.Out);
    }
}

// One image file is one drive's: the same path, a symbolic link or a hard link to it given to
// the other drive is refused before the machine starts.
TEST(DriveSafety, OneImageFileGoesToOneDriveAtATime) {
    TScratchDir dir;
    const std::string image = dir.Write("disk.d64", media_test::TD64Builder().Image);
    fs::create_symlink(image, dir.Path / "link.d64");
    fs::create_hard_link(image, dir.Path / "hard.d64");
    for (const char* second : {"disk.d64", "link.d64", "hard.d64"}) {
        const auto r = RunTool("--drive8 " + image + " --drive9 " + dir / second + " --frames 1", true);
        EXPECT_EQ(r.Status, 1) << second;
        EXPECT_TRUE(Contains(r.Out, "is the image drive 8 holds: one image file goes to one drive at a time")) << r.Out;
    }
    EXPECT_EQ(ReadFileBytes(image), media_test::TD64Builder().Image);
}

// A snapshot names a directory and an image. Restored after the directory went away, the drive
// answers 74 to everything and leaves the current directory alone; restored after the image
// file changed, the disk is kept in memory, write-protected, and the runner says so.
TEST(DriveSafety, ASnapshotWhoseMediaChangedWritesNothing) {
    RequireRoms();
    TScratchDir dir;
    fs::create_directories(dir.Path / "served");
    fs::create_directories(dir.Path / "work");
    dir.Write("work/VICTIM.PRG", HelloPrg);
    const std::string image = dir.Write("disk.d64", media_test::TD64Builder().Image);
    const auto first = RunTool("--drive8 " + dir / "served" + " --drive9 " + image + " --frames 200 --save-snapshot " +
                               dir / "state.vsn");
    ASSERT_EQ(first.Status, 0) << first.Out;
    fs::remove_all(dir.Path / "served");
    Bytes changed = DiskWithHello().Image;
    std::ofstream(image, std::ios::binary).write(reinterpret_cast<const char*>(changed.data()), std::streamsize(changed.size()));

    const auto r = RunTool("--snapshot " + dir / "state.vsn" +
                               " --type '10 SAVE\"A\",8:PRINT DS$:OPEN15,8,15,\"S0:*\":CLOSE15:PRINT DS$\\n"
                               "20 OPEN2,8,2,\"VICTIM\":CLOSE2:PRINT DS$:SAVE\"A\",9\\n"
                               "30 OPEN1,9,15:INPUT#1,E$,F$,T$,S$:CLOSE1:PRINT E$\",\"F$\",\"T$\",\"S$\\nRUN\\n'"
                               " --frames 900 --screen-text",
                           true, "cd " + dir / "work" + " && ");
    EXPECT_EQ(r.Status, 0) << r.Out;
    const std::string answers = "74,DRIVE NOT READY,00,00\n74,DRIVE NOT READY,00,00\n74,DRIVE NOT READY,00,00\n"
                                "26,WRITE PROTECT ON,00,00\n\nREADY.\n";
    EXPECT_EQ(AfterLast(r.Out, "RUN").substr(0, answers.size()), answers) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "in memory only, write-protected")) << r.Out;
    ExpectFiles(dir.Path / "work", {{"VICTIM.PRG", HelloPrg}});
    EXPECT_EQ(ReadFileBytes(image), changed);
}

}  // namespace

namespace {

// A sector written with U2 from a buffer channel, read back with U1, a byte picked with B-P, a
// block taken and given back in the map, and the refusals, as a block-based Forth or a disk
// utility uses them.
TEST(DriveSafety, BlockCommandsReadAndWriteSectorsAndTheMap) {
    RequireRoms();
    TScratchDir dir;
    const std::string image = dir.Write("blocks.d64", DiskWithHello().Image);
    const std::string program =
        "10 OPEN15,8,15:OPEN2,8,2,\"#\":FORI=0TO255:PRINT#2,CHR$(255-I);:NEXT\\n"
        "20 PRINT#15,\"U2\";2;0;20;3:GOSUB90:PRINT#15,\"B-P\";2;0:PRINT#2,\"XY\";\\n"
        "30 PRINT#15,\"U1:2,0,20,3\":GOSUB90:D=0:FORI=0TO255:GET#2,A$\\n"
        "35 D=D-(ASC(A$+CHR$(0))<>255-I):NEXT:PRINT\"D\"D\\n"
        "40 PRINT#15,\"B-P 2 10\":GET#2,A$:PRINT ASC(A$)\\n"
        "50 FORK=1TO2:PRINT#15,\"B-A\";0;20;3:GOSUB90:NEXT\\n"
        "55 PRINT#15,\"B-F\";0;20;3:GOSUB90:PRINT#15,\"B-A 0 20 5\":GOSUB90\\n"
        "60 PRINT#15,\"U1\";2;0;36;0:GOSUB90:PRINT#15,\"U1\";9;0;1;0:GOSUB90\\n"
        "65 PRINT#15,\"M-W\":GOSUB90:CLOSE2:CLOSE15\\n"
        "70 OPEN15,9,15,\"B-A 0 18 1\":GOSUB90:CLOSE15:END\\n"
        "90 INPUT#15,E$,F$,T$,S$:PRINT E$\",\"F$\",\"T$\",\"S$:RETURN\\nRUN\\n";
    const auto r = RunTool("--machine plus4 --drive8 " + image + " --drive9 " + dir.Path.string() + " --type '" + program +
                           "' --frames 3000 --screen-text");
    EXPECT_EQ(r.Status, 0) << r.Out;
    const std::string answers =
              "00,OK,00,00\n00,OK,00,00\nD 0\n 245\n00,OK,00,00\n65,NO BLOCK,20,04\n00,OK,00,00\n00,OK,00,00\n"
              "66,ILLEGAL TRACK AND SECTOR,36,00\n70,NO CHANNEL,00,00\n31,SYNTAX ERROR,00,00\n31,SYNTAX ERROR,00,00\n"
              "\nREADY.\n";
    EXPECT_EQ(AfterLast(r.Out, "RUN").substr(0, answers.size()), answers) << r.Out;
    // The sector holds the pattern at the track's offset; 20/5 is taken in the map, and that is
    // the only difference between the map and the chains.
    const Bytes after = ReadFileBytes(image);
    media_test::TD64Builder geometry;
    const size_t offset = size_t(geometry.Sector(20, 3) - geometry.Image.data());
    for (int i = 0; i < 256; ++i) EXPECT_EQ(after[offset + size_t(i)], 255 - i) << i;
    EXPECT_EQ(media_test::CheckD64(after).Problems, std::vector<std::string>{"sector 20/5 is taken by nothing"});
    EXPECT_EQ(media_test::CheckD64(after).Files.at("HELLO"), HelloPrg);
}

}  // namespace
