// The debugger's side-effect-free reads: the same bytes as the processor's reads, and nothing
// touched while taking them.
#include <gtest/gtest.h>

#include "media/drive.h"
#include "media/tape.h"
#include "memory_test_util.h"
#include "ted/ted.h"

using namespace memtest;

namespace {

// A bus with every device wired and in a state that shows: the tape level up, the latch still
// low, the drive answering, the TED's timers running.
struct TWiredBus {
    explicit TWiredBus(int32_t ramSizeCode, bool rom) : Memory(RandomMemory(ramSizeCode, rom)) {
        Memory->SetTED(&Ted);
        Memory->SetTape(&Tape);
        Memory->SetDrive8(&Drive8);
        Memory->SetDrive9(&Drive9);
        Ted.SetMemory(Memory.get());
        Ted.Reset();
        Ted.Timer[1].Counter = 0x1234;
        Drive8.SetMode(TDrive::ModeDirectory);
        Drive8.DataRegister = 0x41;
        Drive8.HandshakeRegister = 0xFF;
        Drive9.SetDeviceNumber(9);
        Tape.LevelBit = 1;
        Memory->TapeLevelLatch = 0;
        Memory->PlayKey = 1;
    }

    std::unique_ptr<TMemory> Memory;
    TTED Ted;
    TTape Tape;
    TDrive Drive8, Drive9;
};

}  // namespace

TEST(MemoryPeek, SeesWhatAProcessorReadSeesInEveryConfiguration) {
    for (const int32_t size : {Ram16K, Ram32K, Ram64K})
        for (const bool rom : {false, true})
            for (const uint16_t banks : {0x0, 0x9}) {
                TWiredBus bus(size, rom);
                bus.Memory->SetRomBanks(banks & 3, banks >> 2);
                for (uint32_t a = 0; a <= 0xFFFF; ++a) {
                    const uint8_t peeked = bus.Memory->Peek(uint16_t(a));
                    ASSERT_EQ(peeked, bus.Memory->Read(uint16_t(a)))
                        << std::hex << a << " size " << size << " rom " << rom << " banks " << banks;
                }
            }
}

TEST(MemoryPeek, LeavesThePortTheTedAndTheDrivesAsTheyAre) {
    TWiredBus bus(Ram64K, true);
    TMemory& memory = *bus.Memory;
    memory.AccessLog.clear();

    // The port shows the tape level the processor would latch, without latching it.
    EXPECT_EQ(memory.Peek(0x0001) & 0x10, 0x10);
    EXPECT_EQ(memory.TapeLevelLatch, 0);
    for (uint16_t a = 0xFF00; a < 0xFF20; ++a) memory.Peek(a);
    for (uint16_t a = 0xFEC0; a < 0xFF00; ++a) memory.Peek(a);
    EXPECT_TRUE(memory.AccessLog.empty());
    EXPECT_EQ(bus.Ted.Timer[1].Counter, 0x1234);
    EXPECT_EQ(memory.Peek(0xFF02), 0x34);
    EXPECT_EQ(memory.Peek(0xFEF0), 0x41);
    EXPECT_EQ(bus.Drive8.DataRegister, 0x41);
    EXPECT_EQ(bus.Drive8.HandshakeRegister, 0xFF);

    // A processor read of the port does latch the level.
    memory.Read(0x0001);
    EXPECT_EQ(memory.TapeLevelLatch, 1);
}
