#include "ted/keyboard.h"
#include "ted/sound_writes.h"
#include "ted_fixture.h"

using TedRegisters = TedTest;

TEST(TedCreation, StartsWithTimersStoppedAndSingleClock) {
    TTED ted;
    EXPECT_FALSE(ted.DoubleClockAllowed);
    for (const TTedTimer& timer : ted.Timer) {
        EXPECT_FALSE(timer.Running);
        EXPECT_EQ(timer.Counter, 0);
    }
    EXPECT_EQ(ted.ClockCount(), 0);
    EXPECT_EQ(ted.ReadRegister(0xFF13), 0x02);  // no memory: ROM reads as off
    EXPECT_EQ(ted.ReadRegister(0xFF09), 0x25);
}

TEST_F(TedRegisters, UnusedBitsReadAsConstants) {
    EXPECT_EQ(Read(0xFF09), 0x25);
    EXPECT_EQ(Read(0xFF0A), 0xA0);
    EXPECT_EQ(Read(0xFF0C), 0xFC);
    EXPECT_EQ(Read(0xFF10), 0x7C);
    EXPECT_EQ(Read(0xFF12), 0xC0);
    EXPECT_EQ(Read(0xFF14), 0x07);
    EXPECT_EQ(Read(0xFF1A), 0xFC);  // the row reload value, 10 bits
    EXPECT_EQ(Read(0xFF1B), 0x00);
    EXPECT_EQ(Read(0xFF1F), 0x80);  // the flash counter and the row's line
    Write(0xFF0A, 0xFF);
    EXPECT_EQ(Read(0xFF0A), 0xFB);  // bit 2 reads 0
    Write(0xFF0C, 0xFF);
    Write(0xFF10, 0xFF);
    Write(0xFF12, 0xFF);
    Write(0xFF14, 0xFF);
    EXPECT_EQ(Read(0xFF0C), 0xFF);
    EXPECT_EQ(Read(0xFF10), 0x7F);
    EXPECT_EQ(Read(0xFF12), 0xFF);
    EXPECT_EQ(Read(0xFF14), 0xFF);
}

TEST_F(TedRegisters, ColourRegistersReadWithBit7Set) {
    for (uint16_t address = 0xFF15; address <= 0xFF19; ++address) {
        Write(address, 0x71);
        EXPECT_EQ(Read(address), 0xF1) << std::hex << address;
    }
    Write(0xFF19, 0x85);
    EXPECT_EQ(Ted.BorderColour, 0x85);  // kept as written
}

TEST_F(TedRegisters, ModeAndVolumeRegistersReadBackAsWritten) {
    for (int v = 0; v < 256; ++v) {
        Write(0xFF06, uint8_t(v));
        Write(0xFF07, uint8_t(v ^ 0x5A));
        Write(0xFF11, uint8_t(v ^ 0xA5));
        ASSERT_EQ(Read(0xFF06) | Read(0xFF07) << 8 | Read(0xFF11) << 16, v | (v ^ 0x5A) << 8 | (v ^ 0xA5) << 16);
    }
}

TEST_F(TedRegisters, TimerCountersReadBack) {
    Write(0xFF00, 0x34);
    Write(0xFF01, 0x12);
    Write(0xFF02, 0x78);
    Write(0xFF03, 0x56);
    Write(0xFF04, 0xBC);
    Write(0xFF05, 0x9A);
    EXPECT_EQ(Read(0xFF00) | Read(0xFF01) << 8, 0x1234);
    EXPECT_EQ(Read(0xFF02) | Read(0xFF03) << 8, 0x5678);
    EXPECT_EQ(Read(0xFF04) | Read(0xFF05) << 8, 0x9ABC);
}

TEST_F(TedRegisters, SoundRegistersDecodeAndNoteEachWriteWithItsClockStep) {
    TSoundWriteLog log;
    Ted.SoundWrites = &log;
    for (int i = 0; i < 5; ++i) Ted.Step();
    Write(0xFF0E, 0xAB);
    Write(0xFF12, 0x2E);  // bitmap base 5, ROM characters, voice 1 bits 8-9 = 2
    Write(0xFF0F, 0xCD);
    Write(0xFF10, 0xFD);
    Write(0xFF11, 0xB7);
    EXPECT_EQ(Ted.Sound.Voice1Frequency, 0x2AB);
    EXPECT_EQ(Ted.Sound.Voice2Frequency, 0x1CD);
    EXPECT_EQ(Ted.Sound.Volume, 7);
    EXPECT_TRUE(Ted.Sound.Voice1On);
    EXPECT_TRUE(Ted.Sound.Voice2On);
    EXPECT_FALSE(Ted.Sound.Noise);
    EXPECT_TRUE(Ted.Sound.DigitalAnalog);
    EXPECT_EQ(Ted.BitmapBase, 5);
    EXPECT_TRUE(Ted.CharFromRom);
    EXPECT_EQ(Read(0xFF12), 0xEE);
    EXPECT_EQ(Read(0xFF10), 0x7D);
    Write(0xFF19, 0x00);  // not a sound register
    // Five writes at clock step 5, the last leaving every field as read above.
    ASSERT_EQ(log.Size(), 5u);
    EXPECT_EQ(log.Front().Step, 5);
    for (; log.Size() > 1; log.PopFront()) {}
    EXPECT_EQ(log.Front().Sound.Voice2Frequency, 0x1CD);
    EXPECT_TRUE(log.Front().Sound.DigitalAnalog);
    Ted.SoundWrites = nullptr;
}

