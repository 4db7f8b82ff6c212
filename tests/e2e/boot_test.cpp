#include <gtest/gtest.h>

#include <fstream>

#include "run_tool.h"

// Every machine type boots its real ROMs to the BASIC prompt in the headless runner.

TEST(Boot, TheC16ShowsItsStartUpMessage) {
    RequireRoms();
    const auto r = RunTool("--machine c16 --frames 150 --screen-text");
    EXPECT_EQ(r.Status, 0);
    EXPECT_TRUE(Contains(r.Out, "12277 BYTES FREE")) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "READY.")) << r.Out;
}

TEST(Boot, ThePlus4ShowsItsStartUpMessage) {
    RequireRoms();
    const auto r = RunTool("--machine plus4 --frames 150 --screen-text");
    EXPECT_EQ(r.Status, 0);
    EXPECT_TRUE(Contains(r.Out, "60671 BYTES FREE")) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "3-PLUS-1 ON KEY F1")) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "READY.")) << r.Out;
}

TEST(Boot, TheOtherMachineTypesReachReady) {
    RequireRoms();
    for (const std::string machine : {"c232", "c16-64k"}) {
        const auto r = RunTool("--machine " + machine + " --frames 150 --screen-text");
        EXPECT_EQ(r.Status, 0) << machine;
        EXPECT_TRUE(Contains(r.Out, "BYTES FREE")) << machine << "\n" << r.Out;
        EXPECT_TRUE(Contains(r.Out, "READY.")) << machine << "\n" << r.Out;
    }
}

TEST(Boot, TypedTextReachesBasic) {
    RequireRoms();
    const auto r = RunTool("--machine plus4 --type 'PRINT 17*3\\n' --frames 300 --screen-text");
    EXPECT_EQ(r.Status, 0);
    const auto command = r.Out.find("PRINT 17*3\n");
    ASSERT_NE(command, std::string::npos) << r.Out;
    EXPECT_EQ(r.Out.substr(command + 11, 4), " 51\n") << r.Out;
}

TEST(Boot, TypingThatNeverStartsIsAnError) {
    RequireRoms();
    const auto r = RunTool("--machine c16 --type 'RUN\\n' --frames 1", true);
    EXPECT_EQ(r.Status, 1);
    EXPECT_TRUE(Contains(r.Out, "typing never started")) << r.Out;
}

TEST(Boot, TheScreenshotIsAPngOfTheWholeRaster) {
    RequireRoms();
    TScratchDir dir;
    const auto png = dir / "boot.png";
    ASSERT_EQ(RunTool("--machine c16 --frames 150 --screenshot " + png).Status, 0);
    std::ifstream in(png, std::ios::binary);
    std::string header(24, '\0');
    in.read(header.data(), 24);
    EXPECT_EQ(header.substr(1, 3), "PNG");
    auto be32 = [&](int at) {
        return uint32_t(uint8_t(header[at])) << 24 | uint8_t(header[at + 1]) << 16 | uint8_t(header[at + 2]) << 8 |
               uint8_t(header[at + 3]);
    };
    EXPECT_EQ(be32(16), 456u);
    EXPECT_EQ(be32(20), 312u);
}

TEST(Boot, SoundPlaysTheSquareWaveOfItsRegisterValue) {
    RequireRoms();
    TScratchDir dir;
    const auto wav = dir / "out.wav";
    ASSERT_EQ(RunTool("--machine c16 --type 'VOL 8:SOUND 1,800,100\\n' --frames 250 --wav " + wav).Status, 0);
    std::ifstream in(wav, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u + 250 * 882 - 1);
    // Register value 800: d = 223, so the chip plays 110840.47 / 223 = 497.0 Hz: 88.7 samples a
    // period, as periods of 88 and 89 samples.
    // Rises with hysteresis: the band-limited edges ring a little around the middle level.
    std::vector<size_t> rises;
    bool low = false;
    for (size_t i = 45; i < bytes.size(); ++i) {
        if (bytes[i] < 108) low = true;
        else if (low && bytes[i] > 148) rises.push_back(i), low = false;
    }
    ASSERT_GT(rises.size(), 100u) << "no square wave recorded";
    size_t wholePeriods = 0;
    for (size_t i = 1; i < rises.size(); ++i) wholePeriods += rises[i] - rises[i - 1] == 88 || rises[i] - rises[i - 1] == 89;
    EXPECT_GT(wholePeriods, rises.size() * 9 / 10);
    // The tone's own run of periods, which ends where the sound does.
    size_t last = 1;
    while (last + 1 < rises.size() && rises[last + 1] - rises[last] <= 89) ++last;
    const double frequency = double(last) * 44100 / double(rises[last] - rises[0]);
    EXPECT_NEAR(frequency, 110840.47 / 223, 110840.47 / 223 * 0.005);
}
