#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "media/drive.h"
#include "media/drive_listing.h"
#include "media_test_support.h"

using namespace media_test;

namespace {

class DirectoryDrive : public DirectoryDriveFixture {
protected:
    Bytes Listing() {
        TDriveClient client(*Drive);
        return client.Load("$");
    }
    static Bytes Header(char device) {
        Bytes bytes{0x01, 0x10, 0x1F, 0x10, 0x00, 0x00, 0x12, 0x22};
        AppendText(bytes, "VARLUME DIR (");
        bytes.push_back(uint8_t(device));
        AppendText(bytes, ") ");
        bytes.push_back(0x22);
        AppendText(bytes, " 00 2A");
        bytes.push_back(0);
        return bytes;
    }
    // The free value the host reports for the test directory, as the listing shows it.
    uint16_t FreeValue() const {
        std::error_code error;
        const auto space = fs::space(Dir.Path, error);
        return error ? 0 : uint16_t(std::min<std::uintmax_t>(space.available, 32768));
    }

};

TEST_F(DirectoryDrive, HostNamesAreUpperCasedBeforeMatching) {
    const Bytes game = Program(0x1001, 40);
    WriteFile(Dir / "game.prg", game);
    TDriveClient client(*Drive);
    EXPECT_EQ(client.Load("GAME"), game);
    EXPECT_EQ(client.Load("0:GAME"), game);
    EXPECT_EQ(client.Load("G?ME"), game);
    EXPECT_EQ(client.Status(), 0);
}

TEST_F(DirectoryDrive, OpeningByNameIgnoresLetterCase) {
    const Bytes game = Program(0x1001, 5);
    WriteFile(Dir / "Game.Prg", game);
    TDriveClient client(*Drive);
    // "game.PRG" matches no folded name byte for byte, but the file is found whatever its case.
    EXPECT_EQ(client.Load("game"), game);
}

TEST_F(DirectoryDrive, StarRequestsTakeTheFirstProgramInNameOrder) {
    WriteFile(Dir / "zed.prg", Program(0x1001, 3, 30));
    WriteFile(Dir / "gamma.prg", Program(0x1001, 3, 20));
    WriteFile(Dir / "game.prg", Program(0x1001, 3, 10));
    WriteFile(Dir / "aaa.txt", Program(0x1001, 3, 99));
    WriteFile(Dir / "beta.prg", Program(0x1001, 3, 40));
    TDriveClient client(*Drive);
    EXPECT_EQ(client.Load("G*"), Program(0x1001, 3, 10));
    EXPECT_EQ(client.Load("GAM*"), Program(0x1001, 3, 10));
    EXPECT_EQ(client.Load("GAMM*"), Program(0x1001, 3, 20));
    EXPECT_EQ(client.Load("*"), Program(0x1001, 3, 40));
    EXPECT_EQ(client.Load("*ANYTHING"), Program(0x1001, 3, 40));
}

TEST_F(DirectoryDrive, MissingFileReportsNotFoundAndKeepsThePreparedData) {
    WriteFile(Dir / "one.prg", {1, 2, 3});
    WriteFile(Dir / "one.txt", {9});
    TDriveClient client(*Drive);
    client.Load("ONE");
    EXPECT_EQ(client.Open("TWO"), TDrive::StatusNotFound);
    EXPECT_EQ(Drive->DataLength, 3);
    EXPECT_EQ(client.Open("ONE.TXT"), TDrive::StatusNotFound);
    EXPECT_EQ(client.ReadAll(), (Bytes{1, 2, 3}));
    // A "*" request in a directory without programs finds nothing either.
    fs::remove(Dir / "one.prg");
    EXPECT_EQ(client.Open("*"), TDrive::StatusNotFound);
}

TEST_F(DirectoryDrive, NamesCannotReachOutsideTheDirectory) {
    TTempDir outside;
    fs::create_directory(Dir / "sub");
    WriteFile(Dir / "sub" / "inner.prg", {1});
    WriteFile(Dir.Path.parent_path() / (Dir.Path.filename().string() + "-secret.prg"), {2});
    WriteFile(outside / "secret.prg", {3});
    const std::string outsideFromDir = "../" + outside.Path.filename().string() + "/SECRET";
    TDriveClient client(*Drive);
    for (const std::string& name : {std::string("SUB/INNER"), std::string("sub/inner"), std::string("SUB\\INNER"),
                                    outsideFromDir, std::string("..\\") + outside.Path.filename().string(),
                                    std::string("../*"), std::string("..")}) {
        EXPECT_EQ(client.Open(name), TDrive::StatusNotFound) << name;
    }
    EXPECT_EQ(Drive->DataLength, 0);
    fs::remove(Dir.Path.parent_path() / (Dir.Path.filename().string() + "-secret.prg"));
}

TEST_F(DirectoryDrive, FilesTooLongForTheDataBufferAreRefused) {
    WriteFile(Dir / "small.prg", {7, 8});
    Bytes largest = Program(0x1001, 65533);
    WriteFile(Dir / "largest.prg", largest);
    WriteFile(Dir / "huge.prg", Program(0x1001, 65534));
    TDriveClient client(*Drive);
    client.Load("SMALL");
    EXPECT_EQ(client.Open("HUGE"), TDrive::StatusNotFound);
    EXPECT_EQ(Drive->DataLength, 2);
    EXPECT_EQ(client.ReadAll(), (Bytes{7, 8}));

    EXPECT_EQ(client.Open("LARGEST"), 0);
    EXPECT_EQ(Drive->DataLength, 65535);
    EXPECT_EQ(client.ReadAll(), largest);
}

TEST_F(DirectoryDrive, EmptyDirectoryListsOnlyHeaderAndBlocksFree) {
    const Bytes listing = Listing();
    Bytes expected = Header('8');
    const Bytes tail = ListingTail(0x101F, FreeValue());
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(listing.size(), 64u);
    EXPECT_EQ(listing, expected);
    EXPECT_EQ(Drive->DataLength, 64);
}

TEST_F(DirectoryDrive, ListingHeaderNamesTheDevice) {
    Drive->SetDeviceNumber(9);
    TDriveClient client(*Drive);
    const Bytes listing = client.Load("$");
    const Bytes header = Header('9');
    EXPECT_EQ(Bytes(listing.begin(), listing.begin() + 32), header);
}

TEST_F(DirectoryDrive, ListingLinesLayOutEachFile) {
    WriteFile(Dir / "a.prg", Program(0x1001, 298));       // 300 bytes: 2 blocks
    WriteFile(Dir / "ten.PRG", Program(0x1001, 2302));    // 2304 bytes: 10 blocks
    WriteFile(Dir / "big.prg", Program(0x1001, 25342));   // 25344 bytes: 100 blocks
    WriteFile(Dir / "lowercase-name16.prg", {1, 2});      // 16 characters before the extension
    WriteFile(Dir / "seventeen-chars17.prg", {1, 2});     // too long: left out
    WriteFile(Dir / "notes.txt", {1, 2});
    const Bytes listing = Listing();

    auto line = [](uint16_t address, uint16_t blocks, int lead, std::string_view name, int trail) {
        Bytes bytes;
        AppendWord(bytes, uint16_t(address + 32));
        AppendWord(bytes, blocks);
        AppendSpaces(bytes, lead);
        bytes.push_back(0x22);
        AppendText(bytes, name);
        bytes.push_back(0x22);
        AppendSpaces(bytes, 17 - int(name.size()));
        AppendText(bytes, "PRG  ");
        AppendSpaces(bytes, trail);
        bytes.push_back(0);
        return bytes;
    };
    Bytes expected = Header('8');
    for (const Bytes& bytes : {line(0x101F, 2, 3, "A", 0), line(0x103F, 100, 1, "BIG", 2),
                               line(0x105F, 1, 3, "LOWERCASE-NAME16", 0), line(0x107F, 10, 2, "TEN", 1)}) {
        ASSERT_EQ(bytes.size(), 32u);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    const Bytes tail = ListingTail(0x109F, FreeValue());
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(listing, expected);
}

TEST_F(DirectoryDrive, BlocksFreeIsCappedAt32768) {
    std::error_code error;
    const auto space = fs::space(Dir.Path, error);
    if (error || space.available < 32768) GTEST_SKIP() << "the test volume is nearly full";
    const Bytes listing = Listing();
    EXPECT_EQ(listing[listing.size() - 30] | listing[listing.size() - 29] << 8, 32768);
}

TEST_F(DirectoryDrive, LargeBlockCountsKeepLinesAt32Bytes) {
    WriteFile(Dir / "a.prg", Program(0x1001, 65278));  // 65280 bytes: 256 blocks
    {
        std::ofstream file(Dir / "b.prg", std::ios::binary);
    }
    fs::resize_file(Dir / "b.prg", 300000);  // 1172 blocks: four digits
    const Bytes listing = Listing();
    ASSERT_EQ(listing.size(), 128u);
    EXPECT_EQ(listing[34] | listing[35] << 8, 256);
    EXPECT_EQ(listing[66] | listing[67] << 8, 1172);
    // The second line still ends where its predecessor's link says the next one starts.
    EXPECT_EQ(listing[64 + 31], 0);
    EXPECT_EQ(Bytes(listing.begin() + 68, listing.begin() + 73), Text("\"B\"  "));
    EXPECT_EQ(Bytes(listing.begin() + 84, listing.begin() + 95), Text("   PRG     "));
    EXPECT_EQ(listing[64] | listing[65] << 8, 0x105F);
}

TEST_F(DirectoryDrive, ServingNeverChangesTheCurrentDirectory) {
    const fs::path before = fs::current_path();
    WriteFile(Dir / "x.prg", {1});
    TDriveClient client(*Drive);
    client.Load("X");
    client.Load("$");
    EXPECT_EQ(fs::current_path(), before);
}

// A directory that is not there, or no longer the one chosen, is never replaced by the current
// directory: every access answers 74 and nothing is read or written anywhere.
TEST_F(DirectoryDrive, AMissingOrReplacedDirectoryIsNotReadyAndNothingElseIsServed) {
    WriteFile(Dir / "here.prg", {4, 5});
    const fs::path before = fs::current_path();
    fs::current_path(Dir.Path);
    TDriveClient client(*Drive);
    fs::create_directories(Dir / "served");
    const auto served = Dir / "served";
    const std::function<void()> changes[] = {
        [&] { Drive->SetDirectoryPath(""); },
        [&] { Drive->SetDirectoryPath((Dir / "gone").string()); },
        [&] { Drive->SetDirectoryPath(served.string()); fs::rename(served, Dir / "moved"); },
        // Another directory put in its place (both exist at once, so they are different ones).
        [&] {
            Drive->SetDirectoryPath((Dir / "moved").string());
            fs::create_directories(Dir / "other");
            fs::remove_all(Dir / "moved");
            fs::rename(Dir / "other", Dir / "moved");
        },
    };
    for (const auto& change : changes) {
        change();
        EXPECT_EQ(client.Load("HERE"), Bytes());
        EXPECT_EQ(client.StatusLine(), "74,DRIVE NOT READY,00,00");
        EXPECT_EQ(client.Open("$"), TDrive::StatusNotFound);
        EXPECT_EQ(client.Dos("S0:*"), "74,DRIVE NOT READY,00,00");
        EXPECT_EQ(client.Save("NEW", {1, 0x10, 0}), "74,DRIVE NOT READY,00,00");
    }
    fs::current_path(before);
    EXPECT_TRUE(fs::exists(Dir / "here.prg"));
    EXPECT_FALSE(fs::exists(Dir / "NEW.PRG"));
    EXPECT_TRUE(fs::is_empty(Dir / "moved"));
}

TEST_F(DirectoryDrive, DollarRequestKeepsTheStatus) {
    TDriveClient client(*Drive);
    client.Open("NOTHING");
    EXPECT_EQ(client.Open("$"), TDrive::StatusNotFound);
    EXPECT_EQ(Drive->DataLength, 64);
}

// A directory far larger than a disk's: the listing is cut by the drive so that, loaded at
// $1001, it ends with room to spare below the top of BASIC's memory, and it stays a whole BASIC
// program with its header and BLOCKS FREE line.
TEST_F(DirectoryDrive, AHugeDirectoryIsCutToFitTheMachine) {
    for (int i = 0; i < 2100; ++i) WriteFile(Dir / (std::string("f") + std::to_string(i) + ".prg"), {1, 2});
    TDriveClient client(*Drive);
    for (const auto& [ram, top] : {std::pair{65536, 0xFD00}, std::pair{32768, 0x8000}, std::pair{16384, 0x4000}}) {
        Drive->SetMachineRam(ram);
        const Bytes listing = client.Load("$");
        const int lines = ListingLineCount(listing);
        EXPECT_GT(lines, 2) << ram;
        EXPECT_LE(0x1001 + listing.size() - 2, size_t(top - TListingWriter::RoomForBasic)) << ram;
        EXPECT_GT(0x1001 + listing.size() - 2 + 32, size_t(top - TListingWriter::RoomForBasic)) << ram;  // nothing cut early
    }
}

TEST(ListingWriter, CutsTheListingBeforeItsBufferFills) {
    // Room for exactly three entry lines besides the header, the last line and the end marker.
    constexpr int32_t capacity = 2 + 30 + 3 * 32 + 30 + 2;
    Bytes buffer(capacity + 16, 0xEE);
    TListingWriter listing(buffer.data(), capacity);
    listing.Header("TITLE", "00", "2A");
    int written = 0;
    while (listing.Entry(1, "F", " PRG  ")) ++written;
    EXPECT_EQ(written, 3);
    EXPECT_EQ(listing.Finish(7), capacity);
    EXPECT_EQ(Bytes(buffer.begin() + capacity - 28, buffer.begin() + capacity - 16), Text("BLOCKS FREE."));
    EXPECT_EQ(Bytes(buffer.begin() + capacity, buffer.end()), Bytes(16, 0xEE));
}

}  // namespace
