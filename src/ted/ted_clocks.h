#pragma once
// The processor's share of the bus, step by step along a line. The TED refreshes the DRAM in
// single-clock timing on every line (5 processor clocks lost in double-clock mode); on the
// lines of the display area it runs the processor at single clock across its character
// fetches; on a bad line it stops the processor for the fetch of 40 attributes or character
// codes (43 clocks: the stop begins 3 clocks ahead, so that a write in progress ends). With the
// default screen this gives 109 clocks on a border line, 65 on a display line and 22 on a bad
// line in double-clock mode; 57, 57 and 14 in single-clock mode.
#include <array>
#include <cstddef>
#include <cstdint>

// What the processor does in a step.
enum class TCpuClock : uint8_t {
    None,       // the TED has the bus
    Clock,      // the processor's clock
    WriteOnly,  // stopped for a bad line: only a write the processor is doing goes on
};

// How the steps of a stretch of a line share the bus: every step is a processor clock (double
// clock), the odd ones are (single clock), or the odd ones would be but the processor is stopped.
enum class TClockClass : uint8_t { Every, Odd, Stopped };

struct TLineClocks {
    static constexpr int Steps = 114;
    std::array<TClockClass, Steps> Class{};
    std::array<uint8_t, Steps> SegmentEnd{};  // the first step after the stretch of this step's class
    // The processor clocks of the steps before a step (a stopped step gives none), and the step
    // of each clock of the line (Steps past the last): a run's clocks told by number.
    std::array<uint8_t, Steps + 1> ClocksBefore{};
    std::array<uint8_t, Steps + 1> StepOfClock{};

    constexpr TCpuClock At(int32_t step) const {
        switch (Class[std::size_t(step)]) {
            case TClockClass::Every: return TCpuClock::Clock;
            case TClockClass::Odd: return (step & 1) ? TCpuClock::Clock : TCpuClock::None;
            default: return (step & 1) ? TCpuClock::WriteOnly : TCpuClock::None;
        }
    }
};

namespace TedClocks {

// Where the stretches lie, in steps of the line (step 0 is where the frame buffer's line begins).
constexpr int32_t SingleClockStart = 3;   // the fetches of the display area, and the bad-line stop
constexpr int32_t StopEnd = 89;           // 43 odd steps from SingleClockStart
constexpr int32_t RefreshStart = 91;      // 10 steps of single-clock refresh
constexpr int32_t SingleClockEnd = 101;   // the end of the refresh, and of the display's fetches

// The clocks of a line: single- or double-clock mode, a line of the display area or of the
// border, a bad line or not.
const TLineClocks& LineClocks(bool doubleClock, bool displayLine, bool badLine);

}  // namespace TedClocks
