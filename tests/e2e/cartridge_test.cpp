#include <gtest/gtest.h>

#include "run_tool.h"

// Cartridges in banks 1 and 2: raw images and the CRT container, started by the KERNAL after
// reset through their autostart signature, and kept by snapshots.

namespace {

constexpr size_t Chip = 16384;

// A ROM for $8000 with the autostart signature ($8006: 1, "CBM" at $8007) whose code writes
// `result` to the debug register.
std::vector<uint8_t> AutostartChip(uint8_t result) {
    std::vector<uint8_t> chip(Chip, 0xFF);
    const uint8_t head[] = {0x4C, 0x10, 0x80, 0, 0, 0, 0x01, 'C', 'B', 'M'};
    std::copy(std::begin(head), std::end(head), chip.begin());
    const uint8_t code[] = {0xA9, result, 0x8D, 0xCF, 0xFD, 0x4C, 0x15, 0x80};
    std::copy(std::begin(code), std::end(code), chip.begin() + 0x10);
    return chip;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(value >> (8 * i)));
}

// The CRT container with one CHIP packet.
std::vector<uint8_t> Crt(uint16_t bank, uint16_t load, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> file;
    for (const char c : std::string("C264 CARTRIDGE  ")) file.push_back(uint8_t(c));
    PutBigEndian(file, 0x40, 4);
    file.resize(0x40, 0);
    for (const char c : std::string("CHIP")) file.push_back(uint8_t(c));
    PutBigEndian(file, uint32_t(16 + data.size()), 4);
    PutBigEndian(file, 0, 2);  // ROM
    PutBigEndian(file, bank, 2);
    PutBigEndian(file, load, 2);
    PutBigEndian(file, uint32_t(data.size()), 2);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

}  // namespace

TEST(Cartridge, AnAutostartingCartridgeRunsAfterResetFromEitherBank) {
    RequireRoms();
    std::vector<uint8_t> both = AutostartChip(3);
    both.resize(2 * Chip, 0xEA);
    const struct {
        const char* Name;
        std::vector<uint8_t> Bytes;
        const char* Machine;
        int Status;
    } cases[] = {
        {"game.bin", AutostartChip(42), "c16", 42},
        {"game-c2lo.bin", AutostartChip(43), "plus4", 43},
        {"game32.bin", both, "c16", 3},
        {"game.crt", Crt(2, 0x8000, AutostartChip(44)), "plus4", 44},
        {"short.bin", std::vector<uint8_t>(1000), "c16", 1},
        {"bad.crt", std::vector<uint8_t>(Crt(7, 0x8000, AutostartChip(1))), "c16", 1},
    };
    TScratchDir dir;
    for (const auto& c : cases) {
        const auto file = dir.Write(c.Name, c.Bytes);
        const auto r = RunTool(std::string("--machine ") + c.Machine + " --cart " + file + " --timeout-frames 300");
        EXPECT_EQ(r.Status, c.Status) << c.Name << "\n" << r.Out;
    }
}

TEST(Cartridge, ASnapshotHoldsTheCartridge) {
    RequireRoms();
    TScratchDir dir;
    const auto cart = dir.Write("game.bin", AutostartChip(42));
    const auto state = dir / "state.vsn";
    ASSERT_EQ(RunTool("--cart " + cart + " --no-debug-register --frames 5 --save-snapshot " + state).Status, 0);
    // Restored without --cart: a hard reset finds the cartridge and starts it again.
    EXPECT_EQ(RunTool("--snapshot " + state + " --reset 1:hard --timeout-frames 300").Status, 42);
    // A snapshot without one leaves the machine without it.
    const auto plain = dir / "plain.vsn";
    ASSERT_EQ(RunTool("--frames 5 --save-snapshot " + plain).Status, 0);
    EXPECT_EQ(RunTool("--snapshot " + plain + " --reset 1:hard --timeout-frames 300").Status, 3);
}
