#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "machine/machine.h"

namespace {

class TRecordingHost : public THost {
public:
    void StatusMessage(const char* text) override { Status.push_back(text); }
    void AppendLog(const char* line) override { Log.push_back(line); }
    void ErrorBox(const char* text) override { Errors.push_back(text); }
    void BreakpointReached() override { ++Breakpoints; }
    void EndOfFrame(bool drawn) override { Frames.push_back(drawn); }

    std::vector<std::string> Status, Log, Errors;
    std::vector<bool> Frames;
    int Breakpoints = 0;
};

class TCountingSink : public TSoundSink {
public:
    void Feed() override { ++Feeds; }
    int Feeds = 0;
};

struct MachineTest : ::testing::Test {
    TRecordingHost host;
    // A directory without ROM images: every machine type runs without them.
    std::unique_ptr<TMachine> machine = std::make_unique<TMachine>(host, "/nonexistent/");
};

}  // namespace

TEST(FrameBuffer, HeaderDescribesATopDownEightBitBitmap) {
    TFrameBuffer frame;
    EXPECT_EQ(frame.Header[0], 40);
    EXPECT_EQ(frame.Header[4] | frame.Header[5] << 8, 456);
    const int32_t height = int32_t(frame.Header[8] | frame.Header[9] << 8 | frame.Header[10] << 16 | uint32_t(frame.Header[11]) << 24);
    EXPECT_EQ(height, -312);
    EXPECT_EQ(frame.Header[12], 1);
    EXPECT_EQ(frame.Header[14], 8);
}

TEST_F(MachineTest, MissingRomsAreEachReportedWithTheirFileName) {
    machine->PowerUp(MachinePlus4);
    std::vector<std::string> firstLines;
    for (const std::string& error : host.Errors) firstLines.push_back(error.substr(0, error.find('\n')));
    EXPECT_EQ(firstLines, (std::vector<std::string>{"Cannot load file: 'basic.bin'", "Cannot load file: 'kernal.bin'",
                                                    "Cannot load file: '3plus1lo.rom'", "Cannot load file: '3plus1hi.rom'"}));
    EXPECT_FALSE(machine->EmulationStopped);
}

TEST(MachineRoms, EachImageIsTakenFromTheFirstDirectoryHoldingItAndAMissingOneNamesEveryPathTried) {
    const auto dir = std::filesystem::temp_directory_path() / ("varlume_roms_" + std::to_string(::getpid()));
    const std::string first = (dir / "first").string() + "/", second = (dir / "second").string() + "/";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    auto write = [](const std::string& path, uint8_t fill) {
        std::ofstream(path, std::ios::binary) << std::string(16384, char(fill));
    };
    write(first + "basic.bin", 0x11);
    write(second + "basic.bin", 0x22);
    write(second + "kernal.bin", 0x33);
    // A FIFO of an image's name is passed over, not opened (opening one would block).
    ASSERT_EQ(::mkfifo((first + "3plus1lo.rom").c_str(), 0600), 0);

    TRecordingHost host;
    auto machine = std::make_unique<TMachine>(host, std::vector<std::string>{first, second});
    machine->PowerUp(MachinePlus4);
    const uint8_t* image = machine->Memory.Image;
    EXPECT_EQ(image[TMemory::SlotIndex(0)], 0x11);
    EXPECT_EQ(image[TMemory::SlotIndex(1)], 0x33);
    ASSERT_EQ(host.Errors.size(), 2u);
    EXPECT_EQ(host.Errors[0], "Cannot load file: '3plus1lo.rom'\n\nLooked for:\n" + first + "3plus1lo.rom\n" + second + "3plus1lo.rom");
    std::filesystem::remove_all(dir);
}

TEST_F(MachineTest, FrameSkipDivisorIsClampedToOneToFour) {
    for (const auto& [asked, kept] : {std::pair{0, 1}, {1, 1}, {3, 3}, {4, 4}, {9, 4}, {-2, 1}}) {
        machine->SetSkipDivisor(asked);
        EXPECT_EQ(machine->SkipDivisor(), kept) << asked;
    }
}

TEST_F(MachineTest, MachineTypeCommandReportsOnlyThePlus4Software) {
    machine->PowerUp(MachineCustom);
    EXPECT_TRUE(host.Errors.empty());
    machine->SelectMachineType(MachineC16);
    EXPECT_TRUE(host.Errors.empty());
    EXPECT_EQ(machine->Memory.RamSizeCode(), 0);
    machine->SelectMachineType(MachinePlus4);
    EXPECT_EQ(host.Errors.size(), 2u);
    EXPECT_EQ(machine->Memory.RamSizeCode(), 2);
    EXPECT_TRUE(host.Status.empty());
}

