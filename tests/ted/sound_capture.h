#pragma once
// A sound sink for tests: the synthesizer the runner's --wav uses, keeping every sample.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "core/sound_sink.h"
#include "ted/sound_synth.h"

class TSoundCapture : public TSoundSink {
public:
    void Attach(TTED& ted) override {
        Ted = &ted;
        ted.SoundWrites = &Synth.Writes;
        Synth.Follow(ted);
    }
    void Feed() override {
        Synth.AdvanceTo(Ted->ClockCount());
        const size_t at = Samples.size();
        Samples.resize(at + Synth.Output.Queued());
        Synth.Output.Take(Samples.data() + at, Synth.Output.Queued());
    }
    TTED* Ted = nullptr;
    TSoundSynth Synth;
    std::vector<uint8_t> Samples;
};

namespace SoundAnalysis {

constexpr double Rate = 44100.0;

// The frequency of a periodic signal in samples [from, to): from its upward crossings of its
// mean, each placed between two samples by interpolation.
inline double MeasuredFrequency(const std::vector<uint8_t>& s, size_t from, size_t to) {
    double mean = 0;
    for (size_t i = from; i < to; ++i) mean += s[i];
    mean /= double(to - from);
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (!(s[i - 1] < mean && s[i] >= mean)) continue;
        const double at = double(i - 1) + (mean - s[i - 1]) / (double(s[i]) - s[i - 1]);
        if (first < 0) first = at;
        last = at;
        ++crossings;
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * Rate / (last - first);
}

// How far the strongest component between `low` and `high` Hz stands above the median of that
// band, in dB: the power at every 5 Hz, averaged over Hann-windowed segments of 8192 samples.
inline double PeakOverBandMedianDb(const std::vector<uint8_t>& s, size_t from, double low, double high) {
    constexpr size_t n = 8192;
    const size_t bins = size_t((high - low) / 5.0) + 1;
    std::vector<double> powers(bins, 0.0), segment(n);
    for (size_t start = from; start + n <= s.size(); start += n) {
        for (size_t i = 0; i < n; ++i)
            segment[i] = (s[start + i] - 128.0) * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(n)));
        for (size_t bin = 0; bin < bins; ++bin) {
            // Goertzel at one frequency.
            const double w = 2.0 * std::cos(2.0 * std::numbers::pi * (low + 5.0 * double(bin)) / Rate);
            double a = 0, b = 0;
            for (double x : segment) {
                const double next = x + w * a - b;
                b = a;
                a = next;
            }
            powers[bin] += a * a + b * b - w * a * b;
        }
    }
    std::vector<double> sorted = powers;
    std::sort(sorted.begin(), sorted.end());
    return 10.0 * std::log10(sorted.back() / sorted[sorted.size() / 2]);
}

}  // namespace SoundAnalysis
