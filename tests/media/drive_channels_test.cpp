#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

#include "d64_builder.h"
#include "media/drive.h"
#include "media_test_support.h"

using namespace media_test;

namespace {

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Every host file in a directory with its contents, to show that nothing else changed.
std::map<std::string, Bytes> Snapshot(const fs::path& directory) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::directory_iterator(directory))
        files[entry.path().filename().string()] = entry.is_regular_file() ? ReadFile(entry.path()) : Bytes{};
    return files;
}

class DriveChannels : public DirectoryDriveFixture {};

TEST_F(DriveChannels, TheCommandChannelReportsTheStatusOnceThenOk) {
    TDriveClient client(*Drive);
    client.Command(0x40);
    client.Code(0x82);
    client.Code(0x6F);
    std::string line;
    for (;;) {
        client.Code(0x84);
        line += char(client.Data());
        if (client.Status() != 0) break;
    }
    // The end mark comes with the carriage return.
    EXPECT_EQ(line, "73,VARLUME DOS V1.0,00,00\r");
    EXPECT_EQ(client.Status(), TDrive::StatusLastByte);
    client.Command(0x5F);
    EXPECT_EQ(client.StatusLine(), "00, OK,00,00");

    EXPECT_TRUE(client.Load("NOPE").empty());
    EXPECT_EQ(Drive->Lamp, TDrive::LampError);
    EXPECT_EQ(client.StatusLine(), "62,FILE NOT FOUND,00,00");
    EXPECT_EQ(Drive->Lamp, TDrive::LampIdle);
    Drive->Reset();
    EXPECT_EQ(client.StatusLine(), "73,VARLUME DOS V1.0,00,00");
}

TEST_F(DriveChannels, TheErrorChannelCanBeReadWhileTheListingIsReadByteByByte) {
    WriteFile(Dir / "one.prg", {1, 2, 3});
    WriteFile(Dir / "two.seq", {4});
    TDriveClient client(*Drive);
    const Bytes whole = client.Load("$");
    client.Close();

    // As a C library's directory functions do: OPEN 1,8,0,"$", then the error channel, then
    // one TALK per byte (GET#), each ending in UNTALK.
    ASSERT_EQ(client.OpenChannel(0, "$"), 0);
    client.OpenChannel(15, "");
    EXPECT_EQ(client.StatusLine(), "00, OK,00,00");
    Bytes bytes;
    for (size_t i = 0; i < whole.size() + 10; ++i) {
        client.Command(0x40);
        client.Code(0x82);
        client.Code(0x60);
        client.Code(0x84);
        bytes.push_back(client.Data());
        const uint8_t status = client.Status();
        client.Command(0x5F);
        if (status == TDrive::StatusLastByte) break;
    }
    EXPECT_EQ(bytes, whole);
    EXPECT_EQ(AsText(Bytes(whole.begin() + 71, whole.begin() + 93)), "\"TWO\"              SEQ");
}

TEST_F(DriveChannels, SaveWritesTheFileWholeAndKeepsWhatExists) {
    WriteFile(Dir / "old.prg", {9, 9});
    WriteFile(Dir / "notes.txt", {7});
    TDriveClient client(*Drive);
    const Bytes program = Program(0x1001, 700);
    EXPECT_EQ(client.Save("TEST", program), "00, OK,00,00");
    EXPECT_EQ(ReadFile(Dir / "TEST.PRG"), program);
    EXPECT_EQ(client.Save("OLD", program), "63,FILE EXISTS,00,00");
    EXPECT_EQ(ReadFile(Dir / "old.prg"), (Bytes{9, 9}));
    // "@" replaces the file in place, under its own host name.
    EXPECT_EQ(client.Save("@0:OLD", program), "00, OK,00,00");
    EXPECT_EQ(ReadFile(Dir / "old.prg"), program);
    EXPECT_EQ(client.Load("OLD"), program);
    // Names that are not plain names are refused; nothing reaches the host.
    for (const char* name : {"A/B", "..", "G*", "X?Y", "A\\B"}) EXPECT_EQ(client.Save(name, program), "33,SYNTAX ERROR,00,00") << name;
    const auto files = Snapshot(Dir.Path);
    EXPECT_EQ(files.size(), 3u);  // no temporary file left behind either
    EXPECT_EQ(files.at("notes.txt"), Bytes{7});
}

