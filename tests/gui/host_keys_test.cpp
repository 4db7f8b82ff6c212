#include <gtest/gtest.h>

#include <QKeyEvent>

#include "host/host_keys.h"
#include "ted/keyboard.h"

namespace {
constexpr uint32_t Xkb(uint32_t evdev) { return evdev + 8; }
}  // namespace

TEST(HostKeys, XkbKeycodesOfTheMainBlockAreTheirSet1Codes) {
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(1)), 0x01);   // Esc
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(14)), 0x0E);  // Backspace
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(30)), 0x1E);  // A
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(41)), 0x29);  // backquote: RUN/STOP
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(42)), 0x2A);  // left Shift
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(54)), 0x36);  // right Shift
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(57)), 0x39);  // Space
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(59)), 0x3B);  // F1
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(62)), 0x3E);  // F4: HELP
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(88)), 0x58);  // F12
}

TEST(HostKeys, ExtendedKeysShareTheCodeOfTheirKeypadTwin) {
    struct TPair { uint32_t Extended, Keypad; uint8_t Code; };
    const TPair pairs[] = {
        {102, 71, 0x47},  // Home, keypad 7
        {103, 72, 0x48},  // Up, keypad 8
        {105, 75, 0x4B},  // Left, keypad 4
        {106, 77, 0x4D},  // Right, keypad 6
        {107, 79, 0x4F},  // End, keypad 1
        {108, 80, 0x50},  // Down, keypad 2
        {110, 82, 0x52},  // Insert, keypad 0
        {111, 83, 0x53},  // Delete, keypad .
        {96, 28, 0x1C},   // keypad Enter, Return
        {98, 53, 0x35},   // keypad /, /
        {97, 29, 0x1D},   // right Ctrl, left Ctrl
    };
    for (const TPair& pair : pairs) {
        EXPECT_EQ(Set1FromXkbKeycode(Xkb(pair.Extended)), pair.Code) << pair.Extended;
        EXPECT_EQ(Set1FromXkbKeycode(Xkb(pair.Keypad)), pair.Code) << pair.Keypad;
    }
}

TEST(HostKeys, KeycodesWithoutASet1CodeGiveZero) {
    EXPECT_EQ(Set1FromXkbKeycode(0), 0);
    EXPECT_EQ(Set1FromXkbKeycode(7), 0);         // below the evdev offset
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(84)), 0);   // unassigned
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(99)), 0);   // Print Screen
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(119)), 0);  // Pause
    EXPECT_EQ(Set1FromXkbKeycode(Xkb(200)), 0);  // media keys
    EXPECT_EQ(Set1FromXkbKeycode(0xFFFFFFFFu), 0);
}

TEST(HostKeys, QtKeysMapToTheUsLayoutPosition) {
    EXPECT_EQ(Set1FromQtKey(Qt::Key_A, false), 0x1E);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Q, false), 0x10);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Z, false), 0x2C);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_M, false), 0x32);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_1, false), 0x02);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_9, false), 0x0A);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_0, false), 0x0B);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_F1, false), 0x3B);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_F4, false), 0x3E);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Return, false), 0x1C);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_QuoteLeft, false), 0x29);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Home, false), 0x47);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Delete, false), 0x53);
    // Shifted symbols come from the key that carries them.
    EXPECT_EQ(Set1FromQtKey(Qt::Key_QuoteDbl, false), 0x28);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Exclam, false), 0x02);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Plus, false), 0x0D);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_unknown, false), 0);
}

TEST(HostKeys, KeypadModifierSelectsTheKeypadKey) {
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Plus, true), 0x4E);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Minus, true), 0x4A);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Asterisk, true), 0x37);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_7, true), 0x47);
    EXPECT_EQ(Set1FromQtKey(Qt::Key_Enter, true), 0x1C);
    // A keypad flag on a key the keypad lacks falls back to the main block.
    EXPECT_EQ(Set1FromQtKey(Qt::Key_A, true), 0x1E);
}

TEST(HostKeys, PlatformsChooseTheirScanCodeKind) {
    EXPECT_EQ(ScanCodeKindOf("xcb"), TScanCodeKind::Xkb);
    EXPECT_EQ(ScanCodeKindOf("wayland"), TScanCodeKind::Xkb);
    EXPECT_EQ(ScanCodeKindOf("wayland-egl"), TScanCodeKind::Xkb);
    EXPECT_EQ(ScanCodeKindOf("windows"), TScanCodeKind::Set1);
    EXPECT_EQ(ScanCodeKindOf("offscreen"), TScanCodeKind::None);
    EXPECT_EQ(ScanCodeKindOf(""), TScanCodeKind::None);
}

TEST(HostKeys, KeyEventsPreferTheNativeScanCode) {
    // X keycode 38 is A; the event's Qt key says Q, as on an AZERTY layout: position wins.
    const QKeyEvent xkb(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 38, 0, 0);
    EXPECT_EQ(Set1FromKeyEvent(xkb, TScanCodeKind::Xkb), 0x1E);
    // Windows: extended Up (0x148) is the same key as keypad 8.
    const QKeyEvent windows(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, 0x148, 0, 0);
    EXPECT_EQ(Set1FromKeyEvent(windows, TScanCodeKind::Set1), 0x48);
    // No native code: the Qt key decides.
    const QKeyEvent none(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 0, 0, 0);
    EXPECT_EQ(Set1FromKeyEvent(none, TScanCodeKind::Xkb), 0x10);
    const QKeyEvent offscreen(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 38, 0, 0);
    EXPECT_EQ(Set1FromKeyEvent(offscreen, TScanCodeKind::None), 0x10);
}

TEST(HostKeys, TheKeyboardJoystickIsTheCursorKeysWithTheRightCtrlKeyForFire) {
    auto line = [](int key, Qt::KeyboardModifiers modifiers, quint32 native, TScanCodeKind kind, quint32 keysym = 0) {
        return KeyboardJoystickLine(QKeyEvent(QEvent::KeyPress, key, modifiers, native, keysym, 0), kind);
    };
    EXPECT_EQ(line(Qt::Key_Up, Qt::NoModifier, Xkb(103), TScanCodeKind::Xkb), TKeyboard::JoyUp);
    EXPECT_EQ(line(Qt::Key_8, Qt::KeypadModifier, Xkb(72), TScanCodeKind::Xkb), TKeyboard::JoyUp);
    EXPECT_EQ(line(Qt::Key_Left, Qt::NoModifier, 0, TScanCodeKind::None), TKeyboard::JoyLeft);
    EXPECT_EQ(line(Qt::Key_Down, Qt::NoModifier, 0, TScanCodeKind::None), TKeyboard::JoyDown);
    EXPECT_EQ(line(Qt::Key_Right, Qt::NoModifier, 0, TScanCodeKind::None), TKeyboard::JoyRight);
    EXPECT_EQ(line(Qt::Key_Control, Qt::NoModifier, Xkb(97), TScanCodeKind::Xkb), TKeyboard::JoyFire);
    EXPECT_EQ(line(Qt::Key_Control, Qt::NoModifier, Xkb(29), TScanCodeKind::Xkb), 0);  // the left one
    EXPECT_EQ(line(Qt::Key_Control, Qt::NoModifier, 0x11D, TScanCodeKind::Set1), TKeyboard::JoyFire);
    EXPECT_EQ(line(Qt::Key_Control, Qt::NoModifier, 0x1D, TScanCodeKind::Set1), 0);
    EXPECT_EQ(line(Qt::Key_Space, Qt::NoModifier, Xkb(57), TScanCodeKind::Xkb), 0);
}
