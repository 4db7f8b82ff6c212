#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "ted/sound_synth.h"

namespace {

TTedSound Voices(int volume, bool voice1, uint16_t f1, bool voice2 = false, uint16_t f2 = 0,
                 bool noise = false) {
    TTedSound sound;
    sound.Volume = static_cast<uint8_t>(volume);
    sound.Voice1On = voice1;
    sound.Voice1Frequency = f1;
    sound.Voice2On = voice2;
    sound.Voice2Frequency = f2;
    sound.Noise = noise;
    return sound;
}

std::vector<uint8_t> Generate(TSoundSynth& synth, int count) {
    std::vector<uint8_t> samples(count);
    synth.Generate(samples.data(), count);
    return samples;
}

void ExpectLengths(uint16_t f, int high, int low) {
    const TSoundSynth::THalfPeriods lengths = TSoundSynth::HalfPeriods(f);
    EXPECT_EQ(lengths.High, high) << "f = " << f;
    EXPECT_EQ(lengths.Low, low) << "f = " << f;
}

}  // namespace

TEST(SoundSynthLengths, KnownFrequencies) {
    ExpectLengths(0, 201, 202);
    ExpectLengths(768, 50, 50);
    ExpectLengths(1000, 4, 5);
    ExpectLengths(1021, 0, 0);
    ExpectLengths(1022, 0, 0);
}

TEST(SoundSynthLengths, HalfPeriodsShrinkWithFrequencyAndFFFIsTheLowestTone) {
    const auto lowest = TSoundSynth::HalfPeriods(0x3FF);
    int previous = lowest.High + lowest.Low;
    for (uint16_t f = 0; f < 0x3FF; ++f) {
        const auto lengths = TSoundSynth::HalfPeriods(f);
        const int period = lengths.High + lengths.Low;
        EXPECT_LE(period, previous) << "f = " << f;
        EXPECT_TRUE(lengths.Low == lengths.High || lengths.Low == lengths.High + 1);
        previous = period;
    }
}

namespace {

// Voice 1's frequency in Hz over `seconds`, from the first to the last rising edge.
double MeasuredFrequency(uint16_t f, int seconds = 1) {
    TSoundSynth synth;
    synth.Refresh(0x18, Voices(8, true, f));
    const auto s = Generate(synth, TSoundSynth::SampleRate * seconds);
    int first = -1, last = -1, edges = 0;
    for (size_t i = 1; i < s.size(); ++i)
        if (s[i - 1] < 128 && s[i] > 128) {
            if (first < 0) first = int(i);
            last = int(i);
            ++edges;
        }
    return edges < 2 ? 0.0 : (edges - 1) * double(TSoundSynth::SampleRate) / (last - first);
}

// The synthesizer's own toggle rate: two toggles a period.
double ChipFrequency(uint16_t f) { return 111860.781 / (1024 - ((f + 1) & 1023)); }

}  // namespace

TEST(SoundSynth, EveryVoiceValuePlaysTheChipsFrequency) {
    for (uint16_t f : {0, 512, 900, 980, 1000})
        EXPECT_NEAR(MeasuredFrequency(f), ChipFrequency(f), ChipFrequency(f) * 0.005) << "f = " << f;
    // Every value whose half period is at least a sample long, up to 18.6 kHz at 1017.
    for (uint16_t f = 1; f <= 1017; f += 8)
        ASSERT_NEAR(MeasuredFrequency(f), ChipFrequency(f), ChipFrequency(f) * 0.005) << "f = " << f;
    ASSERT_NEAR(MeasuredFrequency(1017), ChipFrequency(1017), ChipFrequency(1017) * 0.005);
}

