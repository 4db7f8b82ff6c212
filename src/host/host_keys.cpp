#include "host/host_keys.h"

#include "ted/keyboard.h"

#include <QKeyEvent>
#include <array>
#include <cstring>

namespace {

// Linux input event codes 1-88 are the set-1 make codes of the same keys, so only the codes
// above them need a table. Print Screen is left out: it sends no key-down of its own.
constexpr std::array<uint8_t, 128> BuildEvdevToSet1() {
    std::array<uint8_t, 128> table{};
    for (int code = 1; code <= 88; ++code) table[code] = uint8_t(code);
    table[84] = 0;     // unassigned
    table[85] = 0;     // Zenkaku/Hankaku
    table[89] = 0x73;  // RO
    table[96] = 0x1C;  // keypad Enter
    table[97] = 0x1D;  // right Ctrl
    table[98] = 0x35;  // keypad /
    table[100] = 0x38;  // right Alt
    table[102] = 0x47;  // Home
    table[103] = 0x48;  // Up
    table[104] = 0x49;  // Page Up
    table[105] = 0x4B;  // Left
    table[106] = 0x4D;  // Right
    table[107] = 0x4F;  // End
    table[108] = 0x50;  // Down
    table[109] = 0x51;  // Page Down
    table[110] = 0x52;  // Insert
    table[111] = 0x53;  // Delete
    table[117] = 0x59;  // keypad =
    table[121] = 0x7E;  // keypad ,
    table[125] = 0x5B;  // left Windows key
    table[126] = 0x5C;  // right Windows key
    table[127] = 0x5D;  // Menu
    return table;
}
constexpr std::array<uint8_t, 128> EvdevToSet1 = BuildEvdevToSet1();

uint8_t Set1FromKeypadKey(int key) {
    switch (key) {
        case Qt::Key_0: case Qt::Key_Insert: return 0x52;
        case Qt::Key_1: case Qt::Key_End: return 0x4F;
        case Qt::Key_2: case Qt::Key_Down: return 0x50;
        case Qt::Key_3: case Qt::Key_PageDown: return 0x51;
        case Qt::Key_4: case Qt::Key_Left: return 0x4B;
        case Qt::Key_5: case Qt::Key_Clear: return 0x4C;
        case Qt::Key_6: case Qt::Key_Right: return 0x4D;
        case Qt::Key_7: case Qt::Key_Home: return 0x47;
        case Qt::Key_8: case Qt::Key_Up: return 0x48;
        case Qt::Key_9: case Qt::Key_PageUp: return 0x49;
        case Qt::Key_Period: case Qt::Key_Comma: case Qt::Key_Delete: return 0x53;
        case Qt::Key_Asterisk: return 0x37;
        case Qt::Key_Plus: return 0x4E;
        case Qt::Key_Minus: return 0x4A;
        case Qt::Key_Slash: return 0x35;
        case Qt::Key_Enter: case Qt::Key_Return: return 0x1C;
        default: return 0;
    }
}

}  // namespace

uint8_t Set1FromXkbKeycode(uint32_t keycode) {
    if (keycode < 8 || keycode - 8 >= EvdevToSet1.size()) return 0;
    return EvdevToSet1[keycode - 8];
}