TEST_F(DriveChannels, DataFilesAreSequentialFilesOnTheHost) {
    TDriveClient client(*Drive);
    ASSERT_EQ(client.OpenChannel(2, "DATA,S,W"), 0);
    client.Send(2, "HELLO\r");
    // The error channel can be read while the file is open.
    EXPECT_EQ(client.StatusLine(), "00, OK,00,00");
    client.Send(2, "WORLD\r");
    client.CloseChannel(2);
    EXPECT_EQ(AsText(ReadFile(Dir / "DATA.SEQ")), "HELLO\rWORLD\r");
    client.OpenChannel(2, "DATA,A");
    client.Send(2, "!");
    client.CloseChannel(2);

    ASSERT_EQ(client.OpenChannel(3, "DATA,S,R"), 0);
    EXPECT_EQ(AsText(client.Receive(3)), "HELLO\rWORLD\r!");
    client.CloseChannel(3);
    EXPECT_EQ(client.OpenChannel(3, "DATA,P,R"), TDrive::StatusNotFound);
    EXPECT_EQ(client.StatusLine(), "64,FILE TYPE MISMATCH,00,00");
    EXPECT_EQ(client.OpenChannel(3, "DATA,P,W"), TDrive::StatusNotFound);  // one name, one file
    EXPECT_EQ(client.StatusLine(), "63,FILE EXISTS,00,00");
    // A channel that is not open has nothing to send.
    EXPECT_TRUE(client.Receive(9).empty());
    EXPECT_EQ(client.Status(), 0);

    WriteFile(Dir / "empty.seq", {});
    client.OpenChannel(4, "EMPTY");
    EXPECT_EQ(client.Receive(4), Bytes{0x0D});
    WriteFile(Dir / "prog.prg", {1, 2});
    client.OpenChannel(4, "PROG,P,R");
    EXPECT_EQ(client.Receive(4), (Bytes{1, 2}));
}

TEST_F(DriveChannels, ScratchAndRenameTouchOnlyServedFiles) {
    TTempDir outside;
    WriteFile(outside / "keep.prg", {5});
    fs::create_symlink(outside / "keep.prg", Dir / "away.prg");
    for (const char* name : {"apple.prg", "apricot.seq", "banana.prg", "a-note.txt"}) WriteFile(Dir / name, {1});
    TDriveClient client(*Drive);
    EXPECT_EQ(client.Dos("S0:A*"), "01,FILES SCRATCHED,02,00");
    EXPECT_EQ(ReadFile(outside / "keep.prg"), Bytes{5});
    EXPECT_TRUE(fs::exists(Dir / "a-note.txt"));
    EXPECT_TRUE(fs::is_symlink(Dir / "away.prg"));
    EXPECT_EQ(client.Dos("R0:CHERRY=B*"), "00, OK,00,00");
    EXPECT_EQ(client.Dos("R0:CHERRY=NONE"), "62,FILE NOT FOUND,00,00");
    EXPECT_EQ(client.Dos("R0:AWAY=CHERRY"), "63,FILE EXISTS,00,00");
    EXPECT_EQ(client.Load("CHERRY"), Bytes{1});
    EXPECT_EQ(client.Dos("N0:DISK,ID"), "31,SYNTAX ERROR,00,00");
    EXPECT_EQ(client.Dos("V0"), "00, OK,00,00");
    EXPECT_EQ(client.Dos("I0"), "00, OK,00,00");
    EXPECT_EQ(client.Dos("Q"), "31,SYNTAX ERROR,00,00");
}

// Links that leave the directory, lead to a device, to a directory or nowhere, and named pipes,
// are not files of the drive: never listed, loaded, replaced or scratched, and never opened (a
// pipe would block). A link to a file inside the directory is served.
TEST_F(DriveChannels, OnlyRegularFilesInsideTheDirectoryAreServed) {
    TTempDir outside;
    WriteFile(outside / "secret.prg", {0x01, 0x10, 0xEE});
    WriteFile(Dir / "real.prg", {0x01, 0x10, 0x42});
    fs::create_symlink(outside / "secret.prg", Dir / "out.prg");
    fs::create_symlink("/dev/zero", Dir / "zero.prg");
    fs::create_symlink(outside.Path, Dir / "folder.prg");
    fs::create_symlink(Dir / "missing.prg", Dir / "dangling.prg");
    fs::create_symlink(Dir / "real.prg", Dir / "alias.prg");
    ASSERT_EQ(mkfifo((Dir / "pipe.prg").c_str(), 0600), 0);
    TDriveClient client(*Drive);
    const Bytes listing = client.Load("$");
    EXPECT_EQ(listing.size(), 64u + 2 * 32);  // ALIAS and REAL
    EXPECT_EQ(client.Load("ALIAS"), (Bytes{0x01, 0x10, 0x42}));
    for (const char* name : {"OUT", "ZERO", "FOLDER", "DANGLING", "PIPE"}) {
        EXPECT_EQ(client.Open(name), TDrive::StatusNotFound) << name;
        EXPECT_EQ(client.StatusLine(), "62,FILE NOT FOUND,00,00") << name;
        EXPECT_EQ(client.OpenChannel(2, std::string(name) + ",P,R"), TDrive::StatusNotFound) << name;
        EXPECT_EQ(client.Save(std::string("@0:") + name, {1, 2}), "63,FILE EXISTS,00,00") << name;
    }
    EXPECT_EQ(client.Dos("S0:*"), "01,FILES SCRATCHED,02,00");
    EXPECT_EQ(ReadFile(outside / "secret.prg"), (Bytes{0x01, 0x10, 0xEE}));
    EXPECT_TRUE(fs::is_symlink(Dir / "out.prg"));
    EXPECT_TRUE(fs::is_fifo(Dir / "pipe.prg"));
}

