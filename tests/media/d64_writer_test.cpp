#include <gtest/gtest.h>

#include <memory>

#include "d64_builder.h"
#include "d64_checker.h"
#include "media/drive.h"
#include "media_test_support.h"

using namespace media_test;

namespace {

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A D64 drive with a freshly formatted disk in memory.
class D64Writes : public ::testing::Test {
protected:
    void SetUp() override {
        Drive = std::make_unique<TDrive>();
        Drive->SetMode(TDrive::ModeD64);
        ASSERT_EQ(Drive->AttachImageData(TD64Builder().Image), TD64Attach::Attached);
        ASSERT_EQ(Client().Dos("N0:WORK DISK,WD"), "00, OK,00,00");
    }
    TDriveClient Client() { return TDriveClient(*Drive); }
    TD64Check Check() {
        TD64Check check = CheckD64(Drive->DiskImage());
        for (const std::string& problem : check.Problems) ADD_FAILURE() << problem;
        return check;
    }
    uint8_t* SectorOf(Bytes& image, int track, int sector) {
        int offset = 0;
        for (int t = 1; t < track; ++t) offset += 256 * TDrive::SectorsPerTrack(t);
        return image.data() + offset + 256 * sector;
    }

    std::unique_ptr<TDrive> Drive;
};

TEST_F(D64Writes, SavedProgramsLoadBackAndTheMapCountsWhatIsLeft) {
    const Bytes game = Program(0x1001, 3000);  // 3002 bytes: 12 blocks
    TDriveClient client = Client();
    EXPECT_EQ(client.Save("GAME", game), "00, OK,00,00");
    EXPECT_EQ(client.Save("0:TINY", {0x01, 0x10}), "00, OK,00,00");
    EXPECT_EQ(client.Load("GAME"), game);
    EXPECT_EQ(client.Load("TINY"), (Bytes{0x01, 0x10}));

    const TD64Check check = Check();
    EXPECT_EQ(check.Files.at("GAME"), game);
    EXPECT_EQ(check.BlocksFree, 664 - 12 - 1);
    const Bytes listing = client.Load("$");
    EXPECT_EQ(listing[listing.size() - 30] | listing[listing.size() - 29] << 8, 664 - 13);
    // Laid out as a 1541 does: from track 17 sector 0, ten sectors apart.
    Bytes image = Drive->DiskImage();
    EXPECT_EQ(SectorOf(image, 18, 1)[2 + 1], 17);
    EXPECT_EQ(SectorOf(image, 18, 1)[2 + 2], 0);
    EXPECT_EQ(SectorOf(image, 17, 0)[0], 17);
    EXPECT_EQ(SectorOf(image, 17, 0)[1], 10);
}

TEST_F(D64Writes, ExistingNamesAreKeptUnlessReplaced) {
    TDriveClient client = Client();
    const Bytes first = Program(0x1001, 600, 1);
    const Bytes second = Program(0x2000, 100, 2);
    client.Save("GAME", first);
    // The lamp flashes while the error waits on the command channel, until it is read.
    client.OpenChannel(1, "GAME");
    EXPECT_EQ(Drive->Lamp, TDrive::LampError);
    client.Send(1, "XY");
    client.CloseChannel(1);
    EXPECT_EQ(Drive->Lamp, TDrive::LampError);
    EXPECT_EQ(client.StatusLine(), "63,FILE EXISTS,00,00");
    EXPECT_EQ(Drive->Lamp, TDrive::LampIdle);
    EXPECT_EQ(Check().Files.at("GAME"), first);
    EXPECT_EQ(client.Save("@0:GAME", second), "00, OK,00,00");
    const TD64Check check = Check();
    EXPECT_EQ(check.Files.at("GAME"), second);
    EXPECT_EQ(check.Files.size(), 1u);
    EXPECT_EQ(check.BlocksFree, 664 - 1);
}

TEST_F(D64Writes, AFileThatDoesNotFitAnswersDiskFullAndChangesNothing) {
    TDriveClient client = Client();
    const Bytes big = Program(0x1001, 237 * 254 - 2);  // 237 blocks
    EXPECT_EQ(client.Save("ONE", big), "00, OK,00,00");
    EXPECT_EQ(client.Save("TWO", big), "00, OK,00,00");
    const Bytes before = Drive->DiskImage();
    EXPECT_EQ(client.Save("THREE", big), "72,DISK FULL,00,00");
    EXPECT_EQ(Drive->DiskImage(), before);
    // Exactly what is left still fits; then not a byte more.
    EXPECT_EQ(client.Save("REST", Program(0x1001, 190 * 254 - 2)), "00, OK,00,00");
    EXPECT_EQ(Check().BlocksFree, 0);
    EXPECT_EQ(client.Save("BYTE", {1}), "72,DISK FULL,00,00");
    EXPECT_EQ(client.Load("REST"), Program(0x1001, 190 * 254 - 2));
}

TEST_F(D64Writes, TheDirectoryGrowsOnTrack18UntilItIsFull) {
    TDriveClient client = Client();
    for (int i = 0; i < 144; ++i) {
        std::string name = "F";
        name += std::to_string(i);
        ASSERT_EQ(client.Save(name, {1, 2}), "00, OK,00,00") << i;
    }
    EXPECT_EQ(client.Save("ONE TOO MANY", {1, 2}), "72,DISK FULL,00,00");
    const TD64Check check = Check();
    EXPECT_EQ(check.Files.size(), 144u);
    EXPECT_EQ(check.BlocksFree, 664 - 144);
    // Directory sectors follow each other three apart.
    Bytes image = Drive->DiskImage();
    EXPECT_EQ(SectorOf(image, 18, 1)[1], 4);
    EXPECT_EQ(SectorOf(image, 18, 4)[1], 7);
    // A scratched entry is used again.
    EXPECT_EQ(client.Dos("S0:F7"), "01,FILES SCRATCHED,01,00");
    EXPECT_EQ(client.Save("AGAIN", {3}), "00, OK,00,00");
}

TEST_F(D64Writes, ScratchAndRenameTakeWildcardsAndSpareLockedFiles) {
    TDriveClient client = Client();
    for (const char* name : {"APPLE", "APRICOT", "BANANA", "BLUEBERRY", "CHERRY"}) client.Save(name, Program(0x1001, 300));
    Bytes image = Drive->DiskImage();
    SectorOf(image, 18, 1)[32 * 1 + 2] |= 0x40;  // APRICOT locked
    Drive->AttachImageData(image);

    EXPECT_EQ(client.Dos("S0:AP*,B?NANA"), "01,FILES SCRATCHED,02,00");
    EXPECT_EQ(client.Dos("S0:NOTHING*"), "01,FILES SCRATCHED,00,00");
    EXPECT_EQ(client.Dos("R0:BERRY=BLUE*"), "00, OK,00,00");
    EXPECT_EQ(client.Dos("R0:BERRY=CHERRY"), "63,FILE EXISTS,00,00");
    EXPECT_EQ(client.Dos("R0:NEW=GONE"), "62,FILE NOT FOUND,00,00");
    const TD64Check check = Check();
    std::vector<std::string> names;
    for (const auto& [name, data] : check.Files) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"APRICOT", "BERRY", "CHERRY"}));
    EXPECT_EQ(check.BlocksFree, 664 - 3 * 2);
    EXPECT_EQ(client.Load("BERRY"), Program(0x1001, 300));
}

