#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "gui/qt_application.h"
#include "ted/palettes.h"
#include "ui/main_window.h"
#include "ui/screen_widget.h"

namespace {

// A main window whose ROM directory is empty: every missing image is recorded, never shown.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ASSERT_TRUE(RomDir.isValid());
        Form = MakeForm(RomDir.path());
    }

    std::unique_ptr<TForm_Main> MakeForm(const QString& romDir) {
        TMainOptions options;
        options.RomDirectory = QDir(romDir).absolutePath().toStdString() + "/";
        options.SettingsPath = QDir(romDir).filePath("varlume.ini").toStdString();
        options.ErrorBox = [this](const QString& text) { Errors << text; };
        auto form = std::make_unique<TForm_Main>(std::move(options));
        return form;
    }

    void Press(int key, QEvent::Type type = QEvent::KeyPress, bool autoRepeat = false,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(Form.get(), &event);
        LetKeysThrough();
    }
    // As if the frames each key event lasts had passed (the queue's own timing has its tests).
    void LetKeysThrough() {
        while (!Form->KeyQueue.Idle()) Form->KeyQueue.FrameEnded();
    }

    QTemporaryDir RomDir;
    QStringList Errors;
    std::unique_ptr<TForm_Main> Form;
};

constexpr uint8_t ScanA = 0x1E;

}  // namespace

TEST_F(MainWindowTest, StartsAsACommodore16RunningAt50HzWithTheDefaultScreenMode) {
    EXPECT_TRUE(Form->windowTitle().startsWith("Varlume - The Commodore Plus/4 Emulator - "));
    ASSERT_TRUE(Form->Machine);
    EXPECT_EQ(Form->Machine->MachineType, MachineC16);
    EXPECT_TRUE(Form->Menu_Commodore16->isChecked());
    EXPECT_FALSE(Form->Menu_CustomMachine->isEnabled());
    EXPECT_EQ(Form->SyncMode, TFrameSync::Sync50Hz);
    EXPECT_TRUE(Form->Menu_Sync50Hz->isChecked());
    EXPECT_FALSE(Form->VerticalBlank1->isEnabled());
    EXPECT_EQ(Form->DisplayMode, 1);
    EXPECT_EQ(Form->Screen->size(), QSize(360, 240));
    EXPECT_FALSE(Form->Machine->EmulationStopped);
    EXPECT_TRUE(Form->FrameLoopActive());
    EXPECT_EQ(Form->StatusPanelText(0), "Ready");
    EXPECT_EQ(Form->StatusPanelText(2), "Tape: Stop");
    EXPECT_EQ(Form->StatusPanelText(3), "Drive8");
    EXPECT_EQ(Form->StatusPanelText(4), "Drive9");
    EXPECT_TRUE(Form->Timer_Clear->isActive());  // clears panel 0 once after start
}

TEST_F(MainWindowTest, MenuItemsCarryTheirShortcuts) {
    EXPECT_EQ(Form->Menu_Reset->shortcut(), QKeySequence(Qt::Key_F11));
    EXPECT_EQ(Form->Menu_HardReset->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F11));
    EXPECT_EQ(Form->Menu_SpecialReset->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F11));
    EXPECT_EQ(Form->Menu_LoadPRGfile->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_EQ(Form->Menu_Exit->shortcut(), QKeySequence(Qt::Key_F12));
    EXPECT_EQ(Form->Menu_Reset->text(), "&Reset");
    EXPECT_EQ(Form->Menu_Commodore16with64K->text(), "Commodore 16 with 64K RAM");
}

