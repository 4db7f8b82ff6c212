// The processor port, the cassette and keyboard latches, and the devices behind the I/O pages.
#include <gtest/gtest.h>

#include "media/drive.h"
#include "media/tape.h"
#include "memory_test_util.h"
#include "ted/ted.h"

using namespace memtest;

TEST(ProcessorPort, ComposesMotorAndTapeLevel) {
    TMemory memory(Ram64K);
    TTape tape;
    memory.SetTape(&tape);
    EXPECT_EQ(memory.Read(0x0001), 0xC0);

    memory.Write(0x0001, 0x00);  // motor line is active low
    EXPECT_EQ(memory.Motor, 1);
    EXPECT_EQ(memory.Read(0x0001), 0xC0);

    tape.LevelBit = 1;
    EXPECT_EQ(memory.Read(0x0001), 0xD0);
    EXPECT_EQ(memory.TapeLevelLatch, 1);

    // The output lines (bits 0-3) read back as written, so a read-modify-write that toggles the
    // cassette write line keeps the motor running; the written byte is kept in RAM.
    memory.Write(0x0001, memory.Read(0x0001) ^ 0x02);
    EXPECT_EQ(memory.Motor, 1);
    EXPECT_EQ(memory.Read(0x0001), 0xD2);
    memory.Write(0x0001, 0xFF);
    EXPECT_EQ(memory.Motor, 0);
    EXPECT_EQ(memory.Image[0x0001], 0xFF);
    EXPECT_EQ(memory.Read(0x0001), 0xDF);
}

TEST(ProcessorPort, WithoutATapeTheLevelLatchHoldsItsLastValue) {
    TMemory memory(Ram64K);
    TTape tape;
    tape.LevelBit = 1;
    memory.SetTape(&tape);
    EXPECT_EQ(memory.Read(0x0001), 0xD0);
    memory.SetTape(nullptr);
    memory.Write(0x0001, 0x08);  // no tape to receive the write line: nothing breaks
    EXPECT_EQ(memory.Read(0x0001), 0xD8);

    TMemory unwired(Ram64K);
    unwired.TapeLevelLatch = 1;
    EXPECT_EQ(unwired.Read(0x0001), 0xD0);
}

TEST(ProcessorPort, MirrorsReachThePortWhereTheAddressFolds) {
    TMemory memory(Ram16K);
    memory.EnableRom();
    memory.Write(0x4001, 0x80);
    EXPECT_EQ(memory.Motor, 1);
    EXPECT_EQ(memory.Image[0x0001], 0x80);
    EXPECT_EQ(memory.Read(0x4001), 0xC0);
    memory.Write(0xC001, 0x08);  // writes fold up to $EFFF whatever ROM says
    EXPECT_EQ(memory.Motor, 0);

    // ROM covers $8001 and $C001 for reads; without it they fold onto the port too.
    SlotByte(memory, 0, 1) = 0xB1;
    EXPECT_EQ(memory.Read(0x8001), 0xB1);
    memory.SetRomEnabled(0);
    memory.Write(0x0001, 0x08);
    EXPECT_EQ(memory.Read(0x8001), 0xC8);
    EXPECT_EQ(memory.Read(0xC001), 0xC8);
    // $F001 is never folded: it is RAM.
    memory.Image[0xF001] = 0x5E;
    EXPECT_EQ(memory.Read(0xF001), 0x5E);

    TMemory big(Ram64K);
    big.Write(0x4001, 0x00);
    EXPECT_EQ(big.Motor, 0);
    EXPECT_EQ(big.Image[0x4001], 0x00);
}

TEST(CassetteSense, FollowsThePlayKey) {
    TMemory memory(Ram64K);
    memory.Image[0xFD10] = 0x77;
    EXPECT_EQ(memory.Read(0xFD10), 0x04);
    memory.PlayKey = 1;
    EXPECT_EQ(memory.Read(0xFD10), 0x00);
    memory.PlayKey = 0;
    EXPECT_EQ(memory.Read(0xFD10), 0x04);
}

