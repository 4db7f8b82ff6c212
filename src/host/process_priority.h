#pragma once
#include <cstdint>

// The Options menu's process priority: 0 normal, 1 high, 2 real-time. The host's nice values
// stand in for the priority classes; a change the user may not make (raising the priority
// without the right to) is ignored: the process goes on at its priority.
void SetProcessPriority(int32_t level);