TEST_F(D64Writes, FormatAndValidateRebuildTheDisk) {
    TDriveClient client = Client();
    client.Save("KEEP", Program(0x1001, 1000));
    EXPECT_EQ(client.Dos("N0:QUICK"), "00, OK,00,00");
    Bytes listing = client.Load("$");
    EXPECT_EQ(AsText(Bytes(listing.begin() + 8, listing.begin() + 13)), "QUICK");
    EXPECT_EQ(AsText(Bytes(listing.begin() + 26, listing.begin() + 31)), "WD 2A");  // the ID stays
    EXPECT_EQ(listing.size(), 64u);

    // A map that counts everything free, and a file that was never closed: validate puts the
    // map right and deletes the unclosed file, as a 1541 does.
    client.Save("KEEP", Program(0x1001, 1000));
    client.Save("SPLAT", Program(0x1001, 1000));
    Bytes image = Drive->DiskImage();
    SectorOf(image, 18, 1)[32 * 1 + 2] = 0x02;
    for (int track = 1; track <= 35; ++track) SectorOf(image, 18, 0)[4 + 4 * (track - 1) + 1] = 0xFF;
    Drive->AttachImageData(image);
    EXPECT_EQ(client.Dos("V0"), "00, OK,00,00");
    const TD64Check check = Check();
    EXPECT_EQ(check.Files.size(), 1u);
    EXPECT_EQ(check.BlocksFree, 664 - 4);
}