// The halves are still H or H + 1 samples long: the fractions only decide which, so a low note
// keeps its shape and every edge its half-height samples.
TEST(SoundSynth, HalvesKeepTheirWholeSampleLengthsAndCarryTheFraction) {
    for (uint16_t f : {0, 300, 768, 980}) {
        const auto lengths = TSoundSynth::HalfPeriods(f);
        TSoundSynth synth;
        synth.Refresh(0x18, Voices(8, true, f));
        const auto s = Generate(synth, 20000);
        const int amplitude = 56;
        // Halves, from the first edge on: runs of one sign.
        std::vector<int> halves;
        int run = 0;
        for (size_t i = 2; i < s.size(); ++i) {
            ++run;
            if ((s[i] > 128) != (s[i - 1] > 128)) {
                halves.push_back(run);
                run = 0;
                // Half height on both sides of the edge.
                ASSERT_EQ(std::abs(s[i] - 128), amplitude / 2) << "f = " << f << " at " << i;
                ASSERT_EQ(std::abs(s[i - 1] - 128), amplitude / 2) << "f = " << f << " at " << i;
            }
        }
        ASSERT_GT(halves.size(), 40u);
        halves.erase(halves.begin());  // the first run started at sample 2, not on an edge
        for (int half : halves) ASSERT_TRUE(half == lengths.High || half == lengths.High + 1) << "f = " << f;
    }
}

TEST(SoundSynth, SquareWaveHalvesFirstAndLastSampleOfEveryHalf) {
    TSoundSynth synth;
    synth.Refresh(0x18, Voices(8, true, 768));  // 50 + 50 samples, amplitude 56
    const auto s = Generate(synth, 201);
    // From the zero state the high half ends at once, on a halved sample.
    EXPECT_EQ(s[0], 128 + 28);
    EXPECT_EQ(s[1], 128 - 28);
    for (int i = 2; i <= 49; ++i) ASSERT_EQ(s[i], 128 - 56) << i;
    EXPECT_EQ(s[50], 128 - 28);
    EXPECT_EQ(s[51], 128 + 28);
    for (int i = 52; i <= 99; ++i) ASSERT_EQ(s[i], 128 + 56) << i;
    EXPECT_EQ(s[100], 128 + 28);
    EXPECT_EQ(s[101], 128 - 28);
}

TEST(SoundSynth, NegativeHalfStepsRoundDown) {
    TSoundSynth synth;
    synth.Refresh(0x13, Voices(3, true, 768));  // amplitude 21
    const auto s = Generate(synth, 3);
    EXPECT_EQ(s[1], 128 - 11);  // -21 shifted right once
    EXPECT_EQ(s[2], 128 - 21);
}

TEST(SoundSynth, VolumeAboveEightSoundsLikeEight) {
    TSoundSynth loud, eight;
    loud.Refresh(0x7F, Voices(15, true, 900, false, 700, true));
    eight.Refresh(0x78, Voices(8, true, 900, false, 700, true));
    EXPECT_EQ(loud.Volume, 8);
    EXPECT_EQ(Generate(loud, 5000), Generate(eight, 5000));
}

TEST(SoundSynth, BothVoicesAtVolumeEightSpan16To240WithHalfSteps) {
    TSoundSynth synth;
    synth.Refresh(0x38, Voices(8, true, 768, true, 900));
    const auto s = Generate(synth, 20000);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), 16);
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 240);
    // Every sample is a sum of two voice values from {0, +-28, +-56}, edges at +-28.
    bool sawHalfStep = false;
    for (uint8_t v : s) {
        const int offset = v - 128;
        ASSERT_EQ(offset % 14, 0) << int(v);
        if (offset == 56 + 28 || offset == -56 - 28) sawHalfStep = true;
    }
    EXPECT_TRUE(sawHalfStep);
}

TEST(SoundSynth, DigitalAnalogModeHoldsOneLevelAndFreezesTheVoices) {
    TSoundSynth synth, reference;
    const TTedSound sound = Voices(8, true, 768, true, 1000);
    synth.Refresh(0x38, sound);
    reference.Refresh(0x38, sound);
    Generate(synth, 37);
    Generate(reference, 37);

    synth.Refresh(0xB8, sound);
    for (uint8_t v : Generate(synth, 500)) ASSERT_EQ(v, 244);
    synth.Refresh(0x80, sound);
    for (uint8_t v : Generate(synth, 500)) ASSERT_EQ(v, 0);
    synth.Refresh(0xFA, sound);
    EXPECT_EQ(Generate(synth, 1)[0], 245);
    synth.Refresh(0x9F, sound);
    EXPECT_EQ(Generate(synth, 1)[0], 114);

    // Back in voice mode the waves go on exactly where they stopped.
    synth.Refresh(0x38, sound);
    EXPECT_EQ(Generate(synth, 1000), Generate(reference, 1000));
}

