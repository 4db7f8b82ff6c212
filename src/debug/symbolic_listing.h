#pragma once
#include <array>
#include <string>

#include "cpu/disassembler.h"
#include "debug/symbols.h"

// The debugger's listing with names: a "name:" line before each labelled instruction and
// operands that address a labelled place shown by name. Without symbols it is Disassemble's.
struct TSymbolListing : TListing {
    std::array<bool, Lines> IsLabel{};  // a "name:" line, which carries its instruction's address
};

TSymbolListing DisassembleWithSymbols(const TMemory& memory, uint16_t start, const TSymbolTable& symbols);

// One listing line with its address operand named where a label gives it a name (immediate
// operands stay numbers).
std::string NameOperand(const std::string& line, uint16_t address, uint8_t opcode, uint8_t b1, uint8_t b2,
                        const TSymbolTable& symbols);