TEST(KeyboardLatch, AllSixteenAddressesShareRamFD30) {
    TMemory memory(Ram16K);
    memory.Image[0xFD35] = 0x11;
    memory.Write(0xFD35, 0xA5);
    EXPECT_EQ(memory.Image[0xFD30], 0xA5);
    EXPECT_EQ(memory.Image[0xFD35], 0x11);
    EXPECT_EQ(memory.Read(0xFD30), 0xA5);
    EXPECT_EQ(memory.Read(0xFD3F), 0xA5);
}

TEST(IoPageFD, WritesReachRamButReadsGiveTheIoValues) {
    TMemory memory(Ram64K);
    memory.EnableRom();
    for (uint16_t a = 0xFD00; a < 0xFD30; ++a) {
        memory.Write(a, 0x5A);
        EXPECT_EQ(memory.Image[a], 0x5A) << std::hex << a;
        const uint8_t expected = a == 0xFD10 ? 0x04 : a == 0xFD21 ? 0xFF : 0x00;
        EXPECT_EQ(memory.Read(a), expected) << std::hex << a;
    }
    for (uint16_t a = 0xFD40; a < 0xFE00; ++a) {
        memory.Image[a] = 0x5A;
        EXPECT_EQ(memory.Read(a), 0x00) << std::hex << a;
    }
}

TEST(IoPageFE, UnwiredDrivesAndTheRestOfThePageReadZeroAndKeepRamAsIs) {
    TMemory memory(Ram64K);
    for (uint32_t a = 0xFE00; a < 0xFF00; ++a) {
        memory.Image[a] = 0x5A;
        memory.Write(uint16_t(a), 0xC3);
        EXPECT_EQ(memory.Image[a], 0x5A) << std::hex << a;
        EXPECT_EQ(memory.Read(uint16_t(a)), 0x00) << std::hex << a;
    }
}

TEST(IoPageFE, DrivePortsGoToTheirDrive) {
    // A twin of each drive receives the same calls; the bus must answer exactly as it does.
    TDrive drive8, drive9, twin8, twin9;
    drive8.SetDeviceNumber(8);
    twin8.SetDeviceNumber(8);
    drive9.SetDeviceNumber(9);
    twin9.SetDeviceNumber(9);
    TMemory memory(Ram16K);
    memory.SetDrive8(&drive8);
    memory.SetDrive9(&drive9);
    for (const uint16_t a : {0xFEF0, 0xFEF2, 0xFEFF}) {
        memory.Image[a] = 0x5A;
        memory.Write(a, 0x3C);
        twin8.WritePort(a, 0x3C);
        EXPECT_EQ(memory.Image[a], 0x5A);
        EXPECT_EQ(memory.Read(a), twin8.ReadPort(a)) << std::hex << a;
    }
    for (const uint16_t a : {0xFEC0, 0xFEC2, 0xFECF}) {
        memory.Image[a] = 0x5A;
        memory.Write(a, 0x3C);
        twin9.WritePort(a, 0x3C);
        EXPECT_EQ(memory.Image[a], 0x5A);
        EXPECT_EQ(memory.Read(a), twin9.ReadPort(a)) << std::hex << a;
    }
}

TEST(IoPageFF, TedRegistersAreNeverRam) {
    TTED ted;
    for (TTED* wired : {static_cast<TTED*>(nullptr), &ted}) {
        TMemory memory(Ram64K);
        memory.EnableRom();
        memory.SetTED(wired);
        for (uint16_t a = 0xFF00; a < 0xFF20; ++a) {
            memory.Image[a] = 0x5A;
            memory.Write(a, 0x00);
            EXPECT_EQ(memory.Image[a], 0x5A) << std::hex << a;
            if (!wired) {
                EXPECT_EQ(memory.Read(a), 0x00) << std::hex << a;
            }
        }
    }
}

