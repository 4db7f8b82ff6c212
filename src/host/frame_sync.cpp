#include "host/frame_sync.h"

#include <thread>

void TFrameSync::WaitUntil(Clock::time_point deadline) {
    const Clock::duration left = deadline - Clock::now();
    if (left > SpinMargin) std::this_thread::sleep_for(left - SpinMargin);
    while (Clock::now() < deadline) {
    }
}

void TFrameSync::Wait(int32_t mode) {
    if (mode == Sync50Hz) {
        WaitUntil(LastSync + FramePeriod);
        LastSync = Clock::now();
    } else if (mode == SyncVerticalBlank && RefreshPeriod > Clock::duration::zero()) {
        const Clock::duration since = Clock::now() - RefreshOrigin;
        WaitUntil(RefreshOrigin + (since / RefreshPeriod + 1) * RefreshPeriod);
    }
}

void TFrameSync::SetRefreshPeriod(Clock::duration period) {
    RefreshPeriod = period;
    RefreshOrigin = Clock::now();
}
