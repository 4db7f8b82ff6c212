#include "host/process_priority.h"

#include <sys/resource.h>

void SetProcessPriority(int32_t level) {
    static constexpr int NiceValues[] = {0, -10, -20};
    if (level < 0 || level > 2) return;
    (void)setpriority(PRIO_PROCESS, 0, NiceValues[level]);
}