TEST(SoundSynth, DigitalAnalogRefreshKeepsThePreviousVoiceParameters) {
    TSoundSynth synth;
    synth.Refresh(0x18, Voices(8, true, 768));
    synth.Refresh(0xB8, Voices(2, false, 100, true, 200));
    EXPECT_EQ(synth.Volume, 8);
    EXPECT_TRUE(synth.Voice1On);
    EXPECT_FALSE(synth.Voice2On);
    EXPECT_EQ(synth.Voice1Frequency, 768);
}

TEST(SoundSynth, HighestFrequenciesSettleAtAConstantLevel) {
    for (uint16_t f : {uint16_t(0x3FE), uint16_t(0x3FD)}) {
        TSoundSynth synth;
        synth.Refresh(0x18, Voices(8, true, f));
        const auto s = Generate(synth, 100000);
        for (size_t i = 1; i < s.size(); ++i) ASSERT_EQ(s[i], 128 + 28) << "f = " << f;
        // The countdown of a half that never ends stays in range.
        EXPECT_EQ(synth.Voice1.HighCount, -1);
    }
}

TEST(SoundSynth, VoiceOneRunsWhileOffButVoiceTwoDoesNot) {
    TSoundSynth synth;
    synth.Refresh(0x00, Voices(8, false, 768, false, 768));
    for (uint8_t v : Generate(synth, 75)) ASSERT_EQ(v, 128);
    EXPECT_EQ(synth.Voice1.Phase, 0);
    EXPECT_EQ(synth.Voice1.HighCount, 50 - 24);
    EXPECT_EQ(synth.Voice2.Phase, 0);
    EXPECT_EQ(synth.Voice2.HighCount, 0);
}

TEST(SoundSynth, NoiseStepsAtHalfOfVoiceTwosHighLength) {
    TSoundSynth synth;
    synth.Refresh(0x48, Voices(8, false, 0, false, 1000, true));  // H = 4: a new value every 2
    const auto s = Generate(synth, 40);
    for (int i = 0; i < 40; ++i) {
        const int index = i / 2 + 1;
        ASSERT_EQ(s[i], static_cast<uint8_t>(128 + synth.NoiseTable[8][index])) << i;
    }
    EXPECT_EQ(synth.NoiseIndex, 20);
}

TEST(SoundSynth, NoiseIsSilentAtFFEAndVoiceTwoWinsOverNoise) {
    TSoundSynth synth;
    synth.Refresh(0x48, Voices(8, false, 0, false, 0x3FE, true));
    for (uint8_t v : Generate(synth, 2000)) ASSERT_EQ(v, 128);

    TSoundSynth square, both;
    square.Refresh(0x28, Voices(8, false, 0, true, 700));
    both.Refresh(0x68, Voices(8, false, 0, true, 700, true));
    EXPECT_EQ(Generate(both, 3000), Generate(square, 3000));
}

TEST(SoundSynth, NoiseTableRowsScaleRowEightTowardZero) {
    TSoundSynth synth;
    int sum = 0;
    int lowest = 0, highest = 0;
    for (int i = 0; i < TSoundSynth::NoiseLength; ++i) {
        const int x = synth.NoiseTable[8][i];
        sum += x;
        lowest = std::min(lowest, x);
        highest = std::max(highest, x);
        for (int v = 0; v < 8; ++v) ASSERT_EQ(synth.NoiseTable[v][i], x * v / 8);
    }
    EXPECT_GE(lowest, -64);
    EXPECT_LE(highest, 63);
    EXPECT_LT(lowest, -56);
    EXPECT_GT(highest, 55);
    // Uniform over -64..63 averages -0.5: allow a wide margin for 1024 draws.
    EXPECT_NEAR(sum / 1024.0, -0.5, 6.0);

    TSoundSynth same, other(12345);
    EXPECT_TRUE(std::equal(&synth.NoiseTable[8][0], &synth.NoiseTable[8][1024],
                           &same.NoiseTable[8][0]));
    EXPECT_FALSE(std::equal(&synth.NoiseTable[8][0], &synth.NoiseTable[8][1024],
                            &other.NoiseTable[8][0]));
}
