#include "cpu/disassembler.h"

#include <cstdio>

#include "cpu/cpu.h"
#include "memory/memory.h"

// Rows are the high nibble of the opcode, columns the low nibble. The undocumented opcodes keep
// the names the listing has always shown (ASO is SLO, RAN RLA, LSE SRE, RAD RRA, AXX/AXR/AXY/AAX
// SAX, AXI and SHA SHA, AXS TAS, LDT LAX, DEM DCP, INB ISC, ANN ANC, ANL ALR, TAN ANE, ANX LXA,
// TSA LAS, XAS SBX, NO1/NO2/NO3 the NOPs, ABS the jams), each with the operand it really has.
const TMnemonic MnemonicTable[256] = {
    /* 0_ */ {"BRK",  1}, {"ORA", 11}, {"ABS",  1}, {"ASO", 11}, {"NO2",  5}, {"ORA",  5}, {"ASL",  5}, {"ASO",  5},
            {"PHP",  1}, {"ORA",  2}, {"ASL",  1}, {"ANN",  2}, {"NO3",  3}, {"ORA",  3}, {"ASL",  3}, {"ASO",  3},
    /* 1_ */ {"BPL", 12}, {"ORA", 10}, {"ABS",  1}, {"ASO", 10}, {"NO2",  6}, {"ORA",  6}, {"ASL",  6}, {"ASO",  6},
            {"CLC",  1}, {"ORA",  9}, {"NO1",  1}, {"ASO",  9}, {"NO3",  8}, {"ORA",  8}, {"ASL",  8}, {"ASO",  8},
    /* 2_ */ {"JSR",  3}, {"AND", 11}, {"ABS",  1}, {"RAN", 11}, {"BIT",  5}, {"AND",  5}, {"ROL",  5}, {"RAN",  5},
            {"PLP",  1}, {"AND",  2}, {"ROL",  1}, {"ANN",  2}, {"BIT",  3}, {"AND",  3}, {"ROL",  3}, {"RAN",  3},
    /* 3_ */ {"BMI", 12}, {"AND", 10}, {"ABS",  1}, {"RAN", 10}, {"NO2",  6}, {"AND",  6}, {"ROL",  6}, {"RAN",  6},
            {"SEC",  1}, {"AND",  9}, {"NO1",  1}, {"RAN",  9}, {"NO3",  8}, {"AND",  8}, {"ROL",  8}, {"RAN",  8},
    /* 4_ */ {"RTI",  1}, {"EOR", 11}, {"ABS",  1}, {"LSE", 11}, {"NO2",  5}, {"EOR",  5}, {"LSR",  5}, {"LSE",  5},
            {"PHA",  1}, {"EOR",  2}, {"LSR",  1}, {"ANL",  2}, {"JMP",  3}, {"EOR",  3}, {"LSR",  3}, {"LSE",  3},
    /* 5_ */ {"BVC", 12}, {"EOR", 10}, {"ABS",  1}, {"LSE", 10}, {"NO2",  6}, {"EOR",  6}, {"LSR",  6}, {"LSE",  6},
            {"CLI",  1}, {"EOR",  9}, {"NO1",  1}, {"LSE",  9}, {"NO3",  8}, {"EOR",  8}, {"LSR",  8}, {"LSE",  8},
    /* 6_ */ {"RTS",  1}, {"ADC", 11}, {"ABS",  1}, {"RAD", 11}, {"NO2",  5}, {"ADC",  5}, {"ROR",  5}, {"RAD",  5},
            {"PLA",  1}, {"ADC",  2}, {"ROR",  1}, {"ARR",  2}, {"JMP",  4}, {"ADC",  3}, {"ROR",  3}, {"RAD",  3},
    /* 7_ */ {"BVS", 12}, {"ADC", 10}, {"ABS",  1}, {"RAD", 10}, {"NO2",  6}, {"ADC",  6}, {"ROR",  6}, {"RAD",  6},
            {"SEI",  1}, {"ADC",  9}, {"NO1",  1}, {"RAD",  9}, {"NO3",  8}, {"ADC",  8}, {"ROR",  8}, {"RAD",  8},
    /* 8_ */ {"NO2",  2}, {"STA", 11}, {"NO2",  2}, {"AXX", 11}, {"STY",  5}, {"STA",  5}, {"STX",  5}, {"AXR",  5},
            {"DEY",  1}, {"NO2",  2}, {"TXA",  1}, {"TAN",  2}, {"STY",  3}, {"STA",  3}, {"STX",  3}, {"AAX",  3},
    /* 9_ */ {"BCC", 12}, {"STA", 10}, {"ABS",  1}, {"AXI", 10}, {"STY",  6}, {"STA",  6}, {"STX",  7}, {"AXY",  7},
            {"TYA",  1}, {"STA",  9}, {"TXS",  1}, {"AXS",  9}, {"SHY",  8}, {"STA",  8}, {"SHX",  9}, {"SHA",  9},
    /* A_ */ {"LDY",  2}, {"LDA", 11}, {"LDX",  2}, {"LDT", 11}, {"LDY",  5}, {"LDA",  5}, {"LDX",  5}, {"LDT",  5},
            {"TAY",  1}, {"LDA",  2}, {"TAX",  1}, {"ANX",  2}, {"LDY",  3}, {"LDA",  3}, {"LDX",  3}, {"LDT",  3},
    /* B_ */ {"BCS", 12}, {"LDA", 10}, {"ABS",  1}, {"LDT", 10}, {"LDY",  6}, {"LDA",  6}, {"LDX",  7}, {"LDT",  7},
            {"CLV",  1}, {"LDA",  9}, {"TSX",  1}, {"TSA",  9}, {"LDY",  8}, {"LDA",  8}, {"LDX",  9}, {"LDT",  9},
    /* C_ */ {"CPY",  2}, {"CMP", 11}, {"NO2",  2}, {"DEM", 11}, {"CPY",  5}, {"CMP",  5}, {"DEC",  5}, {"DEM",  5},
            {"INY",  1}, {"CMP",  2}, {"DEX",  1}, {"XAS",  2}, {"CPY",  3}, {"CMP",  3}, {"DEC",  3}, {"DEM",  3},
    /* D_ */ {"BNE", 12}, {"CMP", 10}, {"ABS",  1}, {"DEM", 10}, {"NO2",  6}, {"CMP",  6}, {"DEC",  6}, {"DEM",  6},
            {"CLD",  1}, {"CMP",  9}, {"NO1",  1}, {"DEM",  9}, {"NO3",  8}, {"CMP",  8}, {"DEC",  8}, {"DEM",  8},
    /* E_ */ {"CPX",  2}, {"SBC", 11}, {"NO2",  2}, {"INB", 11}, {"CPX",  5}, {"SBC",  5}, {"INC",  5}, {"INB",  5},
            {"INX",  1}, {"SBC",  2}, {"NOP",  1}, {"SBC",  2}, {"CPX",  3}, {"SBC",  3}, {"INC",  3}, {"INB",  3},
    /* F_ */ {"BEQ", 12}, {"SBC", 10}, {"ABS",  1}, {"INB", 10}, {"NO2",  6}, {"SBC",  6}, {"INC",  6}, {"INB",  6},
            {"SED",  1}, {"SBC",  9}, {"NO1",  1}, {"INB",  9}, {"NO3",  8}, {"SBC",  8}, {"INC",  8}, {"INB",  8},
};

