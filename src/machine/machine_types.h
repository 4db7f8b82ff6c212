#pragma once
#include <cstdint>

// Machine type codes as the settings file and the Machine Type menu store them.
enum TMachineType : int32_t {
    MachineC16 = 0,
    MachineC232 = 1,
    MachinePlus4 = 2,
    MachineC16With64K = 3,
    MachineCustom = 4,
};
