#include "cpu/cpu.h"

// Placeholder processor; the micro-coded core replaces it.
void TCPU::Step() {}
void TCPU::PowerOn() {}
void TCPU::Reset() {}
uint8_t TCPU::StatusByte(bool, bool) const { return 0; }
