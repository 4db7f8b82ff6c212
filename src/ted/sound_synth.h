#pragma once
#include <cstdint>

#include "ted/ted.h"

class TStateReader;
class TStateWriter;

// The TED's two square-wave voices, noise and D/A mode as 8-bit unsigned mono samples at
// 44100 Hz. The chip is not followed clock by clock: each feed takes the current register
// values once and synthesizes as many samples as the host has played since the previous feed.
class TSoundSynth {
public:
    static constexpr int32_t SampleRate = 44100;
    static constexpr int32_t NoiseLength = 1024;
    static constexpr int32_t NoiseRows = 9;   // one row per limited volume 0..8
    static constexpr int32_t MaxVolume = 8;   // the chip's volume saturates above 8
    static constexpr uint32_t DefaultNoiseSeed = 0x2645A3C1u;

    // Samples per half period of a voice: the whole samples of the high and the low half, as
    // the lengths average out (the noise rate follows High), and the exact length, 16.16 fixed
    // point, that the halves carry their fractions by. Exact is 0 below one sample a half,
    // where the voice settles at one level.
    struct THalfPeriods {
        int32_t High = 0;
        int32_t Low = 0;
        uint32_t Exact = 0;
    };

    explicit TSoundSynth(uint32_t noiseSeed = DefaultNoiseSeed);

    // Rebuilds the noise table from `seed`; values are uniform in -64..63.
    void BuildNoiseTable(uint32_t seed);
    // Voices back to phase 0, every countdown and the noise position to zero.
    void ResetState();

    // Takes the register values used by every sample of the next Generate. `ff11` is the byte
    // $FF11 reads back; the voice fields come from the TED's decoded sound registers.
    void Refresh(uint8_t ff11, const TTedSound& sound);
    void Refresh(TTED& ted) { Refresh(ted.ReadRegister(0xFF11), ted.Sound); }

    // Writes `count` samples. Integer countdowns and one table read per sample, no allocation.
    void Generate(uint8_t* out, int32_t count);

    static THalfPeriods HalfPeriods(uint16_t frequency);

    // Snapshots (sound_synth_state.cpp): the register values of the last feed and where each
    // voice and the noise stand, so restored sound goes on in phase. The noise table is the
    // seed's and stays. Restore is false for bytes that no synthesizer state gives.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

    // Per-voice square-wave state.
    struct TVoice {
        int32_t Phase = 0;  // 0 high half, 1 low half
        int32_t HighCount = 0;
        int32_t LowCount = 0;
        int32_t HalfLength = -1;  // samples of the half in progress; -1 before the first
        uint32_t Fraction = 0;    // the part of a sample the halves so far fell short, 16.16
        // Parameters of the current feed.
        int32_t HighAmplitude = 0;
        int32_t LowAmplitude = 0;
        THalfPeriods Length;
    };

    // Parameters, readable for the debugger and the tests.
    bool DigitalAnalog = false;
    uint8_t DaLevel = 0;
    int32_t Volume = 0;
    bool Voice1On = false;
    bool Voice2On = false;
    bool Noise = false;
    uint16_t Voice1Frequency = 0;
    uint16_t Voice2Frequency = 0;

    TVoice Voice1;
    TVoice Voice2;
    int32_t NoiseCount = 0;
    int32_t NoiseIndex = 0;

    int8_t NoiseTable[NoiseRows][NoiseLength];

    // Output levels of D/A mode for $FF11 = $80..$FF.
    static const uint8_t DaLevels[128];

private:
    static int32_t NextVoiceSample(TVoice& voice);
    static int32_t NextHalfLength(TVoice& voice, int32_t nominal);
};
