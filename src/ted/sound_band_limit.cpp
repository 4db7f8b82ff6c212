#include "ted/sound_band_limit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/state_stream.h"

namespace {

// One row more than the phases: a step a whole sample late, for the interpolation.
using TKernel = std::array<std::array<int32_t, TBandLimitedOutput::Taps>, TBandLimitedOutput::Phases + 1>;

// The zeroth-order modified Bessel function, for the Kaiser window.
double BesselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// Row p holds the step's taps when it falls p/256 of a sample after a sample time: tap k is
// how much the filter's step response rises between samples k and k + 1 after it. The response
// is summed from the impulse response at 1/256 of a sample and rounded to integers once, so
// every row's taps add up to exactly Unity.
TKernel MakeKernel() {
    constexpr int32_t taps = TBandLimitedOutput::Taps, phases = TBandLimitedOutput::Phases;
    constexpr int32_t width = taps - 1;                 // the response's length in samples
    constexpr double cutoff = 18300.0 / 44100.0;        // cycles per sample
    constexpr double beta = 7.86;                       // Kaiser: 80 dB side lobes
    constexpr int32_t points = width * phases;          // grid points of the step response
    std::vector<double> response(points + 1, 0.0);
    const double centre = width / 2.0, norm = BesselI0(beta);
    auto impulse = [&](double t) {
        const double x = t - centre;
        const double sinc = x == 0.0 ? 2.0 * cutoff : std::sin(2.0 * std::numbers::pi * cutoff * x) / (std::numbers::pi * x);
        const double r = x / centre;
        return sinc * BesselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
    };
    // Midpoint rule over each grid interval, at eight points within it.
    constexpr int32_t sub = 8;
    for (int32_t i = 0; i < points; ++i) {
        double area = 0.0;
        for (int32_t s = 0; s < sub; ++s) area += impulse((i + (s + 0.5) / sub) / phases);
        response[size_t(i) + 1] = response[size_t(i)] + area / (sub * phases);
    }
    const double total = response[points];
    std::vector<int32_t> rounded(points + 1);
    for (int32_t i = 0; i <= points; ++i)
        rounded[size_t(i)] = int32_t(std::lround(response[size_t(i)] / total * TBandLimitedOutput::Unity));
    rounded[0] = 0;
    rounded[points] = TBandLimitedOutput::Unity;
    auto at = [&](int32_t grid) { return grid <= 0 ? 0 : grid >= points ? TBandLimitedOutput::Unity : rounded[size_t(grid)]; };
    TKernel kernel{};
    for (int32_t p = 0; p <= phases; ++p)
        for (int32_t k = 0; k < taps; ++k) kernel[p][k] = at((k + 1) * phases - p) - at(k * phases - p);
    return kernel;
}

const TKernel& Kernel() {
    static const TKernel kernel = MakeKernel();
    return kernel;
}

}  // namespace

TBandLimitedOutput::TBandLimitedOutput() { Kernel(); }

void TBandLimitedOutput::Start(int64_t step, int32_t level) {
    Deltas.fill(0);
    First = 0;
    FirstTime = step * StepUnits + SampleUnits;
    Accumulator = level * Unity;
}

void TBandLimitedOutput::AddStep(int64_t step, int32_t delta) {
    if (delta == 0) return;
    // The samples after the step, counted from the sample before the first one not final.
    int64_t offset = step * StepUnits - FirstTime + SampleUnits;
    if (offset < 0) offset = 0;  // a step is never before the samples already final
    if (First + offset / SampleUnits + Taps > Span) {
        FinishUntil(step);
        offset = std::max<int64_t>(0, step * StepUnits - FirstTime + SampleUnits);
    }
    const uint32_t whole = uint32_t(offset / SampleUnits);
    // The taps between the two nearest of the 256 phases, weighed in 1/65536: a step placed
    // on the phase grid alone would move edges by up to 1/512 sample, and a tone's edges
    // falling on the grid in a regular pattern would be heard as side tones (at -67 dB).
    const int64_t position = (offset % SampleUnits) * (int64_t(Phases) << 16) / SampleUnits;
    const std::array<int32_t, Taps>& before = Kernel()[size_t(position >> 16)];
    const std::array<int32_t, Taps>& after = Kernel()[size_t(position >> 16) + 1];
    const int32_t weight = int32_t(position & 0xFFFF);
    int32_t* deltas = Deltas.data() + First + whole;
    // The last tap takes what the others leave of the whole step, so every step adds exactly
    // delta levels once it has passed. Neighbouring phases differ by a few hundred at most, so
    // the weighing stays within 32 bits.
    int32_t rest = delta * Unity;
    for (int32_t k = 0; k < Taps - 1; ++k) {
        const int32_t tap = before[size_t(k)] + (((after[size_t(k)] - before[size_t(k)]) * weight) >> 16);
        deltas[k] += delta * tap;
        rest -= delta * tap;
    }
    deltas[Taps - 1] += rest;
}

