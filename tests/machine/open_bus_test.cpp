// An address no chip answers reads the last value on the data bus: in the window, the character
// line the TED fetched in the same clock; in the border, the last byte the processor moved.
// Programs that refuse to run on a machine whose bus reads $00 sample such an address all frame.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "machine/machine.h"
#include "media/prg_file.h"

namespace {

// Samples $FE80 2048 times, 14 clocks apart (about a frame), into $3100-$38FF, then waits.
constexpr uint8_t Sampler[] = {
    0x78,              // 3000 SEI
    0xA0, 0x08,        // 3001 LDY #8
    0xA2, 0x00,        // 3003 LDX #0
    0xAD, 0x80, 0xFE,  // 3005 LDA $FE80
    0x9D, 0x00, 0x31,  // 3008 STA $3100,X
    0xE8,              // 300B INX
    0xD0, 0xF7,        // 300C BNE $3005
    0xEE, 0x0A, 0x30,  // 300E INC $300A
    0x88,              // 3011 DEY
    0xD0, 0xEF,        // 3012 BNE $3003
    0x4C, 0x14, 0x30,  // 3014 JMP $3014
};

// A C16 with its ROMs at BASIC's prompt.
std::unique_ptr<TMachine> BootedC16() {
    auto machine = std::make_unique<TMachine>(TNullHost::Instance(), std::string(VARLUME_BIN_DIR) + "/");
    TMachine& m = *machine;
    m.PowerUp(MachineC16);
    for (int frame = 0; frame < 300 && !AutoLoadReady(m.Cpu.PC, m.Cpu.Cycle); ++frame) m.RunFrame();
    EXPECT_TRUE(AutoLoadReady(m.Cpu.PC, m.Cpu.Cycle)) << "the ROM never waited for keys";
    return machine;
}

std::multiset<uint8_t> Samples(bool displayOn) {
    auto machine = BootedC16();
    TMachine& m = *machine;
    // Every screen code and colour, so that the character lines the TED fetches differ.
    for (int cell = 0; cell < 1000; ++cell) {
        m.Memory.Image[0x0C00 + cell] = uint8_t(cell * 7);
        m.Memory.Image[0x0800 + cell] = uint8_t(0x71);
    }
    if (!displayOn) m.Memory.Write(0xFF06, 0x0B);
    for (size_t i = 0; i < sizeof Sampler; ++i) m.Memory.Image[0x3000 + i] = Sampler[i];
    while (!m.Cpu.AtOpcodeFetch()) m.StepClock();
    m.Cpu.PC = 0x3000;
    for (int frame = 0; frame < 3 && m.Cpu.PC < 0x3014; ++frame) m.RunFrame();
    EXPECT_GE(m.Cpu.PC, 0x3014) << "the sampler has finished";
    return std::multiset<uint8_t>(m.Memory.Image + 0x3100, m.Memory.Image + 0x3900);
}

TEST(OpenBus, AnUnconnectedAddressReadsTheTedsFetchesInTheWindowAndTheCpusLastByteElsewhere) {
    const std::multiset<uint8_t> on = Samples(true);
    // In the border the bus holds the last byte the processor moved: LDA $FE80's high byte.
    EXPECT_GT(on.count(0xFE), 100u);
    std::set<uint8_t> distinct(on.begin(), on.end());
    EXPECT_GT(distinct.size(), 8u) << "the character lines of the picture show through";

    const std::multiset<uint8_t> off = Samples(false);
    EXPECT_EQ(off.count(0xFE), off.size()) << "with the display off the TED fetches nothing";
}

// With characters from ROM ($FF12 bit 2) and the character base below $8000 no ROM answers the
// TED's fetch: each line shows the byte on the bus as the line began, not the blank RAM glyphs.
TEST(OpenBus, CharacterFetchesWhereNoRomAnswersShowTheBus) {
    auto machine = BootedC16();
    TMachine& m = *machine;
    for (int i = 0; i < 0x800; ++i) m.Memory.Image[0x4000 + i] = 0;
    const uint8_t loop[] = {0x78, 0xBD, 0x00, 0x30, 0xE8, 0x4C, 0x01, 0x30};  // SEI; LDA $3000,X; INX; JMP
    for (size_t i = 0; i < sizeof loop; ++i) m.Memory.Image[0x3000 + i] = loop[i];
    while (!m.Cpu.AtOpcodeFetch()) m.StepClock();
    m.Cpu.PC = 0x3000;
    m.Memory.Write(0xFF12, 0x04);
    m.Memory.Write(0xFF13, 0x40);
    for (int frame = 0; frame < 2; ++frame) m.RunFrame();
    std::set<std::string> lines;
    for (int raster = 4; raster <= 203; ++raster) {
        const uint8_t* row = m.Frame.Pixels + TTED::BufferLine(uint32_t(raster)) * TTED::PixelsPerLine + TTED::FirstWindowPixel;
        lines.insert(std::string(row, row + 8));
    }
    EXPECT_GT(lines.size(), 3u) << "the lines show the changing bus, not RAM's blank glyphs";
}

}  // namespace