TEST_F(DriveChannels, AFailedWriteLeavesTheOldFileWhole) {
    const Bytes old = Program(0x1001, 3000);
    WriteFile(Dir / "game.prg", old);
    TDriveClient client(*Drive);
    const std::string status = WithFileSizeLimit(4096, [&] { return client.Save("@0:GAME", Program(0x1001, 9000)); });
    EXPECT_EQ(status, "25,WRITE ERROR,00,00");
    EXPECT_EQ(ReadFile(Dir / "game.prg"), old);
    EXPECT_EQ(Snapshot(Dir.Path).size(), 1u);
}

TEST_F(DriveChannels, FilesOverTheLimitsAreRefused) {
    fs::resize_file((WriteFile(Dir / "big.prg", {}), Dir / "big.prg"), 70000);
    fs::resize_file((WriteFile(Dir / "huge.seq", {}), Dir / "huge.seq"), TDataChannel::MaxFileSize + 1);
    TDriveClient client(*Drive);
    EXPECT_EQ(client.Open("BIG"), TDrive::StatusNotFound);
    EXPECT_EQ(client.StatusLine(), "52,FILE TOO LARGE,00,00");
    EXPECT_EQ(client.OpenChannel(2, "BIG"), 0);  // a data channel holds more
    EXPECT_EQ(client.Receive(2, 100000).size(), 70000u);
    EXPECT_EQ(client.OpenChannel(3, "HUGE"), TDrive::StatusNotFound);
    EXPECT_EQ(client.StatusLine(), "52,FILE TOO LARGE,00,00");
}

// Random traffic on the port, built from the protocol's codes, secondary addresses and names
// made of DOS characters, on both kinds of drive: the drive's registers stay in range, nothing
// appears outside the served directory, and the disk image keeps its size.
TEST(DriveProtocolFuzz, RandomTrafficKeepsTheDriveSound) {
    TTempDir outer;
    const fs::path served = outer / "served";
    fs::create_directory(served);
    WriteFile(served / "game.prg", Program(0x1001, 600));
    const std::string alphabet = "0:$*?@,=SPRWAULNIV#/.\\GAME\r";
    const uint8_t codes[] = {0x55, 0x81, 0x82, 0x83, 0x84, 0x20, 0x40, 0x3F, 0x5F, 0x60, 0x61, 0x62, 0x6F, 0xE0,
                             0xE1, 0xE2, 0xEF, 0xF0, 0xF1, 0xF2, 0xFF, 0x00};
    std::mt19937 random(7);
    for (int mode : {TDrive::ModeDirectory, TDrive::ModeD64}) {
        TDrive drive;
        drive.SetDirectoryPath(served.string());
        drive.AttachImageData(TD64Builder().Image);
        drive.SetMode(mode);
        for (int step = 0; step < 200000; ++step) {
            const uint32_t pick = random() % 16;
            if (pick < 9) drive.WritePort(0xFEF0, codes[random() % std::size(codes)]);
            else if (pick < 14) {
                drive.WritePort(0xFEF0, 0x83);  // a byte of a name, a command or a file
                drive.WritePort(0xFEF0, uint8_t(alphabet[random() % alphabet.size()]));
            }
            else if (pick == 14) drive.WritePort(uint16_t(0xFEF0 + random() % 16), uint8_t(random()));
            else drive.ReadPort(uint16_t(0xFEF0 + random() % 16));
            ASSERT_LE(drive.StatusRegister, 3);
            ASSERT_LE(drive.ProtocolState, 2);
            ASSERT_LE(drive.NameLength, TDrive::NameBufferSize);
        }
        EXPECT_EQ(drive.DiskImage().size(), size_t(TDrive::D64ImageSize));
    }
    const auto entries = Snapshot(outer.Path);
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries.count("served"));
}

}  // namespace
