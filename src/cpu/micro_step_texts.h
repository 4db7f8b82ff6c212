#pragma once
#include <cstdint>
#include <string>

// What each clock of an instruction does, in the 6502's terms, for the micro-code view: the
// texts of the clocks of each opcode's sequence, read off the sequence itself.
constexpr int MicroStepLines = 8;  // the longest sequences take 8 clocks

// The text of line 1..8 of the micro-code view for the processor at `cycle` in `opcode`:
// line 1 is the opcode fetch; at an instruction boundary (cycle 1) the other lines are empty,
// as are the lines past the opcode's last clock. `interruptEntry`: opcode $00's sequence runs
// as the interrupt entry, whose first clocks differ from BRK's.
std::string MicroStepLine(uint8_t opcode, uint32_t cycle, int line, bool interruptEntry = false);
