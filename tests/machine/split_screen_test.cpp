// Programs that change the picture at raster lines: BASIC's split screens with a program
// printing (the real ROMs, from the set-up script beside the test binaries) and raster bars.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../../bench/workloads.h"
#include "machine/machine.h"

namespace {

void RequireRoms() {
    for (const char* rom : {"basic.bin", "kernal.bin", "3plus1lo.rom", "3plus1hi.rom"})
        ASSERT_TRUE(std::filesystem::exists(std::string(VARLUME_BIN_DIR) + "/" + rom))
            << "ROM image " << rom << " is missing: run scripts/setup.sh first";
}

struct TRomMachine {
    std::unique_ptr<TMachine> Machine = std::make_unique<TMachine>(TNullHost::Instance(), std::string(VARLUME_BIN_DIR) + "/");
    TMachine& operator*() { return *Machine; }
    TMachine* operator->() { return Machine.get(); }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Machine->RunFrame();
    }
    // Up to ten characters through the KERNAL's keyboard buffer, as if typed.
    void Type(const std::string& text) {
        Workload::Place(Machine->Memory, 0x0527, std::vector<uint8_t>(text.begin(), text.end()));
        Machine->Memory.Image[0xEF] = uint8_t(text.size());
    }
};

// 10 PRINT"HELLO":GOTO 10 at the start of BASIC, wherever GRAPHIC has moved it.
void StoreHelloLoop(TMachine& machine) {
    TMemory& memory = machine.Memory;
    const uint16_t start = uint16_t(memory.Image[0x2B] | memory.Image[0x2C] << 8);
    std::vector<uint8_t> line = {0x0A, 0x00, 0x99, '"', 'H', 'E', 'L', 'L', 'O', '"', ':', 0x89, '1', '0', 0x00};
    const uint16_t next = uint16_t(start + 2 + line.size());
    std::vector<uint8_t> program = {uint8_t(next), uint8_t(next >> 8)};
    program.insert(program.end(), line.begin(), line.end());
    program.insert(program.end(), {0x00, 0x00});
    Workload::Place(memory, start, program);
    const uint16_t end = uint16_t(start + program.size());
    for (uint16_t pointer : {0x2D, 0x2F, 0x31}) {
        memory.Image[pointer] = uint8_t(end);
        memory.Image[pointer + 1] = uint8_t(end >> 8);
    }
}

// Lines of the frame whose window pixels right of column 4 all show background colour 0: the
// text window's lines while the loop prints HELLO into it.
std::vector<int> TextBackgroundLines(const TMachine& machine) {
    std::vector<int> lines;
    const uint8_t background = machine.Ted.BackgroundColour[0];
    for (int line = TTED::FirstWindowLine; line <= TTED::LastWindowLine; ++line) {
        const uint8_t* pixels = machine.Frame.Pixels + line * TTED::PixelsPerLine;
        bool plain = true;
        for (int x = TTED::FirstWindowPixel + 5 * 8; x < TTED::FirstWindowPixel + 320 && plain; ++x)
            plain = pixels[x] == background;
        if (plain) lines.push_back(line);
    }
    return lines;
}

}  // namespace

// The ROM's raster handler switches to text at the compare line of the split; it has to be done
// before the text window's first line, in every frame, however busy BASIC is.
TEST(SplitScreen, BitmapSplitScreensKeepTheirTextWindowInEveryFrameWhileBasicPrints) {
    RequireRoms();
    for (const std::string mode : {"2", "4"}) {
        for (int32_t type : {MachineC16, MachinePlus4}) {
            TRomMachine m;
            m->PowerUp(type);
            m.Frames(150);
            m.Type("GRAPHIC" + mode + "\r");
            m.Frames(40);
            StoreHelloLoop(*m);
            m.Type("RUN\r");
            m.Frames(40);
            // The text window is the last five rows; its lines are all in text mode.
            for (int frame = 0; frame < 200; ++frame) {
                m.Frames(1);
                const std::vector<int> plain = TextBackgroundLines(*m);
                for (int line = TTED::FirstWindowLine + 20 * 8; line <= TTED::LastWindowLine; ++line)
                    ASSERT_TRUE(std::find(plain.begin(), plain.end(), line) != plain.end())
                        << "GRAPHIC " << mode << ", type " << type << ", frame " << frame << ", line " << line;
            }
        }
    }
}

