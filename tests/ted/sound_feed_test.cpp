#include <gtest/gtest.h>

#include <vector>

#include "ted/sound_feed.h"
#include "ted/ted.h"

namespace {

class SoundFeedTest : public testing::Test {
protected:
    SoundFeedTest() { Tone(8, 1000); }

    void Tone(int volume, uint16_t frequency) {
        Ted.Sound = TTedSound{};
        Ted.Sound.Volume = static_cast<uint8_t>(volume);
        Ted.Sound.Voice1On = true;
        Ted.Sound.Voice1Frequency = frequency;
    }
    // The samples a synthesizer with the same history produces next.
    std::vector<uint8_t> Expected(int count) {
        Reference.Refresh(0, Ted.Sound);
        std::vector<uint8_t> samples(count);
        Reference.Generate(samples.data(), count);
        return samples;
    }
    std::vector<uint8_t> RingBytes(const TSoundFeed& feed, uint32_t start, int count) {
        std::vector<uint8_t> bytes(count);
        for (int i = 0; i < count; ++i) bytes[i] = feed.RingByte(start + i);
        return bytes;
    }

    TTED Ted;
    TSoundSynth Reference;
};

}  // namespace

TEST_F(SoundFeedTest, FirstFeedWritesOneLeadAheadOfTheWriteCursor) {
    TSoundFeed feed(Ted, 8192, 512);
    EXPECT_EQ(feed.GetLeadBytes(), 4096);
    feed.Feed();
    EXPECT_EQ(RingBytes(feed, 512, 4096), Expected(4096));
    for (uint32_t i = 4608; i < 8192 + 512; ++i) ASSERT_EQ(feed.RingByte(i), 128) << i;
}

TEST_F(SoundFeedTest, UnchangedCursorWritesNothingButTakesTheNewRegisters) {
    TSoundFeed feed(Ted, 8192, 512);
    feed.Feed();
    const auto before = RingBytes(feed, 0, 8192);
    Expected(4096);

    Tone(4, 300);
    feed.Feed();
    EXPECT_EQ(RingBytes(feed, 0, 8192), before);
    EXPECT_EQ(feed.Synth.Volume, 4);
    EXPECT_EQ(feed.Synth.Voice1Frequency, 300);

    // Once the device has played 100 bytes the new tone follows the previous samples.
    feed.AdvancePlayCursor(100, nullptr);
    feed.Feed();
    EXPECT_EQ(RingBytes(feed, 512, 4096), std::vector<uint8_t>(before.begin() + 512,
                                                               before.begin() + 4608));
    EXPECT_EQ(RingBytes(feed, 4608, 100), Expected(100));
    EXPECT_EQ(feed.RingByte(4708), 128);
}

TEST_F(SoundFeedTest, RegisterChangeBetweenFeedsAppliesFromTheNextFeedOnly) {
    TSoundFeed feed(Ted, 8192, 0);
    feed.AdvancePlayCursor(300, nullptr);
    feed.Feed();  // writes [300, 4396) with the first tone
    const auto firstTone = Expected(4096);
    Tone(6, 500);  // a write to the TED after the feed
    EXPECT_EQ(RingBytes(feed, 300, 4096), firstTone);
    feed.AdvancePlayCursor(200, nullptr);
    feed.Feed();
    EXPECT_EQ(RingBytes(feed, 300, 4096), firstTone);
    EXPECT_EQ(RingBytes(feed, 4396, 200), Expected(200));
}

TEST_F(SoundFeedTest, CountIsClampedToTheLead) {
    TSoundFeed feed(Ted, 16384, 0);
    feed.AdvancePlayCursor(100, nullptr);
    feed.Feed();
    Expected(4096);
    // The device ran far ahead (emulation slower than real time): one lead from the cursor.
    feed.AdvancePlayCursor(6000, nullptr);
    feed.Feed();
    EXPECT_EQ(RingBytes(feed, 6100, 4096), Expected(4096));
}

TEST_F(SoundFeedTest, WritesWrapAroundTheEndOfTheRing) {
    TSoundFeed feed(Ted, 8192, 0);
    feed.AdvancePlayCursor(1000, nullptr);
    feed.Feed();  // [1000, 5096)
    Expected(4096);
    feed.AdvancePlayCursor(4000, nullptr);
    feed.Feed();  // [5096, 9096): wraps to [0, 904)
    const auto tail = Expected(4000);
    EXPECT_EQ(RingBytes(feed, 5096, 4000), tail);
    EXPECT_EQ(feed.RingByte(0), tail[8192 - 5096]);
    EXPECT_EQ(feed.RingByte(904), 128);

    // The write cursor itself wraps: 5000 -> 100.
    feed.AdvancePlayCursor(3292, nullptr);
    EXPECT_EQ(feed.WriteCursor(), 100u);
    feed.Feed();
    EXPECT_EQ(RingBytes(feed, 904, 3292), Expected(3292));
}

TEST_F(SoundFeedTest, LeadIsClampedAndAShorterLeadWritesNothingUntilCaughtUp) {
    TSoundFeed feed(Ted, 8192, 0);
    feed.SetLeadBytes(0);
    EXPECT_EQ(feed.GetLeadBytes(), 1024);
    feed.SetLeadBytes(100000);
    EXPECT_EQ(feed.GetLeadBytes(), 4096);

    feed.AdvancePlayCursor(100, nullptr);
    feed.Feed();  // [100, 4196)
    Expected(4096);
    const auto before = RingBytes(feed, 0, 8192);

    // The track bar moves to 1: the next 1024 bytes are long written.
    feed.SetLeadBytes(1024);
    feed.AdvancePlayCursor(100, nullptr);
    feed.Feed();
    EXPECT_EQ(RingBytes(feed, 0, 8192), before);

    // From now on the samples end 1024 bytes ahead of the write cursor.
    feed.AdvancePlayCursor(100, nullptr);
    feed.Feed();
    const auto next = Expected(100);
    EXPECT_EQ(RingBytes(feed, 300 + 1024 - 100, 100), next);
}

TEST_F(SoundFeedTest, PlayingAtFrameRateGivesOneContinuousStream) {
    // A recorder takes 882 samples per frame and the machine feeds a few times per frame.
    TSoundFeed feed(Ted, 8192, 0);
    std::vector<uint8_t> recorded;
    std::vector<uint8_t> frame(882);
    for (int f = 0; f < 40; ++f) {
        for (int i = 0; i < 3; ++i) feed.Feed();
        feed.AdvancePlayCursor(882, frame.data());
        recorded.insert(recorded.end(), frame.begin(), frame.end());
    }
    // The first frame plays what the ring held before any sample was written.
    for (int i = 0; i < 882; ++i) ASSERT_EQ(recorded[i], 128);
    const std::vector<uint8_t> played(recorded.begin() + 882, recorded.end());
    EXPECT_EQ(played, Expected(static_cast<int>(played.size())));
}

TEST_F(SoundFeedTest, RingHoldsAtLeastOneLeadPastTheWriteDistance) {
    TSoundFeed small(Ted, 1000, 256);
    EXPECT_EQ(small.RingSize(), 4096u + 256u);
    small.AdvancePlayCursor(small.RingSize() + 5, nullptr);
    EXPECT_EQ(small.PlayCursor(), 5u);
    EXPECT_EQ(small.WriteCursor(), 261u);
}
