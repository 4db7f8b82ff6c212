#pragma once
#include <array>
#include <cstdint>
#include <vector>

class TStateReader;
class TStateWriter;

// The host keyboard as the machine's 8 x 8 matrix, and the two joysticks that share its latch.
// Keys are positional: the host front-end stores each key by its set-1 make code (without the
// extended flag) in KeyDown.
class TKeyboard {
public:
    // The active-low column byte of select line `row` (0..7): bit k is 0 while a key of
    // column k on that line is held.
    uint8_t ReadKeyboardRow(int row);
    // The AND of the rows of every select line whose bit is 0 in `select`, as the TED latches
    // them ($FF with none), from one rebuild of the matrix.
    uint8_t ReadSelectedRows(uint8_t select);
    // Lets go of every key and both joysticks.
    void ClearKeys();
    void SetKey(uint8_t scanCode, bool down) { KeyDown[scanCode] = down ? 0x7F : 0; }

    // The two joysticks share the keyboard latch. The value written to $FF08 drives their select
    // lines: bit 2 low selects port 1, bit 1 low port 2. A selected joystick pulls the latched
    // columns low where its switches are closed: bit 0 up, bit 1 down, bit 2 left, bit 3 right,
    // and fire on bit 6 (port 1) or bit 7 (port 2). The latch is that ANDed with the keyboard
    // lines selected at $FD30.
    enum TJoystickLine : uint8_t { JoyUp = 1, JoyDown = 2, JoyLeft = 4, JoyRight = 8, JoyFire = 16 };
    // Port 1 or 2; `lines` holds the closed switches (TJoystickLine bits), active high.
    void SetJoystick(int port, uint8_t lines) { Joystick[port == 2] = lines & 0x1F; }
    // The active-low column byte both joysticks give for the value written to $FF08.
    uint8_t ReadJoysticks(uint8_t selectValue) const;

    // Snapshots (keyboard_state.cpp): the keys and joystick switches held.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

    uint8_t KeyDown[256] = {};
    uint8_t Joystick[2] = {};  // ports 1 and 2, TJoystickLine bits
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
