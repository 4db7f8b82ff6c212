#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLayout>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <new>
#include <utility>

#include "host/app_paths.h"
#include "host/settings_file.h"
#include "machine/paths.h"
#include "media/prg_file.h"
#include "ui/about_box.h"
#include "ui/debug_server.h"
#include "ui/debugger/debug_windows.h"
#include "ui/debugger/debugger_host.h"
#include "ui/help_keys_window.h"
#include "ui/log_window.h"
#include "ui/properties_dialog.h"
#include "ui/save_prg_dialog.h"
#include "ui/screen_widget.h"
#include "ui/status_panel.h"

#ifndef VARLUME_VERSION
#define VARLUME_VERSION "0.0.0"
#endif

TForm_Main::TForm_Main(TMainOptions options, QWidget* parent)
    : QMainWindow(parent),
      Prompts(std::move(options.Prompts)),
      ErrorBoxHandler(std::move(options.ErrorBox)),
      FullScreenCheck(std::move(options.FullScreenAvailable)),
      RomDirectories(options.RomDirectory ? std::vector<std::string>{*options.RomDirectory}
                                          : RomSearchDirectories()),
      SettingsFile(options.SettingsPath ? *options.SettingsPath : SettingsFilePath()),
      Arguments(std::move(options.Arguments)),
      ScanCodeKind(ScanCodeKindOf(QGuiApplication::platformName().toUtf8().constData())) {
    setWindowTitle(QStringLiteral("Varlume - The Commodore Plus/4 Emulator - " VARLUME_VERSION));
    // Fixed single border: system menu and minimise button only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    if (ErrorBoxHandler) Prompts.ErrorBox = ErrorBoxHandler;
    Prompts.FillDefaults(this);

    // The picture sits centred in an area at least as wide as the menu bar, so a small mode's
    // window still shows every menu rather than hiding some behind the overflow button.
    ScreenArea = new QWidget(this);
    ScreenArea->setAutoFillBackground(true);
    ScreenArea->setPalette(QPalette(Qt::black));
    auto* areaLayout = new QVBoxLayout(ScreenArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    Screen = new TScreenWidget(ScreenArea);
    areaLayout->addWidget(Screen, 0, Qt::AlignCenter);
    setCentralWidget(ScreenArea);
    Screen->setFixedSize(InitialClientSize);
    CreateMenus();
    CreatePopupMenu();
    CreateStatusBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Timer_Clear = new QTimer(this);
    Timer_Clear->setInterval(ClearInterval);
    connect(Timer_Clear, &QTimer::timeout, this, &TForm_Main::Timer_ClearTimer);
    Timer_AutoLoad = new QTimer(this);
    Timer_AutoLoad->setInterval(AutoLoadInterval);
    connect(Timer_AutoLoad, &QTimer::timeout, this, &TForm_Main::Timer_AutoLoadTimer);
    // Qt's idle handler: a zero-interval timer fires whenever no other event is waiting.
    IdleTimer = new QTimer(this);
    IdleTimer->setInterval(0);
    connect(IdleTimer, &QTimer::timeout, this, &TForm_Main::RunFrame);

    // Every other window exists from the start and is only shown or hidden afterwards.
    Form_Log = new TForm_Log(this);
    Form_About = new TForm_About(this);
    Form_HelpKeys = new TForm_HelpKeys(*this);
    Form_Properties = new TForm_Properties(*this);
    Form_SavePRG = new TForm_SavePRG(*this);

    FormCreate();
}

TForm_Main::~TForm_Main() {
    ReleaseMachine();
}

void TForm_Main::FormCreate() {
    const TSettings settings = ReadSettingsFile(SettingsFile);
    RecentFiles = ReadRecentFiles(SettingsFile);
    RebuildRecentFilesMenu();
    MachineType = settings.MachineType;
    Menu_Sync50Hz->trigger();
    // A value outside the menu's codes leaves the display as it is, and Save Current Settings
    // writes it back unchanged unless the user picks a mode.
    if (QAction* item = ScreenModeItem(settings.ScreenMode))
        item->trigger();
    else
        ScreenMode = settings.ScreenMode;
    Menu_PP_Normal->trigger();

    // Holds the 192 KB memory image and the frame buffer: without it there is nothing to run.
    Machine.reset(new (std::nothrow) TMachine(*this, RomDirectories));
    if (!Machine) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    CreateDebugWindows();
    // Without ROM images (an installed package's first start) the first failure says where
    // they go and how to fetch them.
    RomHintPending = RomImagesMissing(RomDirectories);
    if (QAction* item = PaletteItem(settings.Palette))
        item->trigger();
    else
        Palette = settings.Palette;
    FullScreenDepth = 0;
    if (QAction* item = MachineTypeItem(MachineType)) item->setChecked(true);
    Machine->PowerUp(MachineType);
    RomHintPending = false;
    Menu_Drive8None->trigger();
    Menu_Drive9None->trigger();
    Menu_Nosound->trigger();
    Menu_FrameSkip0->trigger();
    IdleTimer->start();
    Timer_Clear->start();
    TakeDebugServerArgument();
}

void TForm_Main::ReleaseMachine() {
    // No frame may run once the machine is gone, no sound may be fed from it and no window
    // may look at it.
    IdleTimer->stop();
    Timer_AutoLoad->stop();
    SetDebugServer(false);
    ReleaseDebugWindows();
    if (Machine) Machine->SetSoundSink(nullptr);
    SoundDirectSound.reset();
    SoundOutputKind = 0;
    Machine.reset();
    Gamepads.Close();
}

QAction* TForm_Main::MachineTypeItem(int32_t type) const {
    switch (type) {
        case MachineC16: return Menu_Commodore16;
        case MachineC232: return Menu_Commodore232;
        case MachinePlus4: return Menu_CommodorePlus4;
        case MachineC16With64K: return Menu_Commodore16with64K;
        case MachineCustom: return Menu_CustomMachine;
        default: return nullptr;
    }
}

void TForm_Main::SelectMachineType(int32_t type) {
    if (QAction* item = MachineTypeItem(type)) item->setChecked(true);
    MachineType = type;
    Machine->SelectMachineType(type);
    ShowMachineChange();
}

void TForm_Main::SaveCurrentSettings1Click() {
    std::string error;
    if (!WriteSettingsFile(SettingsFile, {MachineType, ScreenMode, Palette}, error))
        ErrorBox(error.c_str());
}

void TForm_Main::AppendLog(const char* line) {
    if (Form_Log) Form_Log->AppendLog(QString::fromUtf8(line));
}

void TForm_Main::ErrorBox(const char* text) {
    // The box runs an event loop of its own: no frame may start inside it, least of all while
    // the frame that raised the failure is still on the stack.
    const bool running = IdleTimer->isActive();
    IdleTimer->stop();
    QString shown = QString::fromUtf8(text);
    if (std::exchange(RomHintPending, false)) shown += QStringLiteral("\n\n") + QString::fromStdString(RomImagesHint());
    Prompts.ErrorBox(shown);
    if (running && Machine && !Machine->EmulationStopped && !Closing) IdleTimer->start();
}

void TForm_Main::BreakpointReached() {
    // Shows the debugger and stops: EmulationStopped is set before its windows refresh. The
    // frame loop sees the stop at its next test, after the rest of this clock step.
    if (DebugWindows) DebugWindows->BreakpointReached();
    if (DebugServer) DebugServer->BreakpointReached();
}

void TForm_Main::EndOfFrame(bool drawn) {
    FrameSync.Wait(SyncMode);
    if (!drawn) return;
    PresentFrame();
    if (ShowSpeed) ShowSpeedFigure();
    if (StatusBar_Main->isVisibleTo(this)) UpdateDriveLamps();
}

void TForm_Main::RunFrame() {
    if (InRunFrame || !Machine) return;
    if (Machine->EmulationStopped) {
        IdleTimer->stop();
        return;
    }
    InRunFrame = true;
    UpdateJoysticks();
    Machine->RunFrame();
    InRunFrame = false;
    // A breakpoint stops the machine inside a clock step, and its windows were filled before
    // the step ended (the timers' ticks of a run land when the run ends): show the state now.
    if (Machine->EmulationStopped) ShowMachineChange();
    // The key events held back wait for whole frames, each with its keyboard scan.
    KeyQueue.FrameEnded();
    if (QuickRegistersShown && DebugWindows) DebugWindows->AfterFrame();
    if (Machine && Machine->EmulationStopped) IdleTimer->stop();
    if (Machine) Typist.AfterFrame(*Machine);
}

void TForm_Main::StopEmulation() {
    if (Machine) Machine->Stop();
    IdleTimer->stop();
}

void TForm_Main::StartEmulation() {
    if (!Machine || Closing) return;
    ReleaseHostKeys();
    Machine->Start();
    IdleTimer->start();
}

bool TForm_Main::FrameLoopActive() const {
    return IdleTimer->isActive();
}

void TForm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (Shown) return;
    Shown = true;
    setFocus();
    if (Arguments.size() == 1 && QFileInfo(Arguments.front()).isFile()) {
        AutoLoadPath = Arguments.front();
        Timer_AutoLoad->start();
    }
}

