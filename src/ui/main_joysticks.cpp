// The two joystick ports: each is driven by nothing, by the keyboard joystick (cursor keys and
// the right Ctrl key) or by a game controller; the switches reach the machine before every frame.
#include <QAction>

#include "ui/help_keys_window.h"
#include "ui/main_window.h"

void TForm_Main::SetJoystickMode(int port, int32_t mode) {
    if (port < 1 || port > 2 || mode < JoystickNone || mode > JoystickGamepad) return;
    if (mode == JoystickGamepad && !Gamepads.Open()) {
        ErrorBox("Game controllers cannot be used on this system.");
        mode = JoystickNone;
    }
    JoystickMode[port - 1] = mode;
    JoystickItems[port - 1][mode]->setChecked(true);
    // The keys held so far were the machine's or the joystick's under the old choice.
    ReleaseHostKeys();
    if (mode == JoystickGamepad) {
        Gamepads.Poll();
        // Short enough for the status bar's first panel.
        if (Gamepads.Count() == 0) StatusMessage("No controller found.");
    }
    if (JoystickMode[0] != JoystickGamepad && JoystickMode[1] != JoystickGamepad) Gamepads.Close();
    UpdateJoysticks();
    if (Form_HelpKeys) Form_HelpKeys->ShowMapping();
}

bool TForm_Main::KeyboardJoystickUsed() const {
    return JoystickMode[0] == JoystickKeyboard || JoystickMode[1] == JoystickKeyboard;
}

void TForm_Main::UpdateJoysticks() {
    if (!Machine) return;
    if (Gamepads.IsOpen()) Gamepads.Poll();
    // The ports on Gamepad take the controllers in the order they were plugged in: port 2
    // takes the first one when port 1 has none.
    int nextController = 0;
    for (int port = 1; port <= 2; ++port) {
        uint8_t lines = 0;
        switch (JoystickMode[port - 1]) {
            case JoystickKeyboard: lines = KeyJoystickLines; break;
            case JoystickGamepad: lines = Gamepads.Lines(nextController++); break;
            default: break;
        }
        Machine->Keyboard.SetJoystick(port, lines);
    }
}
