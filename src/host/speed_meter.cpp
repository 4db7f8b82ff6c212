#include "host/speed_meter.h"

#include <chrono>
#include <cstdio>

int64_t TSpeedMeter::Now() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
}

bool TSpeedMeter::Measure(int64_t now, int32_t skipDivisor, bool fullScreen) {
    // Both values are taken as their low 32 bits; 7 ticks are the measurement's own cost.
    const auto period = int32_t(uint32_t(FramePeriod));
    const auto interval = int32_t(uint32_t(now - LastSample));
    SpeedPercent = 100.0f * float(period) / float(interval - 7);
    LastSample = now;
    const double shown = double(skipDivisor) * double(SpeedPercent);
    const int32_t taken = Counter++;
    if (fullScreen) {
        if (taken <= 8) return false;
        std::snprintf(Text, sizeof Text, "Speed: %06.2f%%", shown);
    } else {
        if (taken < 8) return false;
        std::snprintf(Text, sizeof Text, "%6.2f%%", shown);
    }
    Counter = 0;
    return true;
}
