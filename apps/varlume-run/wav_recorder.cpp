#include "wav_recorder.h"

#include <fstream>

#include "machine/machine.h"

TWavRecorder::TWavRecorder(TMachine& machine) : Machine(machine) { Machine.SetSoundSink(this); }

TWavRecorder::~TWavRecorder() { Machine.SetSoundSink(nullptr); }

void TWavRecorder::Attach(TTED& ted) {
    Ted = &ted;
    ted.SoundWrites = &SoundSynth.Writes;
    SoundSynth.Follow(ted);
}

void TWavRecorder::Feed() {
    if (!Ted) return;
    SoundSynth.AdvanceTo(Ted->ClockCount());
    TBandLimitedOutput& output = SoundSynth.Output;
    const size_t at = Samples.size();
    Samples.resize(at + output.Queued());
    output.Take(Samples.data() + at, output.Queued());
}

namespace {
void PutLE(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i));
}
}  // namespace

bool TWavRecorder::Save(const std::string& path, std::string& error) const {
    constexpr uint32_t rate = 44100;
    const uint32_t size = uint32_t(Samples.size());
    std::string header = "RIFF";
    PutLE(header, 36 + size, 4);
    header += "WAVEfmt ";
    PutLE(header, 16, 4);    // format chunk size
    PutLE(header, 1, 2);     // PCM
    PutLE(header, 1, 2);     // mono
    PutLE(header, rate, 4);
    PutLE(header, rate, 4);  // bytes per second
    PutLE(header, 1, 2);     // block alignment
    PutLE(header, 8, 2);     // bits per sample
    header += "data";
    PutLE(header, size, 4);

    std::ofstream out(path, std::ios::binary);
    out.write(header.data(), std::streamsize(header.size()));
    out.write(reinterpret_cast<const char*>(Samples.data()), std::streamsize(size));
    if (!out) {
        error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}
