#pragma once
#include <chrono>
#include <cstdint>

// Holds the frame loop to a real PAL machine's 50 frames a second, or to the screen's refresh.
// Called at the end of every emulated frame, drawn or skipped.
class TFrameSync {
public:
    using Clock = std::chrono::steady_clock;
    enum TSyncMode : int32_t { SyncNone = 0, Sync50Hz = 1, SyncVerticalBlank = 2 };
    static constexpr Clock::duration FramePeriod = std::chrono::microseconds(20000);
    // A sleep may end late by the timer slack (tens of microseconds on Linux): the last stretch
    // before the deadline is spun on the clock. Every microsecond spun costs 0.005 % of a core.
    static constexpr Clock::duration SpinMargin = std::chrono::microseconds(500);

    TFrameSync() : LastSync(Clock::now()) {}

    // 50Hz: waits until a frame period has passed since the previous wait ended. Time spent
    // after that (presenting, emulating the next frame) counts towards the next period, and an
    // overrun frame is not made up later. Vertical Blank: waits for the start of the screen's
    // next refresh while a full-screen display gives its period, else returns at once. None
    // returns at once.
    void Wait(int32_t mode);

    // The full-screen display's refresh period; zero while no full-screen display exists.
    // Qt's widgets give no vertical-blank wait, so the refreshes are counted on the clock from
    // the moment the display was set up.
    void SetRefreshPeriod(Clock::duration period);

    Clock::time_point LastSync;

private:
    static void WaitUntil(Clock::time_point deadline);

    Clock::duration RefreshPeriod{};
    Clock::time_point RefreshOrigin;
};