TEST_F(MainWindowTest, MissingRomsAreReportedWithoutBlockingAndStartUpGoesOn) {
    EXPECT_EQ(FirstLines(Errors), QStringList({"Cannot load file: 'basic.bin'", "Cannot load file: 'kernal.bin'"}));
    // The box names the place looked in.
    EXPECT_TRUE(Errors.value(0).contains(QDir(RomDir.path()).filePath("basic.bin")));
    // The first box also says where the images go and how to fetch them, once.
    EXPECT_TRUE(Errors.value(0).contains("/varlume/roms/") && Errors.value(0).contains("fetch-roms.sh"));
    EXPECT_FALSE(Errors.value(1).contains("fetch-roms.sh"));
    EXPECT_FALSE(Form->Machine->EmulationStopped);
}

TEST_F(MainWindowTest, RunsFramesWithoutADisplayAndPresentsThem) {
    Form->Menu_SyncNone->trigger();
    EXPECT_EQ(Form->SyncMode, TFrameSync::SyncNone);
    const uint32_t before = Form->Machine->FrameCounter;
    for (int i = 0; i < 3; ++i) Form->RunFrame();
    EXPECT_EQ(Form->Machine->FrameCounter, before + 3u);
    EXPECT_EQ(Form->Screen->Picture().size(), QSize(456, 312));
}

TEST_F(MainWindowTest, TheIdleTimerRunsTheFrameLoopFromTheEventLoop) {
    Form->Menu_SyncNone->trigger();
    const uint32_t before = Form->Machine->FrameCounter;
    QTest::qWait(50);
    EXPECT_GT(Form->Machine->FrameCounter, before);
}

TEST_F(MainWindowTest, ResetCommandsPutTheirMessageIntoPanel0UntilTimerClearFires) {
    struct TCase { QAction* Item; const char* Message; };
    const TCase cases[] = {
        {Form->Menu_Reset, "Soft reset has been performed."},
        {Form->Menu_HardReset, "Hard reset has been performed."},
        {Form->Menu_SpecialReset, "Special reset has been performed."},
    };
    for (const TCase& c : cases) {
        Form->Timer_Clear->stop();
        c.Item->trigger();
        EXPECT_EQ(Form->StatusPanelText(0), c.Message);
        EXPECT_TRUE(Form->Timer_Clear->isActive());
        EXPECT_EQ(Form->Timer_Clear->interval(), 2000);
        QMetaObject::invokeMethod(Form->Timer_Clear, "timeout");
        EXPECT_EQ(Form->StatusPanelText(0), "Ready");
        EXPECT_FALSE(Form->Timer_Clear->isActive());  // fires once per message
    }
}

TEST_F(MainWindowTest, MachineTypeItemsSwitchTheMachineAndStayExclusive) {
    Errors.clear();
    Form->Menu_CommodorePlus4->trigger();
    EXPECT_EQ(Form->Machine->MachineType, MachinePlus4);
    EXPECT_TRUE(Form->Menu_CommodorePlus4->isChecked());
    EXPECT_FALSE(Form->Menu_Commodore16->isChecked());
    // A type change reports only the Plus4's own images, and writes no status message.
    EXPECT_EQ(FirstLines(Errors), QStringList({"Cannot load file: '3plus1lo.rom'", "Cannot load file: '3plus1hi.rom'"}));
    EXPECT_EQ(Form->StatusPanelText(0), "Ready");

    Errors.clear();
    Form->Menu_Commodore232->trigger();
    EXPECT_EQ(Form->Machine->MachineType, MachineC232);
    EXPECT_EQ(Form->Machine->Memory.RamSizeCode(), 1);
    EXPECT_TRUE(Errors.isEmpty());
    Form->Menu_Commodore16with64K->trigger();
    EXPECT_EQ(Form->Machine->Memory.RamSizeCode(), 2);
    EXPECT_FALSE(Form->Menu_Commodore232->isChecked());
}

TEST_F(MainWindowTest, KeysReachTheMachineByTheirQtKeyOffscreen) {
    Press(Qt::Key_A);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0x7F);
    Press(Qt::Key_A, QEvent::KeyRelease);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0);

    QTest::keyPress(Form.get(), Qt::Key_QuoteLeft);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[0x29], 0x7F);  // RUN/STOP
    LetKeysThrough();
    QTest::keyRelease(Form.get(), Qt::Key_QuoteLeft);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[0x29], 0);
}

