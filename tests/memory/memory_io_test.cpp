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

// A C16 has no user port chip: its $FD10 has the cassette sense on bit 2 and an open bus
// elsewhere. The Plus4's user port latch reads back what was written, its pins pulled up, the
// sense line on bit 2.
TEST(CassetteSense, FollowsThePlayKeyOnBothModels) {
    TMemory memory(Ram64K);
    memory.Image[0xFD10] = 0x77;
    memory.BusValue = 0x5A;
    EXPECT_EQ(memory.Read(0xFD10), 0x5E);
    memory.PlayKey = 1;
    memory.BusValue = 0x5E;
    EXPECT_EQ(memory.Read(0xFD10), 0x5A);

    memory.SetIoModel(TMemory::TIoModel::Plus4, true);
    EXPECT_EQ(memory.Read(0xFD10), 0xFB);
    memory.PlayKey = 0;
    EXPECT_EQ(memory.Read(0xFD1F), 0xFF);
    memory.Write(0xFD1A, 0x55);
    EXPECT_EQ(memory.Read(0xFD10), 0x55);
    memory.PlayKey = 1;
    EXPECT_EQ(memory.Read(0xFD10), 0x51);
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

// No chip answers there: a read gives the last value on the data bus, which with no TED
// fetching is the last byte the processor moved. Writes still reach the RAM below $FE00.
TEST(OpenBus, UnconnectedAddressesReadTheLastValueOnTheBus) {
    for (const auto model : {TMemory::TIoModel::C16, TMemory::TIoModel::Plus4}) {
        TMemory memory(Ram64K);
        memory.SetIoModel(model, true);
        memory.EnableRom();
        const bool plus4 = model == TMemory::TIoModel::Plus4;
        for (uint32_t a = 0xFD00; a < 0xFF00; ++a) {
            const bool answers = (a & 0xFFF0) == 0xFD10 || (a & 0xFFF0) == 0xFD30 || a == 0xFD21 ||
                                 (plus4 && (a & 0xFFF0) == 0xFD00);
            if (answers) continue;
            memory.Write(uint16_t(a), 0x5A);
            EXPECT_EQ(memory.Image[a], a < 0xFE00 ? 0x5A : 0x00) << std::hex << a;
            memory.BusValue = uint8_t(a * 7);
            EXPECT_EQ(memory.Read(uint16_t(a)), uint8_t(a * 7)) << std::hex << a;
        }
        // The serial chip of the Plus4, idle: its command and control registers read back.
        if (plus4) {
            memory.Write(0xFD02, 0x0B);
            memory.Write(0xFD07, 0x1F);
            EXPECT_EQ(memory.Read(0xFD06), 0x0B);
            EXPECT_EQ(memory.Read(0xFD03), 0x1F);
            EXPECT_EQ(memory.Read(0xFD01), 0x10);
        }
        EXPECT_EQ(memory.Read(0xFD21), 0xFF);
    }
}

// A ROM bank no image fills reads the open bus too, where the machine says so.
TEST(OpenBus, AnEmptyRomBankReadsTheBusAndALoadedOneItsImage) {
    TMemory memory(Ram64K);
    memory.EnableRom();
    SlotByte(memory, 2, 0) = 0x42;
    memory.SetRomBanks(1, 0);
    EXPECT_EQ(memory.Read(0x8000), 0x42) << "a bus on its own reads the slots as they are";
    memory.SetIoModel(TMemory::TIoModel::C16, true);
    memory.BusValue = 0x99;
    EXPECT_EQ(memory.Read(0x8000), 0x99);
    EXPECT_EQ(memory.Peek(0x8000), 0x99);
    memory.SetRomBanks(0, 0);
    SlotByte(memory, 0, 0) = 0x24;
    memory.BusValue = 0x98;
    EXPECT_EQ(memory.Read(0x8000), 0x98) << "slot 0 was never loaded either";
}

TEST(IoPageFE, DrivePortsGoToTheirDriveWhileItHasAMode) {
    // A twin of each drive receives the same calls; the bus must answer exactly as it does.
    TDrive drive8, drive9, twin8, twin9;
    for (TDrive* drive : {&drive8, &twin8}) drive->SetDeviceNumber(8);
    for (TDrive* drive : {&drive9, &twin9}) drive->SetDeviceNumber(9);
    for (TDrive* drive : {&drive8, &twin8, &drive9, &twin9}) drive->SetMode(TDrive::ModeD64);
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
    drive8.SetMode(TDrive::ModeNone);
    memory.BusValue = 0x77;
    EXPECT_EQ(memory.Read(0xFEF1), 0x77) << "a port with no drive behind it is open";
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

