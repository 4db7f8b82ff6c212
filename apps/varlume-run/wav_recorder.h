#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/sound_sink.h"
#include "ted/sound_synth.h"

class TMachine;

// Records the machine's sound as 44100 Hz unsigned 8-bit mono: every sample the synthesizer
// makes, in emulated time (884.45 samples a frame, the PAL clock's 1773447.5 steps a second),
// so a recording depends only on the emulated run and plays at the machine's pitch.
class TWavRecorder : public TSoundSink {
public:
    explicit TWavRecorder(TMachine& machine);
    ~TWavRecorder() override;
    TWavRecorder(const TWavRecorder&) = delete;
    TWavRecorder& operator=(const TWavRecorder&) = delete;

    void Attach(TTED& ted) override;
    void Feed() override;
    // The synthesizer the recording comes from, for snapshots.
    TSoundSynth& Synth() { return SoundSynth; }
    const std::vector<uint8_t>& Recorded() const { return Samples; }
    // Writes the file; false with a reason in `error` when it cannot be written.
    bool Save(const std::string& path, std::string& error) const;

private:
    TMachine& Machine;
    TTED* Ted = nullptr;
    TSoundSynth SoundSynth;
    std::vector<uint8_t> Samples;
};
