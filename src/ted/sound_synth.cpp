#include "ted/sound_synth.h"

#include <cmath>

// Output level of the D/A mode: row = high nibble of $FF11 ($80..$F0), column = volume. Bits 4
// and 5 say which voice outputs are held high; with neither the output stays at 0.
const uint8_t TSoundSynth::DaLevels[128] = {
    0, 0,  0,  0,  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    0, 8,  23, 38, 54,  69,  85,  101, 114, 114, 114, 114, 114, 114, 114, 114,
    0, 8,  23, 38, 53,  69,  84,  100, 114, 114, 114, 114, 114, 114, 114, 114,
    0, 17, 47, 78, 110, 143, 177, 212, 244, 244, 244, 244, 244, 244, 244, 244,
    0, 0,  0,  0,  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    0, 8,  23, 38, 54,  69,  85,  101, 114, 114, 114, 114, 114, 114, 114, 114,
    0, 8,  23, 38, 53,  69,  84,  100, 114, 114, 114, 114, 114, 114, 114, 114,
    0, 17, 47, 78, 110, 143, 177, 212, 244, 244, 245, 245, 244, 244, 245, 245,
};

TSoundSynth::TSoundSynth(uint32_t noiseSeed) { BuildNoiseTable(noiseSeed); }

void TSoundSynth::BuildNoiseTable(uint32_t seed) {
    // xorshift32: small, deterministic, and its upper bits are evenly spread. A zero seed would
    // stay zero forever.
    uint32_t state = seed != 0 ? seed : DefaultNoiseSeed;
    for (int32_t i = 0; i < NoiseLength; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const int32_t x = static_cast<int32_t>(state >> 25) - 64;  // 7 bits: -64..63
        for (int32_t v = 0; v < NoiseRows; ++v)
            NoiseTable[v][i] = static_cast<int8_t>(x * v / 8);  // truncates toward zero
    }
}

void TSoundSynth::ResetState() {
    for (TVoice* voice : {&Voice1, &Voice2}) {
        voice->Phase = voice->HighCount = voice->LowCount = 0;
        voice->HalfLength = -1;
        voice->Fraction = 0;
    }
    NoiseCount = 0;
    NoiseIndex = 0;
}

TSoundSynth::THalfPeriods TSoundSynth::HalfPeriods(uint16_t frequency) {
    // The oscillator counts from the register value to the top of its 10 bits and toggles on
    // the overflow; $3FF wraps round and takes all 1024 counts.
    const int32_t d = 1024 - ((frequency + 1) & 1023);
    const float toggleRate = static_cast<float>(111860.781 / d * 2.0);
    const float n = static_cast<float>(SampleRate) / toggleRate;
    THalfPeriods lengths;
    lengths.High = static_cast<int32_t>(n);
    // Odd sample counts per period alternate a short and a long half.
    lengths.Low = (std::ceil(n) - n < 0.5f) ? lengths.High + 1 : lengths.High;
    // Whole samples alone put high notes up to 6 % off pitch; the halves carry the rest.
    if (lengths.High > 0)
        lengths.Exact = static_cast<uint32_t>(std::lround(SampleRate * d / (2 * 111860.781) * 65536.0));
    return lengths;
}

// Each half takes the whole samples of its exact length plus what the halves before it carried,
// so the halves average the exact length and the voice keeps its pitch.
int32_t TSoundSynth::NextHalfLength(TVoice& voice, int32_t nominal) {
    const uint32_t exact = voice.Length.Exact;
    if (exact == 0) return nominal;
    const uint32_t total = voice.Fraction + exact;
    voice.Fraction = total & 0xFFFF;
    return static_cast<int32_t>(total >> 16);
}

void TSoundSynth::Refresh(uint8_t ff11, const TTedSound& sound) {
    DigitalAnalog = (ff11 & 0x80) != 0;
    if (DigitalAnalog) {
        // D/A mode holds the output at one level; the voice parameters stay for later.
        DaLevel = DaLevels[ff11 & 0x7F];
        return;
    }
    Volume = sound.Volume > MaxVolume ? MaxVolume : sound.Volume;
    Voice1Frequency = sound.Voice1Frequency & 0x3FF;
    Voice2Frequency = sound.Voice2Frequency & 0x3FF;
    Voice1On = sound.Voice1On;
    Voice2On = sound.Voice2On;
    Noise = sound.Noise;

    const int32_t amplitude = 7 * Volume;
    Voice1.HighAmplitude = Voice1On ? amplitude : 0;
    Voice1.LowAmplitude = Voice1On ? -amplitude : 0;
    Voice1.Length = HalfPeriods(Voice1Frequency);
    Voice2.HighAmplitude = Voice2On ? amplitude : 0;
    Voice2.LowAmplitude = Voice2On ? -amplitude : 0;
    Voice2.Length = HalfPeriods(Voice2Frequency);
}

int32_t TSoundSynth::NextVoiceSample(TVoice& voice) {
    // The edges of a half period are softened to half height: the first and the last sample of
    // each half are halved (arithmetic shift, so -21 becomes -11).
    int32_t s;
    if (voice.Phase == 0) {
        s = voice.HighAmplitude;
        if (voice.HighCount == voice.HalfLength) s >>= 1;
        if (--voice.HighCount <= 0) {
            s >>= 1;
            // With a zero-length low half the voice stays high and the countdown keeps falling;
            // every value below zero acts alike, so it is held at -1 rather than run out of range.
            if (voice.HighCount < -1) voice.HighCount = -1;
            voice.LowCount = voice.HalfLength = NextHalfLength(voice, voice.Length.Low);
            if (voice.LowCount != 0) voice.Phase = 1;
        }
    } else {
        s = voice.LowAmplitude;
        if (voice.LowCount == voice.HalfLength) s >>= 1;
        if (--voice.LowCount <= 0) {
            s >>= 1;
            if (voice.LowCount < -1) voice.LowCount = -1;
            voice.HighCount = voice.HalfLength = NextHalfLength(voice, voice.Length.High);
            if (voice.HighCount != 0) voice.Phase = 0;
        }
    }
    return s;
}

void TSoundSynth::Generate(uint8_t* out, int32_t count) {
    if (DigitalAnalog) {
        for (int32_t i = 0; i < count; ++i) out[i] = DaLevel;
        return;
    }
    const int8_t* noiseRow = NoiseTable[Volume];
    // Noise is clocked by voice 2's oscillator, so the noise rate follows its frequency; the
    // chip outputs nothing at $3FE.
    const bool noiseSilent = Voice2Frequency == 0x3FE;
    for (int32_t i = 0; i < count; ++i) {
        // Voice 1 runs on while switched off (its amplitudes are 0), so its phase keeps going.
        const int32_t s1 = NextVoiceSample(Voice1);
        int32_t s2 = 0;
        if (Voice2On) {
            s2 = NextVoiceSample(Voice2);
        } else if (Noise) {
            if (--NoiseCount <= 0) {
                NoiseCount = Voice2.Length.High >> 1;
                NoiseIndex = (NoiseIndex + 1) & (NoiseLength - 1);
            }
            s2 = noiseSilent ? 0 : noiseRow[NoiseIndex];
        }
        out[i] = static_cast<uint8_t>(s1 + s2 + 128);
    }
}
