#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "core/state_stream.h"
#include "machine/snapshot.h"
#include "ted/sound_capture.h"

namespace {

// A TED whose clock the test moves by hand, with the recorder's synthesizer attached: register
// writes land at the clock step reached.
struct TSynthRun {
    TTED Ted;
    TSoundCapture Sound;
    TSynthRun() { Sound.Attach(Ted); }
    void Write(uint16_t address, uint8_t value) { Ted.WriteRegister(address, value); }
    void Tone(int voice, uint16_t frequency) {
        Write(voice == 1 ? 0xFF0E : 0xFF0F, uint8_t(frequency));
        if (voice == 1) Write(0xFF12, uint8_t(frequency >> 8));
        else Write(0xFF10, uint8_t(frequency >> 8));
    }
    // Moves the clock by `steps`, feeding every `feedEvery` steps as the frame loop does.
    void Run(int64_t steps, int64_t feedEvery = 16384) {
        for (int64_t done = 0; done < steps;) {
            const int64_t n = std::min(feedEvery, steps - done);
            Ted.KeepClockCount(Ted.ClockCount() + n);
            done += n;
            Sound.Feed();
        }
    }
    std::vector<uint8_t>& Samples() { return Sound.Samples; }
};

constexpr int64_t StepsPerSecond = 1773448;

}  // namespace

TEST(SoundSynth, EveryRegisterValuePlaysThePalPitch) {
    EXPECT_NEAR(TSoundSynth::ToneFrequency(600), 262.0, 262.0 * 0.001);
    EXPECT_NEAR(TSoundSynth::ToneFrequency(0x3FF), 110840.47 / 1024, 0.001);
    for (uint16_t f : {0, 300, 600, 800, 900, 1000, 1010}) {
        TSynthRun run;
        run.Tone(1, f);
        run.Write(0xFF11, 0x18);
        run.Run(2 * StepsPerSecond);
        const double expected = 110840.47 / (1023 - f);
        EXPECT_NEAR(SoundAnalysis::MeasuredFrequency(run.Samples(), 4410, run.Samples().size()), expected,
                    expected * 0.001)
            << "f = " << f;
    }
}

// From the register's start at 0: bit 0 after each step, worked out by hand from "shift left,
// new bit 0 = XNOR of bits 7, 5, 4 and 1".
TEST(SoundSynth, NoiseIsTheEightBitShiftRegisterTwoLevelAndStepsWithVoiceTwo) {
    const std::vector<int> firstBits = {1, 1, 0, 0, 1, 0, 0, 0, 0};
    std::vector<int> bits;
    std::set<uint8_t> seen;
    uint8_t noise = 0;
    for (int step = 0; step < 255; ++step) {
        noise = TSoundSynth::NextNoise(noise);
        if (step < 9) bits.push_back(noise & 1);
        seen.insert(noise);
    }
    EXPECT_EQ(bits, firstBits);
    EXPECT_EQ(noise, 0) << "back at the start after 255 steps";
    EXPECT_EQ(seen.size(), 255u);

    // Voice 2 at register 0 steps the noise every 1023 counts of 8 steps, 203.5 samples; in the
    // middle of each the output holds one of two levels, the register's bit 0.
    TSynthRun run;
    run.Write(0xFF11, 0x48);  // noise, volume 8
    run.Run(300 * 8184);
    noise = 0;
    for (int step = 1; step < 300; ++step) {
        noise = TSoundSynth::NextNoise(noise);
        const size_t middle = size_t((step * 8184.0 + 4092.0) / (1773447.5 / 44100.0));
        ASSERT_EQ(run.Samples()[middle], (noise & 1) ? 128 + 56 : 128 - 56) << "step " << step;
    }
}

TEST(SoundSynth, EachWriteIsHeardAtItsClockStepWhateverTheFeedsBatch) {
    // Volume writes in D/A mode at uneven steps, some closer than a sample.
    auto play = [](int64_t feedEvery) {
        TSynthRun run;
        const int64_t gaps[] = {5000, 37, 20011, 3, 900, 15000, 64000, 11};
        uint8_t volume = 0;
        for (int64_t gap : gaps) {
            run.Run(gap, feedEvery);
            run.Write(0xFF11, uint8_t(0xB0 | (volume++ & 7)));
        }
        run.Run(50000, feedEvery);
        return run.Samples();
    };
    const std::vector<uint8_t> reference = play(16384);
    EXPECT_EQ(play(97), reference);
    EXPECT_EQ(play(1), reference);
    EXPECT_EQ(play(1000000), reference);

    // One jump from silence to 240: half way there (184) about 15.5 samples after the write.
    TSynthRun run;
    run.Run(100000);
    run.Write(0xFF11, 0xB8);
    run.Run(20000);
    const auto half = std::find_if(run.Samples().begin(), run.Samples().end(), [](uint8_t s) { return s >= 184; });
    EXPECT_NEAR(double(half - run.Samples().begin()), 100000 / (1773447.5 / 44100.0) + 15.5, 1.0);
}

