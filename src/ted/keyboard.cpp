#include "ted/keyboard.h"

#include <cstring>

namespace {

struct TKeyMapping {
    uint8_t ScanCode;
    uint8_t Position;
};

constexpr uint8_t P(int column, int line) { return MatrixPosition(column, line); }

// Host key (set-1 make code) -> machine key, by select line. Extended keys share the make code
// of their keypad twin; their codes with bit 7 set are mapped as well.
constexpr TKeyMapping KeyMappings[] = {
    // Line 0
    {0x0E, P(0, 0)},  // INST/DEL: Backspace
    {0x1C, P(1, 0)},  // RETURN: Enter
    {0x9C, P(1, 0)},
    {0x53, P(2, 0)},  // pound: Delete / keypad .
    {0x3E, P(3, 0)},  // HELP: F4
    {0x3B, P(4, 0)},  // F1
    {0x3C, P(5, 0)},  // F2
    {0x3D, P(6, 0)},  // F3
    {0x0C, P(7, 0)},  // @: -
    // Line 1
    {0x04, P(0, 1)},  // 3
    {0x11, P(1, 1)},  // W
    {0x1E, P(2, 1)},  // A
    {0x05, P(3, 1)},  // 4
    {0x2C, P(4, 1)},  // Z
    {0x1F, P(5, 1)},  // S
    {0x12, P(6, 1)},  // E
    {0x2A, P(7, 1)},  // SHIFT: left Shift
    {0x36, P(7, 1)},  // SHIFT: right Shift
    // Line 2
    {0x06, P(0, 2)},  // 5
    {0x13, P(1, 2)},  // R
    {0x20, P(2, 2)},  // D
    {0x07, P(3, 2)},  // 6
    {0x2E, P(4, 2)},  // C
    {0x21, P(5, 2)},  // F
    {0x14, P(6, 2)},  // T
    {0x2D, P(7, 2)},  // X
    // Line 3
    {0x08, P(0, 3)},  // 7
    {0x15, P(1, 3)},  // Y
    {0x22, P(2, 3)},  // G
    {0x09, P(3, 3)},  // 8
    {0x30, P(4, 3)},  // B
    {0x23, P(5, 3)},  // H
    {0x16, P(6, 3)},  // U
    {0x2F, P(7, 3)},  // V
    // Line 4
    {0x0A, P(0, 4)},  // 9
    {0x17, P(1, 4)},  // I
    {0x24, P(2, 4)},  // J
    {0x0B, P(3, 4)},  // 0
    {0x32, P(4, 4)},  // M
    {0x25, P(5, 4)},  // K
    {0x18, P(6, 4)},  // O
    {0x31, P(7, 4)},  // N
    // Line 5
    {0x50, P(0, 5)},  // CRSR DOWN: Down / keypad 2
    {0xD0, P(0, 5)},
    {0x19, P(1, 5)},  // P
    {0x26, P(2, 5)},  // L
    {0x48, P(3, 5)},  // CRSR UP: Up / keypad 8
    {0xC8, P(3, 5)},
    {0x34, P(4, 5)},  // .
    {0x27, P(5, 5)},  // colon: ;
    {0x1B, P(6, 5)},  // -: ]
    {0x4A, P(6, 5)},  // -: keypad -
    {0x33, P(7, 5)},  // ,
    // Line 6
    {0x4B, P(0, 6)},  // CRSR LEFT: Left / keypad 4
    {0xCB, P(0, 6)},
    {0x2B, P(1, 6)},  // *: backslash
    {0x37, P(1, 6)},  // *: keypad *
    {0x28, P(2, 6)},  // semicolon: '
    {0x4D, P(3, 6)},  // CRSR RIGHT: Right / keypad 6
    {0xCD, P(3, 6)},
    {0x01, P(4, 6)},  // ESC
    {0x0D, P(5, 6)},  // =
    {0x1A, P(6, 6)},  // +: [
    {0x4E, P(6, 6)},  // +: keypad +
    {0x35, P(7, 6)},  // /
    {0xB5, P(7, 6)},
    // Line 7
    {0x02, P(0, 7)},  // 1
    {0x47, P(1, 7)},  // CLEAR/HOME: Home / keypad 7
    {0xC7, P(1, 7)},
    {0x1D, P(2, 7)},  // CTRL
    {0x03, P(3, 7)},  // 2
    {0x39, P(4, 7)},  // SPACE
    {0x52, P(4, 7)},  // SPACE: Insert / keypad 0
    {0x4F, P(5, 7)},  // C=: End / keypad 1
    {0x10, P(6, 7)},  // Q
    {0x29, P(7, 7)},  // RUN/STOP: backquote
};

constexpr std::array<uint8_t, 256> BuildScanCodeTable() {
    std::array<uint8_t, 256> table{};
    for (auto& entry : table) entry = NoMatrixKey;
    for (const TKeyMapping& mapping : KeyMappings) table[mapping.ScanCode] = mapping.Position;
    return table;
}

constexpr uint8_t ScanLeftShift = 0x2A;

// Scan codes of the letter keys A..Z and the digit keys 0..9.
constexpr uint8_t LetterScanCodes[26] = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};
constexpr uint8_t DigitScanCodes[10] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};

