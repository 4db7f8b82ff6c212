#include "ted/sound_synth.h"

#include <algorithm>

int32_t TSoundSynth::CountsPerHalf(uint16_t frequency) {
    const uint16_t f = frequency & 0x3FF;
    if (f == HeldFrequency) return 0;
    return 1024 - ((f + 1) & 1023);
}

double TSoundSynth::ToneFrequency(uint16_t frequency) {
    const int32_t counts = CountsPerHalf(frequency);
    return counts == 0 ? 0.0 : ClockStepsPerSecond / (2.0 * StepsPerCount * counts);
}

uint8_t TSoundSynth::NextNoise(uint8_t noise) {
    const uint8_t feedback = uint8_t(~((noise >> 7) ^ (noise >> 5) ^ (noise >> 4) ^ (noise >> 1)) & 1);
    return uint8_t(noise << 1 | feedback);
}

TSoundSynth::TSoundSynth() { Output.Start(0, 0); }

void TSoundSynth::Follow(const TTED& ted) {
    const int64_t step = ted.ClockCount();
    const int64_t moved = step - Now;
    for (TOscillator& voice : Voice)
        if (voice.NextOverflow != Never) voice.NextOverflow += moved;
    Output.Shift(moved);
    Now = step;
    Writes.Clear();
    Apply(ted.Sound, step);
}

int32_t TSoundSynth::Level() const {
    const int32_t amplitude = VolumeLevel * std::min<int32_t>(Registers.Volume, MaxVolume);
    const bool second = Registers.Voice2On || Registers.Noise;
    // D/A mode holds both voice outputs high: the output follows the volume alone, on the
    // voices' own scale, so volume 0 is silence.
    if (Registers.DigitalAnalog) return (Registers.Voice1On ? amplitude : 0) + (second ? amplitude : 0);
    auto level = [amplitude](bool high) { return high ? amplitude : -amplitude; };
    int32_t sum = Registers.Voice1On ? level(Voice[0].High) : 0;
    // With voice 2 and noise both on, voice 2 plays its square wave.
    if (Registers.Voice2On) sum += level(Voice[1].High);
    else if (Registers.Noise) sum += level(Noise & 1);
    return sum;
}

void TSoundSynth::LevelChanged(int64_t step) {
    const int32_t level = Level();
    Output.AddStep(step, level - CurrentLevel);
    CurrentLevel = level;
}

// A held oscillator starts counting again when its frequency leaves $3FE.
void TSoundSynth::Restart(TOscillator& oscillator, uint16_t frequency, int64_t step) {
    const int32_t counts = CountsPerHalf(frequency);
    oscillator.NextOverflow = counts == 0 ? Never : step + int64_t(StepsPerCount) * counts;
}

void TSoundSynth::Apply(const TTedSound& sound, int64_t step) {
    Registers = sound;
    // The counter reloads the frequency at its next overflow; only a held one starts at once.
    if (Voice[0].NextOverflow == Never) Restart(Voice[0], Registers.Voice1Frequency, step);
    if (Voice[1].NextOverflow == Never) Restart(Voice[1], Registers.Voice2Frequency, step);
    LevelChanged(step);
}

void TSoundSynth::Overflow(int voice, int64_t step) {
    TOscillator& oscillator = Voice[voice];
    oscillator.High = !oscillator.High;
    // The noise register steps where voice 2's square wave changes level.
    if (voice == 1) Noise = NextNoise(Noise);
    Restart(oscillator, voice == 0 ? Registers.Voice1Frequency : Registers.Voice2Frequency, step);
}

void TSoundSynth::AdvanceTo(int64_t step) {
    TTedSound folded;
    if (Writes.TakeFolded(folded)) Apply(folded, Now);
    for (;;) {
        const int64_t write = Writes.Empty() ? Never : std::max(Writes.Front().Step, Now);
        const int voice = Voice[1].NextOverflow < Voice[0].NextOverflow ? 1 : 0;
        const int64_t overflow = Voice[voice].NextOverflow;
        const int64_t at = std::min(write, overflow);
        if (at >= step) break;
        if (overflow <= write) {
            Overflow(voice, overflow);
            LevelChanged(overflow);
        } else {
            const TTedSound sound = Writes.Front().Sound;
            Writes.PopFront();
            Apply(sound, write);
        }
    }
    if (step > Now) Now = step;
    Output.FinishUntil(Now);
}

void TSoundSynth::SkipTo(int64_t step) {
    TTedSound last = Registers;
    Writes.TakeFolded(last);
    for (; !Writes.Empty(); Writes.PopFront()) last = Writes.Front().Sound;
    if (step < Now) step = Now;
    Output.Shift(step - Now);
    Now = step;
    for (TOscillator& voice : Voice) voice.NextOverflow = Never;
    Apply(last, step);
    Output.FinishUntil(Now);
    Output.Trim(0);
}
