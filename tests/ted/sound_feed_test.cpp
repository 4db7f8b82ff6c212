#include <gtest/gtest.h>

#include <vector>

#include "ted/sound_feed.h"
#include "ted/ted.h"

namespace {

// The ring's arithmetic, with the TED's D/A mode holding the output at 240: every byte a feed
// writes is 240, every byte never written keeps the ring's 128.
class SoundFeedTest : public testing::Test {
protected:
    static constexpr uint8_t Written = 240;

    void Prime(TSoundFeed& feed) {
        feed.Attach(Ted);
        Ted.WriteRegister(0xFF11, 0xB8);
        Ted.KeepClockCount(Ted.ClockCount() + 2000);  // the step to 240 has passed
        feed.Synth.AdvanceTo(Ted.ClockCount());
        uint8_t scratch[TBandLimitedOutput::QueueSize];
        feed.Synth.Output.Take(scratch, TBandLimitedOutput::QueueSize);
    }
    // The machine runs `steps` clock steps and feeds.
    void Advance(TSoundFeed& feed, int64_t steps) {
        Ted.KeepClockCount(Ted.ClockCount() + steps);
        feed.Feed();
    }
    static std::vector<uint8_t> RingBytes(const TSoundFeed& feed, uint32_t start, int count) {
        std::vector<uint8_t> bytes(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) bytes[size_t(i)] = feed.RingByte(start + uint32_t(i));
        return bytes;
    }
    static std::vector<uint8_t> All(int count, uint8_t value) { return std::vector<uint8_t>(size_t(count), value); }

    TTED Ted;
};

}  // namespace

TEST_F(SoundFeedTest, FirstFeedWritesOneLeadAheadOfTheWriteCursor) {
    TSoundFeed feed(Ted, 8192, 512);
    Prime(feed);
    EXPECT_EQ(feed.GetLeadBytes(), 4096);
    Advance(feed, 1000);
    EXPECT_EQ(RingBytes(feed, 512, 4096), All(4096, Written));
    for (uint32_t i = 4608; i < 8192 + 512; ++i) ASSERT_EQ(feed.RingByte(i), 128) << i;
}

TEST_F(SoundFeedTest, UnchangedCursorWritesNothingUntilTheDevicePlays) {
    TSoundFeed feed(Ted, 8192, 512);
    Prime(feed);
    Advance(feed, 1000);
    const auto before = RingBytes(feed, 0, 8192);
    Advance(feed, 1000);
    EXPECT_EQ(RingBytes(feed, 0, 8192), before);
    // Once the device has played 100 bytes the next 100 follow the previous samples.
    feed.AdvancePlayCursor(100, nullptr);
    Advance(feed, 1000);
    EXPECT_EQ(RingBytes(feed, 4608, 100), All(100, Written));
    EXPECT_EQ(feed.RingByte(4708), 128);
}

TEST_F(SoundFeedTest, CountIsClampedToTheLeadAndWritesWrapAroundTheRing) {
    TSoundFeed feed(Ted, 8192, 0);
    Prime(feed);
    feed.AdvancePlayCursor(1000, nullptr);
    Advance(feed, 1000);  // [1000, 5096)
    feed.AdvancePlayCursor(4000, nullptr);
    Advance(feed, 1000);  // [5096, 9096): wraps to [0, 904)
    EXPECT_EQ(RingBytes(feed, 5096, 3096), All(3096, Written));
    EXPECT_EQ(RingBytes(feed, 0, 904), All(904, Written));
    EXPECT_EQ(feed.RingByte(904), 128);
    // The device ran far ahead (emulation slower than real time): one lead from the cursor.
    feed.AdvancePlayCursor(6000, nullptr);
    Advance(feed, 1000);
    EXPECT_EQ(feed.WriteCursor(), 2808u);
    EXPECT_EQ(RingBytes(feed, 2808, 4096), All(4096, Written));
}

TEST_F(SoundFeedTest, LeadIsClampedAndAShorterLeadWritesNothingUntilCaughtUp) {
    TSoundFeed feed(Ted, 8192, 0);
    Prime(feed);
    feed.SetLeadBytes(0);
    EXPECT_EQ(feed.GetLeadBytes(), 1024);
    feed.SetLeadBytes(100000);
    EXPECT_EQ(feed.GetLeadBytes(), 4096);
    feed.AdvancePlayCursor(100, nullptr);
    Advance(feed, 1000);  // [100, 4196)
    const auto before = RingBytes(feed, 0, 8192);
    // The track bar moves to 1: the next 1024 bytes are long written.
    feed.SetLeadBytes(1024);
    feed.AdvancePlayCursor(100, nullptr);
    Advance(feed, 1000);
    EXPECT_EQ(RingBytes(feed, 0, 8192), before);
}

// The device plays 882 samples per 20 ms and the machine, held to 50 frames a second, makes
// 884.45: the sample length follows, so the queue neither grows nor runs dry once settled.
TEST_F(SoundFeedTest, ThePaceFollowsADeviceSlowerThanTheMachineAndAStoppedOneHearsNothing) {
    TSoundFeed feed(Ted, 16384, 1024);
    Prime(feed);
    uint32_t owed = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        for (int feedNo = 0; feedNo < 3; ++feedNo) {
            Advance(feed, TTED::StepsPerFrame / 3);
            ASSERT_LE(feed.Synth.Output.Queued(), feed.MaxQueue());
            if (frame >= 1000) {
                ASSERT_GT(feed.Synth.Output.Queued(), 0u) << "dry at frame " << frame;
            }
        }
        // 1024 bytes at a time, as the device reads.
        for (owed += 882; owed >= 1024; owed -= 1024) feed.AdvancePlayCursor(1024, nullptr);
    }
    const double pace = double(feed.Synth.Output.GetSampleUnits()) / TBandLimitedOutput::NominalSampleUnits;
    EXPECT_NEAR(pace, 884.45 / 882.0, 0.001);

    feed.SetMuted(true);
    Ted.WriteRegister(0xFF11, 0x00);
    Advance(feed, 100000);
    EXPECT_EQ(feed.Synth.Output.Queued(), 0u);
    EXPECT_EQ(feed.Synth.Now, Ted.ClockCount());
    EXPECT_FALSE(feed.Synth.Registers.Voice1On);
}

TEST_F(SoundFeedTest, RingHoldsAtLeastOneLeadPastTheWriteDistance) {
    TSoundFeed small(Ted, 1000, 256);
    EXPECT_EQ(small.RingSize(), 4096u + 256u);
    small.AdvancePlayCursor(small.RingSize() + 5, nullptr);
    EXPECT_EQ(small.PlayCursor(), 5u);
    EXPECT_EQ(small.WriteCursor(), 261u);
}
