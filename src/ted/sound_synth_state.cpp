#include <cstdint>

#include "core/state_stream.h"
#include "ted/sound_synth.h"

namespace {

// The section's first byte: 0 or 1 began the layout of the synthesizer that made one set of
// samples per feed (its first field was a Boolean); this one starts with its number.
constexpr uint8_t Layout = 2;

// That earlier layout: its fields are read for their validity and left, as a section that tells
// nothing the oscillators here could use.
bool SkipEarlierLayout(TStateReader& in) {
    bool bit = false;
    for (int i = 0; i < 3; ++i) in.Get(bit);  // the first Boolean is read already
    uint8_t level = 0;
    int32_t number = 0;
    uint16_t frequency = 0;
    uint32_t fraction = 0;
    in.Get(level);
    in.Get(number);
    in.Get(frequency);
    in.Get(frequency);
    for (int voice = 0; voice < 2; ++voice) {
        for (int i = 0; i < 8; ++i) in.Get(number);
        in.Get(fraction);
        in.Get(fraction);
    }
    in.Get(number);
    in.Get(number);
    return in.Ok();
}

}  // namespace

void TSoundSynth::SaveState(TStateWriter& out) const {
    out.Put(Layout);
    out.Put(Registers.Voice1Frequency);
    out.Put(Registers.Voice2Frequency);
    out.Put(Registers.Volume);
    for (bool bit : {Registers.Voice1On, Registers.Voice2On, Registers.Noise, Registers.DigitalAnalog}) out.Put(bit);
    for (const TOscillator& voice : Voice) {
        out.Put(voice.NextOverflow == Never ? int64_t(-1) : voice.NextOverflow - Now);
        out.Put(voice.High);
    }
    out.Put(Noise);
    Output.SaveState(out, Now);
}

bool TSoundSynth::RestoreState(TStateReader& in) {
    uint8_t layout = 0;
    in.Get(layout);
    if (layout <= 1) return SkipEarlierLayout(in);
    if (layout != Layout) return in.Fail();
    TTedSound registers;
    in.GetIn(registers.Voice1Frequency, uint16_t(0), uint16_t(0x3FF));
    in.GetIn(registers.Voice2Frequency, uint16_t(0), uint16_t(0x3FF));
    in.GetIn(registers.Volume, uint8_t(0), uint8_t(15));
    for (bool* bit : {&registers.Voice1On, &registers.Voice2On, &registers.Noise, &registers.DigitalAnalog}) in.Get(*bit);
    // An overflow is at most one half period of 1024 counts away, or never (held).
    constexpr int64_t longest = int64_t(StepsPerCount) * 1024;
    TOscillator voices[2];
    for (TOscillator& voice : voices) {
        int64_t ahead = 0;
        in.GetIn(ahead, int64_t(-1), longest);
        voice.NextOverflow = ahead < 0 ? Never : Now + ahead;
        in.Get(voice.High);
    }
    uint8_t noise = 0;
    in.Get(noise);
    if (!in.Ok()) return false;
    TBandLimitedOutput output;
    if (!output.RestoreState(in, Now)) return false;
    const TTedSound before = Registers;
    const TOscillator previous[2] = {Voice[0], Voice[1]};
    const uint8_t noiseBefore = Noise;
    Registers = registers;
    Voice[0] = voices[0];
    Voice[1] = voices[1];
    Noise = noise;
    // The samples in the making must end at the level the registers give, or the output would
    // keep an offset for ever.
    if (output.EndLevel() != Level() * TBandLimitedOutput::Unity) {
        Registers = before;
        Voice[0] = previous[0];
        Voice[1] = previous[1];
        Noise = noiseBefore;
        return in.Fail();
    }
    Output.RestoreFrom(output);
    CurrentLevel = Level();
    return true;
}
