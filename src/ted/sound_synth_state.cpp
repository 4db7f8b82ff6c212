#include <cstdint>

#include "core/state_stream.h"
#include "ted/sound_synth.h"

namespace {

void SaveVoice(TStateWriter& out, const TSoundSynth::TVoice& voice) {
    for (int32_t value : {voice.Phase, voice.HighCount, voice.LowCount, voice.HalfLength, voice.HighAmplitude,
                          voice.LowAmplitude, voice.Length.High, voice.Length.Low})
        out.Put(value);
    out.Put(voice.Fraction);
    out.Put(voice.Length.Exact);
}

void RestoreVoice(TStateReader& in, TSoundSynth::TVoice& voice) {
    // Countdowns stop at -1; amplitudes are a few steps of the volume; a fraction is 16 bits.
    in.GetIn(voice.Phase, 0, 1);
    in.GetIn(voice.HighCount, -1, INT32_MAX);
    in.GetIn(voice.LowCount, -1, INT32_MAX);
    in.GetIn(voice.HalfLength, -1, INT32_MAX);
    in.GetIn(voice.HighAmplitude, -1024, 1024);
    in.GetIn(voice.LowAmplitude, -1024, 1024);
    in.GetIn(voice.Length.High, 0, INT32_MAX);
    in.GetIn(voice.Length.Low, 0, INT32_MAX);
    in.GetIn(voice.Fraction, 0u, 0xFFFFu);
    in.Get(voice.Length.Exact);
}

}  // namespace

void TSoundSynth::SaveState(TStateWriter& out) const {
    for (bool bit : {DigitalAnalog, Voice1On, Voice2On, Noise}) out.Put(bit);
    out.Put(DaLevel);
    out.Put(Volume);
    out.Put(Voice1Frequency);
    out.Put(Voice2Frequency);
    SaveVoice(out, Voice1);
    SaveVoice(out, Voice2);
    out.Put(NoiseCount);
    out.Put(NoiseIndex);
}

bool TSoundSynth::RestoreState(TStateReader& in) {
    for (bool* bit : {&DigitalAnalog, &Voice1On, &Voice2On, &Noise}) in.Get(*bit);
    in.Get(DaLevel);
    in.GetIn(Volume, 0, MaxVolume);
    in.GetIn(Voice1Frequency, uint16_t(0), uint16_t(0x3FF));
    in.GetIn(Voice2Frequency, uint16_t(0), uint16_t(0x3FF));
    RestoreVoice(in, Voice1);
    RestoreVoice(in, Voice2);
    in.GetIn(NoiseCount, -1, INT32_MAX);
    // The noise position indexes its table.
    in.GetIn(NoiseIndex, 0, NoiseLength - 1);
    return in.Ok();
}