TEST_F(D64Writes, DataFilesAreWrittenAndReadByteByByte) {
    TDriveClient client = Client();
    ASSERT_EQ(client.OpenChannel(2, "LOG,S,W"), 0);
    client.Send(2, "HELLO");
    client.Send(2, "\r");
    client.CloseChannel(2);
    EXPECT_EQ(client.OpenChannel(3, "LOG,A"), 0);
    client.Send(3, "MORE\r");
    client.CloseChannel(3);
    EXPECT_EQ(client.OpenChannel(4, "EMPTY,S,W"), 0);
    client.CloseChannel(4);

    ASSERT_EQ(client.OpenChannel(2, "LOG,S,R"), 0);
    EXPECT_EQ(AsText(client.Receive(2)), "HELLO\rMORE\r");
    EXPECT_EQ(client.Receive(2), Bytes{0x0D});  // past the end: a return with the end mark
    EXPECT_EQ(client.StatusLine(), "00, OK,00,00");
    EXPECT_EQ(client.OpenChannel(2, "LOG,P,R"), TDrive::StatusNotFound);
    EXPECT_EQ(client.StatusLine(), "64,FILE TYPE MISMATCH,00,00");
    // An empty file holds a single return, as on a 1541.
    client.OpenChannel(5, "EMPTY");
    EXPECT_EQ(client.Receive(5), Bytes{0x0D});
    EXPECT_EQ(Check().Files.at("EMPTY"), Bytes{0x0D});
    const Bytes image = Drive->DiskImage();
    EXPECT_EQ(image[size_t(91392 + 256 + 2)], 0x81);  // LOG is a closed SEQ file
}

TEST(D64HostFile, WritesReachTheImageFileOnlyWhole) {
    TTempDir dir;
    TD64Builder builder;
    Bytes withErrors = builder.Image;
    withErrors.resize(size_t(TDrive::D64ImageWithErrorsSize), 0x01);
    const fs::path path = dir / "disk.d64";
    WriteFile(path, withErrors);
    TDrive drive;
    drive.SetMode(TDrive::ModeD64);
    ASSERT_EQ(drive.AttachImage(path.string()), TD64Attach::Attached);
    EXPECT_EQ(drive.ImageFile(), fs::canonical(path).string());
    TDriveClient client(drive);
    EXPECT_EQ(client.Save("GAME", Program(0x1001, 500)), "00, OK,00,00");
    Bytes expected = drive.DiskImage();
    expected.insert(expected.end(), withErrors.begin() + TDrive::D64ImageSize, withErrors.end());
    EXPECT_EQ(ReadFile(path), expected);  // the error bytes are kept
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);

    // A write that fails half-way (the host's file size limit stands in for a full disk)
    // leaves the image file and the disk in memory as they were.
    const Bytes before = ReadFile(path);
    const std::string status = WithFileSizeLimit(100000, [&] { return client.Save("LOST", Program(0x1001, 500)); });
    EXPECT_EQ(status, "25,WRITE ERROR,00,00");
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(Bytes(drive.DiskImage()), Bytes(before.begin(), before.begin() + TDrive::D64ImageSize));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

