// Every machine type for 10,000 frames with random keys held and random bytes written into RAM
// below $8000, with the real ROMs: the guest program goes astray (its vectors and variables are
// hit), the emulator must not. Run in the sanitizer build too, where any memory fault or
// undefined behaviour of the core ends the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace {

class TSoakHost : public THost {
public:
    void StatusMessage(const char*) override {}
    void AppendLog(const char*) override { ++LogLines; }
    void ErrorBox(const char* text) override { Errors.push_back(text); }
    void BreakpointReached() override { ++Breakpoints; }
    void EndOfFrame(bool) override { ++Frames; }

    std::vector<std::string> Errors;
    int LogLines = 0;
    int Breakpoints = 0;
    int Frames = 0;
};

class TCountingSink : public TSoundSink {
public:
    void Feed() override { ++Feeds; }
    int Feeds = 0;
};

// The host keys the machine has.
std::vector<uint8_t> MachineKeys() {
    std::vector<uint8_t> keys;
    for (int code = 1; code < 256; ++code)
        if (ScanCodeToMatrix[size_t(code)] != NoMatrixKey) keys.push_back(uint8_t(code));
    return keys;
}

TEST(Soak, EveryMachineTypeSurvivesRandomKeysAndRandomRamWrites) {
    const std::string roms = std::string(VARLUME_BIN_DIR) + "/";
    ASSERT_TRUE(std::filesystem::exists(roms + "kernal.bin")) << "ROM images missing from " << roms
                                                              << ": run scripts/fetch-roms.sh first";
    const std::vector<uint8_t> keys = MachineKeys();
    constexpr int Frames = 10000;
    for (int32_t type = MachineC16; type <= MachineCustom; ++type) {
        SCOPED_TRACE("machine type " + std::to_string(type));
        TSoakHost host;
        TCountingSink sink;
        auto machine = std::make_unique<TMachine>(host, roms);
        machine->SetSoundSink(&sink);
        machine->PowerUp(type);
        ASSERT_TRUE(host.Errors.empty()) << host.Errors.front();
        std::mt19937 random(uint32_t(type) + 1);
        for (int frame = 0; frame < Frames; ++frame) {
            // A key goes down or up most frames, and every key is let go now and then, so the
            // matrix sees single keys and chords alike.
            if (random() % 4 != 0) machine->Keyboard.SetKey(keys[random() % keys.size()], random() % 2 == 0);
            if (frame % 97 == 0) machine->Keyboard.ClearKeys();
            for (int i = 0; i < 4; ++i) machine->Memory.Write(uint16_t(random() & 0x7FFF), uint8_t(random()));

            const int feedsBefore = sink.Feeds;
            machine->RunFrame();
            // The whole frame's time ran, and the feed came at least at steps 32768, 16384
            // and 0 of the count. Where the raster is and how many frames the TED ended
            // depend on whether the runaway program wrote the TED's counters.
            ASSERT_EQ(machine->StepsLeft, -1) << "frame " << frame;
            ASSERT_FALSE(machine->EmulationStopped) << "frame " << frame;
            ASSERT_TRUE(machine->Ted.LineIndex >= 0 && machine->Ted.LineIndex < TTED::LinesPerFrame) << "frame " << frame;
            ASSERT_TRUE(machine->Ted.LineStep >= 0 && machine->Ted.LineStep < TTED::StepsPerLine) << "frame " << frame;
            ASSERT_GE(sink.Feeds - feedsBefore, 3) << "frame " << frame;
        }
        EXPECT_GT(machine->FrameCounter, 0u);  // as many as the TED ended: see above
        EXPECT_EQ(host.Breakpoints, 0);
        // An instruction always ends: the processor is at most a few clocks into one.
        EXPECT_TRUE(machine->StepInstruction());
    }
}

}  // namespace
