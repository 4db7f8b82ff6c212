#include "core/state_stream.h"
#include "ted/sound_synth.h"

namespace {

void SaveVoice(TStateWriter& out, const TSoundSynth::TVoice& voice) {
    for (int32_t value : {voice.Phase, voice.HighCount, voice.LowCount, voice.HighAmplitude, voice.LowAmplitude,
                          voice.Length.High, voice.Length.Low})
        out.Put(value);
}

void RestoreVoice(TStateReader& in, TSoundSynth::TVoice& voice) {
    in.GetIn(voice.Phase, 0, 1);
    for (int32_t* value : {&voice.HighCount, &voice.LowCount, &voice.HighAmplitude, &voice.LowAmplitude,
                           &voice.Length.High, &voice.Length.Low})
        in.Get(*value);
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
    in.Get(NoiseCount);
    // The noise position indexes its table.
    in.GetIn(NoiseIndex, 0, NoiseLength - 1);
    return in.Ok();
}