// Another program's change is never written over: the drive's own write stays in memory and
// answers 25, later ones 26, until the file is attached again, which reads it anew.
TEST(D64HostFile, AnImageChangedByAnotherProgramIsKeptUntilAttachedAgain) {
    TTempDir dir;
    const fs::path path = dir / "disk.d64";
    WriteFile(path, TD64Builder().Image);
    TDrive drive;
    drive.SetMode(TDrive::ModeD64);
    ASSERT_EQ(drive.AttachImage(path.string()), TD64Attach::Attached);
    TDriveClient client(drive);
    EXPECT_EQ(client.Save("FIRST", {1, 2}), "00, OK,00,00");
    TD64Builder outside;
    outside.AddFile("THEIRS", {3, 4});
    WriteFile(path, outside.Image);
    EXPECT_EQ(client.Save("MINE", {5, 6}), "25,WRITE ERROR,00,00");
    EXPECT_EQ(drive.TakeNotice(), D64ChangedOutsideNotice);
    EXPECT_EQ(client.Load("MINE"), (Bytes{5, 6}));  // kept in memory
    EXPECT_EQ(client.Save("MORE", {7}), "26,WRITE PROTECT ON,00,00");
    EXPECT_EQ(ReadFile(path), outside.Image);
    ASSERT_EQ(drive.AttachImage(drive.ImageFile()), TD64Attach::Attached);
    EXPECT_FALSE(drive.WriteProtected());
    EXPECT_EQ(client.Load("THEIRS"), (Bytes{3, 4}));
}

TEST(D64HostFile, AReadOnlyImageIsWriteProtected) {
    TTempDir dir;
    const fs::path path = dir / "disk.d64";
    WriteFile(path, TD64Builder().Image);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    TDrive drive;
    drive.SetMode(TDrive::ModeD64);
    ASSERT_EQ(drive.AttachImage(path.string()), TD64Attach::Attached);
    EXPECT_TRUE(drive.WriteProtected());
    TDriveClient client(drive);
    for (const char* command : {"S0:*", "N0:X,YY", "V0", "R0:A=B"}) EXPECT_EQ(client.Dos(command), "26,WRITE PROTECT ON,00,00");
    EXPECT_EQ(client.Save("GAME", {1, 2, 3}), "26,WRITE PROTECT ON,00,00");
    EXPECT_EQ(ReadFile(path), TD64Builder().Image);
    EXPECT_EQ(drive.DiskImage(), TD64Builder().Image);
}

// The user's protection holds for both kinds of medium and across a change of disk.
TEST(DriveWriteProtection, TheUsersProtectionRefusesEveryChange) {
    TTempDir dir;
    WriteFile(dir / "keep.prg", {1});
    for (int mode : {TDrive::ModeDirectory, TDrive::ModeD64}) {
        TDrive drive;
        drive.SetDirectoryPath(dir.String());
        drive.SetMode(mode);
        drive.SetWriteProtected(true);
        drive.AttachImageData(TD64Builder().Image);
        EXPECT_TRUE(drive.WriteProtected());
        TDriveClient client(drive);
        EXPECT_EQ(client.Save("GAME", {1}), "26,WRITE PROTECT ON,00,00") << mode;
        EXPECT_EQ(client.Dos("S0:*"), "26,WRITE PROTECT ON,00,00") << mode;
        EXPECT_EQ(client.Dos("R0:NEW=KEEP"), "26,WRITE PROTECT ON,00,00") << mode;
        EXPECT_EQ(client.OpenChannel(2, "LOG,S,W"), TDrive::StatusNotFound) << mode;
        drive.SetWriteProtected(false);
        EXPECT_EQ(client.Save("GAME", {1, 2}), "00, OK,00,00") << mode;
    }
    EXPECT_EQ(ReadFile(dir / "keep.prg"), Bytes{1});
    EXPECT_EQ(ReadFile(dir / "GAME.PRG"), (Bytes{1, 2}));
}

}  // namespace
