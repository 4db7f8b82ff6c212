#include "debug/symbolic_listing.h"

#include <cstdio>

#include "memory/memory.h"

namespace {

// Addressing-mode codes of the disassembler's table.
enum : int32_t { Implied = 1, Immediate = 2, Absolute = 3, Indirect = 4, Relative = 12 };

bool ZeroPageOperand(int32_t mode) { return mode == 5 || mode == 6 || mode == 7 || mode == 10 || mode == 11; }

}  // namespace

std::string NameOperand(const std::string& line, uint16_t address, uint8_t opcode, uint8_t b1, uint8_t b2,
                        const TSymbolTable& symbols) {
    const int32_t mode = MnemonicTable[opcode].Mode;
    if (mode == Implied || mode == Immediate) return line;
    uint16_t operand = uint16_t(b2 << 8 | b1);
    int digits = 4;
    if (mode == Relative) operand = uint16_t(address + 2 + int8_t(b1));
    if (ZeroPageOperand(mode)) {
        operand = b1;
        digits = 2;
    }
    const std::string* name = symbols.NameAt(operand);
    if (!name) return line;
    char number[8];
    std::snprintf(number, sizeof number, digits == 2 ? "$%02X" : "$%04X", operand);
    // The operand follows the mnemonic; the bytes before it are printed without a '$'.
    const size_t at = line.find(number, 20);
    if (at == std::string::npos) return line;
    std::string named = line.substr(0, at) + *name + line.substr(at + size_t(digits) + 1);
    const size_t end = named.find_last_not_of(' ');
    return named.substr(0, end + 1);
}

TSymbolListing DisassembleWithSymbols(const TMemory& memory, uint16_t start, const TSymbolTable& symbols) {
    TSymbolListing listing;
    listing.LineAddress.fill(-1);
    if (symbols.Empty()) {
        static_cast<TListing&>(listing) = Disassemble(memory, start);
        return listing;
    }
    uint32_t a = start;
    for (int line = 0; line < TListing::Lines && a <= 0xFFFF; ++line) {
        listing.LineAddress[line] = int32_t(a);
        if (const std::string* name = symbols.NameAt(uint16_t(a)); name && (line == 0 || !listing.IsLabel[line - 1])) {
            listing.Text[line] = *name + ":";
            listing.IsLabel[line] = true;
            continue;
        }
        const uint8_t o = memory.Peek(uint16_t(a));
        const uint8_t b1 = memory.Peek(uint16_t(a + 1));
        const uint8_t b2 = memory.Peek(uint16_t(a + 2));
        listing.Text[line] = NameOperand(FormatLine(uint16_t(a), o, b1, b2), uint16_t(a), o, b1, b2, symbols);
        a += uint32_t(InstructionLength(MnemonicTable[o].Mode));
    }
    return listing;
}