// A raster-bar program, ROM off: the handler of each raster interrupt changes the background
// and asks for the line 16 further down. Each bar starts on the line it targets, as far into it
// as the interrupt's recognition, its 7-clock entry and the handler's first instructions take;
// the line before keeps the old bar.
TEST(SplitScreen, RasterBarsStartOnTheLinesTheyTarget) {
    auto machine = std::make_unique<TMachine>(TNullHost::Instance(), std::string());
    TMachine& m = *machine;
    m.PowerUp(MachineCustom);
    m.Memory.Write(0xFF3F, 0);
    Workload::TMiniAsm a(0x1000);
    a.Bytes({0x78, 0xA2, 0xFF, 0x9A})
        .LowByteOf(0xA9, "irq").Bytes({0x8D, 0xFE, 0xFF})
        .HighByteOf(0xA9, "irq").Bytes({0x8D, 0xFF, 0xFF})
        .Bytes({0xA2, 0x00, 0xA9, 0x20})                   // every cell a blank character 32
        .Label("fill")
        .Bytes({0x9D, 0x00, 0x0C, 0x9D, 0x00, 0x0D, 0x9D, 0x00, 0x0E, 0x9D, 0x00, 0x0F, 0xE8})
        .Branch(0xD0, "fill")
        .Bytes({0xA9, 0x00, 0xA2, 0x07})
        .Label("glyph")
        .Bytes({0x9D, 0x00, 0x21, 0xCA})
        .Branch(0x10, "glyph")
        .Bytes({0xA9, 0x1B, 0x8D, 0x06, 0xFF, 0xA9, 0x08, 0x8D, 0x07, 0xFF})  // text, 40 columns
        .Bytes({0xA9, 0x08, 0x8D, 0x14, 0xFF, 0xA9, 0x20, 0x8D, 0x13, 0xFF})  // matrix, characters
        .Bytes({0xA9, 0x02, 0x8D, 0x0A, 0xFF, 0xA9, 0x16, 0x8D, 0x0B, 0xFF, 0x58})  // raster 22
        .Label("main")
        .Absolute(0x4C, "main")
        .Label("irq")
        .Bytes({0x48, 0xEE, 0x15, 0xFF})                   // PHA; INC $FF15
        .Bytes({0xAD, 0x0B, 0xFF, 0x18, 0x69, 0x10, 0x8D, 0x0B, 0xFF})  // 16 lines on
        .Bytes({0xA9, 0x02, 0x8D, 0x09, 0xFF, 0x68, 0x40});
    Workload::Place(m.Memory, 0x1000, a.Finish());
    m.Cpu.PC = 0x1000;
    for (int i = 0; i < 5; ++i) m.RunFrame();
    auto pixel = [&](int line, int x) { return m.Frame.Pixels[line * TTED::PixelsPerLine + x]; };
    // Lines 22 + 16k are none of the rows' bad lines, which would hold the handler back.
    for (int raster = 22; raster <= 198; raster += 16) {
        const int line = raster + 52;
        const int right = TTED::FirstWindowPixel + 319;
        EXPECT_NE(pixel(line - 1, right), pixel(line, right)) << "raster " << raster;
        EXPECT_EQ(pixel(line - 1, TTED::FirstWindowPixel), pixel(line - 1, right)) << "raster " << raster;
        EXPECT_EQ(pixel(line, right), pixel(line + 1, TTED::FirstWindowPixel)) << "raster " << raster;
    }
}
