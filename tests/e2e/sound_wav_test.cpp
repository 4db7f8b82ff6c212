#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "run_tool.h"
#include "ted/sound_capture.h"

// varlume-run --wav on programs of our own, on the ROM-less machine: the recording is checked as
// a listener would measure it.

namespace {

std::vector<uint8_t> ToneProgram(uint16_t frequency) {
    return {0xA9, uint8_t(frequency), 0x8D, 0x0E, 0xFF,       // LDA #lo : STA $FF0E
            0xA9, uint8_t(frequency >> 8), 0x8D, 0x12, 0xFF,  // LDA #hi : STA $FF12
            0xA9, 0x18, 0x8D, 0x11, 0xFF,                     // voice 1, volume 8
            0x4C, 0x0F, 0x10};                                // JMP *
}

// D/A mode at $B0: both voices held high. Timer 1 counts at 886724 Hz; at each of its expiries
// the program changes the volume: back and forth between 0 and 8, or up a step until 8.
std::vector<uint8_t> TimedProgram(uint16_t timer, bool staircase) {
    std::vector<uint8_t> code = {
        0x78,                                                // SEI
        0xA9, uint8_t(timer), 0x8D, 0x00, 0xFF,              // timer 1 reload, low
        0xA9, uint8_t(timer >> 8), 0x8D, 0x01, 0xFF,         // high: it runs
        0xA2, 0xB0, 0x8E, 0x11, 0xFF,                        // LDX #$B0 : STX $FF11
        0xAD, 0x09, 0xFF, 0x29, 0x08, 0xF0, 0xF9,            // wait: LDA $FF09 : AND #8 : BEQ wait
        0x8D, 0x09, 0xFF,                                    // STA $FF09: acknowledge
    };
    auto add = [&code](std::initializer_list<uint8_t> bytes) {
        for (uint8_t byte : bytes) code.push_back(byte);
    };
    if (staircase) add({0xE0, 0xB8, 0xF0, 0xF2, 0xE8});  // CPX #$B8 : BEQ wait : INX
    else add({0x8A, 0x49, 0x08, 0xAA});                   // TXA : EOR #8 : TAX
    add({0x8E, 0x11, 0xFF, 0x4C, 0x10, 0x10});            // STX $FF11 : JMP wait
    return code;
}

std::vector<uint8_t> Record(const TScratchDir& dir, const std::vector<uint8_t>& program, int frames) {
    const std::string wav = dir / "out.wav";
    const auto r = RunTool("--machine custom --load 1000:" + dir.Write("program.bin", program) + " --pc 1000 --frames " +
                           std::to_string(frames) + " --wav " + wav, true);
    EXPECT_EQ(r.Status, 0) << r.Out;
    std::ifstream in(wav, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_GT(bytes.size(), 44u);
    return bytes.size() > 44 ? std::vector<uint8_t>(bytes.begin() + 44, bytes.end()) : std::vector<uint8_t>{};
}

}  // namespace

TEST(SoundWav, TonesPlayAtThePalPitch) {
    TScratchDir dir;
    for (uint16_t f : {600, 100, 900, 1001}) {
        const auto samples = Record(dir, ToneProgram(f), 150);
        // 150 frames of 35568 steps at 1773447.5 steps a second.
        EXPECT_NEAR(double(samples.size()), 150.0 * 35568 * 44100 / 1773447.5, 1.0);
        const double expected = 110840.47 / (1023 - f);
        EXPECT_NEAR(SoundAnalysis::MeasuredFrequency(samples, 4410, samples.size()), expected, expected * 0.001) << f;
        if (f == 1001) {  // 5038 Hz: no harmonic may fold into the band below 4 kHz
            EXPECT_LT(SoundAnalysis::PeakOverBandMedianDb(samples, 4410, 50, 4000), 10.0);
        }
    }
}

TEST(SoundWav, DigitalAnalogSamplesAreHeardAtTheirOwnClock) {
    TScratchDir dir;
    // Volume writes 5407 times a second: a 2703 Hz square between silence and 240.
    auto samples = Record(dir, TimedProgram(164, false), 100);
    EXPECT_NEAR(SoundAnalysis::MeasuredFrequency(samples, 4410, samples.size()), 886723.75 / 164 / 2, 2.7);
    // A staircase of the nine volumes 0-8, 18.5 ms each: nine levels held, on the voices' scale.
    samples = Record(dir, TimedProgram(0x4000, true), 30);
    std::map<uint8_t, int> held;
    size_t run = 1;
    for (size_t i = 1; i < samples.size(); ++i)
        if ((run = samples[i] == samples[i - 1] ? run + 1 : 1) == 400) ++held[samples[i]];
    std::set<uint8_t> levels;
    for (auto [level, count] : held) levels.insert(level);
    EXPECT_EQ(levels, (std::set<uint8_t>{128, 142, 156, 170, 184, 198, 212, 226, 240}));
}

TEST(SoundWav, EnteringDigitalAnalogModeAtVolumeZeroStaysSilent) {
    TScratchDir dir;
    const auto samples = Record(dir, {0xA9, 0xB0, 0x8D, 0x11, 0xFF, 0x4C, 0x05, 0x10}, 20);
    ASSERT_FALSE(samples.empty());
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](uint8_t s) { return s == 128; }));
}