struct TTypedCharacter {
    char Character;
    bool Shift;
    uint8_t ScanCode;  // the host key that carries the machine key
};

// Punctuation as printed on the machine's keys.
constexpr TTypedCharacter Punctuation[] = {
    {' ', false, 0x39},  {'\n', false, 0x1C}, {'*', false, 0x2B}, {':', false, 0x27},
    {'+', false, 0x1A},  {'=', false, 0x0D},  {',', false, 0x33}, {'.', false, 0x34},
    {'/', false, 0x35},  {';', false, 0x28},  {'@', false, 0x0C}, {'-', false, 0x1B},
    {'!', true, 0x02},   {'"', true, 0x03},   {'#', true, 0x04},  {'$', true, 0x05},
    {'%', true, 0x06},   {'&', true, 0x07},   {'\'', true, 0x08}, {'(', true, 0x09},
    {')', true, 0x0A},   {'<', true, 0x33},   {'>', true, 0x34},  {'?', true, 0x35},
    {'[', true, 0x27},   {']', true, 0x28},
};

}  // namespace

const std::array<uint8_t, 256> ScanCodeToMatrix = BuildScanCodeTable();

// Rebuilt from the key state on every read, so a key counts as long as any host key that maps
// to it is held (both Shift keys, Home and keypad 7). Mostly no key is down: eight at a time.
void TKeyboard::RebuildMatrix() {
    std::memset(KeyMatrix, 0, sizeof KeyMatrix);
    for (int s = 0; s < 256; s += 8) {
        uint64_t eight;
        std::memcpy(&eight, KeyDown + s, 8);
        if (eight == 0) continue;
        for (int i = s; i < s + 8; ++i)
            if (KeyDown[i] != 0) KeyMatrix[ScanCodeToMatrix[i]] = 0x80;
    }
}

uint8_t TKeyboard::RowOfMatrix(int row) const {
    uint8_t result = 0;
    for (int k = 0; k < 8; ++k)
        if (KeyMatrix[8 * k + (row & 7)] == 0) result |= static_cast<uint8_t>(1 << k);
    return result;
}

uint8_t TKeyboard::ReadKeyboardRow(int row) {
    RebuildMatrix();
    return RowOfMatrix(row);
}

uint8_t TKeyboard::ReadSelectedRows(uint8_t select) {
    if (select == 0xFF) return 0xFF;
    RebuildMatrix();
    uint8_t latch = 0xFF;
    for (int line = 0; line < 8; ++line)
        if (!(select & (1 << line))) latch &= RowOfMatrix(line);
    return latch;
}

uint8_t TKeyboard::ReadJoysticks(uint8_t selectValue) const {
    uint8_t columns = 0xFF;
    for (int port = 0; port < 2; ++port) {
        const uint8_t selectBit = port == 0 ? 0x04 : 0x02;
        if (selectValue & selectBit) continue;
        const uint8_t lines = Joystick[port];
        const uint8_t fire = (lines & JoyFire) ? (port == 0 ? 0x40 : 0x80) : 0;
        columns &= uint8_t(~((lines & 0x0F) | fire));
    }
    return columns;
}

void TKeyboard::ClearKeys() {
    std::memset(KeyDown, 0, sizeof KeyDown);
    std::memset(Joystick, 0, sizeof Joystick);
    std::memset(KeyMatrix, 0, sizeof KeyMatrix);
}

std::vector<uint8_t> ScanCodesToType(char c) {
    if (c >= 'a' && c <= 'z') return {LetterScanCodes[c - 'a']};
    if (c >= 'A' && c <= 'Z') return {LetterScanCodes[c - 'A']};
    if (c >= '0' && c <= '9') return {DigitScanCodes[c - '0']};
    for (const TTypedCharacter& typed : Punctuation) {
        if (typed.Character != c) continue;
        if (typed.Shift) return {ScanLeftShift, typed.ScanCode};
        return {typed.ScanCode};
    }
    return {};
}
