#pragma once
#include <cstdint>

class QKeyEvent;

// The machine's keyboard is positional: every host key is stored by its set-1 make code without
// the extended flag (Home and keypad 7 share 47), the code ScanCodeToMatrix is indexed by.
// 0 stands for a key that has no code.

// X11 and Wayland deliver the X keycode: the Linux input event code plus 8.
uint8_t Set1FromXkbKeycode(uint32_t keycode);

// For platforms without a scan code (the offscreen test platform, unknown ones): the code of
// the key that produces `key` on a US layout. `keypad` chooses the keypad twin of * + - . / and
// the digits.
uint8_t Set1FromQtKey(int key, bool keypad);

// Which kind of native scan code the running Qt platform delivers.
enum class TScanCodeKind { Xkb, Set1, None };
TScanCodeKind ScanCodeKindOf(const char* platformName);

// The set-1 code of a key event: from the native scan code where the platform gives one, else
// from the Qt key.
uint8_t Set1FromKeyEvent(const QKeyEvent& event, TScanCodeKind kind);

// The keyboard joystick: the cursor keys (and the keypad's 8, 2, 4 and 6, which are the same keys
// to the machine) for the directions and the right Ctrl key for fire. The switch a key event
// stands for (TKeyboard::TJoystickLine bit), 0 for any other key.
uint8_t KeyboardJoystickLine(const QKeyEvent& event, TScanCodeKind kind);
