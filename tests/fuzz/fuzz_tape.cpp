// The tape recorder: any file played, any write-line signal recorded and played back.
//
// Input: a mode byte, then for play (bit 0 clear) the TAP file itself; for record (bit 0 set,
// bit 1: the write line starts high) the gaps between the write line's edges, one byte each (a byte b is b * 16 + 3 clock steps;
// b = 255 takes the low 12 bits of a word that follows, times 8, for the long gaps that need
// a 24-bit count).
#include "fuzz_support.h"
#include "media/tape.h"

namespace {

using namespace fuzz;

// Clock steps played per input: enough for a few hundred of the shortest pulses.
constexpr int64_t StepBudget = 6000;

// The durations of a TAP file's pulses, read independently of the player: b * 16, or for 0
// followed by three bytes their count * 2; a count cut off by the end of the file ends it.
std::vector<int64_t> Durations(const Bytes& file) {
    std::vector<int64_t> durations;
    for (size_t at = TTape::HeaderSize; at < file.size();) {
        if (file[at] != 0) {
            durations.push_back(16 * file[at++]);
        } else if (file.size() - at >= 4) {
            durations.push_back(2 * int64_t(file[at + 1] | file[at + 2] << 8 | file[at + 3] << 16));
            at += 4;
        } else {
            break;
        }
    }
    return durations;
}

// Plays the tape and checks each half wave (version 2) or whole wave (version 1) against the
// durations: a half wave holds its level for duration + 1 steps; a whole wave is one reload
// step at the old level, then duration - duration / 2 steps low and duration / 2 steps high.
void CheckPlayback(TTape& tape, const std::vector<int64_t>& durations) {
    int64_t steps = 0;
    for (const int64_t duration : durations) {
        if (steps + duration + 2 > StepBudget) return;
        const int previous = tape.Level();
        tape.Step();
        ++steps;
        if (tape.WholeWave) {
            FUZZ_CHECK(tape.Level() == previous);
            for (int64_t i = 0; i < duration; ++i, ++steps) {
                tape.Step();
                FUZZ_CHECK(tape.Level() == (i < duration - duration / 2 ? 0 : 1));
            }
        } else {
            FUZZ_CHECK(tape.Level() == 1 - previous);
            for (int64_t i = 0; i < duration; ++i, ++steps) {
                tape.Step();
                FUZZ_CHECK(tape.Level() == 1 - previous);
            }
        }
        FUZZ_CHECK(tape.Position() >= 0.0 && tape.Position() <= 1.0);
    }
    // Past the last pulse the line stays low and the tape reads as wound to its end.
    for (int i = 0; i < 3; ++i) tape.Step();
    FUZZ_CHECK(tape.Level() == 0);
    FUZZ_CHECK(tape.Position() == 1.0);
}

void Play(const Bytes& file) {
    TTape tape;
    const int32_t length = tape.LoadImage(file);
    const bool valid = file.size() > size_t(TTape::HeaderSize) && (file[0x0C] == 1 || file[0x0C] == 2) && file[0x0D] == 2;
    FUZZ_CHECK(length == (valid ? int32_t(file.size()) : 0));
    FUZZ_CHECK(tape.IsLoaded() == valid);
    if (valid) CheckPlayback(tape, Durations(file));
}

void Record(TInput& input, bool startHigh) {
    // One recorder for the whole run: each recording reserves its whole buffer at the start,
    // which a new recorder per input would pay every time. Starting a recording resets all of
    // its state but the write line's level, set here before it starts.
    static TTape tape;
    tape.StopRecording();
    int level = startHigh ? 1 : 0;
    tape.WriteLine(level);
    tape.StartRecording();
    std::vector<int64_t> gaps;
    int64_t steps = 0;
    while (input.Left() > 0 && steps < StepBudget) {
        const uint8_t b = input.Byte();
        const int64_t gap = b == 255 ? 8 * int64_t(input.Word() & 0x0FFF) : 16 * b + 3;
        for (int64_t i = 0; i < gap; ++i) tape.Step();
        level ^= 1;
        tape.WriteLine(level);
        gaps.push_back(gap);
        steps += gap;
    }
    tape.StopRecording();
    const Bytes image = tape.RecordedImage();
    // The recording starts with a low half wave: when the line starts high, the stretch up to
    // its first (falling) edge is only the silence before the signal.
    const size_t skipped = startHigh && !gaps.empty() ? 1 : 0;
    const size_t pulses = gaps.size() - skipped;
    const std::vector<int64_t> recorded = Durations(image);
    FUZZ_CHECK(recorded.size() == pulses);
    for (size_t i = 0; i < recorded.size(); ++i) {
        const int64_t gap = gaps[i + skipped];
        // Short pulses are rounded to 16 steps (never to nothing), long ones to 2.
        FUZZ_CHECK(gap < 16 * 256 - 8 ? std::abs(recorded[i] - std::max<int64_t>(16, gap)) <= 8
                                      : std::abs(recorded[i] - gap) <= 1);
    }
    // What the recorder made, the player takes, pulse for pulse.
    TTape player;
    FUZZ_CHECK(player.LoadImage(image) == (pulses > 0 ? int32_t(image.size()) : 0));
    if (pulses > 0) CheckPlayback(player, recorded);
}

Bytes TapFile(uint8_t version, const Bytes& pulses) {
    Bytes file = {'C', '1', '6', '-', 'T', 'A', 'P', 'E', '-', 'R', 'A', 'W', version, 2, 0, 0};
    for (int i = 0; i < 4; ++i) file.push_back(uint8_t(pulses.size() >> (8 * i)));
    file.insert(file.end(), pulses.begin(), pulses.end());
    return file;
}

Bytes WithMode(uint8_t mode, const Bytes& rest) {
    Bytes input{mode};
    input.insert(input.end(), rest.begin(), rest.end());
    return input;
}

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    return {{"half-waves", WithMode(0, TapFile(2, {0x2B, 0x2B, 0x56, 0x56, 0x01, 0, 0x10, 0, 0}))},
            {"whole-waves", WithMode(0, TapFile(1, {0x2B, 0x56, 0x01, 0xFF, 0, 0x20, 0x01, 0}))},
            {"cut-count", WithMode(0, TapFile(2, {0x30, 0, 0x10}))},
            {"record", WithMode(1, {2, 2, 5, 5, 2, 2, 255, 0x10, 0x02, 1, 0})},
            {"record-from-high", WithMode(3, {40, 2, 2, 5, 5})}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input(data, size);
    const uint8_t mode = input.Byte();
    if (mode & 1) Record(input, mode & 2);
    else Play(input.Rest());
    return 0;
}
