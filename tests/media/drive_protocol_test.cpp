#include <gtest/gtest.h>

#include <memory>

#include "media/drive.h"
#include "media_test_support.h"

using namespace media_test;

namespace {

// A drive serving a fresh directory, for protocol tests that need prepared data.
class DriveProtocol : public DirectoryDriveFixture {};

TEST(NameMatch, WildcardsAndExactBytes) {
    EXPECT_TRUE(NameMatch("GAME", "GAME"));
    EXPECT_FALSE(NameMatch("GAME", "GAMES"));
    EXPECT_FALSE(NameMatch("GAMES", "GAME"));
    EXPECT_FALSE(NameMatch("GAME", "game"));
    EXPECT_TRUE(NameMatch("G?ME", "GAME"));
    EXPECT_TRUE(NameMatch("G?ME", "GOME"));
    EXPECT_FALSE(NameMatch("GAM?", "GAM"));
    EXPECT_TRUE(NameMatch("G*", "G"));
    EXPECT_TRUE(NameMatch("G*", "GALAXY"));
    EXPECT_FALSE(NameMatch("G*", "AG"));
    EXPECT_TRUE(NameMatch("*", ""));
    EXPECT_TRUE(NameMatch("GA*XX", "GAME"));  // "*" decides, whatever follows
    EXPECT_TRUE(NameMatch("", ""));
    EXPECT_FALSE(NameMatch("", "A"));
}

TEST(DigitCount, CountsDecimalCharacters) {
    EXPECT_EQ(DigitCount(0), 1);
    EXPECT_EQ(DigitCount(9), 1);
    EXPECT_EQ(DigitCount(10), 2);
    EXPECT_EQ(DigitCount(999), 3);
    EXPECT_EQ(DigitCount(1000), 4);
    EXPECT_EQ(DigitCount(65535), 5);
    EXPECT_EQ(DigitCount(-15), 3);
}

TEST(DriveRegisters, DriveWithoutBackEndIsSilent) {
    auto drive = std::make_unique<TDrive>();
    TDriveClient client(*drive);
    client.Code(0x55);
    drive->WritePort(0xFEF2, 0x00);
    for (uint16_t address = 0xFEF0; address <= 0xFEFF; ++address) EXPECT_EQ(drive->ReadPort(address), 0) << address;

    drive->SetMode(TDrive::ModeDirectory);
    client.Code(0x55);
    drive->WritePort(0xFEF2, 0x00);
    EXPECT_EQ(drive->ReadPort(0xFEF0), 0x55);
    EXPECT_EQ(drive->ReadPort(0xFEF2), 0xFF);
    for (uint16_t address = 0xFEF3; address <= 0xFEFF; ++address) EXPECT_EQ(drive->ReadPort(address), 0) << address;
}

TEST(DriveRegisters, EachDriveAnswersOnlyAtItsOwnBase) {
    auto drive8 = std::make_unique<TDrive>();
    auto drive9 = std::make_unique<TDrive>();
    drive8->SetDeviceNumber(8);
    drive9->SetDeviceNumber(9);
    drive8->SetMode(TDrive::ModeDirectory);
    drive9->SetMode(TDrive::ModeDirectory);
    EXPECT_EQ(drive9->BaseAddress(), 0xFEC0);

    // The bus offers every write to both drives; only the addressed one acts.
    for (TDrive* drive : {drive8.get(), drive9.get()}) {
        drive->WritePort(0xFEC0, 0x55);
        drive->WritePort(0xFEC2, 0x00);
    }
    EXPECT_EQ(drive9->ReadPort(0xFEC0), 0x55);
    EXPECT_EQ(drive9->ReadPort(0xFEC2), 0xFF);
    EXPECT_EQ(drive8->DataRegister, 0);
    EXPECT_EQ(drive8->HandshakeRegister, 0);

    for (TDrive* drive : {drive8.get(), drive9.get()}) drive->WritePort(0xFEF2, 0x00);
    EXPECT_EQ(drive8->ReadPort(0xFEF2), 0xFF);
    drive9->WritePort(0xFEC2, 0x40);
    for (TDrive* drive : {drive8.get(), drive9.get()}) drive->WritePort(0xFEF0, 0x81);
    EXPECT_EQ(drive9->ProtocolState, 0);
    EXPECT_EQ(drive9->ReadPort(0xFEC2), 0x00);
    EXPECT_EQ(drive8->ProtocolState, 2);
}

TEST(DriveRegisters, DeviceNumbersOutsideEightAndNineMeanEight) {
    TDrive drive;
    drive.SetDeviceNumber(9);
    EXPECT_EQ(drive.DeviceNumber, 9);
    drive.SetDeviceNumber(7);
    EXPECT_EQ(drive.DeviceNumber, 8);
    drive.SetDeviceNumber(10);
    EXPECT_EQ(drive.BaseAddress(), 0xFEF0);
}

TEST_F(DriveProtocol, HandshakeRegisterFollowsTheRomsWrites) {
    Drive->WritePort(0xFEF2, 0x40);
    EXPECT_EQ(Drive->ReadPort(0xFEF2), 0x00);
    Drive->WritePort(0xFEF2, 0x00);
    EXPECT_EQ(Drive->ReadPort(0xFEF2), 0xFF);
    Drive->WritePort(0xFEF2, 0x80);
    EXPECT_EQ(Drive->ReadPort(0xFEF2), 0xFF);
    // Writes to the status register and beyond base + 2 are ignored.
    Drive->WritePort(0xFEF1, 0x02);
    Drive->WritePort(0xFEF5, 0x55);
    EXPECT_EQ(Drive->ReadPort(0xFEF1), 0);
    EXPECT_EQ(Drive->ReadPort(0xFEF0), 0);
}

TEST_F(DriveProtocol, EchoAnswersAndClearsTheName) {
    TDriveClient client(*Drive);
    client.Command(0x20);
    client.Code(0x83);
    client.Code('X');
    EXPECT_EQ(Drive->NameLength, 1);
    client.Code(0x55);
    EXPECT_EQ(client.Data(), 0x55);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_EQ(Drive->NameLength, 0);
    EXPECT_EQ(Drive->ProtocolState, 0);
}

TEST_F(DriveProtocol, UnknownBusCommandKeepsWaitingForOne) {
    TDriveClient client(*Drive);
    client.Code(0x81);
    EXPECT_EQ(client.Handshake(), 0x00);
    client.Code(0x77);
    EXPECT_EQ(Drive->ProtocolState, 2);
    client.Code(0x55);  // taken as a bus command too, so no echo
    EXPECT_EQ(client.Data(), 0x00);
    client.Code(0x20);
    EXPECT_EQ(Drive->ProtocolState, 0);
    EXPECT_EQ(client.Handshake(), 0xFF);
}

TEST_F(DriveProtocol, SecondaryAddressesPassWithoutEffect) {
    TDriveClient client(*Drive);
    client.Command(0x20);
    client.Code(0x82);
    EXPECT_EQ(client.Handshake(), 0x00);
    client.Code(0x60);
    EXPECT_EQ(Drive->ProtocolState, 0);
    EXPECT_EQ(client.Handshake(), 0x00);
    client.Code(0xF0);
    EXPECT_EQ(client.Handshake(), 0xFF);
    EXPECT_EQ(Drive->NameLength, 0);
}

TEST_F(DriveProtocol, DeliversPreparedBytesAndMarksTheLast) {
    WriteFile(Dir / "ABC.PRG", {0x11, 0x22, 0x33});
    TDriveClient client(*Drive);
    ASSERT_EQ(client.Open("ABC"), 0);
    EXPECT_EQ(client.Handshake(), 0xFF);
    client.Command(0x40);
    const uint8_t expected[3][2] = {{0x11, 0}, {0x22, 0}, {0x33, 3}};
    for (const auto& byte : expected) {
        client.Code(0x84);
        EXPECT_EQ(client.Handshake(), 0x00);
        EXPECT_EQ(client.Data(), byte[0]);
        EXPECT_EQ(client.Status(), byte[1]);
    }
    // Reading on is no error: a stale byte with status 0, and the position wraps at 65536.
    client.Code(0x84);
    EXPECT_EQ(client.Status(), 0);
    for (int i = 0; i < 65535; ++i) client.Code(0x84);
    EXPECT_EQ(Drive->ReadPosition, 3);
    EXPECT_EQ(client.Data(), 0x33);
    EXPECT_EQ(client.Status(), 3);

    client.Command(0x5F);
    EXPECT_EQ(client.Status(), 0);
    // A new TALK goes on where the last one stopped, as GET# reads a file byte by byte; a new
    // request starts again from the first byte.
    client.Command(0x40);
    client.Code(0x84);
    EXPECT_EQ(client.Data(), Drive->PreparedData()[4]);
    client.Command(0x5F);
    ASSERT_EQ(client.Open("ABC"), 0);
    EXPECT_EQ(client.ReadAll(), (Bytes{0x11, 0x22, 0x33}));
}

TEST_F(DriveProtocol, ListenWithoutNameEmptiesTheData) {
    WriteFile(Dir / "ABC.PRG", {1, 2, 3});
    TDriveClient client(*Drive);
    client.Open("ABC");
    client.Command(0x20);
    client.Code(0xE0);
    client.Command(0x3F);
    EXPECT_EQ(Drive->DataLength, 0);
    EXPECT_EQ(Drive->ReadPosition, 0);
}

TEST_F(DriveProtocol, LampShowsBusyUntilTheLastByteOrClose) {
    WriteFile(Dir / "ABC.PRG", {1, 2});
    TDriveClient client(*Drive);
    EXPECT_TRUE(Drive->TakeLampChange());  // from choosing the mode
    EXPECT_FALSE(Drive->TakeLampChange());
    EXPECT_EQ(Drive->Lamp, TDrive::LampIdle);

    client.Open("ABC");
    EXPECT_EQ(Drive->Lamp, TDrive::LampBusy);
    EXPECT_TRUE(Drive->TakeLampChange());
    client.Command(0x40);
    client.Code(0x84);
    EXPECT_FALSE(Drive->TakeLampChange());
    client.Code(0x84);
    EXPECT_EQ(Drive->Lamp, TDrive::LampIdle);
    EXPECT_TRUE(Drive->TakeLampChange());

    client.Command(0x20);
    EXPECT_EQ(Drive->Lamp, TDrive::LampBusy);
    client.Code(0xE0);
    EXPECT_EQ(Drive->Lamp, TDrive::LampIdle);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_EQ(client.Handshake(), 0xFF);

    Drive->SetMode(TDrive::ModeNone);
    EXPECT_EQ(Drive->Lamp, TDrive::LampOff);
    EXPECT_TRUE(Drive->TakeLampChange());
}

TEST_F(DriveProtocol, ResetKeepsModeAndRegistersButEmptiesTheBuffers) {
    WriteFile(Dir / "ABC.PRG", {1, 2, 3});
    TDriveClient client(*Drive);
    client.Open("ABC");
    client.Command(0x40);
    client.Code(0x84);
    client.Code(0x81);
    Drive->TakeLampChange();

    Drive->Reset();
    EXPECT_EQ(Drive->DriveMode, TDrive::ModeDirectory);
    EXPECT_EQ(Drive->Lamp, TDrive::LampIdle);
    EXPECT_TRUE(Drive->TakeLampChange());
    EXPECT_EQ(Drive->ProtocolState, 0);
    EXPECT_EQ(Drive->NameLength, 0);
    EXPECT_EQ(Drive->ReadPosition, 0);
    EXPECT_EQ(Drive->DataLength, 0);
    EXPECT_EQ(client.Data(), 1);  // registers stay
    EXPECT_EQ(Drive->GetDirectoryPath(), Dir.String());

    Drive->SetMode(TDrive::ModeNone);
    Drive->TakeLampChange();
    Drive->Reset();
    EXPECT_FALSE(Drive->TakeLampChange());
    EXPECT_EQ(Drive->Lamp, TDrive::LampOff);
}

TEST_F(DriveProtocol, NamesLongerThanTheBufferAreCut) {
    TDriveClient client(*Drive);
    client.Command(0x20);
    for (int i = 0; i < 300; ++i) {
        client.Code(0x83);
        client.Code('A');
    }
    EXPECT_EQ(Drive->NameLength, TDrive::NameBufferSize);
    EXPECT_EQ(Drive->ProtocolState, 0);
    client.Command(0x3F);
    EXPECT_EQ(client.Status(), TDrive::StatusNotFound);
}

TEST_F(DriveProtocol, NameByteLeavesTheHandshakeAlone) {
    TDriveClient client(*Drive);
    client.Command(0x20);
    client.Code(0x83);
    EXPECT_EQ(client.Handshake(), 0x00);
    Drive->WritePort(0xFEF2, 0x00);
    client.Code('Q');
    EXPECT_EQ(client.Handshake(), 0xFF);
    EXPECT_EQ(Drive->Name(), "Q");
}

}  // namespace
