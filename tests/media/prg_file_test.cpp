#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "media/prg_file.h"
#include "media_test_support.h"
#include "memory/memory.h"

using namespace media_test;

namespace {

class PrgFile : public ::testing::Test {
protected:
    void SetUp() override {
        Memory = std::make_unique<TMemory>(2);
        for (uint32_t i = 0; i < TMemory::RamSize; ++i) Memory->Ram()[i] = uint8_t(i * 13 + 5);
    }
    Bytes Ram() const { return Bytes(Memory->Ram(), Memory->Ram() + TMemory::RamSize); }
    uint16_t Word(uint16_t address) const { return uint16_t(Memory->Ram()[address] | Memory->Ram()[address + 1] << 8); }
    void ExpectPointers(uint16_t value) const {
        for (uint16_t address : {0x002D, 0x002F, 0x0031, 0x009D}) EXPECT_EQ(Word(uint16_t(address)), value) << address;
    }
    TPrgLoadResult Load(const Bytes& contents, bool typeRun = false) {
        WriteFile(Dir / "p.prg", contents);
        return LoadPrgFile(*Memory, (Dir / "p.prg").string(), typeRun);
    }

    std::unique_ptr<TMemory> Memory;
    TTempDir Dir;
};

TEST_F(PrgFile, TwoByteFileLoadsNothingAndPointsBasicAt1001) {
    const TPrgLoadResult result = Load({0x01, 0x10});
    EXPECT_EQ(result.Status, TPrgLoadStatus::Loaded);
    EXPECT_EQ(result.BytesLoaded, 0);
    ExpectPointers(0x1001);
}

TEST_F(PrgFile, FilesShorterThanTheLoadAddressChangeNothing) {
    const Bytes before = Ram();
    EXPECT_EQ(Load({}).Status, TPrgLoadStatus::Dropped);
    EXPECT_EQ(Load({0x01}).Status, TPrgLoadStatus::Dropped);
    EXPECT_EQ(Ram(), before);
}

TEST_F(PrgFile, EndPointerCountsFrom1001WhateverTheLoadAddress) {
    const Bytes before = Ram();
    const Bytes file = Program(0x2000, 100);
    const TPrgLoadResult result = Load(file);
    EXPECT_EQ(result.Status, TPrgLoadStatus::Loaded);
    EXPECT_TRUE(std::equal(file.begin() + 2, file.end(), Memory->Ram() + 0x2000));
    EXPECT_EQ(Memory->Ram()[0x1FFF], before[0x1FFF]);
    EXPECT_EQ(Memory->Ram()[0x2064], before[0x2064]);
    ExpectPointers(0x1065);
    EXPECT_EQ(result.EndPointer, 0x1065);
}

TEST_F(PrgFile, DataMayEndAtFFFEButNotAtFFFF) {
    const Bytes before = Ram();
    EXPECT_EQ(Load(Program(0xFF00, 0x100)).Status, TPrgLoadStatus::Dropped);
    EXPECT_EQ(Ram(), before);

    const Bytes file = Program(0xFF00, 0xFF);
    EXPECT_EQ(Load(file).Status, TPrgLoadStatus::Loaded);
    EXPECT_EQ(Memory->Ram()[0xFFFE], file.back());
    EXPECT_EQ(Memory->Ram()[0xFFFF], before[0xFFFF]);
}

TEST_F(PrgFile, DataPastSixtyThousandLoadsButSetsNoPointerAndTypesNoRun) {
    // 55903 bytes end the pointer exactly at 60000, still accepted.
    EXPECT_EQ(Load(Program(0x1001, 55903), true).Status, TPrgLoadStatus::Loaded);
    ExpectPointers(60000);

    SetUp();
    const Bytes before = Ram();
    const Bytes file = Program(0x1001, 55904);
    const TPrgLoadResult result = Load(file, true);
    EXPECT_EQ(result.Status, TPrgLoadStatus::LoadedWithoutPointers);
    EXPECT_TRUE(std::equal(file.begin() + 2, file.end(), Memory->Ram() + 0x1001));
    for (uint16_t address : {0x002D, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x009D, 0x009E, 0x00EF, 0x0527})
        EXPECT_EQ(Memory->Ram()[address], before[address]) << address;
}

TEST_F(PrgFile, RunIsTypedIntoTheKeyboardBufferOnlyWhenAsked) {
    const Bytes before = Ram();
    Load(Program(0x1001, 10), false);
    EXPECT_TRUE(std::equal(before.begin() + 0x0527, before.begin() + 0x052B, Memory->Ram() + 0x0527));
    EXPECT_EQ(Memory->Ram()[0x00EF], before[0x00EF]);

    Load(Program(0x1001, 10), true);
    EXPECT_EQ(Bytes(Memory->Ram() + 0x0527, Memory->Ram() + 0x052B), (Bytes{0x52, 0x55, 0x4E, 0x0D}));
    EXPECT_EQ(Memory->Ram()[0x00EF], 4);
}

TEST_F(PrgFile, UnreadableFilesWriteNothingToRam) {
    const Bytes before = Ram();
    EXPECT_EQ(LoadPrgFile(*Memory, (Dir / "missing.prg").string(), true).Status, TPrgLoadStatus::CannotRead);
    // A directory exists under the name but cannot be read as a file.
    fs::create_directory(Dir / "folder.prg");
    EXPECT_EQ(LoadPrgFile(*Memory, (Dir / "folder.prg").string(), true).Status, TPrgLoadStatus::CannotRead);
    EXPECT_EQ(Ram(), before);
}

TEST_F(PrgFile, FilesLongerThanTheAddressSpaceAreDropped) {
    const Bytes before = Ram();
    EXPECT_EQ(Load(Program(0x0000, 0x10000)).Status, TPrgLoadStatus::Dropped);
    EXPECT_EQ(Ram(), before);
    // 65535 bytes from $0000 end at $FFFE: the longest file that fits.
    EXPECT_EQ(Load(Program(0x0000, 0xFFFF)).Status, TPrgLoadStatus::LoadedWithoutPointers);
}

TEST(PrgAutoLoad, WaitsForTheRomsKeyboardLoop) {
    EXPECT_FALSE(AutoLoadReady(0xD909));
    EXPECT_TRUE(AutoLoadReady(0xD90A));
    EXPECT_TRUE(AutoLoadReady(0xD910, 2));
    EXPECT_TRUE(AutoLoadReady(0xD911, 3)) << "inside the branch back";
    EXPECT_FALSE(AutoLoadReady(0xD911)) << "past the loop";
    EXPECT_FALSE(AutoLoadReady(0xFFF6));
}

TEST_F(PrgFile, SavingRefusesAnAreaThatDoesNotRunForward) {
    const fs::path path = Dir / "s.prg";
    EXPECT_EQ(SavePrgFile(*Memory, 0x1001, 0x1001, path.string()), TPrgSaveStatus::BadArea);
    EXPECT_EQ(SavePrgFile(*Memory, 0x2000, 0x1000, path.string()), TPrgSaveStatus::BadArea);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(PrgFile, SavingZeroPageWritesItsAddressThenTheBytes) {
    const fs::path path = Dir / "zp.prg";
    ASSERT_EQ(SavePrgFile(*Memory, 0x0000, 0x00FF, path.string()), TPrgSaveStatus::Saved);
    const Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), 258u);
    EXPECT_EQ(file[0], 0x00);
    EXPECT_EQ(file[1], 0x00);
    EXPECT_TRUE(std::equal(file.begin() + 2, file.end(), Memory->Ram()));
}