TEST(SoundSynth, DigitalAnalogModeHoldsTheVoicesHighOnTheirScale) {
    const std::pair<uint8_t, uint8_t> levels[] = {
        {0xB0, 128},  // volume 0: silence
        {0xB8, 240}, {0xBF, 240},  // both voices; the volume saturates at 8
        {0xB4, 184}, {0x94, 156}, {0xA8, 184},  // one voice
        {0xC8, 184},  // the noise voice counts as voice 2
        {0x88, 128},  // no voice on
    };
    for (auto [ff11, level] : levels) {
        TSynthRun run;
        run.Tone(1, 1000);
        run.Tone(2, 990);
        run.Write(0xFF11, ff11);
        run.Run(100000);
        for (size_t i = 40; i < run.Samples().size(); ++i)
            ASSERT_EQ(run.Samples()[i], level) << "$FF11 = " << int(ff11) << ", sample " << i;
        if (level == 128) {
            EXPECT_EQ(*std::min_element(run.Samples().begin(), run.Samples().end()), 128);
        }
    }
}

TEST(SoundSynth, LoudVolumesSoundAsEightAndAHeldOscillatorStaysPut) {
    auto play = [](uint8_t ff11, uint16_t frequency) {
        TSynthRun run;
        run.Tone(1, frequency);
        run.Write(0xFF11, ff11);
        run.Run(200000);
        return run.Samples();
    };
    EXPECT_EQ(play(0x1F, 700), play(0x18, 700));
    // $3FE never overflows: once the count under way when it was written has run out (1023
    // counts, 203 samples), one level and no tone.
    const std::vector<uint8_t> held = play(0x18, 0x3FE);
    EXPECT_TRUE(std::all_of(held.begin() + 250, held.end(), [&](uint8_t s) { return s == held.back(); }));
    EXPECT_NE(held.back(), 128);
}

TEST(SoundSynthState, RestoresInPhaseAndRefusesBytesNoSynthesizerGives) {
    TSynthRun run;
    run.Tone(1, 800);
    run.Tone(2, 1000);
    run.Write(0xFF11, 0x78);  // voice 1 and noise
    run.Run(123457);
    TStateWriter saved;
    run.Sound.Synth.SaveState(saved);

    TSynthRun copy;
    copy.Run(5000);
    TStateReader in(saved.Bytes.data(), saved.Bytes.size());
    ASSERT_TRUE(copy.Sound.Synth.RestoreState(in) && in.Finished());
    copy.Ted.Sound = run.Ted.Sound;  // as the machine's snapshot restores it
    copy.Sound.Synth.Follow(copy.Ted);
    run.Samples().clear();
    copy.Samples().clear();
    run.Run(300000);
    copy.Run(300000);
    EXPECT_EQ(run.Samples(), copy.Samples());

    auto refused = [](std::vector<uint8_t> bytes) {
        TSoundSynth synth;
        TStateReader reader(bytes.data(), bytes.size());
        return !(synth.RestoreState(reader) && reader.Finished());
    };
    std::vector<uint8_t> bytes = saved.Bytes;
    EXPECT_TRUE(refused({bytes.begin(), bytes.end() - 1}));
    bytes[0] = 7;  // an unknown layout
    EXPECT_TRUE(refused(bytes));
    bytes = saved.Bytes;
    bytes[1] = 0xFF, bytes[2] = 0xFF;  // voice 1's frequency beyond 10 bits
    EXPECT_TRUE(refused(bytes));
    bytes = saved.Bytes;
    bytes[bytes.size() - 1] ^= 0x40;  // samples in the making that do not end at the level
    EXPECT_TRUE(refused(bytes));
    // An earlier version's section (101 bytes, a Boolean first) reads as no state.
    std::vector<uint8_t> earlier(101, 0);
    EXPECT_FALSE(refused(earlier));
    earlier[2] = 2;  // not a Boolean
    EXPECT_TRUE(refused(earlier));
}

// The clock the writes are stamped with: one count a step across lines and frames, and neither a
// reset nor a restored snapshot (which move the raster back) takes it back.
TEST(SoundClock, ClockCountStepsOnceAStepAndNeverGoesBack) {
    TTED ted;
    for (int i = 0; i < TTED::StepsPerFrame + 300; ++i) ted.Step();
    EXPECT_EQ(ted.ClockCount(), TTED::StepsPerFrame + 300);
    TStateWriter saved;
    ted.SaveState(saved);
    for (int i = 0; i < 1000; ++i) ted.Step();
    ted.Reset();
    EXPECT_EQ(ted.ClockCount(), TTED::StepsPerFrame + 1300);
    TStateReader in(saved.Bytes.data(), saved.Bytes.size());
    ASSERT_TRUE(ted.RestoreState(in, SnapshotVersion));
    EXPECT_EQ(ted.LineStep, 300 % TTED::StepsPerLine);
    EXPECT_EQ(ted.ClockCount(), TTED::StepsPerFrame + 1300);
    ted.Step();
    EXPECT_EQ(ted.ClockCount(), TTED::StepsPerFrame + 1301);
}
