#pragma once
#include <cstdint>

#include "ted/sound_band_limit.h"
#include "ted/sound_writes.h"
#include "ted/ted.h"

class TStateReader;
class TStateWriter;

// The TED's sound, followed at the chip's own resolution: two square-wave oscillators, the noise
// shift register clocked by voice 2, the volume and the D/A mode. Every sound-register write
// comes stamped with its clock step (TSoundWriteLog) and changes the output at that step; the
// output, a level that changes only at clock steps, becomes 44100 Hz samples through
// TBandLimitedOutput. Nothing runs per clock: the synthesizer jumps from one event (an
// oscillator overflow, a write) to the next when it is fed.
class TSoundSynth {
public:
    static constexpr int32_t SampleRate = 44100;
    // The oscillators' counters advance every 8 clock steps (221680.9 Hz): a voice changes level
    // at each overflow, d counts after the last, so a period is 16 d steps and the voice plays
    // 110840.47 / d Hz.
    static constexpr int32_t StepsPerCount = 8;
    static constexpr double ClockStepsPerSecond = 1773447.5;
    static constexpr int32_t MaxVolume = 8;   // the chip's volume saturates above 8
    static constexpr int32_t VolumeLevel = 7; // output levels per volume step of one voice
    static constexpr uint16_t HeldFrequency = 0x3FE;
    static constexpr int64_t Never = INT64_MAX;

    // Counts between two overflows for a frequency register value: 1023 - f, 1024 for $3FF
    // (the counter wraps round), 0 for $3FE, where the oscillator is held and never changes.
    static int32_t CountsPerHalf(uint16_t frequency);
    // The tone a voice plays, in Hz (0 for a held oscillator).
    static double ToneFrequency(uint16_t frequency);
    // The noise shift register's next value: shifted left, the new bit 0 the XNOR of bits 7, 5,
    // 4 and 1.
    static uint8_t NextNoise(uint8_t noise);

    TSoundSynth();

    // From now on the synthesizer follows this TED: its clock and its sound registers, with an
    // empty write log. Where the sound was stands still; nothing is heard for the time between.
    void Follow(const TTED& ted);
    // Synthesizes the writes and the time up to clock step `step` (the TED's ClockCount), and
    // queues the samples that are final.
    void AdvanceTo(int64_t step);
    // The same while nobody listens: the registers follow the writes, nothing is synthesized,
    // and the oscillators start afresh from `step`.
    void SkipTo(int64_t step);

    // The output level now, relative to the silence level 128.
    int32_t Level() const;

    // Snapshots (sound_synth_state.cpp): the oscillators, the noise register and the samples in
    // the making, relative to the clock step reached. Restore is false for bytes that no
    // synthesizer state gives, and for the layout of an earlier version, whose countdowns mean
    // nothing here (the caller reads such a section as absent).
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

    struct TOscillator {
        int64_t NextOverflow = Never;  // the clock step of the next overflow; Never while held
        bool High = true;              // the square wave's level
    };

    TSoundWriteLog Writes;
    TBandLimitedOutput Output;

    TTedSound Registers;     // as the writes up to Now left them
    int64_t Now = 0;         // the clock step up to which the sound is made
    TOscillator Voice[2];
    uint8_t Noise = 0;       // the shift register; bit 0 is the noise voice's level
    int32_t CurrentLevel = 0;

private:
    void Overflow(int voice, int64_t step);
    void Apply(const TTedSound& sound, int64_t step);
    void Restart(TOscillator& oscillator, uint16_t frequency, int64_t step);
    void LevelChanged(int64_t step);
};
