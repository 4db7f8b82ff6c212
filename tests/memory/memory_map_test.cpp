// Folding into the installed RAM, ROM visibility and the ROM bank latches.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "memory_test_util.h"

using namespace memtest;

namespace {

struct TMapCase {
    int32_t RamSizeCode;
    bool Rom;
    int Low, High;
};

void PrintTo(const TMapCase& c, std::ostream* out) {
    *out << "RamSizeCode " << c.RamSizeCode << (c.Rom ? " ROM" : " RAM") << " banks " << c.Low << "/" << c.High;
}

class MemoryMapSweep : public ::testing::TestWithParam<TMapCase> {};

}  // namespace

// Every plain address, whatever page-table shortcut serves it, reads the byte the map names.
TEST_P(MemoryMapSweep, EveryPlainReadHitsTheMappedByte) {
    const TMapCase c = GetParam();
    auto memory = RandomMemory(c.RamSizeCode, c.Rom);
    // The bank latch answers to its address lines only.
    memory->Write(uint16_t(0xFDD0 | c.High << 2 | c.Low), 0x00);
    memory->AccessLog.clear();
    int checked = 0;
    for (uint32_t address = 0; address <= 0xFFFF; ++address) {
        const int64_t index = ExpectedReadIndex(uint16_t(address), c.RamSizeCode, c.Rom, c.Low, c.High);
        if (index < 0) continue;
        ASSERT_EQ(memory->Read(uint16_t(address)), memory->Image[index]) << std::hex << "address $" << address;
        ++checked;
    }
    EXPECT_EQ(memory->AccessLog.size(), size_t(checked));
}

// Writing every plain address in turn leaves RAM exactly as the fold says, ROM untouched.
TEST_P(MemoryMapSweep, EveryPlainWriteLandsInFoldedRam) {
    const TMapCase c = GetParam();
    auto memory = RandomMemory(c.RamSizeCode, c.Rom);
    memory->Write(uint16_t(0xFDD0 | c.High << 2 | c.Low), 0x00);
    std::vector<uint8_t> expected(memory->Image, memory->Image + TMemory::ImageSize);
    for (uint32_t address = 0; address <= 0xFFFF; ++address) {
        const int64_t index = ExpectedWriteIndex(uint16_t(address), c.RamSizeCode);
        if (index < 0) continue;
        const uint8_t value = uint8_t(address * 7 + (address >> 8) * 3 + 1);
        memory->Write(uint16_t(address), value);
        expected[index] = value;
    }
    EXPECT_EQ(0, std::memcmp(expected.data(), memory->Image, TMemory::ImageSize));
}

INSTANTIATE_TEST_SUITE_P(AllSizesRomAndBanks, MemoryMapSweep,
                         ::testing::Values(TMapCase{Ram16K, false, 0, 0}, TMapCase{Ram16K, true, 0, 0},
                                           TMapCase{Ram32K, false, 0, 0}, TMapCase{Ram32K, true, 2, 1},
                                           TMapCase{Ram64K, false, 3, 3}, TMapCase{Ram64K, true, 0, 0},
                                           TMapCase{Ram64K, true, 1, 3}, TMapCase{Ram64K, true, 3, 2},
                                           TMapCase{7, true, 2, 0}));

TEST(MemoryMap, SixteenKilobytesRepeatFourTimesBelowTheRom) {
    TMemory memory(Ram16K);
    memory.EnableRom();
    memory.Image[0x0000] = 0x11;
    memory.Image[0x2345] = 0x22;
    SlotByte(memory, 0, 0) = 0xB0;
    EXPECT_EQ(memory.Read(0x4000), 0x11);
    EXPECT_EQ(memory.Read(0x6345), 0x22);

    // A write above $7FFF lands in the mirror while the read there still shows BASIC.
    memory.Write(0x8000, 0x5A);
    EXPECT_EQ(memory.Image[0x0000], 0x5A);
    EXPECT_EQ(memory.Image[0x8000], 0x00);
    EXPECT_EQ(memory.Read(0x8000), 0xB0);

    // Without ROM the upper half folds as well, except $F000-$FF1F.
    memory.Write(0xFF3F, 0x00);  // folds to RAM $3F3F: no ROM switch on 16 KB
    memory.SetRomEnabled(0);
    EXPECT_EQ(memory.Read(0x8000), 0x5A);
    EXPECT_EQ(memory.Read(0xE345), 0x22);
    memory.Image[0xF000] = 0x33;
    memory.Image[0x3F20] = 0x44;
    EXPECT_EQ(memory.Read(0xF000), 0x33);
    EXPECT_EQ(memory.Read(0xFF20), 0x44);
}

TEST(MemoryMap, RomSwitchWritesOnlyWorkWithSixtyFourKilobytes) {
    for (const int32_t code : {Ram16K, Ram32K}) {
        TMemory memory(code);
        memory.EnableRom();
        SlotByte(memory, 0, 0) = 0xB0;
        memory.Write(0xFF3F, 0x9C);
        EXPECT_EQ(memory.RomEnabled(), 1) << "code " << code;
        EXPECT_EQ(memory.Read(0x8000), 0xB0);
        EXPECT_EQ(memory.Image[code == Ram16K ? 0x3F3F : 0x7F3F], 0x9C);
    }
}