int InstructionLength(int32_t mode) {
    switch (mode) {
        case 3: case 4: case 8: case 9: return 3;
        case 2: case 5: case 6: case 7: case 10: case 11: case 12: return 2;
        default: return 1;
    }
}

const char* RegisterComment(uint16_t operand) {
    static const char* const Ted[32] = {
        ";Timer1 LO      ", ";Timer1 HI      ", ";Timer2 LO      ", ";Timer2 HI      ",
        ";Timer3 LO      ", ";Timer3 HI      ", ";Y Scroll       ", ";X Scroll       ",
        ";Keyboard       ", ";INT Request    ", ";INT Mask       ", ";RASTER         ",
        ";CURSOR HI      ", ";CURSOR LO      ", ";OSC1 LO        ", ";OSC2 LO        ",
        ";OSC2 HI        ", ";SND CONTROL    ", ";OSC1 HI/GFX    ", ";CHR GEN/SLOW   ",
        ";VIDEO MATRIX   ", ";Color #0       ", ";Color #1       ", ";Color #2       ",
        ";Color #3       ", ";Color #4 Border", ";CURR.CHR HI    ", ";CURR.CHR LO    ",
        ";CURR.RAST HI   ", ";CURR.RAST LO   ", ";HOR.RASTER     ", ";VER.RAS/FLSH   ",
    };
    if (operand >= 0xFF00 && operand <= 0xFF1F) return Ted[operand - 0xFF00];
    if (operand == 0xFF3E) return ";ENABLE ROM     ";
    if (operand == 0xFF3F) return ";DISABLE ROM    ";
    return "                ";
}