TEST_F(MainWindowTest, AutoRepeatNeitherPressesNorReleases) {
    Press(Qt::Key_A);
    Press(Qt::Key_A, QEvent::KeyRelease, true);
    Press(Qt::Key_A, QEvent::KeyPress, true);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0x7F);
    Press(Qt::Key_A, QEvent::KeyRelease);
    Press(Qt::Key_A, QEvent::KeyPress, true);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0);
}

TEST_F(MainWindowTest, KeysAreIgnoredWhileEmulationIsStopped) {
    Form->StopEmulation();
    EXPECT_FALSE(Form->FrameLoopActive());
    Press(Qt::Key_A);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0);

    Form->StartEmulation();
    EXPECT_TRUE(Form->FrameLoopActive());
    Press(Qt::Key_A);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0x7F);
    // A key held across a stop stays held until its release arrives or emulation restarts.
    Form->StopEmulation();
    Press(Qt::Key_A, QEvent::KeyRelease);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0x7F);
    Form->StartEmulation();
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0);
}

TEST_F(MainWindowTest, KeysPressedWithAltBelongToTheMenusButTheirReleasePasses) {
    Press(Qt::Key_A, QEvent::KeyPress, false, Qt::AltModifier);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0);
    Press(Qt::Key_A);
    Press(Qt::Key_A, QEvent::KeyRelease, false, Qt::AltModifier);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[ScanA], 0);
}

TEST_F(MainWindowTest, AStoppedMachineRunsNoFrames) {
    Form->Menu_SyncNone->trigger();
    Form->StopEmulation();
    const uint32_t before = Form->Machine->FrameCounter;
    Form->RunFrame();
    QTest::qWait(20);
    EXPECT_EQ(Form->Machine->FrameCounter, before);
}

TEST_F(MainWindowTest, HidingTheStatusBarShrinksTheWindowByItsHeight) {
    Form->show();
    QApplication::processEvents();
    const int withBar = Form->height();
    const int barHeight = Form->StatusBar_Main->height();
    Form->Menu_StatusBar->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(Form->StatusBar_Main->isVisible());
    EXPECT_EQ(Form->height(), withBar - barHeight);
    EXPECT_EQ(Form->Screen->size(), QSize(360, 240));
    Form->Menu_StatusBar->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Form->height(), withBar);
}

TEST_F(MainWindowTest, WindowedModesResizeThePictureAreaAndUnknownCodesChangeNothing) {
    Form->SelectDisplayMode(5);
    EXPECT_EQ(Form->Screen->size(), QSize(720, 480));
    EXPECT_EQ(Form->ScreenMode, 5);
    Form->SelectDisplayMode(-1);
    Form->SelectDisplayMode(11);
    EXPECT_EQ(Form->DisplayMode, 5);
    EXPECT_TRUE(Form->Menu_360x240DoubleWindowedGDI->isChecked());
}

TEST_F(MainWindowTest, StartsWithDigitized1AndAPaletteChoiceRewritesTheColourTable) {
    EXPECT_EQ(Form->Palette, PaletteDigitized1);
    EXPECT_TRUE(Form->Menu_DigitizedPalette->isChecked());
    auto entryOf = [&](int index) {
        const uint8_t* entry = Form->Machine->Frame.ColourTable + 4 * index;
        return TRgb{entry[2], entry[1], entry[0]};
    };
    auto same = [](TRgb a, TRgb b) { return a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue; };
    EXPECT_TRUE(same(entryOf(0x32), DigitizedPalette1[0x32]));

    Form->Menu_CalculatedPalette->trigger();
    EXPECT_EQ(Form->Palette, PaletteCalculated);
    EXPECT_TRUE(same(entryOf(0x32), CalculatedPalette[0x32]));
    // The shown picture follows at once, even with the machine stopped.
    Form->StopEmulation();
    Form->Machine->Frame.Pixels[36 * 456 + 48] = 0x32;
    Form->Menu_OriginalPalette->trigger();
    const TRgb expected = DigitizedPalette2[0x32];
    EXPECT_EQ(Form->Screen->Picture().pixel(48, 36), qRgb(expected.Red, expected.Green, expected.Blue));
}

