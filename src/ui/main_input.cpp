// The host keyboard into the machine's key state (through the queue that holds each key event
// for the keyboard scan), the window's focus, and the sound outputs with their pause while the
// window is inactive or a menu is open.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>

#include "ui/help_keys_window.h"
#include "ui/main_window.h"

bool TForm_Main::HandleKey(QKeyEvent* event, bool down) {
    if (!Machine || Machine->EmulationStopped || event->isAutoRepeat()) return false;
    // Keys pressed with Alt belong to the menus, never to the machine. Releases always pass,
    // so a key let go while Alt is held does not stay down.
    if (down && event->modifiers().testFlag(Qt::AltModifier)) return false;
    // While a port uses the keyboard joystick, its keys are the joystick's, not the machine's.
    if (KeyboardJoystickUsed()) {
        if (const uint8_t line = KeyboardJoystickLine(*event, ScanCodeKind)) {
            KeyQueue.Push({TKeyEventQueue::ToJoystick, line, down});
            return true;
        }
    }
    const uint8_t code = Set1FromKeyEvent(*event, ScanCodeKind);
    if (code == 0) return false;
    if (!SymbolicKeyboard) {
        KeyQueue.Push({TKeyEventQueue::ByPosition, code, down});
    } else {
        const QString text = event->text();
        const char32_t typed = down && text.size() == 1 ? char32_t(text.front().unicode()) : 0;
        KeyQueue.Push({TKeyEventQueue::ByCharacter, code, down, typed});
    }
    return true;
}

void TForm_Main::ApplyKeyEvent(const TKeyEventQueue::TEvent& key) {
    if (!Machine) return;
    switch (key.Route) {
        case TKeyEventQueue::ToJoystick:
            KeyJoystickLines = uint8_t(key.Down ? KeyJoystickLines | key.Code : KeyJoystickLines & ~key.Code);
            break;
        case TKeyEventQueue::ByPosition: Machine->Keyboard.SetKey(key.Code, key.Down); break;
        case TKeyEventQueue::ByCharacter:
            if (key.Down)
                SymbolicKeys.KeyDown(Machine->Keyboard, key.Code, key.Typed);
            else
                SymbolicKeys.KeyUp(Machine->Keyboard, key.Code);
            break;
    }
}

void TForm_Main::PasteClipboard() { PasteText(QApplication::clipboard()->text()); }

void TForm_Main::PasteText(const QString& text) {
    if (!Machine) return;
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lines.replace(QLatin1Char('\t'), QLatin1Char(' '));
    std::string typable;
    int leftOut = 0;
    for (const QChar c : lines) {
        const char latin = c.toLatin1();
        if (c.unicode() < 128 && TTypist::Untypable(std::string_view(&latin, 1)) == 0)
            typable += latin;
        else
            ++leftOut;
    }
    Typist.Type(typable, TTypist::TWay::Matrix, TTypist::TPace::Steady, Typist.FramesSeen());
    if (leftOut > 0)
        StatusMessage(QStringLiteral("%1 characters the keyboard cannot type were left out.").arg(leftOut).toUtf8().constData());
}

void TForm_Main::SetSymbolicKeyboard(bool on) {
    SymbolicKeyboard = on;
    // A key held now would be let go under the other mapping's rules.
    ReleaseHostKeys();
    if (Form_HelpKeys) Form_HelpKeys->ShowMapping();
}

void TForm_Main::ReleaseHostKeys() {
    if (Machine) Machine->Keyboard.ClearKeys();
    SymbolicKeys.Clear();
    KeyJoystickLines = 0;
    KeyQueue.Clear();
}

void TForm_Main::keyPressEvent(QKeyEvent* event) {
    // Without a window manager the window can hold the keyboard focus while Qt does not count
    // it as active (a closed dialog took the activation with it), and then no shortcut fires.
    // A key arriving here makes it the active window again; the key that did it runs its
    // shortcut directly.
    if (!isActiveWindow()) {
        QApplication::setActiveWindow(this);
        const QKeySequence pressed(QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
        for (QAction* item : actions()) {
            if (item->isEnabled() && item->shortcut() == pressed) {
                item->trigger();
                return;
            }
        }
    }
    if (!HandleKey(event, true)) QMainWindow::keyPressEvent(event);
}

void TForm_Main::keyReleaseEvent(QKeyEvent* event) {
    if (!HandleKey(event, false)) QMainWindow::keyReleaseEvent(event);
}

void TForm_Main::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange) {
        const bool active = isActiveWindow() && !isMinimized();
        // A key released while another window has the focus never reaches this one: every key
        // is let go when the focus leaves, so none stays held.
        if (!active) ReleaseHostKeys();
        if (active)
            ResumeSound();
        else
            PauseSound();
    }
    QMainWindow::changeEvent(event);
}

void TForm_Main::PauseSound() {
    if (SoundOutputKind == 2 && SoundDirectSound && Machine && !Machine->EmulationStopped) SoundDirectSound->Pause();
}

void TForm_Main::ResumeSound() {
    // Warp keeps the output quiet until it ends.
    if (SoundOutputKind == 2 && SoundDirectSound && Machine && !Machine->EmulationStopped && !Warp)
        SoundDirectSound->Resume();
}

void TForm_Main::WatchMenuLoop(QMenu* menu) {
    // The looping output stops while a menu is open and plays on from its cursors after.
    connect(menu, &QMenu::aboutToShow, this, &TForm_Main::PauseSound);
    // An open menu takes the keyboard: a key let go meanwhile never reaches this window, so
    // every key is let go as the menu opens, and none stays held (a SHIFT latched, say).
    connect(menu, &QMenu::aboutToShow, this, &TForm_Main::ReleaseHostKeys);
    connect(menu, &QMenu::aboutToHide, this, &TForm_Main::ResumeSound);
}

void TForm_Main::Menu_NosoundClick() {
    Menu_Nosound->setChecked(true);
    if (SoundOutputKind == 0) return;
    if (Machine) Machine->SetSoundSink(nullptr);
    SoundDirectSound.reset();
    SoundOutputKind = 0;
}

void TForm_Main::Menu_DirectSoundClick() {
    if (SoundOutputKind == 2 || !Machine) return;
    auto output = std::make_unique<TSoundDirectSound>(Machine->Ted);
    std::string error;
    if (!output->Open(error)) {
        output.reset();
        Machine->SetSoundSink(nullptr);
        SoundOutputKind = 0;
        // The mark stays where it was: the item can be chosen again to retry.
        Menu_Nosound->setChecked(true);
        ErrorBox(error.c_str());
        return;
    }
    SoundDirectSound = std::move(output);
    Machine->SetSoundSink(SoundDirectSound->Sink());
    SoundOutputKind = 2;
    Menu_DirectSound->setChecked(true);
    if (Warp) SoundDirectSound->Pause();
}
