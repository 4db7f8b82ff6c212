#pragma once
#include <array>
#include <cstdint>
#include <vector>

// The host keyboard as the machine's 8 x 8 matrix. Keys are positional: the host front-end
// stores each key by its set-1 make code (without the extended flag) in KeyDown.
class TKeyboard {
public:
    // The active-low column byte of select line `row` (0..7): bit k is 0 while a key of
    // column k on that line is held.
    uint8_t ReadKeyboardRow(int row);
    // The AND of the rows of every select line whose bit is 0 in `select`, as the TED latches
    // them ($FF with none), from one rebuild of the matrix.
    uint8_t ReadSelectedRows(uint8_t select);
    void ClearKeys();
    void SetKey(uint8_t scanCode, bool down) { KeyDown[scanCode] = down ? 0x7F : 0; }

    uint8_t KeyDown[256] = {};
    // Indexed by matrix position; 256 entries so that position 255 absorbs unmapped keys.
    uint8_t KeyMatrix[256] = {};

private:
    void RebuildMatrix();
    uint8_t RowOfMatrix(int row) const;
};

// Matrix position of a key: 8 * column + select line.
constexpr uint8_t MatrixPosition(int column, int line) {
    return static_cast<uint8_t>(8 * column + line);
}
constexpr uint8_t NoMatrixKey = 255;

// Scan code -> matrix position, NoMatrixKey for host keys the machine does not have.
extern const std::array<uint8_t, 256> ScanCodeToMatrix;

// Set-1 make codes of the host keys that type `c` on the machine, SHIFT first when needed.
// Empty when the machine's keyboard has no way to type it. Letters of either case type the plain
// letter key (upper case in BASIC); '\n' is RETURN.
std::vector<uint8_t> ScanCodesToType(char c);
