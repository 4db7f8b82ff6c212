// ROM loading, the power-on pattern, word reads and the bus access log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "memory_test_util.h"

using namespace memtest;

namespace {

class RomFiles : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = std::filesystem::temp_directory_path() /
              ("varlume_rom_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    std::string MakeFile(const std::string& name, size_t size, uint8_t first) {
        const auto path = Dir / name;
        std::ofstream out(path, std::ios::binary);
        for (size_t i = 0; i < size; ++i) out.put(char(uint8_t(first + i)));
        return path.string();
    }

    std::filesystem::path Dir;
};

}  // namespace

TEST_F(RomFiles, FullImageFillsTheSlot) {
    TMemory memory(Ram64K);
    ASSERT_TRUE(memory.LoadRom(MakeFile("kernal.bin", 16384, 0x10), 1));
    EXPECT_EQ(SlotByte(memory, 1, 0), 0x10);
    EXPECT_EQ(SlotByte(memory, 1, 0x3FFF), uint8_t(0x10 + 0x3FFF));
    memory.EnableRom();
    EXPECT_EQ(memory.Read(0xFFFF), uint8_t(0x10 + 0x3FFF));
}

TEST_F(RomFiles, ShortFileKeepsTheRestOfTheSlot) {
    TMemory memory(Ram64K);
    std::memset(memory.Image + TMemory::SlotIndex(4), 0xEE, TMemory::SlotSize);
    ASSERT_TRUE(memory.LoadRom(MakeFile("short.rom", 100, 0x01), 4));
    EXPECT_EQ(SlotByte(memory, 4, 99), 100);
    EXPECT_EQ(SlotByte(memory, 4, 100), 0xEE);
}

TEST_F(RomFiles, LongFileStopsAtTheSlotEnd) {
    TMemory memory(Ram64K);
    ASSERT_TRUE(memory.LoadRom(MakeFile("long.rom", 20000, 0x00), 6));
    EXPECT_EQ(SlotByte(memory, 6, 0x3FFF), 0xFF);
    EXPECT_EQ(SlotByte(memory, 7, 0), 0x00) << "the next slot is untouched";
    EXPECT_TRUE(memory.LoadRom(MakeFile("last.rom", 20000, 0x01), 7));
    EXPECT_EQ(SlotByte(memory, 7, 0x3FFF), 0x00);
}

TEST_F(RomFiles, MissingEmptyOrUnreadableFilesFailAndLeaveTheSlot) {
    TMemory memory(Ram64K);
    std::memset(memory.Image + TMemory::SlotIndex(2), 0xEE, TMemory::SlotSize);
    EXPECT_FALSE(memory.LoadRom((Dir / "missing.rom").string(), 2));
    EXPECT_FALSE(memory.LoadRom(MakeFile("empty.rom", 0, 0), 2));
    EXPECT_FALSE(memory.LoadRom(Dir.string(), 2));
    for (uint32_t i = 0; i < TMemory::SlotSize; ++i) ASSERT_EQ(SlotByte(memory, 2, i), 0xEE);
}

TEST_F(RomFiles, SlotOutsideZeroToSevenReadsNothing) {
    TMemory memory(Ram64K);
    const std::string file = MakeFile("any.rom", 16384, 0x01);
    const std::vector<uint8_t> before(memory.Image, memory.Image + TMemory::ImageSize);
    EXPECT_FALSE(memory.LoadRom(file, 8));
    EXPECT_FALSE(memory.LoadRom(file, -1));
    EXPECT_EQ(0, std::memcmp(before.data(), memory.Image, TMemory::ImageSize));
}

TEST(MemoryImage, ConstructorAndClearRomsLeaveZeroedSlots) {
    auto memory = RandomMemory(Ram64K, true);
    const uint8_t ramByte = memory->Image[0x1234];
    memory->ClearRoms();
    for (uint32_t i = TMemory::RamSize; i < TMemory::ImageSize; ++i) ASSERT_EQ(memory->Image[i], 0) << i;
    EXPECT_EQ(memory->Image[0x1234], ramByte);

    TMemory fresh(Ram16K);
    EXPECT_EQ(fresh.RamSizeCode(), Ram16K);
    EXPECT_EQ(fresh.Motor, 0);
    EXPECT_EQ(fresh.PlayKey, 0);
    EXPECT_EQ(SlotByte(fresh, 7, 0x3FFF), 0);
}

TEST(MemoryImage, PowerOnPatternAlternatesFFAnd00) {
    auto memory = RandomMemory(Ram64K, false);
    memory->FillRam();
    for (uint32_t a = 0; a < TMemory::RamSize; ++a) ASSERT_EQ(memory->Image[a], (a & 1) ? 0x00 : 0xFF) << a;
    EXPECT_EQ(memory->ReadWord(0x1000), 0x00FF);
}

TEST(MemoryWord, LowByteFirstAndWrapsAtFFFF) {
    TMemory memory(Ram64K);
    memory.Image[0xFFFF] = 0x34;
    memory.Image[0x0000] = 0x12;
    memory.AccessLog.clear();
    EXPECT_EQ(memory.ReadWord(0xFFFF), 0x1234);
    const std::vector<TBusAccess> expected = {{0xFFFF, 0x34, false}, {0x0000, 0x12, false}};
    EXPECT_EQ(memory.AccessLog, expected);

    // The vector is read through the decoder: ROM when enabled.
    memory.EnableRom();
    SlotByte(memory, 1, 0x3FFC) = 0xF6;
    SlotByte(memory, 1, 0x3FFD) = 0xFF;
    EXPECT_EQ(memory.ReadWord(0xFFFC), 0xFFF6);
}

TEST(BusLog, EveryDecodedAccessAddsOneEntryWithTheProcessorAddress) {
    TMemory memory(Ram16K);
    memory.EnableRom();
    SlotByte(memory, 0, 0) = 0xB0;
    memory.Image[0x0010] = 0x10;
    memory.Read(0x4010);   // folded RAM
    memory.Read(0x8000);   // ROM
    memory.Read(0xFD21);   // I/O
    memory.Read(0x0001);   // processor port
    memory.Write(0x8000, 0x99);
    memory.Write(0xFF3E, 0x01);
    memory.Write(0xFEF0, 0x02);
    const std::vector<TBusAccess> expected = {
        {0x4010, 0x10, false}, {0x8000, 0xB0, false}, {0xFD21, 0xFF, false}, {0x0001, 0xC0, false},
        {0x8000, 0x99, true},  {0xFF3E, 0x01, true},   {0xFEF0, 0x02, true},
    };
    EXPECT_EQ(memory.AccessLog, expected);
}
