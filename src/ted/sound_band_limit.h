#pragma once
#include <array>
#include <cstdint>

class TStateReader;
class TStateWriter;

// Brings the TED's output, a level that changes only at clock steps, to 44100 Hz samples
// without aliasing. Each change of level is added to the samples as a band-limited step: the
// integral of a Kaiser-windowed sinc (low-pass at 18.3 kHz, stop band from 22.05 kHz down by
// 80 dB), spread over 32 samples and placed at 1/256 of a sample. That is the exact output of
// the low-pass filter for a signal that is constant between its steps, so the cost follows the
// number of level changes, not the 1.77 MHz clock. The taps are integers whose sum is exactly
// one step, so a level reached stays exact for ever: silence is exactly 128.
//
// The samples come out about 16 samples (0.36 ms) after their time, into a queue that the
// feed or the recorder empties; a queue left full drops its oldest samples.
class TBandLimitedOutput {
public:
    static constexpr int32_t Taps = 32;
    static constexpr int32_t Phases = 256;
    static constexpr int32_t Unity = 1 << 15;  // a step of one level, in tap units
    // Time in units of 1/17640 clock step: the clock step is 1/1773447.5 s (the PAL crystal,
    // 17.734475 MHz, divided by 10), so a 44100 Hz sample is exactly 709379 units.
    static constexpr int64_t StepUnits = 17640;
    static constexpr int32_t NominalSampleUnits = 709379;
    static constexpr uint32_t QueueSize = 16384;

    TBandLimitedOutput();

    // No pending step; the level is `level` from clock step `step` on.
    void Start(int64_t step, int32_t level);
    // The level changes by `delta` at clock step `step`; steps come in time order.
    void AddStep(int64_t step, int32_t delta);
    // Makes every sample up to clock step `step` final and queues it.
    void FinishUntil(int64_t step);
    // The clock moves by `steps` with nothing heard: pending steps keep their places.
    void Shift(int64_t steps);

    // The length of a sample in time units: NominalSampleUnits, or near it where a device
    // plays at another pace than the emulation runs.
    void SetSampleUnits(int32_t units) { SampleUnits = units; }
    int32_t GetSampleUnits() const { return SampleUnits; }

    uint32_t Queued() const { return Count; }
    // Moves up to `max` queued samples to `out`; returns how many.
    uint32_t Take(uint8_t* out, uint32_t max);
    // Drops the oldest queued samples until `keep` remain.
    void Trim(uint32_t keep);
    // The sample most recently queued (silence before any).
    uint8_t LastSample() const { return Last; }

    // Snapshots: where the samples stand and the pending steps, relative to clock step `now`.
    void SaveState(TStateWriter& out, int64_t now) const;
    bool RestoreState(TStateReader& in, int64_t now);
    // The level, times Unity, that the pending steps lead to.
    int64_t EndLevel() const;
    // Takes another output's samples in the making and its pace; the queue stays.
    void RestoreFrom(const TBandLimitedOutput& other);

private:
    // Samples a pending step may reach ahead. The taps never wrap round: the pending samples
    // move back to the start once the first of them passes half way.
    static constexpr uint32_t Span = 4096;
    void Queue(uint8_t sample);
    uint32_t NextRandom();

    std::array<int32_t, Span + Taps> Deltas{};  // per sample: the change of the accumulator
    uint32_t First = 0;                   // the first sample not yet final, in Deltas
    int64_t FirstTime = 0;                // its time, in units
    int32_t Accumulator = 0;              // the level of the last final sample, times Unity
    int32_t SampleUnits = NominalSampleUnits;
    uint32_t Random = 0x2645A3C1u;        // the dither's generator

    std::array<uint8_t, QueueSize> Samples{};
    uint32_t Head = 0, Count = 0;
    uint8_t Last = 128;
};
