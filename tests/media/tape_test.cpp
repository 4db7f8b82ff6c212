#include <gtest/gtest.h>

#include <cstdlib>

#include "media/tape.h"
#include "media_test_support.h"

using namespace media_test;

namespace {

Bytes TapImage(uint8_t version, const Bytes& pulses, uint8_t machine = 2) {
    Bytes image = Text("C16-TAPE-RAW");
    image.push_back(version);
    image.push_back(machine);
    image.resize(20, 0);
    image.insert(image.end(), pulses.begin(), pulses.end());
    return image;
}

// Steps the tape and returns the level after each step.
std::vector<int> Play(TTape& tape, int steps) {
    std::vector<int> levels;
    for (int i = 0; i < steps; ++i) {
        tape.Step();
        levels.push_back(tape.Level());
    }
    return levels;
}

// Lengths of the runs of equal levels.
std::vector<int> Runs(const std::vector<int>& levels) {
    std::vector<int> runs;
    for (size_t i = 0; i < levels.size(); ++i) {
        if (i == 0 || levels[i] != levels[i - 1]) runs.push_back(0);
        ++runs.back();
    }
    return runs;
}

TEST(TapeLoad, RefusesAnythingButVersionOneOrTwoForThisMachine) {
    TTempDir dir;
    const auto load = [&](const Bytes& contents) {
        WriteFile(dir / "t.tap", contents);
        TTape tape;
        const int32_t length = tape.Load((dir / "t.tap").string());
        EXPECT_EQ(tape.IsLoaded(), length != 0);
        return length;
    };
    EXPECT_EQ(load({}), 0);
    EXPECT_EQ(load(Bytes(TapImage(2, {}))), 0);  // exactly 20 bytes
    EXPECT_EQ(load(TapImage(0, {1})), 0);
    EXPECT_EQ(load(TapImage(3, {1})), 0);
    EXPECT_EQ(load(TapImage(2, {1}, 1)), 0);
    EXPECT_EQ(load(TapImage(2, {1}, 0)), 0);
    EXPECT_EQ(load(TapImage(2, {1})), 21);
    EXPECT_EQ(load(TapImage(1, {1, 2})), 22);

    TTape tape;
    EXPECT_EQ(tape.Load((dir / "missing.tap").string()), 0);
    EXPECT_EQ(tape.Load(dir.String()), 0);
}

TEST(TapeLoad, FailedLoadReleasesThePreviousImage) {
    TTape tape;
    ASSERT_EQ(tape.LoadImage(TapImage(2, {1, 1, 1})), 23);
    tape.Step();
    EXPECT_EQ(tape.LoadImage(TapImage(7, {1})), 0);
    EXPECT_FALSE(tape.IsLoaded());
    EXPECT_EQ(tape.ImageLength, 0);
    EXPECT_EQ(tape.Position(), 0.0);
    const int level = tape.Level();
    Play(tape, 100);
    EXPECT_EQ(tape.Level(), level);
}

TEST(TapeHalfWave, ShortestImagePlaysOneHalfWaveThenEnds) {
    TTape tape;
    ASSERT_EQ(tape.LoadImage(TapImage(2, {1})), 21);
    EXPECT_EQ(tape.Level(), 1);
    const std::vector<int> levels = Play(tape, 40);
    // One reload step and 16 counting steps low, then the end of the tape holds it low.
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(Runs(levels), std::vector<int>{40});
    EXPECT_EQ(tape.Position(), 1.0);
}

TEST(TapeHalfWave, EachPulseHoldsItsLevelForSixteenStepsPerUnitPlusOne) {
    TTape tape;
    ASSERT_GT(tape.LoadImage(TapImage(2, {1, 0, 0x10, 0x00, 0x00, 2, 1})), 0);
    const std::vector<int> levels = Play(tape, 17 + 33 + 33 + 17 + 5);
    EXPECT_EQ(Runs(levels), (std::vector<int>{17, 33, 33, 17, 5}));
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(levels[17], 1);
    EXPECT_EQ(levels.back(), 0);  // the end of the tape holds the line low
}

TEST(TapeHalfWave, EndOfTapeDropsTheLevelAfterTheLastPulseInFull) {
    TTape tape;
    ASSERT_GT(tape.LoadImage(TapImage(2, {1, 1})), 0);
    const std::vector<int> levels = Play(tape, 60);
    // Low 17, high 17, then low for ever.
    EXPECT_EQ(Runs(levels), (std::vector<int>{17, 17, 26}));
    EXPECT_EQ(tape.ReadPosition, tape.ImageLength);
    EXPECT_EQ(tape.Position(), 1.0);
}

TEST(TapeWholeWave, EachWaveIsLowThenHighAfterTheReloadStep) {
    TTape tape;
    ASSERT_GT(tape.LoadImage(TapImage(1, {1, 1})), 0);
    EXPECT_EQ(tape.Level(), 0);
    const std::vector<int> levels = Play(tape, 17 + 17 + 3);
    // Reload (low as before), 8 low, 8 high; reload keeps high; 8 low, 8 high; end: low.
    const std::vector<int> expected = {1 + 8, 8 + 1, 8, 8, 3};
    EXPECT_EQ(Runs(levels), expected);
}

TEST(TapeWholeWave, LongCountSplitsIntoUnequalHalves) {
    TTape tape;
    ASSERT_GT(tape.LoadImage(TapImage(1, {0, 0x07, 0x00, 0x00})), 0);  // 14 steps
    const std::vector<int> levels = Play(tape, 15);
    EXPECT_EQ(Runs(levels), (std::vector<int>{1 + 7, 7}));
}

TEST(TapePlay, NothingLoadedNothingMoves) {
    TTape tape;
    Play(tape, 1000);
    EXPECT_EQ(tape.Level(), 0);
    EXPECT_EQ(tape.Position(), 0.0);
    EXPECT_EQ(tape.ReadPosition, 20);
}

TEST(TapePlay, PlayingInPiecesGivesTheSameSignal) {
    const Bytes image = TapImage(2, {3, 1, 0, 0x30, 0, 0, 7, 2, 2, 9});
    TTape whole;
    TTape pieces;
    whole.LoadImage(image);
    pieces.LoadImage(image);
    std::vector<int> paused = Play(pieces, 77);
    const std::vector<int> rest = Play(pieces, 400);  // Stop and Play again in between: no steps
    paused.insert(paused.end(), rest.begin(), rest.end());
    EXPECT_EQ(paused, Play(whole, 477));
}

// The frame loop advances the tape in bulk between the program's port reads.
TEST(TapePlay, AdvancingInBulkEqualsSteppingOneStepAtATime) {
    std::srand(7);
    for (int image = 0; image < 60; ++image) {
        // Short and zero pulses, long counts, and an end that may cut a count short.
        Bytes pulses;
        for (int i = 0; i < 40; ++i) {
            if (std::rand() % 6) pulses.push_back(uint8_t(1 + std::rand() % 4));
            else pulses.insert(pulses.end(), {0, uint8_t(std::rand() % 3 ? std::rand() % 90 : 0), 0, 0});
        }
        pulses.resize(pulses.size() - size_t(std::rand() % 3));
        const uint8_t version = image % 2 ? 1 : 2;
        TTape stepped, advanced;
        ASSERT_GT(stepped.LoadImage(TapImage(version, pulses)), 0);
        advanced.LoadImage(TapImage(version, pulses));
        for (int chunk = 0; chunk < 200; ++chunk) {
            const int steps = std::rand() % 4 ? std::rand() % 40 : std::rand() % 400;
            Play(stepped, steps);
            advanced.Advance(steps);
            ASSERT_EQ(advanced.Level(), stepped.Level()) << image << " " << chunk;
            ASSERT_EQ(advanced.ReadPosition, stepped.ReadPosition) << image << " " << chunk;
            ASSERT_EQ(advanced.Remaining, stepped.Remaining) << image << " " << chunk;
            ASSERT_EQ(advanced.PulseLength, stepped.PulseLength) << image << " " << chunk;
        }
        ASSERT_EQ(advanced.ReadPosition, advanced.ImageLength) << image;  // the ends were reached too
    }
}

// A tape loader's poll is skipped while the level is said to hold: it must, at every step.
TEST(TapePlay, TheLevelHoldsForAsManyStepsAsItIsSaidTo) {
    std::srand(11);
    for (int image = 0; image < 20; ++image) {
        Bytes pulses;
        for (int i = 0; i < 30; ++i) {
            if (std::rand() % 6) pulses.push_back(uint8_t(1 + std::rand() % 4));
            else pulses.insert(pulses.end(), {0, uint8_t(std::rand() % 90), 0, 0});
        }
        TTape tape;
        ASSERT_GT(tape.LoadImage(TapImage(image % 2 ? 1 : 2, pulses)), 0);
        int positions = 0, holding = 0;
        for (; tape.ReadPosition < tape.ImageLength; tape.Step(), ++positions) {
            const int32_t said = tape.StepsWithSameLevel();
            TTape ahead = tape;
            int32_t held = 0;
            while (held < said) {
                ahead.Step();
                if (ahead.Level() != tape.Level()) break;
                ++held;
            }
            ASSERT_EQ(held, said) << image << " at step " << positions;
            if (said > 0) ++holding;
        }
        // Most steps have a level that holds: the bound is of use, not always 0.
        EXPECT_GT(2 * holding, positions) << image;
    }
    TTape empty;
    EXPECT_GT(empty.StepsWithSameLevel(), 1000000);
}

TEST(TapePlay, RewindStartsTheTapeAgainAtItsFirstLevel) {
    for (uint8_t version : {uint8_t(1), uint8_t(2)}) {
        TTape tape;
        tape.LoadImage(TapImage(version, {4, 3, 2}));
        const std::vector<int> first = Play(tape, 200);
        tape.Rewind();
        EXPECT_EQ(tape.Level(), version == 1 ? 0 : 1);
        EXPECT_EQ(tape.ReadPosition, 20);
        EXPECT_EQ(Play(tape, 200), first);
    }
    TTape empty;
    empty.Rewind();
    EXPECT_EQ(empty.ReadPosition, 20);
}

TEST(TapePlay, CountRunningPastTheEndEndsTheTape) {
    for (size_t tail = 1; tail <= 3; ++tail) {
        Bytes pulses{1, 0, 0xFF, 0xFF};
        pulses.resize(1 + tail);
        TTape tape;
        ASSERT_GT(tape.LoadImage(TapImage(2, pulses)), 0);
        const std::vector<int> levels = Play(tape, 100);
        EXPECT_EQ(Runs(levels), std::vector<int>{100}) << tail;
        EXPECT_EQ(tape.ReadPosition, tape.ImageLength) << tail;
    }
}

TEST(TapePlay, PositionIsTheFractionOfTheImageRead) {
    TTape tape;
    tape.LoadImage(TapImage(2, Bytes(20, 1)));
    EXPECT_DOUBLE_EQ(tape.Position(), 0.5);
    Play(tape, 17 * 10);
    EXPECT_DOUBLE_EQ(tape.Position(), 0.75);
}

}  // namespace
