#include <gtest/gtest.h>

#include <memory>

#include "d64_builder.h"
#include "media/drive.h"
#include "media/drive_listing.h"
#include "media_test_support.h"

using namespace media_test;

namespace {

class D64Drive : public ::testing::Test {
protected:
    void SetUp() override {
        Drive = std::make_unique<TDrive>();
        Drive->SetMode(TDrive::ModeD64);
    }
    // Attaches the builder's image and returns a client for it.
    TDriveClient Insert() {
        EXPECT_EQ(Drive->AttachImageData(Disk.Image), TD64Attach::Attached);
        return TDriveClient(*Drive);
    }

    TD64Builder Disk;
    std::unique_ptr<TDrive> Drive;
};

TEST(D64Geometry, TrackOffsetsFollowTheZones) {
    TDrive drive;
    EXPECT_EQ(drive.TrackOffset[0], 0);
    EXPECT_EQ(drive.TrackOffset[1], 21 * 256);
    EXPECT_EQ(drive.TrackOffset[17], 91392);
    EXPECT_EQ(drive.TrackOffset[24], 91392 + 7 * 19 * 256);
    EXPECT_EQ(drive.TrackOffset[35], 174848);
    EXPECT_EQ(TDrive::SectorsPerTrack(17), 21);
    EXPECT_EQ(TDrive::SectorsPerTrack(18), 19);
    EXPECT_EQ(TDrive::SectorsPerTrack(30), 18);
    EXPECT_EQ(TDrive::SectorsPerTrack(31), 17);
}

TEST_F(D64Drive, StarLoadsTheFirstUsedEntryWhateverItsType) {
    Disk.AddEntry("GONE", 0x00, {1, 0}, 1);
    Disk.AddFile("NOTES", Program(0x1001, 10, 1), 0x81);
    Disk.AddFile("GAME", Program(0x1001, 10, 2));
    TDriveClient client = Insert();
    EXPECT_EQ(client.Load("*"), Program(0x1001, 10, 1));
    EXPECT_EQ(client.Status(), 0);
}

TEST_F(D64Drive, NamesMatchByteForByteAfterTheDrivePrefix) {
    const Bytes game = Program(0x1001, 300);
    Disk.AddFile("GAME", game);
    TDriveClient client = Insert();
    EXPECT_EQ(client.Load("GAME"), game);
    EXPECT_EQ(client.Load("0:GAME"), game);
    EXPECT_EQ(client.Load("G?M*"), game);
    EXPECT_EQ(client.Open("game"), TDrive::StatusNotFound);
    EXPECT_EQ(Drive->DataLength, 0);
    EXPECT_EQ(client.Open("GAME.PRG"), TDrive::StatusNotFound);  // no extension is added
}

TEST_F(D64Drive, LastSectorLinkCountsTheBytesInUse) {
    uint8_t* sector = Disk.Sector(1, 0);
    sector[0] = 0;
    sector[1] = 10;
    for (int i = 2; i < 256; ++i) sector[i] = uint8_t(i);
    Disk.AddEntry("ONE", 0x82, {1, 0}, 1);
    TDriveClient client = Insert();
    ASSERT_EQ(client.Open("ONE"), 0);
    EXPECT_EQ(Drive->DataLength, 9);
    EXPECT_EQ(client.ReadAll(), (Bytes{2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(D64Drive, TwoSectorFileJoinsItsChain) {
    uint8_t* first = Disk.Sector(1, 0);
    first[0] = 5;
    first[1] = 3;
    for (int i = 2; i < 256; ++i) first[i] = uint8_t(i);
    uint8_t* second = Disk.Sector(5, 3);
    second[0] = 0;
    second[1] = 3;
    second[2] = 0xAA;
    second[3] = 0xBB;
    Disk.AddEntry("TWO", 0x82, {1, 0}, 2);
    TDriveClient client = Insert();
    ASSERT_EQ(client.Open("TWO"), 0);
    EXPECT_EQ(Drive->DataLength, 256);
    const Bytes data = client.ReadAll();
    ASSERT_EQ(data.size(), 256u);
    EXPECT_EQ(data[0], 2);
    EXPECT_EQ(data[253], 255);
    EXPECT_EQ(data[254], 0xAA);
    EXPECT_EQ(data[255], 0xBB);
}

TEST_F(D64Drive, LastSectorLinksAtTheLimitsStayInsideTheSector) {
    // The disk's very last sector, full to byte 255.
    uint8_t* last = Disk.Sector(35, 16);
    last[0] = 0;
    last[1] = 255;
    last[255] = 0x77;
    Disk.AddEntry("FULL", 0x82, {35, 16}, 1);
    // Last-byte indexes of 0 and 1 hold no data: such a file has no load address, and LOAD
    // must not be handed a length of 0 with status OK (the end mark would come only after
    // 65536 bytes), so it is not found.
    for (int index : {0, 1}) {
        Disk.Sector(2, index)[0] = 0;
        Disk.Sector(2, index)[1] = uint8_t(index);
    }
    Disk.AddEntry("NONE", 0x82, {2, 0}, 1);
    Disk.AddEntry("ONE", 0x82, {2, 1}, 1);
    TDriveClient client = Insert();
    ASSERT_EQ(client.Open("FULL"), 0);
    EXPECT_EQ(Drive->DataLength, 254);
    EXPECT_EQ(client.ReadAll().back(), 0x77);
    for (const char* name : {"NONE", "ONE"}) {
        EXPECT_EQ(client.Open(name), TDrive::StatusNotFound) << name;
        EXPECT_EQ(Drive->DataLength, 0) << name;
        EXPECT_EQ(Drive->DosStatus().Line(), "62,FILE NOT FOUND,00,00") << name;
    }
}

TEST_F(D64Drive, ScratchedEntriesAreNeitherListedNorLoaded) {
    Disk.AddFile("GHOST", Program(0x1001, 5), 0x00);
    TDriveClient client = Insert();
    EXPECT_EQ(client.Open("GHOST"), TDrive::StatusNotFound);
    client.Close();
    EXPECT_EQ(client.Load("$").size(), 64u);
}

TEST_F(D64Drive, SearchGoesOnIntoLaterDirectorySectors) {
    for (int i = 0; i < 9; ++i) Disk.AddFile(std::string("FILE") + char('0' + i), Program(0x1001, 3, uint8_t(i)));
    TDriveClient client = Insert();
    EXPECT_EQ(client.Load("FILE8"), Program(0x1001, 3, 8));
    EXPECT_EQ(client.Load("$").size(), 64u + 9 * 32);
}

TEST_F(D64Drive, ListingReproducesTheDirectory) {
    Disk.SetTitle("MY DISK", "XY", "2A");
    Disk.AddEntry("HELLO", 0x82, {1, 0}, 5);
    Disk.AddEntry("LOCKED", 0xC2, {1, 0}, 12);
    Disk.AddEntry("SPLAT", 0x02, {1, 0}, 123);
    Disk.AddEntry("RELATIVE", 0x84, {1, 0}, 0);
    Disk.AddEntry("ODD", 0x85, {1, 0}, 1);
    Disk.AddEntry("SIXTEEN CHARS 16", 0x81, {1, 0}, 7);
    TDriveClient client = Insert();
    const Bytes listing = client.Load("$");

    Bytes expected{0x01, 0x10, 0x1F, 0x10, 0x00, 0x00, 0x12, 0x22};
    AppendText(expected, "MY DISK");
    expected.insert(expected.end(), 9, 0xA0);
    AppendText(expected, "\" XY 2A");
    expected.push_back(0);
    uint16_t address = 0x101F;
    auto line = [&](uint16_t blocks, int lead, std::string_view name, std::string_view marks, int trail) {
        AppendWord(expected, uint16_t(address + 32));
        AppendWord(expected, blocks);
        AppendSpaces(expected, lead);
        expected.push_back(0x22);
        AppendText(expected, name);
        expected.push_back(0x22);
        AppendSpaces(expected, 16 - int(name.size()));
        AppendText(expected, marks);
        AppendSpaces(expected, 1 + trail);
        expected.push_back(0);
        address = uint16_t(address + 32);
    };
    line(5, 3, "HELLO", " PRG ", 0);
    line(12, 2, "LOCKED", " PRG<", 1);
    line(123, 1, "SPLAT", "*PRG ", 2);
    line(0, 3, "RELATIVE", " REL ", 0);
    line(1, 3, "ODD", " ??? ", 0);
    line(7, 3, "SIXTEEN CHARS 16", " SEQ ", 0);
    const Bytes tail = ListingTail(address, 664);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(listing, expected);
    EXPECT_EQ(Drive->DataLength, expected.size());
}

TEST_F(D64Drive, BlocksFreeLeavesOutTheDirectoryTrack) {
    uint8_t* bam = Disk.Sector(18, 0);
    for (int track = 1; track <= 35; ++track) bam[4 + 4 * (track - 1)] = 10;
    TDriveClient client = Insert();
    const Bytes listing = client.Load("$");
    EXPECT_EQ(listing[listing.size() - 30] | listing[listing.size() - 29] << 8, 340);
}

TEST_F(D64Drive, BrokenFileChainsEndAsFileNotFound) {
    Disk.AddEntry("OFFDISK", 0x82, {40, 0}, 1);
    Disk.AddEntry("BADSECTOR", 0x82, {18, 19}, 1);
    Disk.AddEntry("NOTRACK", 0x82, {0, 0}, 1);
    // 20/0 -> 20/1 -> 20/0: a loop.
    Disk.Sector(20, 0)[0] = 20;
    Disk.Sector(20, 0)[1] = 1;
    Disk.Sector(20, 1)[0] = 20;
    Disk.Sector(20, 1)[1] = 0;
    Disk.AddEntry("LOOP", 0x82, {20, 0}, 2);
    // A chain that leaves the disk halfway.
    Disk.Sector(21, 0)[0] = 36;
    Disk.Sector(21, 0)[1] = 0;
    Disk.AddEntry("HALFWAY", 0x82, {21, 0}, 2);
    Disk.AddFile("GOOD", {1, 2, 3});
    TDriveClient client = Insert();
    for (const char* name : {"OFFDISK", "BADSECTOR", "NOTRACK", "LOOP", "HALFWAY"}) {
        client.Load("GOOD");
        EXPECT_EQ(client.Open(name), TDrive::StatusNotFound) << name;
        EXPECT_EQ(Drive->DataLength, 0) << name;
    }
}

TEST_F(D64Drive, FilesLongerThanTheDataBufferAreRefused) {
    Disk.AddFile("FITS", Bytes(65535, 0x5A));
    Disk.AddFile("LONG", Bytes(65536, 0xA5));
    TDriveClient client = Insert();
    ASSERT_EQ(client.Open("FITS"), 0);
    EXPECT_EQ(Drive->DataLength, 65535);
    EXPECT_EQ(client.Open("LONG"), TDrive::StatusNotFound);
    EXPECT_EQ(Drive->DataLength, 0);
}

TEST_F(D64Drive, LoopingDirectoryIsListedOnce) {
    for (int i = 0; i < 10; ++i) Disk.AddFile(std::string("F") + char('A' + i), {1});
    // The second directory sector links back to the first.
    Disk.Sector(18, 2)[0] = 18;
    Disk.Sector(18, 2)[1] = 1;
    TDriveClient client = Insert();
    EXPECT_EQ(client.Load("$").size(), 64u + 10 * 32);
    EXPECT_EQ(client.Open("NOSUCH"), TDrive::StatusNotFound);
}

TEST_F(D64Drive, DirectoryLinkOffTheDiskCutsTheListing) {
    for (int i = 0; i < 10; ++i) Disk.AddFile(std::string("F") + char('A' + i), {1});
    Disk.Sector(18, 1)[0] = 99;
    TDriveClient client = Insert();
    EXPECT_EQ(client.Load("$").size(), 64u + 8 * 32);
    EXPECT_EQ(client.Open("FJ"), TDrive::StatusNotFound);
    EXPECT_EQ(client.Load("FA"), Bytes{1});
}

// A crafted disk whose directory chain runs through every sector of the image, each full of
// entries: the listing is cut as a host directory's is.
TEST_F(D64Drive, TheLongestDirectoryChainIsCutToFitTheMachine) {
    Disk.ChainDirectoryThroughEverySector();
    TDriveClient client = Insert();
    for (const int ram : {65536, 16384}) {
        Drive->SetMachineRam(ram);
        const Bytes listing = client.Load("$");
        EXPECT_EQ(ListingLineCount(listing), 2 + (TListingWriter::MaxListingSize(ram) - 64) / 32) << ram;
    }
}

TEST_F(D64Drive, DiskWithoutDirectoryFindsNothing) {
    Disk.AddFile("GAME", {1});
    Disk.Sector(18, 0)[0] = 0;
    TDriveClient client = Insert();
    EXPECT_EQ(client.Open("GAME"), TDrive::StatusNotFound);
    client.Close();
    EXPECT_EQ(client.Load("$").size(), 64u);
}

TEST_F(D64Drive, AttachTakesOnlyWholeImages) {
    TTempDir dir;
    Disk.AddFile("GAME", {1, 2});
    WriteFile(dir / "good.d64", Disk.Image);
    Bytes withErrors = Disk.Image;
    withErrors.resize(size_t(TDrive::D64ImageWithErrorsSize), 0x01);
    WriteFile(dir / "errors.d64", withErrors);
    WriteFile(dir / "short.d64", Bytes(Disk.Image.begin(), Disk.Image.end() - 1));
    WriteFile(dir / "long.d64", Bytes(size_t(TDrive::D64ImageSize) + 1, 0));
    WriteFile(dir / "empty.d64", {});

    TDriveClient client(*Drive);
    EXPECT_EQ(Drive->AttachImage((dir / "good.d64").string()), TD64Attach::Attached);
    EXPECT_EQ(client.Load("GAME"), (Bytes{1, 2}));
    for (const char* name : {"short.d64", "empty.d64"}) {
        EXPECT_EQ(Drive->AttachImage((dir / name).string()), TD64Attach::NotAnImage) << name;
        EXPECT_EQ(Drive->DiskImage(), Disk.Image) << name;
    }
    EXPECT_EQ(Drive->AttachImage((dir / "missing.d64").string()), TD64Attach::CannotOpen);
    EXPECT_EQ(Drive->AttachImage(dir.String()), TD64Attach::CannotOpen);
    EXPECT_EQ(Drive->DiskImage(), Disk.Image);
    EXPECT_EQ(client.Load("GAME"), (Bytes{1, 2}));

    // A longer file is served read-only with its first 35 tracks, and the user is told.
    EXPECT_EQ(Drive->AttachImage((dir / "long.d64").string()), TD64Attach::Attached);
    EXPECT_EQ(Drive->DiskImage(), Bytes(size_t(TDrive::D64ImageSize), 0));
    EXPECT_TRUE(Drive->WriteProtected());
    EXPECT_NE(Drive->TakeNotice().find("first 35 tracks, write-protected"), std::string::npos);

    Drive->SetMode(TDrive::ModeNone);
    EXPECT_EQ(Drive->AttachImage((dir / "errors.d64").string()), TD64Attach::Attached);
    EXPECT_EQ(Drive->DriveMode, TDrive::ModeNone);  // attaching does not choose the mode
    EXPECT_EQ(Drive->DiskImage(), Disk.Image);

    EXPECT_STREQ(D64AttachMessage(TD64Attach::Attached), "");
    EXPECT_STRNE(D64AttachMessage(TD64Attach::NotAnImage), "");
    EXPECT_STRNE(D64AttachMessage(TD64Attach::CannotOpen), "");
}

TEST_F(D64Drive, DollarRequestKeepsTheStatus) {
    TDriveClient client = Insert();
    EXPECT_EQ(client.Open("MISSING"), TDrive::StatusNotFound);
    EXPECT_EQ(client.Open("$ANYTHING"), TDrive::StatusNotFound);
    EXPECT_EQ(Drive->DataLength, 64);
}

}  // namespace
