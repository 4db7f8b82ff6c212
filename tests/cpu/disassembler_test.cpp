#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "cpu/cpu.h"
#include "cpu/disassembler.h"
#include "memory/memory.h"

namespace {

// The opcode map, row by high nibble: the debugger's documented names, each opcode with the
// operand the NMOS chip gives it.
const char* const OpcodeRows[16] = {
    "BRK 1, ORA 11, ABS 1, ASO 11, NO2 5, ORA 5, ASL 5, ASO 5, PHP 1, ORA 2, ASL 1, ANN 2, NO3 3, ORA 3, ASL 3, ASO 3",
    "BPL 12, ORA 10, ABS 1, ASO 10, NO2 6, ORA 6, ASL 6, ASO 6, CLC 1, ORA 9, NO1 1, ASO 9, NO3 8, ORA 8, ASL 8, ASO 8",
    "JSR 3, AND 11, ABS 1, RAN 11, BIT 5, AND 5, ROL 5, RAN 5, PLP 1, AND 2, ROL 1, ANN 2, BIT 3, AND 3, ROL 3, RAN 3",
    "BMI 12, AND 10, ABS 1, RAN 10, NO2 6, AND 6, ROL 6, RAN 6, SEC 1, AND 9, NO1 1, RAN 9, NO3 8, AND 8, ROL 8, RAN 8",
    "RTI 1, EOR 11, ABS 1, LSE 11, NO2 5, EOR 5, LSR 5, LSE 5, PHA 1, EOR 2, LSR 1, ANL 2, JMP 3, EOR 3, LSR 3, LSE 3",
    "BVC 12, EOR 10, ABS 1, LSE 10, NO2 6, EOR 6, LSR 6, LSE 6, CLI 1, EOR 9, NO1 1, LSE 9, NO3 8, EOR 8, LSR 8, LSE 8",
    "RTS 1, ADC 11, ABS 1, RAD 11, NO2 5, ADC 5, ROR 5, RAD 5, PLA 1, ADC 2, ROR 1, ARR 2, JMP 4, ADC 3, ROR 3, RAD 3",
    "BVS 12, ADC 10, ABS 1, RAD 10, NO2 6, ADC 6, ROR 6, RAD 6, SEI 1, ADC 9, NO1 1, RAD 9, NO3 8, ADC 8, ROR 8, RAD 8",
    "NO2 2, STA 11, NO2 2, AXX 11, STY 5, STA 5, STX 5, AXR 5, DEY 1, NO2 2, TXA 1, TAN 2, STY 3, STA 3, STX 3, AAX 3",
    "BCC 12, STA 10, ABS 1, AXI 10, STY 6, STA 6, STX 7, AXY 7, TYA 1, STA 9, TXS 1, AXS 9, SHY 8, STA 8, SHX 9, SHA 9",
    "LDY 2, LDA 11, LDX 2, LDT 11, LDY 5, LDA 5, LDX 5, LDT 5, TAY 1, LDA 2, TAX 1, ANX 2, LDY 3, LDA 3, LDX 3, LDT 3",
    "BCS 12, LDA 10, ABS 1, LDT 10, LDY 6, LDA 6, LDX 7, LDT 7, CLV 1, LDA 9, TSX 1, TSA 9, LDY 8, LDA 8, LDX 9, LDT 9",
    "CPY 2, CMP 11, NO2 2, DEM 11, CPY 5, CMP 5, DEC 5, DEM 5, INY 1, CMP 2, DEX 1, XAS 2, CPY 3, CMP 3, DEC 3, DEM 3",
    "BNE 12, CMP 10, ABS 1, DEM 10, NO2 6, CMP 6, DEC 6, DEM 6, CLD 1, CMP 9, NO1 1, DEM 9, NO3 8, CMP 8, DEC 8, DEM 8",
    "CPX 2, SBC 11, NO2 2, INB 11, CPX 5, SBC 5, INC 5, INB 5, INX 1, SBC 2, NOP 1, SBC 2, CPX 3, SBC 3, INC 3, INB 3",
    "BEQ 12, SBC 10, ABS 1, INB 10, NO2 6, SBC 6, INC 6, INB 6, SED 1, SBC 9, NO1 1, INB 9, NO3 8, SBC 8, INC 8, INB 8",
};

std::string Hex(unsigned value, int digits) {
    char text[8];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// A 64 KB machine with ROM off: the listing sees plain RAM.
struct TRamBus {
    TMemory Memory{2};
    void Put(uint16_t address, std::vector<uint8_t> bytes) {
        for (uint8_t b : bytes) Memory.Image[address++] = b;
    }
};

}  // namespace

TEST(MnemonicTable, MatchesTheOpcodeMap) {
    for (int row = 0; row < 16; ++row) {
        std::istringstream entries(OpcodeRows[row]);
        for (int column = 0; column < 16; ++column) {
            std::string name;
            int mode = 0;
            char comma;
            entries >> name >> mode;
            if (column < 15) entries >> comma;
            const TMnemonic& entry = MnemonicTable[row * 16 + column];
            EXPECT_EQ(std::string(entry.Name), name) << "opcode $" << Hex(row * 16 + column, 2);
            EXPECT_EQ(entry.Mode, mode) << "opcode $" << Hex(row * 16 + column, 2);
            EXPECT_EQ(entry.Name[3], '\0');
        }
    }
}

TEST(FormatLine, EachModeHasItsExactLayout) {
    EXPECT_EQ(FormatLine(0x2000, 0xEA, 0x11, 0x22), "2000  EA        NOP                      ");
    EXPECT_EQ(FormatLine(0x2000, 0xA9, 0x80, 0x22), "2000  A9 80     LDA #$80                 ");
    EXPECT_EQ(FormatLine(0x2000, 0xAD, 0x34, 0x12), "2000  AD 34 12  LDA $1234                   ");
    EXPECT_EQ(FormatLine(0x2000, 0x6C, 0xFC, 0xFF), "2000  6C FC FF  JMP ($FFFC)              ");
    EXPECT_EQ(FormatLine(0x2000, 0xA5, 0x2B, 0x22), "2000  A5 2B     LDA $2B                  ");
    EXPECT_EQ(FormatLine(0x2000, 0xB5, 0x2B, 0x22), "2000  B5 2B     LDA $2B,X                ");
    EXPECT_EQ(FormatLine(0x2000, 0xB6, 0x2B, 0x22), "2000  B6 2B     LDX $2B,Y                ");
    EXPECT_EQ(FormatLine(0x2000, 0xBD, 0x34, 0x12), "2000  BD 34 12  LDA $1234,X              ");
    EXPECT_EQ(FormatLine(0x2000, 0xB9, 0x34, 0x12), "2000  B9 34 12  LDA $1234,Y              ");
    EXPECT_EQ(FormatLine(0x2000, 0xB1, 0x2B, 0x22), "2000  B1 2B     LDA ($2B),Y              ");
    EXPECT_EQ(FormatLine(0x2000, 0xA1, 0x2B, 0x22), "2000  A1 2B     LDA ($2B,X)              ");
    EXPECT_EQ(FormatLine(0x2000, 0xD0, 0x05, 0x22), "2000  D0 05     BNE $2007                ");
}

// Every opcode: address, the instruction's own bytes only, mnemonic at column 16, fixed width.
TEST(FormatLine, EveryOpcodeShowsItsBytesAndMnemonicInFixedColumns) {
    for (int o = 0; o < 256; ++o) {
        const std::string line = FormatLine(0xC0DE, uint8_t(o), 0x5B, 0x7E);
        const TMnemonic& entry = MnemonicTable[o];
        const int length = InstructionLength(entry.Mode);
        SCOPED_TRACE("opcode $" + Hex(o, 2) + ": \"" + line + "\"");
        EXPECT_EQ(line.size(), entry.Mode == 3 ? 44u : 41u);
        EXPECT_EQ(line.substr(0, 6), "C0DE  ");
        EXPECT_EQ(line.substr(6, 2), Hex(o, 2));
        EXPECT_EQ(line.substr(8, 3), length >= 2 ? " 5B" : "   ");
        EXPECT_EQ(line.substr(11, 3), length == 3 ? " 7E" : "   ");
        EXPECT_EQ(line.substr(14, 2), "  ");
        EXPECT_EQ(line.substr(16, 3), entry.Name);
        EXPECT_EQ(line[19], ' ');
        const bool hasOperand = entry.Mode != 1;
        EXPECT_EQ(line.find_first_not_of(' ', 19) != std::string::npos, hasOperand);
        // Only the absolute mode carries a register comment, and $7E5B names none.
        if (entry.Mode == 3) {
            EXPECT_EQ(line.substr(28), std::string(16, ' '));
        }
    }
}

TEST(FormatLine, BranchTargetsCountFromTheNextInstructionAndWrap) {
    EXPECT_EQ(FormatLine(0x2000, 0x10, 0xFE, 0x00).substr(16), "BPL $2000                ");
    EXPECT_EQ(FormatLine(0x2000, 0x10, 0x80, 0x00).substr(16, 9), "BPL $1F82");
    EXPECT_EQ(FormatLine(0x2000, 0x10, 0x7F, 0x00).substr(16, 9), "BPL $2081");
    EXPECT_EQ(FormatLine(0xFFF0, 0xF0, 0x7F, 0x00).substr(16, 9), "BEQ $0071");
    EXPECT_EQ(FormatLine(0x0000, 0x30, 0x80, 0x00).substr(16, 9), "BMI $FF82");
}

TEST(RegisterComment, NamesTedAndRomSwitchRegistersOnAbsoluteOperandsOnly) {
    EXPECT_EQ(FormatLine(0x1000, 0x8D, 0x09, 0xFF), "1000  8D 09 FF  STA $FF09   ;INT Request    ");
    EXPECT_EQ(FormatLine(0x1000, 0x9D, 0x09, 0xFF), "1000  9D 09 FF  STA $FF09,X              ");
    EXPECT_EQ(FormatLine(0x1000, 0x6C, 0x3E, 0xFF), "1000  6C 3E FF  JMP ($FF3E)              ");
    EXPECT_EQ(FormatLine(0x1000, 0x8D, 0x3F, 0xFF).substr(28), ";DISABLE ROM    ");

    const std::pair<uint16_t, const char*> named[] = {
        {0xFF00, ";Timer1 LO      "}, {0xFF01, ";Timer1 HI      "}, {0xFF02, ";Timer2 LO      "},
        {0xFF03, ";Timer2 HI      "}, {0xFF04, ";Timer3 LO      "}, {0xFF05, ";Timer3 HI      "},
        {0xFF06, ";Y Scroll       "}, {0xFF07, ";X Scroll       "}, {0xFF08, ";Keyboard       "},
        {0xFF09, ";INT Request    "}, {0xFF0A, ";INT Mask       "}, {0xFF0B, ";RASTER         "},
        {0xFF0C, ";CURSOR HI      "}, {0xFF0D, ";CURSOR LO      "}, {0xFF0E, ";OSC1 LO        "},
        {0xFF0F, ";OSC2 LO        "}, {0xFF10, ";OSC2 HI        "}, {0xFF11, ";SND CONTROL    "},
        {0xFF12, ";OSC1 HI/GFX    "}, {0xFF13, ";CHR GEN/SLOW   "}, {0xFF14, ";VIDEO MATRIX   "},
        {0xFF15, ";Color #0       "}, {0xFF16, ";Color #1       "}, {0xFF17, ";Color #2       "},
        {0xFF18, ";Color #3       "}, {0xFF19, ";Color #4 Border"}, {0xFF1A, ";CURR.CHR HI    "},
        {0xFF1B, ";CURR.CHR LO    "}, {0xFF1C, ";CURR.RAST HI   "}, {0xFF1D, ";CURR.RAST LO   "},
        {0xFF1E, ";HOR.RASTER     "}, {0xFF1F, ";VER.RAS/FLSH   "}, {0xFF3E, ";ENABLE ROM     "},
        {0xFF3F, ";DISABLE ROM    "},
    };
    for (const auto& [address, text] : named) EXPECT_STREQ(RegisterComment(address), text) << Hex(address, 4);
    for (const uint16_t other : {0x0000, 0xFEFF, 0xFF20, 0xFF3D, 0xFF40, 0xFFFF, 0x7F09})
        EXPECT_STREQ(RegisterComment(other), "                ") << Hex(other, 4);
}

TEST(Disassemble, ListsSixteenInstructionsWithoutABusAccess) {
    TRamBus bus;
    bus.Put(0x1000, {0xA9, 0x80, 0x8D, 0x09, 0xFF, 0xEA, 0x10, 0xFE});
    for (uint16_t a = 0x1008; a < 0x1020; ++a) bus.Memory.Image[a] = 0xEA;
    bus.Memory.AccessLog.clear();
    const TListing listing = Disassemble(bus.Memory, 0x1000);
    const int32_t addresses[16] = {0x1000, 0x1002, 0x1005, 0x1006, 0x1008, 0x1009, 0x100A, 0x100B,
                                   0x100C, 0x100D, 0x100E, 0x100F, 0x1010, 0x1011, 0x1012, 0x1013};
    for (int line = 0; line < 16; ++line) {
        EXPECT_EQ(listing.LineAddress[line], addresses[line]);
        EXPECT_EQ(listing.Text[line].substr(0, 4), Hex(unsigned(addresses[line]), 4));
    }
    EXPECT_EQ(listing.Text[0], "1000  A9 80     LDA #$80                 ");
    EXPECT_EQ(listing.Text[1], "1002  8D 09 FF  STA $FF09   ;INT Request    ");
    EXPECT_EQ(listing.Text[3].substr(16), "BPL $1006                ");

    // The listing peeks: looking at I/O never changes what the program later reads.
    EXPECT_TRUE(bus.Memory.AccessLog.empty());
}

TEST(Disassemble, SeesWhatTheProcessorSees) {
    TRamBus bus;
    bus.Memory.EnableRom();
    bus.Memory.Image[0x8000] = 0xEA;
    bus.Memory.Image[TMemory::RomIndex(0, 0x8000)] = 0x60;
    EXPECT_EQ(Disassemble(bus.Memory, 0x8000).Text[0].substr(16, 3), "RTS");
}

TEST(Disassemble, StopsAtTheTopOfTheAddressSpace) {
    TRamBus bus;
    bus.Put(0xFFFE, {0x20, 0x00});
    bus.Memory.Image[0x0000] = 0x12;
    const TListing listing = Disassemble(bus.Memory, 0xFFFE);
    EXPECT_EQ(listing.LineAddress[0], 0xFFFE);
    // The third byte wraps round to $0000.
    EXPECT_EQ(listing.Text[0], "FFFE  20 00 12  JSR $1200                   ");
    for (int line = 1; line < 16; ++line) {
        EXPECT_EQ(listing.LineAddress[line], -1);
        EXPECT_TRUE(listing.Text[line].empty());
    }

    bus.Put(0xFFFE, {0xEA, 0xEA});
    const TListing twoLines = Disassemble(bus.Memory, 0xFFFE);
    EXPECT_EQ(twoLines.LineAddress[0], 0xFFFE);
    EXPECT_EQ(twoLines.LineAddress[1], 0xFFFF);
    EXPECT_EQ(twoLines.LineAddress[2], -1);
    EXPECT_TRUE(twoLines.Text[2].empty());
}

TEST(Disassemble, UndocumentedOpcodesKeepTheirNamesWithTheirRealOperands) {
    TRamBus bus;
    bus.Put(0x3000, {0x9C, 0x34, 0x12, 0xBB, 0x34, 0x12, 0x02});
    const TListing listing = Disassemble(bus.Memory, 0x3000);
    EXPECT_EQ(listing.Text[0], "3000  9C 34 12  SHY $1234,X              ");
    EXPECT_EQ(listing.LineAddress[1], 0x3003);
    EXPECT_EQ(listing.Text[1], "3003  BB 34 12  TSA $1234,Y              ");
    EXPECT_EQ(listing.LineAddress[2], 0x3006);
    EXPECT_EQ(listing.Text[2].substr(16, 3), "ABS");
}

TEST(RegisterLine, ShowsTheRegistersAndADotForEachClearFlag) {
    TCPU cpu;
    cpu.PC = 0x01FF;
    cpu.A = 0x0A;
    cpu.X = 0xB0;
    cpu.Y = 0x00;
    cpu.SP = 0xF3;
    EXPECT_EQ(RegisterLine(cpu), "PC:01FF  A:0A  X:B0  Y:00  SP:F3  ..-.....");
    // Flags are set when nonzero, whatever bit an operation stored.
    cpu.N = 0x80;
    cpu.V = 0x40;
    cpu.B = cpu.D = cpu.I = cpu.Z = cpu.C = 1;
    EXPECT_EQ(RegisterLine(cpu), "PC:01FF  A:0A  X:B0  Y:00  SP:F3  NV-BDIZC");
    cpu.V = cpu.D = cpu.C = 0;
    EXPECT_EQ(RegisterLine(cpu).substr(34), "N.-B.IZ.");
}
