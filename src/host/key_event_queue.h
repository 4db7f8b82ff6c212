#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <utility>

#include "machine/typist.h"

// Host key events on their way into the machine. The ROM looks at the keyboard matrix once a
// frame, from its raster interrupt, so a key pressed and let go between two of those scans is
// never seen: a pasted or scripted key, or a fast typist's, arrives down and up within a few
// milliseconds. Each event is applied at once when nothing waits; otherwise it waits for the
// frames the one before it must last: a press stays down for PressFrames whole frames and a
// release up for ReleaseFrames before the next event reaches the machine.
class TKeyEventQueue {
public:
    // The typist's times: a key typed for the user lasts as long as one the user presses.
    static constexpr int PressFrames = TTypist::HoldFrames;
    static constexpr int ReleaseFrames = TTypist::ReleaseFrames;

    // Where a host key goes, decided when it arrives.
    enum TRoute : uint8_t {
        ByPosition,   // the machine key at the host key's position
        ByCharacter,  // the machine keys of the character it typed
        ToJoystick,   // a switch of the keyboard joystick
    };
    struct TEvent {
        TRoute Route = ByPosition;
        uint8_t Code = 0;  // the set-1 code, or the joystick switch
        bool Down = false;
        char32_t Typed = 0;  // the character typed (by character only)
    };
    using TApply = std::function<void(const TEvent&)>;

    explicit TKeyEventQueue(TApply apply) : Apply(std::move(apply)) {}

    void Push(const TEvent& event);
    // A whole frame has run: the events now due are applied.
    void FrameEnded();
    // Forgets every waiting event (the keys are let go elsewhere).
    void Clear();
    std::size_t Waiting() const { return Queue.size(); }
    // Nothing waits and the last event has lasted its frames: the next one applies at once.
    bool Idle() const { return Queue.empty() && FramesToHold == 0; }

private:
    void ApplyNow(const TEvent& event);

    TApply Apply;
    std::deque<TEvent> Queue;
    int FramesToHold = 0;  // frames the event applied last must still last
};