uint8_t Set1FromQtKey(int key, bool keypad) {
    if (keypad) {
        if (const uint8_t code = Set1FromKeypadKey(key)) return code;
    }
    // Letters by their row on the keyboard.
    static constexpr uint8_t Letters[26] = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,  // A-M
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,  // N-Z
    };
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return Letters[key - Qt::Key_A];
    if (key >= Qt::Key_1 && key <= Qt::Key_9) return uint8_t(0x02 + (key - Qt::Key_1));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F10) return uint8_t(0x3B + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_0: case Qt::Key_ParenRight: return 0x0B;
        case Qt::Key_Exclam: return 0x02;
        case Qt::Key_At: return 0x03;
        case Qt::Key_NumberSign: return 0x04;
        case Qt::Key_Dollar: return 0x05;
        case Qt::Key_Percent: return 0x06;
        case Qt::Key_AsciiCircum: return 0x07;
        case Qt::Key_Ampersand: return 0x08;
        case Qt::Key_Asterisk: return 0x09;
        case Qt::Key_ParenLeft: return 0x0A;
        case Qt::Key_Minus: case Qt::Key_Underscore: return 0x0C;
        case Qt::Key_Equal: case Qt::Key_Plus: return 0x0D;
        case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 0x1A;
        case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 0x1B;
        case Qt::Key_Backslash: case Qt::Key_Bar: return 0x2B;
        case Qt::Key_Semicolon: case Qt::Key_Colon: return 0x27;
        case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 0x28;
        case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 0x29;
        case Qt::Key_Comma: case Qt::Key_Less: return 0x33;
        case Qt::Key_Period: case Qt::Key_Greater: return 0x34;
        case Qt::Key_Slash: case Qt::Key_Question: return 0x35;
        case Qt::Key_Escape: return 0x01;
        case Qt::Key_Backspace: return 0x0E;
        case Qt::Key_Tab: case Qt::Key_Backtab: return 0x0F;
        case Qt::Key_Return: case Qt::Key_Enter: return 0x1C;
        case Qt::Key_Control: return 0x1D;
        case Qt::Key_Shift: return 0x2A;
        case Qt::Key_Alt: return 0x38;
        case Qt::Key_Space: return 0x39;
        case Qt::Key_CapsLock: return 0x3A;
        case Qt::Key_F11: return 0x57;
        case Qt::Key_F12: return 0x58;
        case Qt::Key_Home: return 0x47;
        case Qt::Key_Up: return 0x48;
        case Qt::Key_PageUp: return 0x49;
        case Qt::Key_Left: return 0x4B;
        case Qt::Key_Right: return 0x4D;
        case Qt::Key_End: return 0x4F;
        case Qt::Key_Down: return 0x50;
        case Qt::Key_PageDown: return 0x51;
        case Qt::Key_Insert: return 0x52;
        case Qt::Key_Delete: return 0x53;
        default: return 0;
    }
}

TScanCodeKind ScanCodeKindOf(const char* platformName) {
    if (std::strcmp(platformName, "xcb") == 0 || std::strncmp(platformName, "wayland", 7) == 0)
        return TScanCodeKind::Xkb;
    // Windows delivers the set-1 code itself, with the extended flag in bit 8.
    if (std::strcmp(platformName, "windows") == 0) return TScanCodeKind::Set1;
    return TScanCodeKind::None;
}

namespace {

// The right Ctrl key is told from the left one by the native code: X's keycode 105 (input
// event 97), the extended set-1 code $11D on Windows; a platform without native codes (tests)
// may name X's Control_R keysym.
bool IsRightControl(const QKeyEvent& event, TScanCodeKind kind) {
    if (event.key() != Qt::Key_Control) return false;
    switch (kind) {
        case TScanCodeKind::Xkb: return event.nativeScanCode() == 97 + 8;
        case TScanCodeKind::Set1: return event.nativeScanCode() == 0x11D;
        case TScanCodeKind::None: return event.nativeVirtualKey() == 0xFFE4;
    }
    return false;
}

}  // namespace

uint8_t KeyboardJoystickLine(const QKeyEvent& event, TScanCodeKind kind) {
    if (IsRightControl(event, kind)) return TKeyboard::JoyFire;
    switch (Set1FromKeyEvent(event, kind)) {
        case 0x48: return TKeyboard::JoyUp;
        case 0x50: return TKeyboard::JoyDown;
        case 0x4B: return TKeyboard::JoyLeft;
        case 0x4D: return TKeyboard::JoyRight;
        default: return 0;
    }
}

uint8_t Set1FromKeyEvent(const QKeyEvent& event, TScanCodeKind kind) {
    const quint32 native = event.nativeScanCode();
    if (native != 0) {
        if (kind == TScanCodeKind::Xkb) return Set1FromXkbKeycode(native);
        if (kind == TScanCodeKind::Set1) return uint8_t(native & 0xFF);
    }
    return Set1FromQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}
