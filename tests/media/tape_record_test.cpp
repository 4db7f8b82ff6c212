#include <gtest/gtest.h>

#include <cstdlib>

#include "media/tape.h"
#include "media_test_support.h"

using namespace media_test;

namespace {

// Records a square wave on the write line: the line starts low and changes after each of
// the given numbers of clock steps, as the bus would report the processor's $0001 writes.
TTape RecordSquareWave(const std::vector<int>& halfPeriods) {
    TTape tape;
    tape.WriteLine(0);
    tape.StartRecording();
    int level = 0;
    for (int steps : halfPeriods) {
        for (int i = 0; i < steps; ++i) tape.Step();
        level ^= 1;
        tape.WriteLine(level);
    }
    tape.StopRecording();
    return tape;
}

Bytes PulseBytes(const TTape& tape) {
    const Bytes image = tape.RecordedImage();
    return Bytes(image.begin() + 20, image.end());
}

TEST(TapeRecord, PlaybackReproducesTheRecordedHalfWaves) {
    const std::vector<int> halfPeriods = {400, 400, 400, 400, 210, 210, 840, 840, 7, 300, 4100, 70000, 123, 1000};
    TTape player;
    ASSERT_GT(player.LoadImage(RecordSquareWave(halfPeriods).RecordedImage()), 0);
    std::vector<int> runs;
    int previous = player.Level();
    for (int step = 0; step < 100000; ++step) {
        player.Step();
        if (runs.empty() || player.Level() != previous) runs.push_back(0);
        ++runs.back();
        previous = player.Level();
    }
    ASSERT_GT(runs.size(), halfPeriods.size());
    // The line is low first, as it was recorded.
    for (size_t i = 0; i < halfPeriods.size(); ++i) EXPECT_LE(std::abs(runs[i] - halfPeriods[i]), 16) << i;
}

TEST(TapeRecord, PulsesAreRoundedToSixteenStepsOrCountedInPairs) {
    const TTape tape = RecordSquareWave({7, 23, 24, 4087, 4088, 100001});
    const Bytes expected = {1, 1, 2, 255, 0, 0xFC, 0x07, 0x00, 0, 0x50, 0xC3, 0x00};
    EXPECT_EQ(PulseBytes(tape), expected);
}

TEST(TapeRecord, StepsCountedInBulkMakeTheSamePulses) {
    TTape stepped = RecordSquareWave({400, 7, 70000, 40000000, 1000});
    TTape advanced;
    advanced.WriteLine(0);
    advanced.StartRecording();
    int level = 0;
    for (int steps : {400, 7, 70000, 40000000, 1000}) {
        advanced.Advance(steps / 2);
        advanced.Advance(steps - steps / 2);
        advanced.WriteLine(level ^= 1);
    }
    EXPECT_EQ(PulseBytes(advanced), PulseBytes(stepped));
}

TEST(TapeRecord, LongestPulseIsCappedAtTheLargestCount) {
    const TTape tape = RecordSquareWave({40000000});
    EXPECT_EQ(PulseBytes(tape), (Bytes{0, 0xFF, 0xFF, 0xFF}));
}

TEST(TapeRecord, HighSilenceBeforeTheFirstEdgeIsNotRecorded) {
    TTape tape;
    tape.WriteLine(1);
    tape.StartRecording();
    for (int i = 0; i < 1000; ++i) tape.Step();
    tape.WriteLine(0);
    for (int i = 0; i < 160; ++i) tape.Step();
    tape.WriteLine(1);
    EXPECT_EQ(PulseBytes(tape), (Bytes{10}));
}

TEST(TapeRecord, OnlyChangesOfTheWriteLineWhileRecordingMakePulses) {
    TTape tape;
    tape.WriteLine(1);
    tape.WriteLine(0);
    tape.StartRecording();
    for (int i = 0; i < 64; ++i) tape.Step();
    tape.WriteLine(0);  // the same level again: no edge
    for (int i = 0; i < 64; ++i) tape.Step();
    tape.WriteLine(2);  // any nonzero value is high
    tape.StopRecording();
    tape.WriteLine(0);
    EXPECT_EQ(PulseBytes(tape), (Bytes{8}));
    // Starting again begins a new recording.
    tape.StartRecording();
    EXPECT_TRUE(PulseBytes(tape).empty());
}

TEST(TapeRecord, ImageCarriesAVersionTwoHeader) {
    const Bytes image = RecordSquareWave({160, 320, 480}).RecordedImage();
    ASSERT_EQ(image.size(), 23u);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 12), Text("C16-TAPE-RAW"));
    EXPECT_EQ(image[12], 2);
    EXPECT_EQ(image[13], 2);
    EXPECT_EQ(image[14], 0);
    EXPECT_EQ(image[15], 0);
    EXPECT_EQ(Bytes(image.begin() + 16, image.begin() + 20), (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(Bytes(image.begin() + 20, image.end()), (Bytes{10, 20, 30}));
}

TEST(TapeRecord, RecordingLeavesTheLoadedTapeWhereItIs) {
    TTape tape;
    tape.LoadImage(RecordSquareWave({160, 160}).RecordedImage());
    tape.StartRecording();
    for (int i = 0; i < 500; ++i) tape.Step();
    EXPECT_EQ(tape.ReadPosition, 20);
    EXPECT_EQ(tape.Level(), 1);
    tape.StopRecording();
    tape.Step();
    EXPECT_EQ(tape.Level(), 0);
    EXPECT_EQ(tape.ReadPosition, 21);
}

TEST(TapeRecord, SavedRecordingLoadsAsATape) {
    TTempDir dir;
    const TTape recorded = RecordSquareWave({160, 320, 5000, 48});
    ASSERT_EQ(recorded.SaveRecording((dir / "rec.tap").string()), TTapeSave::Saved);
    EXPECT_EQ(ReadFile(dir / "rec.tap"), recorded.RecordedImage());
    TTape player;
    EXPECT_EQ(player.Load((dir / "rec.tap").string()), int32_t(recorded.RecordedImage().size()));
    EXPECT_EQ(recorded.SaveRecording((dir / "missing" / "rec.tap").string()), TTapeSave::CannotWrite);
}

// A recording without a pulse would be a bare 20-byte header, which the loader refuses.
TEST(TapeRecord, NothingIsWrittenForARecordingWithoutAPulse) {
    TTempDir dir;
    TTape tape;
    tape.StartRecording();
    for (int i = 0; i < 1000; ++i) tape.Step();
    tape.StopRecording();
    EXPECT_EQ(tape.SaveRecording((dir / "empty.tap").string()), TTapeSave::NothingRecorded);
    EXPECT_FALSE(fs::exists(dir / "empty.tap"));
}

}  // namespace
