#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/sound_sink.h"
#include "ted/sound_synth.h"

class TTED;

// Streams the synthesizer into a looping ring of 8-bit 44100 Hz mono samples that a device
// plays from. Each feed writes what the device has played since the previous feed, at most
// LeadBytes, so that the written samples always end LeadBytes ahead of the write cursor.
//
// The samples are made in emulated time and the device plays in real time. The two paces differ
// a little (a frame loop held to 50 frames a second runs the machine 0.28 % fast) or a lot (a
// 60 Hz screen, a host too slow): the synthesized samples wait in the synthesizer's queue, and
// the length of a sample in clock steps is steered by the queue, within 1 % of the nominal (no
// one hears that), so that it neither grows nor runs dry. Beyond that the notes stay in tune:
// a queue past MaxQueue drops its oldest samples, and a queue run dry holds the last level until
// it has filled to TargetQueue again (at the start, too).
//
// The device side runs on its own thread: it only calls AdvancePlayCursor, which copies bytes
// out and moves the play cursor. The write cursor is the play cursor plus a fixed distance; make
// that distance at least the device's largest read so that a feed never writes bytes the device
// is reading at the same time. The ring bytes are relaxed atomics, the play cursor is published
// with release/acquire; the emulation side never waits.
class TSoundFeed : public TSoundSink {
public:
    static constexpr int32_t MinLeadBytes = 1024;
    static constexpr int32_t MaxLeadBytes = 4096;
    static constexpr uint8_t SilenceLevel = 128;

    // The ring holds at least MaxLeadBytes + writeDistance bytes, so the lead never laps the
    // play cursor.
    TSoundFeed(TTED& ted, uint32_t ringSize, uint32_t writeDistance = 0);
    TSoundFeed(const TSoundFeed&) = delete;
    TSoundFeed& operator=(const TSoundFeed&) = delete;

    void Attach(TTED& ted) override;
    void Feed() override;
    // While the device is stopped nothing is synthesized: the registers are followed alone.
    void SetMuted(bool muted) { Muted = muted; }
    // Within 1 % of the nominal sample length.
    static constexpr double MaxPaceChange = 0.01;

    // The queue the pace steers to, and the length at which older samples are dropped at once.
    uint32_t TargetQueue() const { return 1024 + WriteDistance / 2; }
    uint32_t MaxQueue() const { return 4 * TargetQueue(); }

    // Device side: copies `count` bytes starting at the play cursor into `out` (if not null)
    // and moves the play cursor past them.
    void AdvancePlayCursor(uint32_t count, uint8_t* out);

    // Clamped to MinLeadBytes..MaxLeadBytes.
    void SetLeadBytes(int32_t bytes);
    int32_t GetLeadBytes() const { return LeadBytes; }

    uint32_t RingSize() const { return Size; }
    uint32_t PlayCursor() const { return Play.load(std::memory_order_acquire); }
    uint32_t WriteCursor() const { return (PlayCursor() + WriteDistance) % Size; }
    uint8_t RingByte(uint32_t position) const {
        return Ring[position % Size].load(std::memory_order_relaxed);
    }

    TSoundSynth Synth;

private:
    void WriteRing(uint32_t start, const uint8_t* samples, uint32_t count);
    void Pace();

    TTED& Ted;
    const uint32_t WriteDistance;
    const uint32_t Size;
    std::unique_ptr<std::atomic<uint8_t>[]> Ring;
    std::atomic<uint32_t> Play{0};

    int32_t LeadBytes = MaxLeadBytes;
    uint32_t LastWriteCursor = 0;
    // Where the previous feed's samples ended, not folded into the ring: write cursor + lead.
    int64_t PreviousEnd = 0;
    std::array<uint8_t, MaxLeadBytes> Scratch{};
    bool Muted = false;
    bool Filling = true;        // the queue fills to its target before it is played
    double AverageQueue = 0.0;  // relative to the target
    double PaceDrift = 0.0;     // the steer's integral part
};
