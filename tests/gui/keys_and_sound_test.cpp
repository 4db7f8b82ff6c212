#include <algorithm>
#include <vector>

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "gui/form_fixture.h"
#include "media/prg_file.h"
#include "ted/sound_synth.h"

namespace {

class KeysAndSoundTest : public FormFixture {
protected:
    void Press(TForm_Main& form, int key, QEvent::Type type = QEvent::KeyPress) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QApplication::sendEvent(&form, &event);
    }
};

// The environment variable for the length of one test, then back as it was.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const QByteArray& value) : Name(name), Previous(qgetenv(name)), HadValue(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~TScopedEnv() {
        if (HadValue) qputenv(Name, Previous);
        else qunsetenv(Name);
    }

private:
    const char* Name;
    QByteArray Previous;
    bool HadValue;
};

}  // namespace

TEST_F(KeysAndSoundTest, LosingTheFocusLetsGoOfEveryHeldKey) {
    auto form = MakeForm();
    Press(*form, Qt::Key_A);
    Press(*form, Qt::Key_Shift);
    ASSERT_EQ(form->Machine->Keyboard.KeyDown[0x1E], 0x7F);
    ASSERT_TRUE(form->isActiveWindow());  // a key makes the window the active one
    ASSERT_EQ(form->KeyQueue.Waiting(), 1u);  // Shift waits for A's two frames
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(form->Machine->Keyboard.KeyDown[0x1E], 0);
    // The waiting Shift is dropped with the held keys, not pressed by a later frame.
    EXPECT_TRUE(form->KeyQueue.Idle());
    form->KeyQueue.FrameEnded();
    form->KeyQueue.FrameEnded();
    EXPECT_EQ(form->Machine->Keyboard.KeyDown[0x2A], 0);
}

TEST_F(KeysAndSoundTest, KeysLetGoWhileAMenuIsOpenLeaveNoMachineKeyHeld) {
    auto form = MakeForm();
    form->show();
    for (QAction* top : form->menuBar()->actions()) {
        Press(*form, Qt::Key_2);
        Press(*form, Qt::Key_Shift);  // waits in the queue behind the 2
        QMenu* menu = top->menu();
        menu->popup(form->mapToGlobal(QPoint(0, 0)));
        // The releases and the browsing keys reach the open menu, not the window.
        for (const auto& [key, type] : {std::pair{Qt::Key_2, QEvent::KeyRelease}, std::pair{Qt::Key_Shift, QEvent::KeyRelease},
                                        std::pair{Qt::Key_Down, QEvent::KeyPress}, std::pair{Qt::Key_Down, QEvent::KeyRelease}}) {
            QKeyEvent event(type, key, Qt::NoModifier);
            QApplication::sendEvent(menu, &event);
        }
        menu->hide();
        for (int frame = 0; frame < 4; ++frame) form->KeyQueue.FrameEnded();
        const uint8_t* down = form->Machine->Keyboard.KeyDown;
        EXPECT_TRUE(std::all_of(down, down + 256, [](uint8_t key) { return key == 0; })) << top->text().toStdString();
    }
}

TEST_F(KeysAndSoundTest, MenusAndDeactivationPauseTheLoopingOutputOnlyWhileRunning) {
    auto form = MakeForm();
    form->Menu_DirectSound->trigger();
    ASSERT_EQ(form->SoundOutputKind, 2) << Errors.join(';').toStdString();
    TSoundFeed* ring = form->SoundDirectSound->Sink();
    auto advances = [&] {
        const uint32_t before = ring->PlayCursor();
        QTest::qWait(120);
        return ring->PlayCursor() != before;
    };
    emit form->PopupMenu_FS->aboutToShow();
    EXPECT_FALSE(advances());
    emit form->PopupMenu_FS->aboutToHide();
    EXPECT_TRUE(advances());
    QEvent deactivate(QEvent::ActivationChange);
    QApplication::sendEvent(form.get(), &deactivate);
    EXPECT_FALSE(advances());
    // While stopped, focus changes do not touch the output.
    form->StopEmulation();
    emit form->PopupMenu_FS->aboutToHide();
    EXPECT_FALSE(advances());
    form->Menu_Nosound->trigger();
}

// Boots the real ROMs, types SOUND and records the output through SDL's disk driver.
TEST_F(KeysAndSoundTest, ASoundCommandIsHeardAsItsToneInTheDiskDriversFile) {
    const QString audioFile = Dir.filePath("sound.raw");
    TScopedEnv driver("SDL_AUDIODRIVER", "disk");
    TScopedEnv file("SDL_DISKAUDIOFILE", audioFile.toUtf8());
    TMainOptions options = Options();
    options.RomDirectory = std::string(VARLUME_BIN_DIR) + "/";
    auto form = MakeForm(options);
    ASSERT_TRUE(Errors.isEmpty());
    form->IdleTimer->stop();  // the test runs the frames itself
    form->Menu_SyncNone->trigger();
    int frames = 0;
    while (!AutoLoadReady(form->Machine->Cpu.PC, form->Machine->Cpu.Cycle) && frames < 500) {
        form->RunFrame();
        ++frames;
    }
    ASSERT_LT(frames, 500) << "the ROM never waited for keys: are the ROM images in " VARLUME_BIN_DIR "?";

    form->Menu_Sync50Hz->trigger();
    form->Menu_DirectSound->trigger();
    ASSERT_EQ(form->SoundOutputKind, 2) << Errors.join(';').toStdString();
    form->Typist.Type("VOL8:SOUND1,800,90\r", TTypist::TWay::Buffer, TTypist::TPace::AtInputLoop);
    for (int i = 0; i < 75; ++i) form->RunFrame();
    form->Menu_Nosound->trigger();

    const QByteArray samples = ReadFile(audioFile);
    ASSERT_GT(samples.size(), 22050);
    // The tone's periods, from rise to rise (with hysteresis: band-limited edges ring a little
    // around the middle level). The median, since a host slower than real time leaves gaps.
    std::vector<int> periods;
    bool low = false;
    int lastRise = -1;
    for (int i = 0; i < samples.size(); ++i) {
        const int level = uint8_t(samples[i]);
        if (level < 108) low = true;
        if (!low || level <= 148) continue;
        if (lastRise >= 0) periods.push_back(i - lastRise);
        lastRise = i;
        low = false;
    }
    ASSERT_GT(periods.size(), 50u);
    std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
    const double measured = 44100.0 / periods[periods.size() / 2];
    const double expected = TSoundSynth::ToneFrequency(800);
    EXPECT_NEAR(measured, expected, expected * 0.05) << measured << " Hz";
}

TEST_F(KeysAndSoundTest, AKeyReachingAnInactiveWindowActivatesItAndRunsItsShortcut) {
    // Under a bare X server the window can have the keyboard while Qt holds it inactive.
    auto form = MakeForm();
    QApplication::setActiveWindow(nullptr);
    ASSERT_FALSE(form->isActiveWindow());
    QKeyEvent f11(QEvent::KeyPress, Qt::Key_F11, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &f11);
    EXPECT_EQ(form->StatusPanelText(0), "Soft reset has been performed.");
    EXPECT_TRUE(form->isActiveWindow());
    QApplication::setActiveWindow(nullptr);
    QKeyEvent shiftF11(QEvent::KeyPress, Qt::Key_F11, Qt::ShiftModifier);
    QApplication::sendEvent(form.get(), &shiftF11);
    EXPECT_EQ(form->StatusPanelText(0), "Hard reset has been performed.");
}
