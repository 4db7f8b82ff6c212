#include "ted/ted_clocks.h"

#include <cstddef>

namespace TedClocks {
namespace {

// A line made of stretches, each [start, end) of one class.
struct TStretch {
    int32_t Start, End;
    TClockClass Class;
};

template <std::size_t n>
constexpr TLineClocks Build(const TStretch (&stretches)[n]) {
    TLineClocks clocks{};
    for (const TStretch& stretch : stretches)
        for (int32_t step = stretch.Start; step < stretch.End; ++step) {
            clocks.Class[std::size_t(step)] = stretch.Class;
            clocks.SegmentEnd[std::size_t(step)] = uint8_t(stretch.End);
        }
    clocks.StepOfClock.fill(uint8_t(TLineClocks::Steps));
    uint8_t count = 0;
    for (int32_t step = 0; step < TLineClocks::Steps; ++step) {
        clocks.ClocksBefore[std::size_t(step)] = count;
        if (clocks.At(step) == TCpuClock::Clock) clocks.StepOfClock[count++] = uint8_t(step);
    }
    clocks.ClocksBefore[TLineClocks::Steps] = count;
    return clocks;
}

constexpr TClockClass Every = TClockClass::Every, Odd = TClockClass::Odd, Stopped = TClockClass::Stopped;

constexpr TStretch DoubleBorder[] = {{0, RefreshStart, Every}, {RefreshStart, SingleClockEnd, Odd},
                                     {SingleClockEnd, TLineClocks::Steps, Every}};
constexpr TStretch DoubleDisplay[] = {{0, SingleClockStart, Every}, {SingleClockStart, SingleClockEnd, Odd},
                                      {SingleClockEnd, TLineClocks::Steps, Every}};
constexpr TStretch DoubleBad[] = {{0, SingleClockStart, Every}, {SingleClockStart, StopEnd, Stopped},
                                  {StopEnd, SingleClockEnd, Odd}, {SingleClockEnd, TLineClocks::Steps, Every}};
constexpr TStretch Single[] = {{0, TLineClocks::Steps, Odd}};
constexpr TStretch SingleBad[] = {{0, SingleClockStart, Odd}, {SingleClockStart, StopEnd, Stopped},
                                  {StopEnd, TLineClocks::Steps, Odd}};

constexpr TLineClocks Plans[] = {Build(DoubleBorder), Build(DoubleDisplay), Build(DoubleBad), Build(Single),
                                 Build(SingleBad)};

}  // namespace

const TLineClocks& LineClocks(bool doubleClock, bool displayLine, bool badLine) {
    if (!doubleClock) return Plans[badLine ? 4 : 3];
    return Plans[badLine ? 2 : displayLine ? 1 : 0];
}

}  // namespace TedClocks