void TBandLimitedOutput::FinishUntil(int64_t step) {
    const int64_t until = step * StepUnits;
    while (FirstTime <= until) {
        int32_t& delta = Deltas[First];
        Accumulator += delta;
        delta = 0;
        ++First;
        FirstTime += SampleUnits;
        // Rounded to the nearest level. Between levels a triangular dither of one level each
        // way goes in first: a tone's rounding errors would repeat with it and be heard as
        // side tones 65 dB down; dithered they are an even hiss below them. A level reached
        // exactly (silence, a held D/A level) stays exact. The filter's overshoot at the
        // loudest edges is clipped.
        int32_t dither = 0;
        if (Accumulator & (Unity - 1)) dither = int32_t(NextRandom() & (Unity - 1)) + int32_t(NextRandom() & (Unity - 1)) - Unity;
        const int32_t level = 128 + ((Accumulator + dither + Unity / 2) >> 15);
        Queue(uint8_t(std::clamp(level, 0, 255)));
    }
    // Only the samples a step before `step` reaches are pending: they move to the start.
    if (First >= Span / 2) {
        std::copy(Deltas.begin() + First, Deltas.begin() + First + Taps, Deltas.begin());
        std::fill(Deltas.begin() + First, Deltas.begin() + First + Taps, 0);
        First = 0;
    }
}

uint32_t TBandLimitedOutput::NextRandom() {
    // xorshift32: cheap, and every recording is the same.
    Random ^= Random << 13;
    Random ^= Random >> 17;
    Random ^= Random << 5;
    return Random >> 8;
}

void TBandLimitedOutput::Shift(int64_t steps) { FirstTime += steps * StepUnits; }

void TBandLimitedOutput::Queue(uint8_t sample) {
    if (Count == QueueSize) {
        Head = (Head + 1) % QueueSize;
        --Count;
    }
    Samples[(Head + Count) % QueueSize] = sample;
    ++Count;
    Last = sample;
}

uint32_t TBandLimitedOutput::Take(uint8_t* out, uint32_t max) {
    const uint32_t n = std::min(max, Count);
    for (uint32_t i = 0; i < n; ++i) out[i] = Samples[(Head + i) % QueueSize];
    Head = (Head + n) % QueueSize;
    Count -= n;
    return n;
}

void TBandLimitedOutput::Trim(uint32_t keep) {
    if (Count <= keep) return;
    Head = (Head + Count - keep) % QueueSize;
    Count = keep;
}

void TBandLimitedOutput::SaveState(TStateWriter& out, int64_t now) const {
    out.Put(FirstTime - now * StepUnits);
    out.Put(Accumulator);
    out.Put(SampleUnits);
    out.Put(Random);
    for (int32_t k = 0; k < Taps; ++k) out.Put(Deltas[First + uint32_t(k)]);
}

bool TBandLimitedOutput::RestoreState(TStateReader& in, int64_t now) {
    // The next sample lies within a sample after `now`; levels and pending steps stay within
    // what the loudest output and its largest change give.
    constexpr int32_t maxLevel = 512 * Unity;
    int64_t ahead = 0;
    int32_t accumulator = 0, units = 0;
    in.GetIn(ahead, int64_t(1), int64_t(2) * NominalSampleUnits);
    in.GetIn(accumulator, -maxLevel, maxLevel);
    in.GetIn(units, NominalSampleUnits * 3 / 4, NominalSampleUnits * 5 / 4);
    uint32_t random = 0;
    in.GetIn(random, 1u, UINT32_MAX);  // zero would stay zero
    std::array<int32_t, Taps> pending{};
    for (int32_t& delta : pending) in.GetIn(delta, -maxLevel, maxLevel);
    if (!in.Ok()) return false;
    Deltas.fill(0);
    First = 0;
    std::copy(pending.begin(), pending.end(), Deltas.begin());
    FirstTime = now * StepUnits + ahead;
    Accumulator = accumulator;
    SampleUnits = units;
    Random = random;
    return true;
}

int64_t TBandLimitedOutput::EndLevel() const {
    int64_t level = Accumulator;
    for (int32_t delta : Deltas) level += delta;
    return level;
}

void TBandLimitedOutput::RestoreFrom(const TBandLimitedOutput& other) {
    Deltas = other.Deltas;
    First = other.First;
    FirstTime = other.FirstTime;
    Accumulator = other.Accumulator;
    SampleUnits = other.SampleUnits;
    Random = other.Random;
}
