#pragma once
#include <array>
#include <cstdint>
#include <string>

// What each clock of an instruction does, in the 6502's terms, for the micro-code view. The
// processor performs the "dummy" reads named here as internal clocks without a bus access.
struct TMicroStepText {
    int32_t Record;      // equal to its index
    char Text[6][64];    // clocks 2 to 7; an empty text: the instruction has no such clock
};

constexpr int MicroStepRecords = 10;
extern const TMicroStepText MicroStepTexts[MicroStepRecords];
// The record describing each opcode, or -1 where none does.
extern const std::array<int32_t, 256> MicroStepGroup;

// The text of line 1..7 of the micro-code view for the processor at `cycle` in `opcode`:
// line 1 is always the opcode fetch; at an instruction boundary (cycle 1) lines 2 to 7 are
// empty; an opcode without a record shows "???".
std::string MicroStepLine(uint8_t opcode, uint32_t cycle, int line);