TEST_F(MainWindowTest, StartsWithoutSoundAndTheLoopingOutputPlaysFromTheRing) {
    EXPECT_EQ(Form->SoundOutputKind, 0);
    EXPECT_TRUE(Form->Menu_Nosound->isChecked());
    EXPECT_FALSE(Form->Menu_WaveMapper->isEnabled());

    Form->Menu_DirectSound->trigger();
    ASSERT_EQ(Form->SoundOutputKind, 2) << Errors.join("; ").toStdString();
    EXPECT_TRUE(Form->Menu_DirectSound->isChecked());
    ASSERT_TRUE(Form->SoundDirectSound && Form->SoundDirectSound->IsOpen());
    // The device thread consumes the ring in real time.
    const uint32_t play = Form->SoundDirectSound->Sink()->PlayCursor();
    QTest::qWait(120);
    EXPECT_NE(Form->SoundDirectSound->Sink()->PlayCursor(), play);
    // Choosing it again keeps the same output.
    TSoundDirectSound* output = Form->SoundDirectSound.get();
    Form->Menu_DirectSound->trigger();
    EXPECT_EQ(Form->SoundDirectSound.get(), output);

    Form->Menu_SyncNone->trigger();
    for (int i = 0; i < 3; ++i) Form->RunFrame();

    Form->Menu_Nosound->trigger();
    EXPECT_EQ(Form->SoundOutputKind, 0);
    EXPECT_FALSE(Form->SoundDirectSound);
    Form->RunFrame();  // nothing left to feed
}

TEST_F(MainWindowTest, AMissingSoundDeviceReportsAndLeavesTheProgramSilent) {
    const QByteArray previous = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    Errors.clear();
    Form->Menu_DirectSound->trigger();
    qputenv("SDL_AUDIODRIVER", previous);
    EXPECT_EQ(Errors, QStringList{"DirectSoundCreate failed"});
    EXPECT_EQ(Form->SoundOutputKind, 0);
    EXPECT_FALSE(Form->SoundDirectSound);
    EXPECT_TRUE(Form->Menu_Nosound->isChecked());
    Form->Menu_SyncNone->trigger();
    Form->RunFrame();
    EXPECT_FALSE(Form->Machine->EmulationStopped);
    // The item can be chosen again and retries.
    Form->Menu_DirectSound->trigger();
    EXPECT_EQ(Form->SoundOutputKind, 2);
}

TEST(MainWindowErrorBox, TheModalBoxHoldsTheFrameLoopOnlyWhileItIsOpen) {
    TestApplication();
    // No recorder: the real message box comes up. A closer answers every box and notes
    // whether a frame could have started under it.
    QStringList shown;
    bool loopRanUnderABox = false;
    TForm_Main* form = nullptr;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown << box->text();
            if (form && form->FrameLoopActive()) loopRanUnderABox = true;
            box->accept();
        }
    });
    closer.start();
    QTemporaryDir romDir;
    TMainOptions options;
    options.RomDirectory = romDir.path().toStdString() + "/";
    options.SettingsPath = romDir.filePath("varlume.ini").toStdString();
    TForm_Main window(std::move(options));
    form = &window;
    EXPECT_EQ(FirstLines(shown), QStringList({"Cannot load file: 'basic.bin'", "Cannot load file: 'kernal.bin'"}));

    shown.clear();
    window.ErrorBox("Cannot load selected file.");
    EXPECT_EQ(shown, QStringList{"Cannot load selected file."});
    EXPECT_FALSE(loopRanUnderABox);
    EXPECT_TRUE(window.FrameLoopActive());
}
