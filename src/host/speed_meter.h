#pragma once
#include <cstdint>

// The speed display: each drawn frame measures the time since the previous drawn frame against
// the 1/50 s a PAL machine takes per frame. Counts in ticks of a 10 MHz counter, the rate of the
// usual high-resolution performance counter, so the 32-bit interval arithmetic covers 214 s.
class TSpeedMeter {
public:
    static constexpr int64_t TicksPerSecond = 10'000'000;
    static constexpr int64_t FramePeriod = TicksPerSecond / 50;
    // Characters of the full-screen text that are drawn.
    static constexpr int FullScreenLength = 14;

    static int64_t Now();

    // One measurement at counter value `now`, spanning `skipDivisor` frames. Returns true when
    // the text changed: every ninth call in a window (for the status bar), every tenth in full
    // screen (where the text is drawn on every call).
    bool Measure(int64_t now, int32_t skipDivisor, bool fullScreen);

    // The percentage of one interval; the shown figure is skipDivisor times this.
    float SpeedPercent = 0;
    char Text[32] = {};
    int64_t LastSample = 0;
    // Counts measurements between two refreshes of the text; one for both displays.
    int32_t Counter = 0;
};
