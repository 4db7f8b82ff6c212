#pragma once
#include <cstdint>

// The host keyboard as the machine's 8 x 8 matrix. Keys are positional: the host front-end
// stores each key by its set-1 make code (without the extended flag) in KeyDown.
class TKeyboard {
public:
    // The active-low column byte of select line `row` (0..7).
    uint8_t ReadKeyboardRow(int row);
    void ClearKeys();
    void SetKey(uint8_t scanCode, bool down) { KeyDown[scanCode] = down ? 0x7F : 0; }

    uint8_t KeyDown[256] = {};
    uint8_t KeyMatrix[256] = {};
};

// Scan code -> matrix position 8 * column + select line, 255 for no key.
extern const uint8_t ScanCodeToMatrix[256];
