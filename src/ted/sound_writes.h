#pragma once
#include <array>
#include <cstdint>

#include "ted/ted.h"

// The sound-register writes since the synthesizer last caught up, each with the clock step it
// happened in and the sound registers as the write left them. A fixed ring: the frame loop feeds
// every 16384 steps, in which a processor makes at most one write every third clock, so it never
// fills there; stepped by the debugger past that, the oldest write is folded into the state the
// log starts from (it is then heard from the log's start rather than at its own step).
class TSoundWriteLog {
public:
    static constexpr uint32_t Capacity = 8192;

    struct TWrite {
        int64_t Step;
        TTedSound Sound;
    };

    void Add(int64_t step, const TTedSound& sound) {
        if (Count == Capacity) {
            Folded = Entries[First].Sound;
            HasFolded = true;
            First = (First + 1) % Capacity;
            --Count;
        }
        Entries[(First + Count) % Capacity] = TWrite{step, sound};
        ++Count;
    }
    // The registers of a write dropped for room, to take at once; false when none was.
    bool TakeFolded(TTedSound& sound) {
        if (!HasFolded) return false;
        sound = Folded;
        HasFolded = false;
        return true;
    }
    bool Empty() const { return Count == 0; }
    const TWrite& Front() const { return Entries[First]; }
    void PopFront() {
        First = (First + 1) % Capacity;
        --Count;
    }
    void Clear() {
        First = Count = 0;
        HasFolded = false;
    }
    uint32_t Size() const { return Count; }

private:
    std::array<TWrite, Capacity> Entries{};
    uint32_t First = 0;
    uint32_t Count = 0;
    TTedSound Folded{};
    bool HasFolded = false;
};
