#include <SDL.h>

#include <QAction>
#include <QKeyEvent>

#include "e2e/joystick_program.h"
#include "gui/form_fixture.h"
#include "host/gamepads.h"
#include "media/prg_file.h"
#include "ui/help_keys_window.h"

// The joystick ports of the desktop: the keyboard joystick and SDL's game controllers, a virtual
// one standing in for a real controller, moving the ball program of the end-to-end tests.

namespace {

class JoystickTest : public FormFixture {
protected:
    // The real ROMs, booted, the ball program running.
    void StartBall() {
        Form = BootedForm();
        ASSERT_TRUE(AutoLoadReady(Form->Machine->Cpu.PC, Form->Machine->Cpu.Cycle));
        ASSERT_TRUE(Form->OpenDroppedFile(WriteFile("ball.prg", QByteArray(reinterpret_cast<const char*>(JoystickBallPrg.data()),
                                                                            int(JoystickBallPrg.size())))));
        Frames(20);
        ASSERT_EQ(Column(), 20);
        ASSERT_EQ(Row(), 12);
    }
    void Frames(int count) { RunFrames(*Form, count); }
    int Column() const { return Form->Machine->Memory.Ram()[0xD0]; }
    int Row() const { return Form->Machine->Memory.Ram()[0xD1]; }
    uint8_t BallCell() const { return Form->Machine->Memory.Ram()[0x0C00 + Row() * 40 + Column()]; }
    void Key(int key, bool down, quint32 nativeVirtualKey = 0) {
        QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, 0, nativeVirtualKey, 0);
        QApplication::sendEvent(Form.get(), &event);
    }

    std::unique_ptr<TForm_Main> Form;
};

constexpr quint32 RightControlKeysym = 0xFFE4;

}  // namespace

TEST_F(JoystickTest, TheKeyboardJoystickMovesTheBallAndItsKeysNoLongerReachTheMachine) {
    StartBall();
    Form->JoystickItems[0][TForm_Main::JoystickKeyboard]->trigger();
    Key(Qt::Key_Right, true);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[0x4D], 0);  // CRSR RIGHT stays up
    Frames(10);
    Key(Qt::Key_Right, false);
    EXPECT_NEAR(Column(), 25, 1);
    Key(Qt::Key_Control, true, RightControlKeysym);
    Frames(4);
    EXPECT_EQ(BallCell(), 0x2A);  // a star while fire is held
    Key(Qt::Key_Control, false, RightControlKeysym);
    Frames(4);
    EXPECT_EQ(BallCell(), 0x51);
    // The left Ctrl key is the machine's CTRL as ever.
    Key(Qt::Key_Control, true);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[0x1D], 0x7F);
    Key(Qt::Key_Control, false);

    // Back to None: the cursor keys are the machine's again and the ball stays.
    Form->JoystickItems[0][TForm_Main::JoystickNone]->trigger();
    const int column = Column();
    Key(Qt::Key_Right, true);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[0x4D], 0x7F);
    Frames(6);
    Key(Qt::Key_Right, false);
    EXPECT_EQ(Column(), column);
}

TEST_F(JoystickTest, AVirtualGameControllerPluggedInWhileRunningMovesTheBallOnPortTwo) {
    StartBall();
    Form->JoystickItems[1][TForm_Main::JoystickGamepad]->trigger();
    ASSERT_TRUE(Form->Gamepads.IsOpen()) << SDL_GetError();
    EXPECT_EQ(Form->StatusPanelText(0), "No controller found.");

    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.name = "test pad";
    const int device = SDL_JoystickAttachVirtualEx(&pad);
    ASSERT_GE(device, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(device);
    ASSERT_NE(joystick, nullptr);
    Frames(1);
    ASSERT_EQ(Form->Gamepads.Count(), 1);

    // The stick pushed up past a third of its travel, then the d-pad left with button A.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -20000);
    Frames(10);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, 0);
    EXPECT_NEAR(Row(), 7, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    Frames(8);
    EXPECT_NEAR(Column(), 16, 1);
    EXPECT_EQ(BallCell(), 0x2A);

    // Pulled out: the port lets go.
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(device);
    Frames(2);
    EXPECT_EQ(Form->Gamepads.Count(), 0);
    const int column = Column();
    Frames(6);
    EXPECT_EQ(Column(), column);
    EXPECT_EQ(BallCell(), 0x51);
    Form->JoystickItems[1][TForm_Main::JoystickNone]->trigger();
    EXPECT_FALSE(Form->Gamepads.IsOpen());
}

TEST_F(JoystickTest, TheKeyboardLayoutWindowNamesTheJoystickKeysOfThePortsUsingThem) {
    Form = MakeForm();
    Form->Form_HelpKeys->ShowMapping();
    EXPECT_FALSE(Form->Form_HelpKeys->Label_Mapping->text().contains("Joystick"));
    Form->JoystickItems[1][TForm_Main::JoystickKeyboard]->trigger();
    const QString text = Form->Form_HelpKeys->Label_Mapping->text();
    EXPECT_TRUE(text.contains("Joystick port 2: the cursor keys")) << text.toStdString();
    EXPECT_FALSE(text.contains("Joystick port 1"));
}

TEST(Gamepads, TheDpadOrTheStickPastAThirdGiveTheDirectionsAndButtonAFires) {
    TGamepadReading reading;
    EXPECT_EQ(GamepadLines(reading), 0);
    reading.StickX = TGamepads::StickThreshold;  // not past
    EXPECT_EQ(GamepadLines(reading), 0);
    reading.StickX = TGamepads::StickThreshold + 1;
    reading.StickY = -32768;
    EXPECT_EQ(GamepadLines(reading), TKeyboard::JoyRight | TKeyboard::JoyUp);
    reading = {};
    reading.Down = reading.Left = reading.ButtonA = true;
    EXPECT_EQ(GamepadLines(reading), TKeyboard::JoyDown | TKeyboard::JoyLeft | TKeyboard::JoyFire);
}