void TForm_Main::Timer_AutoLoadTimer() {
    // The ROM reaches its keyboard wait loop once it has booted; a load before that would be
    // wiped by the RAM test and BASIC's cold start.
    if (!Machine || !AutoLoadReady(Machine->Cpu.PC, Machine->Cpu.Cycle)) return;
    Timer_AutoLoad->stop();
    const QString suffix = QFileInfo(AutoLoadPath).suffix().toLower();
    // Disk and tape images and snapshots are opened as dropping them does; anything else is a
    // PRG file.
    if (suffix == QLatin1String("d64") || suffix == QLatin1String("tap") || suffix == QLatin1String("vsn") ||
        suffix == QLatin1String("crt")) {
        OpenDroppedFile(AutoLoadPath);
        return;
    }
    const TPrgLoadResult result = QFileInfo(AutoLoadPath).isFile()
        ? LoadPrgFile(Machine->Memory, QFile::encodeName(AutoLoadPath).toStdString(), true)
        : TPrgLoadResult{};
    if (result.Status == TPrgLoadStatus::CannotRead)
        ErrorBox(MessageCannotLoadGiven);
    else
        RememberRecentFile(AutoLoadPath);
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    // Shutdown: the frame loop ends first, then the components go, then full screen.
    Closing = true;
    ReleaseMachine();
    if (InFullScreen) LeaveFullScreen();
    for (QWidget* window : QList<QWidget*>{Form_Log, Form_HelpKeys})
        if (window) window->close();
    QMainWindow::closeEvent(event);
}
