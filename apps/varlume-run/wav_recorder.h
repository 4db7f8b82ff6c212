#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ted/sound_feed.h"

class TMachine;

// Records the machine's sound as 44100 Hz unsigned 8-bit mono. The frame loop feeds a sound ring
// as it would feed a device; the "device" here plays 882 samples per emulated frame, real-time
// pace in emulated time, so a recording depends only on the emulated run.
class TWavRecorder {
public:
    static constexpr uint32_t SamplesPerFrame = 44100 / 50;

    explicit TWavRecorder(TMachine& machine);
    ~TWavRecorder();
    void AfterFrame();
    // The synthesizer the recording comes from, for snapshots.
    TSoundSynth& Synth() { return Feed->Synth; }
    // Writes the file; false with a reason in `error` when it cannot be written.
    bool Save(const std::string& path, std::string& error) const;

private:
    TMachine& Machine;
    std::unique_ptr<TSoundFeed> Feed;
    std::vector<uint8_t> Samples;
};