TEST_F(MachineTest, TheCustomMachineHas64KWhicheverTypeCameBefore) {
    machine->PowerUp(MachineC16);
    machine->SelectMachineType(MachineCustom);
    EXPECT_EQ(machine->Memory.RamSizeCode(), 2);
    // 64 KB: $4000 is not a mirror of $0000.
    machine->Memory.Write(0xFF3F, 0);
    machine->Memory.Write(0x4000, 0x12);
    machine->Memory.Write(0x0000, 0x34);
    EXPECT_EQ(machine->Memory.Read(0x4000), 0x12);
    machine->SelectMachineType(99);  // an unknown type changes no RAM size
    EXPECT_EQ(machine->Memory.RamSizeCode(), 2);
}

// The reset line clears the ROM bank latch: the vector comes from the KERNAL's bank 0 even
// while a program has another bank switched in.
TEST_F(MachineTest, SoftAndSpecialResetsReadTheVectorFromBankZero) {
    for (const bool special : {false, true}) {
        machine->PowerUp(MachineCustom);
        uint8_t* image = machine->Memory.Image;
        image[TMemory::RomIndex(0, 0xFFFC)] = 0x34;
        image[TMemory::RomIndex(0, 0xFFFD)] = 0x12;
        image[TMemory::RomIndex(1, 0xFFFC)] = 0x78;
        image[TMemory::RomIndex(1, 0xFFFD)] = 0x56;
        machine->Memory.Write(0xFDD5, 0);  // bank 1 at $8000 and $C000
        ASSERT_EQ(machine->Memory.Read(0xFFFC), 0x78);
        image[0x2000] = 0xAB;
        if (special) machine->SpecialReset();
        else machine->SoftReset();
        EXPECT_EQ(machine->Cpu.PC, 0x1234) << (special ? "special" : "soft");
        EXPECT_EQ(machine->Memory.LowRomBank(), 0);
        EXPECT_EQ(machine->Memory.HighRomBank(), 0);
        EXPECT_EQ(image[0x2000], 0xAB);  // RAM kept
    }
}

TEST_F(MachineTest, ResetsReportTheirMessages) {
    machine->PowerUp(MachineCustom);
    machine->SoftReset();
    machine->HardReset();
    machine->SpecialReset();
    EXPECT_EQ(host.Status, (std::vector<std::string>{"Soft reset has been performed.", "Hard reset has been performed.",
                                                     "Special reset has been performed."}));
}

TEST_F(MachineTest, AFullFrameRunsEveryStepEndsTheFrameAndFeedsSoundAtLeastThreeTimes) {
    TCountingSink sink;
    machine->SetSoundSink(&sink);
    machine->PowerUp(MachineCustom);
    machine->RunFrame();
    EXPECT_EQ(machine->StepsLeft, -1);
    EXPECT_EQ(machine->FrameCounter, 1u);
    EXPECT_EQ(host.Frames, std::vector<bool>{true});
    EXPECT_GE(sink.Feeds, 3);
    EXPECT_EQ(machine->Ted.RasterLine, 0);  // back at the top of a frame
    EXPECT_EQ(machine->Ted.LineStep, 0);
}

TEST_F(MachineTest, SkippedFramesAreCountedButNotDrawn) {
    machine->PowerUp(MachineCustom);
    machine->SetSkipDivisor(3);
    for (int i = 0; i < 6; ++i) machine->RunFrame();
    EXPECT_EQ(host.Frames, (std::vector<bool>{true, false, false, true, false, false}));
    EXPECT_EQ(machine->FrameCounter, 6u);
}

TEST_F(MachineTest, NoSkipDivisorDividesByZeroAndTheFrameCounterWraps) {
    machine->PowerUp(MachineCustom);
    machine->SetSkipDivisor(0);
    machine->RunFrame();  // no division by zero: every frame drawn
    machine->SetSkipDivisor(2);
    machine->FrameCounter = 0xFFFFFFFFu;
    machine->RunFrame();
    machine->RunFrame();
    EXPECT_EQ(machine->FrameCounter, 1u);
    EXPECT_EQ(host.Frames, (std::vector<bool>{true, false, true}));
}

TEST_F(MachineTest, AStoppedMachineRunsNoStep) {
    machine->PowerUp(MachineCustom);
    machine->Stop();
    machine->RunFrame();
    EXPECT_EQ(machine->Ted.RasterLine, 0);
    EXPECT_EQ(machine->Ted.LineStep, 0);
    EXPECT_EQ(machine->FrameCounter, 0u);
    machine->Start();
    EXPECT_FALSE(machine->EmulationStopped);
}

TEST_F(MachineTest, StopRaisedInsideAStepEndsTheCallAfterThatStep) {
    struct TStopAt {
        TMachine& Machine;
        int Clocks = 0;
        void AfterCpuClock() {
            if (++Clocks == 10) Machine.Stop();
        }
    } stopper{*machine};
    machine->PowerUp(MachineCustom);
    machine->RunFrameObserved(stopper);
    EXPECT_EQ(stopper.Clocks, 10);
    EXPECT_TRUE(machine->EmulationStopped);
    // After reset the raster is at line 0 with double clock and the display off: the processor
    // gets every step; the TED step of the stopping clock still runs.
    EXPECT_EQ(machine->Ted.LineStep, 10);
}
