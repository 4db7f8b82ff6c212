#pragma once
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

class TStateReader;
class TStateWriter;

enum class TTapeSave { Saved, NothingRecorded, CannotWrite };

// The cassette recorder. It plays a TAP image into the cassette read line and, with Record
// pressed, records the cassette write line into a new half-wave TAP image.
//
// A TAP image is a 20-byte header (signature, version at $0C, machine at $0D, data length at
// $10) followed by pulse bytes: b = 1..255 lasts 16*b clock steps, and 0 followed by a 24-bit
// count c (low byte first) lasts 2*c steps. Version 1 stores whole waves, version 2 half waves.
//
// Play and Stop are the bus's play key flag; the frame loop calls Step once per clock step
// while the motor runs and that key is down.
class TTape {
public:
    static constexpr int32_t HeaderSize = 20;
    static constexpr uint8_t MachineByte = 2;  // the 264 series
    // Recording stops taking pulses past this size rather than allocate on the bus's path.
    static constexpr size_t RecordCapacity = 16 * 1024 * 1024;

    // Reads and checks a TAP file; returns its length, or 0 when it is refused (not a regular
    // file, unreadable, empty, 20 bytes or shorter, version other than 1 or 2, machine byte
    // other than 2). The previous image is gone either way.
    int32_t Load(const std::string& fileName);
    // The same checks on an image already in memory.
    int32_t LoadImage(std::vector<uint8_t> image);
    void Rewind();

    // One clock step of tape movement.
    void Step() {
        if (Recording) {
            if (RecordSteps < MaxRecordSteps) ++RecordSteps;
            return;
        }
        if (!Loaded) return;
        if (WholeWave) StepWholeWave();
        else StepHalfWave();
    }
    // `steps` clock steps at once, exactly as that many calls of Step: a pulse is counted down
    // in one subtraction.
    void Advance(int32_t steps) {
        if (steps <= 0) return;
        if (Recording) {
            RecordSteps = steps < MaxRecordSteps - RecordSteps ? RecordSteps + steps : MaxRecordSteps;
            return;
        }
        if (!Loaded) return;
        if (WholeWave) AdvanceWholeWave(steps);
        else AdvanceHalfWave(steps);
    }
    int Level() const { return LevelBit; }
    // How many steps Advance may take from here with Level unchanged at every one of them (a
    // lower bound: 0 where the next step may change it).
    int32_t StepsWithSameLevel() const {
        if (Recording || !Loaded) return INT32_MAX;
        if (!WholeWave) return Remaining;  // the step after the countdown reloads and toggles
        // A whole wave is low while its countdown is above half the pulse, then high.
        const int32_t half = PulseLength / 2;
        if (Remaining <= half) return LevelBit ? Remaining : 0;
        return LevelBit ? 0 : Remaining - half;
    }
    // Read position as a fraction of the image (0 with no image); 1.0 at the end of the tape.
    double Position() const { return ImageLength ? double(ReadPosition) / double(ImageLength) : 0.0; }
    bool IsLoaded() const { return Loaded; }

    // The cassette write line (bit 1 of every value the processor writes to $0001). While
    // recording, each change closes one half wave.
    void WriteLine(int level) {
        const int32_t bit = level ? 1 : 0;
        if (bit == WriteLevel) return;
        WriteLevel = bit;
        if (Recording) RecordEdge(bit);
    }

    // Record and Play pressed: from now on Step counts clock steps and WriteLine takes pulses
    // into a new image. Playback stops meanwhile; the loaded image stays.
    void StartRecording();
    void StopRecording() { Recording = false; }
    bool IsRecording() const { return Recording; }
    // True when the recording ran out of room and lost its end.
    bool RecordingOverflowed() const { return RecordOverflow; }
    // The recording as a complete version-2 TAP image (header and pulses).
    std::vector<uint8_t> RecordedImage() const;
    // Writes RecordedImage to a file, whole or not at all (through a temporary file beside it).
    // A recording without a pulse writes nothing: a bare header is no tape any loader takes.
    TTapeSave SaveRecording(const std::string& fileName) const;

    // Snapshots (tape_state.cpp): the image, the position within it and the pulse being
    // played, and a recording under way. Restore is false for bytes no tape state gives.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

    bool Loaded = false;
    bool WholeWave = false;
    int32_t ReadPosition = HeaderSize;
    int32_t Remaining = 0;
    int32_t PulseLength = 0;
    int32_t LevelBit = 0;
    std::vector<uint8_t> Image;
    int32_t ImageLength = 0;

private:
    static constexpr int32_t MaxRecordSteps = 2 * 0xFFFFFF;  // the longest pulse a TAP can hold

    // Reads the duration at the read position; false at the end of the tape, including a
    // 24-bit count that runs past the end of the image.
    bool NextDuration(int32_t& steps) {
        if (ReadPosition >= ImageLength) return false;
        const uint8_t* pulse = Image.data() + ReadPosition;
        if (pulse[0] != 0) {
            steps = 16 * pulse[0];
            ReadPosition += 1;
            return true;
        }
        if (ImageLength - ReadPosition < 4) {
            ReadPosition = ImageLength;
            return false;
        }
        steps = 2 * (pulse[1] | pulse[2] << 8 | pulse[3] << 16);
        ReadPosition += 4;
        return true;
    }

    // Each half wave holds the level for its duration plus the one step that reloads it.
    void StepHalfWave() {
        if (Remaining > 0) {
            --Remaining;
            return;
        }
        int32_t steps = 0;
        if (!NextDuration(steps)) {
            LevelBit = 0;  // the tape has run out
            return;
        }
        LevelBit ^= 1;
        Remaining = steps;
    }

    // Each whole wave is its first (longer) half low and its second half high; the reload
    // step keeps the previous level.
    void StepWholeWave() {
        if (Remaining > 0) {
            LevelBit = Remaining <= PulseLength / 2 ? 1 : 0;
            --Remaining;
            return;
        }
        int32_t steps = 0;
        if (!NextDuration(steps)) {
            LevelBit = 0;
            return;
        }
        Remaining = steps;
        PulseLength = steps;
    }

    // Whole pulses at a time. Once the tape has run out with no pulse left to count down,
    // every further step only holds the level low.
    bool RunOut(int32_t steps) {
        if (Remaining != 0 || ReadPosition < ImageLength) return false;
        if (steps > 0) LevelBit = 0;
        return true;
    }

    void AdvanceHalfWave(int32_t steps) {
        while (steps > Remaining) {
            steps -= Remaining + 1;  // the countdown, then the step that reloads
            Remaining = 0;
            StepHalfWave();
            if (RunOut(steps)) return;
        }
        Remaining -= steps;
    }

    void AdvanceWholeWave(int32_t steps) {
        while (steps > Remaining) {
            steps -= Remaining + 1;
            if (Remaining > 0) LevelBit = PulseLength / 2 >= 1 ? 1 : 0;  // as the last countdown step sets it
            Remaining = 0;
            StepWholeWave();
            if (RunOut(steps)) return;
        }
        if (steps == 0) return;
        // The last of these countdown steps starts at Remaining - steps + 1.
        LevelBit = Remaining - steps + 1 <= PulseLength / 2 ? 1 : 0;
        Remaining -= steps;
    }

    void Unload();
    void RecordEdge(int32_t newLevel);
    void AppendPulse(int32_t steps);

    bool Recording = false;
    bool RecordOverflow = false;
    bool RecordStarted = false;  // the first edge has been seen
    int32_t RecordSteps = 0;
    int32_t WriteLevel = 0;
    std::vector<uint8_t> Recorded;  // pulse bytes, header not included
};