TEST_F(PrgFile, SavedAreaLoadsBackToTheSamePlace) {
    const fs::path path = Dir / "round.prg";
    const Bytes original(Memory->Ram() + 0x3000, Memory->Ram() + 0x3100);
    ASSERT_EQ(SavePrgFile(*Memory, 0x3000, 0x30FF, path.string()), TPrgSaveStatus::Saved);
    std::fill(Memory->Ram() + 0x3000, Memory->Ram() + 0x3100, 0);
    EXPECT_EQ(LoadPrgFile(*Memory, path.string(), false).Status, TPrgLoadStatus::Loaded);
    EXPECT_EQ(Bytes(Memory->Ram() + 0x3000, Memory->Ram() + 0x3100), original);
    // The last byte of the address space can be saved too.
    EXPECT_EQ(SavePrgFile(*Memory, 0xFF00, 0xFFFF, path.string()), TPrgSaveStatus::Saved);
    EXPECT_EQ(ReadFile(path).size(), 0x102u);
}

TEST_F(PrgFile, SavingIntoAMissingDirectoryFails) {
    EXPECT_EQ(SavePrgFile(*Memory, 0x1000, 0x2000, (Dir / "no" / "such.prg").string()), TPrgSaveStatus::CannotWrite);
}

TEST_F(PrgFile, LoadedAreaEndsOneBeforeTheEndPointer) {
    Memory->Ram()[0x00B4] = 0x01;
    Memory->Ram()[0x00B5] = 0x10;
    Load(Program(0x1001, 0x40));
    const TRamArea area = LoadedArea(*Memory);
    EXPECT_EQ(area.Start, 0x1001);
    EXPECT_EQ(area.End, 0x1040);
}

}  // namespace
