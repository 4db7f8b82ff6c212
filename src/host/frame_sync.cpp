#include "host/frame_sync.h"

#include <thread>

void TFrameSync::Wait(int32_t mode) {
    if (mode != Sync50Hz) return;
    const Clock::time_point deadline = LastSync + FramePeriod;
    const Clock::duration left = deadline - Clock::now();
    if (left > SpinMargin) std::this_thread::sleep_for(left - SpinMargin);
    while (Clock::now() < deadline) {
    }
    LastSync = Clock::now();
}