TEST_F(TedRegisters, Ff13RomBitDoubleClockAndCharacterBase) {
    Memory.SetRomEnabled(1);
    Write(0xFF13, 0xD2);
    EXPECT_FALSE(Ted.DoubleClockAllowed);
    EXPECT_EQ(Ted.CharBase, 0x34);
    EXPECT_EQ(Read(0xFF13), 0xD3);  // bit 0 is the ROM switch
    Memory.SetRomEnabled(0);
    Write(0xFF13, 0xD1);
    EXPECT_TRUE(Ted.DoubleClockAllowed);
    EXPECT_EQ(Read(0xFF13), 0xD0);
}

TEST_F(TedRegisters, RasterNumberRegisters) {
    EXPECT_EQ(Read(0xFF1C), 0xFE);  // a reset starts the frame at raster 0, line 52
    EXPECT_EQ(Read(0xFF1D), 0x00);
    RunTo(0, 0);
    EXPECT_EQ(Read(0xFF1C), 0xFF);  // line 0 is raster 260
    EXPECT_EQ(Read(0xFF1D), 0x04);
    RunTo(51, 0);
    EXPECT_EQ(Read(0xFF1C), 0xFF);  // raster 311
    EXPECT_EQ(Read(0xFF1D), 0x37);
    RunTo(52, 0);
    EXPECT_EQ(Read(0xFF1C), 0xFE);
    EXPECT_EQ(Read(0xFF1D), 0x00);
    RunTo(56, 0);
    EXPECT_EQ(Read(0xFF1D), 0x04);  // first window line is raster 4
    EXPECT_EQ(Ted.RasterNumber(311), 259);
}

// The dot counter divided by 2, 2 a step: the line begins at dot 384, and the counter wraps
// to 0 after dot 455, in step 18.
TEST_F(TedRegisters, HorizontalPositionCountsTheDotsAndWraps) {
    EXPECT_EQ(Read(0xFF1E), 192);
    Run(17);
    EXPECT_EQ(Read(0xFF1E), 226);
    Run(1);
    EXPECT_EQ(Read(0xFF1E), 0);
    Run(95);
    EXPECT_EQ(Ted.LineStep, 113);
    EXPECT_EQ(Read(0xFF1E), 190);
}

TEST_F(TedRegisters, AddressesOutsideTheChipAreIgnored) {
    Write(0xFF20, 0x12);
    Write(0xFE19, 0x12);
    EXPECT_EQ(Ted.BorderColour, 0);
    EXPECT_EQ(Read(0xFF20), 0);
    EXPECT_EQ(Read(0x0019), 0);
}

TEST_F(TedRegisters, ResetTouchesOnlyTimersRasterClockAndCharacterBase) {
    Write(0xFF0A, 0x5B);
    Write(0xFF0B, 0x20);
    Write(0xFF06, 0x3B);
    Write(0xFF15, 0x44);
    Write(0xFF11, 0x1F);
    Write(0xFF13, 0xFE);
    Write(0xFF00, 0x10);
    Write(0xFF01, 0x00);
    Write(0xFF02, 0x00);
    Ted.FlashOn = true;
    Run(5000);
    Ted.Reset();
    EXPECT_EQ(Ted.RasterLine, 0);
    EXPECT_EQ(Ted.LineIndex, 52);
    EXPECT_EQ(Ted.LineStep, 0);
    EXPECT_TRUE(Ted.DoubleClockAllowed);
    EXPECT_EQ(Ted.CharBase, 0);
    EXPECT_EQ(Ted.Timer1Reload, 0xFFFF);
    for (const TTedTimer& timer : Ted.Timer) {
        EXPECT_TRUE(timer.Running);
        EXPECT_EQ(timer.Counter, 0xFFFF);
    }
    EXPECT_EQ(Read(0xFF0A), 0xFB);
    EXPECT_EQ(Read(0xFF0B), 0x20);
    EXPECT_EQ(Read(0xFF06), 0x3B);
    EXPECT_EQ(Read(0xFF15), 0xC4);
    EXPECT_EQ(Read(0xFF11), 0x1F);
    EXPECT_TRUE(Ted.FlashOn);
}

TEST_F(TedRegisters, KeyboardLatchAndsTheSelectedLinesOnly) {
    Memory.Image[0xFD30] = 0x00;
    Write(0xFF08, 0x00);
    EXPECT_EQ(Read(0xFF08), 0xFF);  // no keyboard wired
    TKeyboard keyboard;
    keyboard.ClearKeys();
    Ted.SetKeyboard(&keyboard);
    keyboard.SetKey(0x1E, true);  // A: line 1
    keyboard.SetKey(0x08, true);  // 7: line 3
    Memory.Image[0xFD30] = 0xFF;
    Write(0xFF08, 0x00);
    EXPECT_EQ(Read(0xFF08), 0xFF);  // nothing selected: whatever is held
    Memory.Image[0xFD30] = 0xFD;
    Write(0xFF08, 0x00);
    EXPECT_EQ(Read(0xFF08), keyboard.ReadKeyboardRow(1));
    Memory.Image[0xFD30] = 0xF5;
    Write(0xFF08, 0xFF);
    EXPECT_EQ(Read(0xFF08), keyboard.ReadKeyboardRow(1) & keyboard.ReadKeyboardRow(3));
    Memory.Image[0xFD30] = 0xFF;
    Write(0xFF08, 0x00);
    EXPECT_EQ(Read(0xFF08), 0xFF);
}
