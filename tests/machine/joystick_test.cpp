#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "machine/machine.h"

// Joysticks as a game reads them: through the keyboard latch, in the ROM-less machine.

namespace {

// $0400: LDA #sel; STA $FD30; then for each of $FA (port 1), $FD (port 2), $F9 (both) and $FF
// (neither): STA $FF08, LDA $FF08, STA $10+n; then JMP to itself at $0429.
const std::vector<uint8_t> ReadPorts(uint8_t keyboardSelect) {
    std::vector<uint8_t> program = {0xA9, keyboardSelect, 0x8D, 0x30, 0xFD};
    uint8_t target = 0x10;
    for (uint8_t select : {0xFA, 0xFD, 0xF9, 0xFF}) {
        const std::vector<uint8_t> read = {0xA9, select, 0x8D, 0x08, 0xFF, 0xAD, 0x08, 0xFF, 0x85, target++};
        program.insert(program.end(), read.begin(), read.end());
    }
    program.insert(program.end(), {0x4C, 0x2D, 0x04});
    return program;
}
constexpr uint16_t ProgramEnd = 0x042D;

struct JoystickTest : ::testing::Test {
    // The four latched values: port 1, port 2, both, neither.
    std::vector<uint8_t> Run(uint8_t keyboardSelect = 0xFF) {
        const std::vector<uint8_t> program = ReadPorts(keyboardSelect);
        std::copy(program.begin(), program.end(), machine->Memory.Ram() + 0x0400);
        machine->Cpu.PC = 0x0400;
        machine->Cpu.Cycle = 1;
        for (int i = 0; i < 100 && machine->Cpu.PC != ProgramEnd; ++i) machine->StepInstruction();
        EXPECT_EQ(machine->Cpu.PC, ProgramEnd);
        const uint8_t* ram = machine->Memory.Ram();
        return {ram[0x10], ram[0x11], ram[0x12], ram[0x13]};
    }

    TNullHost host;
    std::unique_ptr<TMachine> machine = [this] {
        auto m = std::make_unique<TMachine>(host, "/nonexistent/");
        m->PowerUp(MachineCustom);
        m->Memory.Write(0xFF3F, 0);
        return m;
    }();
};

}  // namespace

TEST_F(JoystickTest, EachSwitchPullsItsColumnLowOnlyWhileItsPortIsSelected) {
    struct TCase {
        int Port;
        uint8_t Lines;
        uint8_t Column;  // the latched bit that goes low
    };
    const TCase cases[] = {
        {1, TKeyboard::JoyUp, 0x01},    {1, TKeyboard::JoyDown, 0x02}, {1, TKeyboard::JoyLeft, 0x04},
        {1, TKeyboard::JoyRight, 0x08}, {1, TKeyboard::JoyFire, 0x40}, {2, TKeyboard::JoyUp, 0x01},
        {2, TKeyboard::JoyRight, 0x08}, {2, TKeyboard::JoyFire, 0x80},
    };
    for (const TCase& c : cases) {
        machine->Keyboard.SetJoystick(c.Port, c.Lines);
        const uint8_t pulled = uint8_t(0xFF & ~c.Column);
        const std::vector<uint8_t> expected = c.Port == 1 ? std::vector<uint8_t>{pulled, 0xFF, pulled, 0xFF}
                                                          : std::vector<uint8_t>{0xFF, pulled, pulled, 0xFF};
        EXPECT_EQ(Run(), expected) << "port " << c.Port << " lines " << int(c.Lines);
        machine->Keyboard.SetJoystick(c.Port, 0);
    }
}

TEST_F(JoystickTest, BothPortsSelectedTogetherAndKeysOnASelectedLineCombine) {
    machine->Keyboard.SetJoystick(1, TKeyboard::JoyUp | TKeyboard::JoyFire);
    machine->Keyboard.SetJoystick(2, TKeyboard::JoyLeft | TKeyboard::JoyFire);
    EXPECT_EQ(Run(), (std::vector<uint8_t>{0xBE, 0x7B, 0x3A, 0xFF}));
    // A: column 2 on line 1. With line 1 selected at $FD30 it shows in every read, ANDed in.
    machine->Keyboard.SetJoystick(2, 0);
    machine->Keyboard.SetKey(0x1E, true);
    EXPECT_EQ(Run(0xFD), (std::vector<uint8_t>{0xBA, 0xFB, 0xBA, 0xFB}));
}

TEST_F(JoystickTest, LettingGoOfTheKeysLetsGoOfBothJoysticks) {
    machine->Keyboard.SetJoystick(1, 0x1F);
    machine->Keyboard.SetJoystick(2, 0xFF);  // bits above fire are no switches
    EXPECT_EQ(machine->Keyboard.Joystick[1], 0x1F);
    machine->Keyboard.ClearKeys();
    EXPECT_EQ(Run(), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}
