#include "ted/sound_feed.h"

#include <algorithm>
#include <cmath>

#include "ted/ted.h"

TSoundFeed::TSoundFeed(TTED& ted, uint32_t ringSize, uint32_t writeDistance)
    : Ted(ted),
      WriteDistance(writeDistance),
      Size(std::max(ringSize, static_cast<uint32_t>(MaxLeadBytes) + writeDistance)),
      Ring(new std::atomic<uint8_t>[Size]) {
    for (uint32_t i = 0; i < Size; ++i) Ring[i].store(SilenceLevel, std::memory_order_relaxed);
}

void TSoundFeed::SetLeadBytes(int32_t bytes) {
    LeadBytes = std::clamp(bytes, MinLeadBytes, MaxLeadBytes);
}

void TSoundFeed::Attach(TTED& ted) {
    ted.SoundWrites = &Synth.Writes;
    Synth.Follow(ted);
}

void TSoundFeed::Feed() {
    if (Muted) {
        Synth.SkipTo(Ted.ClockCount());
        Filling = true;
        return;
    }
    Synth.AdvanceTo(Ted.ClockCount());
    TBandLimitedOutput& output = Synth.Output;
    if (output.Queued() > MaxQueue()) output.Trim(TargetQueue());
    const uint32_t writeCursor = WriteCursor();
    if (writeCursor == LastWriteCursor) return;

    // What the device consumed since the previous feed, at most one lead.
    int64_t count = static_cast<int64_t>(writeCursor) + LeadBytes - PreviousEnd;
    if (writeCursor < LastWriteCursor) count += Size;
    if (count > LeadBytes) count = LeadBytes;
    // A lead shortened since the previous feed leaves the next bytes already written.
    if (count < 0) count = 0;

    // A queue run dry holds the last level (a short gap, no click) until it has filled again.
    if (Filling && output.Queued() >= TargetQueue()) Filling = false;
    const uint32_t taken = Filling ? 0 : output.Take(Scratch.data(), uint32_t(count));
    std::fill(Scratch.begin() + taken, Scratch.begin() + count, output.LastSample());
    if (taken < count) Filling = true;
    else Pace();
    int64_t start = static_cast<int64_t>(writeCursor) + LeadBytes - count;
    if (start >= Size) start -= Size;
    WriteRing(static_cast<uint32_t>(start), Scratch.data(), static_cast<uint32_t>(count));

    PreviousEnd = static_cast<int64_t>(writeCursor) + LeadBytes;
    LastWriteCursor = writeCursor;
}

// After each take, a steer on the queue's difference from its target (in targets), averaged
// over 16 takes: a proportional part, and an integral part that holds a lasting difference of
// pace (the 0.28 % of a 50 Hz frame loop) with the queue at its target.
void TSoundFeed::Pace() {
    const double target = TargetQueue();
    AverageQueue += ((Synth.Output.Queued() - target) / target - AverageQueue) / 16.0;
    PaceDrift = std::clamp(PaceDrift + 0.0005 * AverageQueue, -MaxPaceChange, MaxPaceChange);
    const double factor = 1.0 + std::clamp(0.01 * AverageQueue + PaceDrift, -MaxPaceChange, MaxPaceChange);
    Synth.Output.SetSampleUnits(int32_t(std::lround(TBandLimitedOutput::NominalSampleUnits * factor)));
}

void TSoundFeed::WriteRing(uint32_t start, const uint8_t* samples, uint32_t count) {
    // Two regions: up to the end of the ring, then the rest from its beginning.
    const uint32_t first = std::min(count, Size - start);
    for (uint32_t i = 0; i < first; ++i)
        Ring[start + i].store(samples[i], std::memory_order_relaxed);
    for (uint32_t i = first; i < count; ++i)
        Ring[i - first].store(samples[i], std::memory_order_relaxed);
}

void TSoundFeed::AdvancePlayCursor(uint32_t count, uint8_t* out) {
    uint32_t play = Play.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < count; ++i) {
        if (out) out[i] = Ring[play].load(std::memory_order_relaxed);
        if (++play == Size) play = 0;
    }
    // Release: the bytes just read are done with before the emulation may overwrite them.
    Play.store(play, std::memory_order_release);
}
