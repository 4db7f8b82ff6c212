// The real ROMs running what a user runs: BASIC's split screens with a program printing. The
// images come from the set-up script, beside the test binaries.
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