std::string FormatLine(uint16_t a, uint8_t o, uint8_t b1, uint8_t b2) {
    const char* m = MnemonicTable[o].Name;
    const unsigned w = unsigned(b2) << 8 | b1;
    // Branch offsets count from the next instruction and wrap around the address space.
    const unsigned target = unsigned(a + 2 + int8_t(b1)) & 0xFFFF;
    char line[64];
    switch (MnemonicTable[o].Mode) {
        case 2: std::snprintf(line, sizeof line, "%04X  %02X %02X     %s #$%02X                 ", a, o, b1, m, b1); break;
        case 3: std::snprintf(line, sizeof line, "%04X  %02X %02X %02X  %s $%04X   %s", a, o, b1, b2, m, w, RegisterComment(uint16_t(w))); break;
        case 4: std::snprintf(line, sizeof line, "%04X  %02X %02X %02X  %s ($%04X)              ", a, o, b1, b2, m, w); break;
        case 5: std::snprintf(line, sizeof line, "%04X  %02X %02X     %s $%02X                  ", a, o, b1, m, b1); break;
        case 6: std::snprintf(line, sizeof line, "%04X  %02X %02X     %s $%02X,X                ", a, o, b1, m, b1); break;
        case 7: std::snprintf(line, sizeof line, "%04X  %02X %02X     %s $%02X,Y                ", a, o, b1, m, b1); break;
        case 8: std::snprintf(line, sizeof line, "%04X  %02X %02X %02X  %s $%04X,X              ", a, o, b1, b2, m, w); break;
        case 9: std::snprintf(line, sizeof line, "%04X  %02X %02X %02X  %s $%04X,Y              ", a, o, b1, b2, m, w); break;
        case 10: std::snprintf(line, sizeof line, "%04X  %02X %02X     %s ($%02X),Y              ", a, o, b1, m, b1); break;
        case 11: std::snprintf(line, sizeof line, "%04X  %02X %02X     %s ($%02X,X)              ", a, o, b1, m, b1); break;
        case 12: std::snprintf(line, sizeof line, "%04X  %02X %02X     %s $%04X                ", a, o, b1, m, target); break;
        default: std::snprintf(line, sizeof line, "%04X  %02X        %s                      ", a, o, m); break;
    }
    return line;
}

TListing Disassemble(const TMemory& memory, uint16_t start) {
    TListing listing;
    listing.LineAddress.fill(-1);
    // Kept wider than 16 bits: once past $FFFF the listing stops rather than wrapping to $0000.
    uint32_t a = start;
    for (int line = 0; line < TListing::Lines && a <= 0xFFFF; ++line) {
        listing.LineAddress[line] = int32_t(a);
        // All three bytes as the processor would see them, whatever the length, but peeked:
        // a listing of I/O addresses must not disturb the devices.
        const uint8_t o = memory.Peek(uint16_t(a));
        const uint8_t b1 = memory.Peek(uint16_t(a + 1));
        const uint8_t b2 = memory.Peek(uint16_t(a + 2));
        listing.Text[line] = FormatLine(uint16_t(a), o, b1, b2);
        a += uint32_t(InstructionLength(MnemonicTable[o].Mode));
    }
    return listing;
}

std::string RegisterLine(const TCPU& cpu) {
    auto flag = [](uint8_t value, char letter) { return value ? letter : '.'; };
    char line[64];
    std::snprintf(line, sizeof line, "PC:%.4X  A:%.2X  X:%.2X  Y:%.2X  SP:%.2X  %c%c-%c%c%c%c%c", cpu.PC, cpu.A, cpu.X,
                  cpu.Y, cpu.SP, flag(cpu.N, 'N'), flag(cpu.V, 'V'), flag(cpu.B, 'B'), flag(cpu.D, 'D'),
                  flag(cpu.I, 'I'), flag(cpu.Z, 'Z'), flag(cpu.C, 'C'));
    return line;
}
