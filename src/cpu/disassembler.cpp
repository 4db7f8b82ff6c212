#include "cpu/disassembler.h"

// Placeholder; the real tables replace it.
const TMnemonic MnemonicTable[256] = {};
int InstructionLength(int32_t) { return 1; }
const char* RegisterComment(uint16_t) { return "                "; }
std::string FormatLine(uint16_t, uint8_t, uint8_t, uint8_t) { return {}; }
TListing Disassemble(TMemory&, uint16_t) { return {}; }