TEST(MemoryMap, RomOffOnSixtyFourKilobytesShowsRamButKeepsIo) {
    TMemory memory(Ram64K);
    memory.EnableRom();
    for (int slot = 0; slot < 8; ++slot) std::memset(memory.Image + TMemory::SlotIndex(slot), 0xA0 + slot, TMemory::SlotSize);
    for (const uint16_t a : {0x8000, 0xBFFF, 0xC000, 0xFBFF, 0xFC00, 0xFCFF, 0xFF20, 0xFFFF}) memory.Image[a] = 0x42;
    memory.Image[0xFD21] = 0x42;
    memory.Image[0xFF3E] = 0x17;
    memory.Image[0xFF3F] = 0x18;

    memory.Write(0xFF3F, 0x00);
    EXPECT_EQ(memory.RomEnabled(), 0);
    EXPECT_EQ(memory.Image[0xFF3F], 0x18) << "the switch is not stored in RAM";
    for (const uint16_t a : {0x8000, 0xBFFF, 0xC000, 0xFBFF, 0xFC00, 0xFCFF, 0xFF20, 0xFFFF})
        EXPECT_EQ(memory.Read(a), 0x42) << std::hex << a;
    EXPECT_EQ(memory.Read(0xFD21), 0xFF);
    EXPECT_EQ(memory.Read(0xFD10) & 0x04, 0x04);

    memory.Write(0xFF3E, 0x00);
    EXPECT_EQ(memory.RomEnabled(), 1);
    EXPECT_EQ(memory.Image[0xFF3E], 0x17);
    EXPECT_EQ(memory.Read(0x8000), 0xA0);
    EXPECT_EQ(memory.Read(0xC000), 0xA1);
    EXPECT_EQ(memory.Read(0xFFFF), 0xA1);
}

TEST(MemoryMap, BankLatchFollowsTheAddressNibble) {
    TMemory memory(Ram64K);
    memory.EnableRom();
    for (int slot = 0; slot < 8; ++slot) std::memset(memory.Image + TMemory::SlotIndex(slot), 0xA0 + slot, TMemory::SlotSize);
    for (int nibble = 0; nibble < 16; ++nibble) {
        const uint16_t latch = uint16_t(0xFDD0 + nibble);
        const uint8_t value = uint8_t(0xF0 - nibble);  // the data bus plays no part
        memory.Write(latch, value);
        EXPECT_EQ(memory.LowRomBank(), nibble & 3);
        EXPECT_EQ(memory.HighRomBank(), nibble >> 2);
        EXPECT_EQ(memory.Image[latch], value) << "the latch address is RAM too";
        EXPECT_EQ(memory.Read(0x8000), 0xA0 + 2 * (nibble & 3));
        EXPECT_EQ(memory.Read(0xBFFF), 0xA0 + 2 * (nibble & 3));
        EXPECT_EQ(memory.Read(0xC000), 0xA1 + 2 * (nibble >> 2));
        EXPECT_EQ(memory.Read(0xFBFF), 0xA1 + 2 * (nibble >> 2));
        EXPECT_EQ(memory.Read(0xFF20), 0xA1 + 2 * (nibble >> 2));
        // The KERNAL's banking code stays visible in every bank.
        EXPECT_EQ(memory.Read(0xFC00), 0xA1);
        EXPECT_EQ(memory.Read(0xFCFF), 0xA1);
    }
}

TEST(MemoryMap, BankOneShowsThePlus4SoftwareExceptAtFC00) {
    TMemory memory(Ram64K);
    memory.EnableRom();
    SlotByte(memory, 1, 0x3C00) = 0x01;
    SlotByte(memory, 2, 0x0000) = 0x02;
    SlotByte(memory, 3, 0x0000) = 0x03;
    SlotByte(memory, 3, 0x3C00) = 0x33;
    memory.Write(0xFDD5, 0x00);
    EXPECT_EQ(memory.Read(0x8000), 0x02);
    EXPECT_EQ(memory.Read(0xC000), 0x03);
    EXPECT_EQ(memory.Read(0xFC00), 0x01);
}

TEST(MemoryMap, ACopyReadsItsOwnImage) {
    TMemory original(Ram64K);
    original.Image[0x1234] = 0x01;
    auto copy = std::make_unique<TMemory>(original);
    original.Image[0x1234] = 0x02;
    EXPECT_EQ(copy->Read(0x1234), 0x01);
}

TEST(MemoryMap, BankAndSizeChangesWhileRomIsOffShowOnceRomReturns) {
    TMemory memory(Ram64K);
    SlotByte(memory, 0, 0) = 0xB0;
    SlotByte(memory, 2, 0) = 0xB2;
    memory.Image[0x8000] = 0x42;
    memory.Write(0xFDD5, 0x00);
    EXPECT_EQ(memory.Read(0x8000), 0x42);
    memory.Write(0xFF3E, 0x00);
    EXPECT_EQ(memory.Read(0x8000), 0xB2);
    memory.Write(0xFF3F, 0x00);
    memory.SetRamSize(Ram16K);
    memory.Image[0x0000] = 0x16;
    EXPECT_EQ(memory.Read(0x8000), 0x16);
    memory.EnableRom();
    EXPECT_EQ(memory.Read(0x8000), 0xB2);
    memory.FillRam();
    EXPECT_EQ(memory.Read(0x8000), 0xB0);
}
