#pragma once
#include <array>
#include <cstdint>
#include <string>

class TCPU;
class TMemory;

struct TMnemonic {
    char Name[4];    // three letters and a terminating zero
    int32_t Mode;    // addressing-mode code 1..12
};

// Mnemonic and addressing mode of every opcode, as the disassembler and micro-code view show them.
extern const TMnemonic MnemonicTable[256];

// Length in bytes of an instruction of addressing-mode code `mode`.
int InstructionLength(int32_t mode);

// The 16-character comment for an absolute operand naming a TED or ROM-switch register,
// or 16 blanks.
const char* RegisterComment(uint16_t operand);

// One listing line for the instruction bytes o, b1, b2 at address a.
std::string FormatLine(uint16_t a, uint8_t o, uint8_t b1, uint8_t b2);

struct TListing {
    static constexpr int Lines = 16;
    std::array<std::string, Lines> Text;         // empty when the line lies past $FFFF
    std::array<int32_t, Lines> LineAddress{};    // -1 for an empty line
};

// Sixteen lines from `start`, with the bytes the processor would read there, peeked so that
// listing I/O addresses changes nothing.
TListing Disassemble(const TMemory& memory, uint16_t start);

// The debugger's register line: "PC:%.4X  A:%.2X  X:%.2X  Y:%.2X  SP:%.2X  NV-BDIZC", each flag
// letter a "." while the flag is clear.
std::string RegisterLine(const TCPU& cpu);
