#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <new>

#include "host/frame_image.h"
#include "machine/paths.h"
#include "media/prg_file.h"
#include "ted/palettes.h"
#include "ui/debugger/debug_windows.h"
#include "ui/debugger/debugger_host.h"
#include "ui/screen_widget.h"
#include "ui/utility/game_database.h"

#ifndef VARLUME_VERSION
#define VARLUME_VERSION "0.0.0"
#endif

namespace {

struct TPanelLayout {
    const char* InitialText;
    int Width;  // 0: panel 0, which takes what the others leave
    Qt::Alignment Alignment;
};

constexpr TPanelLayout PanelLayouts[TForm_Main::StatusPanelCount] = {
    {"Ready", 0, Qt::AlignLeft | Qt::AlignVCenter},
    {"", 50, Qt::AlignCenter},         // speed
    {"Tape", 70, Qt::AlignCenter},     // tape state
    {"Drive8", 40, Qt::AlignCenter},   // drive 8 lamp
    {"Drive9", 40, Qt::AlignCenter},   // drive 9 lamp
    {"", 0, Qt::AlignLeft},            // lies past the right edge: never shows anything
};

// What the debugger asks of this window.
class TMainDebuggerHost : public TDebuggerHost {
public:
    explicit TMainDebuggerHost(TForm_Main& form) : Form(form) {}
    void StopFrameLoop() override { Form.StopEmulation(); }
    void StartFrameLoop() override { Form.StartEmulation(); }
    // The run/stop texts stay: the clear timer is not started for them.
    void StatusText(const char* text) override { Form.StatusPanels[0]->setText(QString::fromUtf8(text)); }
    void FocusMainWindow() override {
        Form.raise();
        Form.activateWindow();
        Form.setFocus();
    }

private:
    TForm_Main& Form;
};

}  // namespace

TForm_Main::TForm_Main(TMainOptions options, QWidget* parent)
    : QMainWindow(parent),
      ErrorBoxHandler(std::move(options.ErrorBox)),
      RomDirectory(options.RomDirectory ? *options.RomDirectory : ExecutableDirectory()),
      Arguments(std::move(options.Arguments)),
      ScanCodeKind(ScanCodeKindOf(QGuiApplication::platformName().toUtf8().constData())) {
    setWindowTitle(QStringLiteral("Varlume - The Commodore Plus/4 Emulator - " VARLUME_VERSION));
    // Fixed single border: system menu and minimise button only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFocusPolicy(Qt::StrongFocus);

    Screen = new TScreenWidget(this);
    setCentralWidget(Screen);
    CreateMenus();
    CreateStatusBar();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Timer_Clear = new QTimer(this);
    Timer_Clear->setInterval(ClearInterval);
    connect(Timer_Clear, &QTimer::timeout, this, &TForm_Main::Timer_ClearTimer);
    Timer_AutoLoad = new QTimer(this);
    Timer_AutoLoad->setInterval(100);
    connect(Timer_AutoLoad, &QTimer::timeout, this, &TForm_Main::Timer_AutoLoadTimer);
    // Qt's idle handler: a zero-interval timer fires whenever no other event is waiting.
    IdleTimer = new QTimer(this);
    IdleTimer->setInterval(0);
    connect(IdleTimer, &QTimer::timeout, this, &TForm_Main::RunFrame);

    FormCreate();
}

TForm_Main::~TForm_Main() {
    // No frame may run once the machine is gone, and no sound may be fed from it; no window
    // may look at it either.
    IdleTimer->stop();
    DebugWindows.reset();
    if (Machine) Machine->SetSoundSink(nullptr);
    SoundDirectSound.reset();
    Machine.reset();
}

void TForm_Main::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    Menu_LoadPRGfile = file->addAction(tr("&Load PRG file..."));
    Menu_LoadPRGfile->setShortcut(Qt::Key_F8);
    connect(Menu_LoadPRGfile, &QAction::triggered, this, &TForm_Main::Menu_LoadPRGfileClick);
    file->addSeparator();
    Menu_Exit = file->addAction(tr("E&xit"));
    Menu_Exit->setShortcut(Qt::Key_F12);
    connect(Menu_Exit, &QAction::triggered, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    Menu_StatusBar = view->addAction(tr("&Status Bar"));
    Menu_StatusBar->setCheckable(true);
    Menu_StatusBar->setChecked(true);
    connect(Menu_StatusBar, &QAction::toggled, this, [this](bool checked) {
        StatusBar_Main->setVisible(checked);
        FitWindow();
    });
    view->addSeparator();
    CreateDebugMenus(view);
    QMenu* palette = view->addMenu(tr("&Palette"));
    auto* paletteGroup = new QActionGroup(this);
    auto addPalette = [&](const QString& caption, int32_t code) {
        QAction* item = palette->addAction(caption);
        item->setCheckable(true);
        paletteGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, code] { SelectPaletteCode(code); });
        return item;
    };
    Menu_CalculatedPalette = addPalette(tr("&Calculated"), PaletteCalculated);
    Menu_DigitizedPalette = addPalette(tr("Digitized &1"), PaletteDigitized1);
    Menu_OriginalPalette = addPalette(tr("Digitized &2"), PaletteDigitized2);

    QMenu* machine = menuBar()->addMenu(tr("&Machine"));
    Menu_Reset = machine->addAction(tr("&Reset"));
    Menu_Reset->setShortcut(Qt::Key_F11);
    connect(Menu_Reset, &QAction::triggered, this, [this] { Machine->SoftReset(); });
    Menu_HardReset = machine->addAction(tr("&Hard Reset"));
    Menu_HardReset->setShortcut(Qt::SHIFT | Qt::Key_F11);
    connect(Menu_HardReset, &QAction::triggered, this, [this] { Machine->HardReset(); });
    Menu_SpecialReset = machine->addAction(tr("&Special Reset"));
    Menu_SpecialReset->setShortcut(Qt::CTRL | Qt::Key_F11);
    connect(Menu_SpecialReset, &QAction::triggered, this, [this] { Machine->SpecialReset(); });
    machine->addSeparator();

    QMenu* sound = machine->addMenu(tr("Sound"));
    auto* soundGroup = new QActionGroup(this);
    Menu_Nosound = sound->addAction(tr("No sound"));
    // The wave-mapper output never played anything; it stays offered but disabled.
    Menu_WaveMapper = sound->addAction(tr("Wave Mapper"));
    Menu_WaveMapper->setEnabled(false);
    Menu_DirectSound = sound->addAction(tr("DirectSound"));
    for (QAction* item : {Menu_Nosound, Menu_WaveMapper, Menu_DirectSound}) {
        item->setCheckable(true);
        soundGroup->addAction(item);
    }
    connect(Menu_Nosound, &QAction::triggered, this, &TForm_Main::Menu_NosoundClick);
    connect(Menu_DirectSound, &QAction::triggered, this, &TForm_Main::Menu_DirectSoundClick);
    machine->addSeparator();

    QMenu* sync = machine->addMenu(tr("S&ynchronization"));
    auto* syncGroup = new QActionGroup(this);
    auto addSync = [&](const QString& caption, int32_t mode) {
        QAction* item = sync->addAction(caption);
        item->setCheckable(true);
        syncGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, mode] { SyncMode = mode; });
        return item;
    };
    Menu_SyncNone = addSync(tr("&None"), TFrameSync::SyncNone);
    Menu_Sync50Hz = addSync(tr("&50Hz"), TFrameSync::Sync50Hz);
    // Waits for the vertical blank of a full-screen display only, so it is offered there.
    VerticalBlank1 = sync->addAction(tr("Vertical Blank"));
    VerticalBlank1->setCheckable(true);
    VerticalBlank1->setEnabled(false);
    syncGroup->addAction(VerticalBlank1);

    QMenu* types = machine->addMenu(tr("&Machine Type"));
    auto* typeGroup = new QActionGroup(this);
    auto addType = [&](const QString& caption, int32_t type) {
        QAction* item = types->addAction(caption);
        item->setCheckable(true);
        typeGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, type] { SelectMachineType(type); });
        return item;
    };
    Menu_Commodore16 = addType(tr("Commodore 16"), MachineC16);
    Menu_Commodore232 = addType(tr("Commodore 232"), MachineC232);
    Menu_CommodorePlus4 = addType(tr("Commodore Plus4"), MachinePlus4);
    types->addSeparator();
    Menu_Commodore16with64K = addType(tr("Commodore 16 with 64K RAM"), MachineC16With64K);
    // Chosen only through the settings file: the item shows it but has no command.
    Menu_CustomMachine = types->addAction(tr("Custom Machine"));
    Menu_CustomMachine->setCheckable(true);
    Menu_CustomMachine->setEnabled(false);
    typeGroup->addAction(Menu_CustomMachine);
}

void TForm_Main::CreateDebugMenus(QMenu* view) {
    Menu_QuickRegisters = view->addAction(tr("Quick &CPU Registers..."));
    Menu_QuickRegisters->setShortcut(Qt::SHIFT | Qt::Key_F9);
    Menu_QuickRegisters->setCheckable(true);
    SystemInformaion1 = view->addAction(tr("BASIC System &Informaion..."));
    GameDatabase1 = view->addAction(tr("Game Database"));
    GameDatabase1->setShortcut(Qt::SHIFT | Qt::Key_F7);
    view->addSeparator();

    QMenu* debug = menuBar()->addMenu(tr("&Debug"));
    Menu_Debugger = debug->addAction(tr("&Debugger..."));
    Menu_Debugger->setShortcut(Qt::Key_F9);
    debug->addSeparator();
    MicroCodeDebugger1 = debug->addAction(tr("M&icro-Code Debugger..."));
    MemoryDump1 = debug->addAction(tr("&Memory Dump..."));
    CPURegisters1 = debug->addAction(tr("&CPU Registers..."));
    CPUStack1 = debug->addAction(tr("CPU &Stack..."));
    TEDRegisters2 = debug->addAction(tr("&TED Registers..."));
    BreakPoints1 = debug->addAction(tr("&BreakPoints..."));
}

void TForm_Main::ConnectDebugWindows() {
    DebuggerHost = std::make_unique<TMainDebuggerHost>(*this);
    DebugWindows = std::make_unique<TDebugWindows>(*Machine, *DebuggerHost, this,
                                                   GameDatabaseDirectories(QString::fromStdString(ExecutableDirectory())));
    TDebugWindows* windows = DebugWindows.get();
    connect(Menu_Debugger, &QAction::triggered, windows, &TDebugWindows::ShowDebugger);
    connect(MicroCodeDebugger1, &QAction::triggered, windows, &TDebugWindows::ShowMicroCodeDebugger);
    connect(MemoryDump1, &QAction::triggered, windows, &TDebugWindows::ShowMemoryDump);
    connect(CPURegisters1, &QAction::triggered, windows, &TDebugWindows::ShowCpuRegisters);
    connect(CPUStack1, &QAction::triggered, windows, &TDebugWindows::ShowCpuStack);
    connect(TEDRegisters2, &QAction::triggered, windows, &TDebugWindows::ShowTedRegisters);
    connect(BreakPoints1, &QAction::triggered, windows, &TDebugWindows::ShowBreakPoints);
    connect(SystemInformaion1, &QAction::triggered, windows, &TDebugWindows::ShowSystemInformation);
    connect(GameDatabase1, &QAction::triggered, windows, &TDebugWindows::ShowGameDatabase);
    connect(Menu_QuickRegisters, &QAction::triggered, this, [this](bool checked) {
        DebugWindows->SetQuickRegistersShown(checked);
        if (checked) activateWindow();
    });
    connect(windows, &TDebugWindows::QuickRegistersClosed, this, [this] { Menu_QuickRegisters->setChecked(false); });
}

void TForm_Main::CreateStatusBar() {
    StatusBar_Main = new QStatusBar(this);
    StatusBar_Main->setSizeGripEnabled(false);
    for (int i = 0; i < StatusPanelCount; ++i) {
        const TPanelLayout& panelLayout = PanelLayouts[i];
        auto* panel = new QLabel(QString::fromLatin1(panelLayout.InitialText), StatusBar_Main);
        panel->setAlignment(panelLayout.Alignment);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i == 0) {
            // Shrinks with the window so that a long message never widens it.
            panel->setMinimumWidth(0);
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        } else {
            panel->setFixedWidth(panelLayout.Width);
        }
        StatusBar_Main->addWidget(panel, i == 0 ? 1 : 0);
        StatusPanels[i] = panel;
    }
    setStatusBar(StatusBar_Main);
}

void TForm_Main::FormCreate() {
    Menu_Sync50Hz->trigger();
    SelectDisplayMode(ScreenMode);

    // Holds the 192 KB memory image and the frame buffer: without it there is nothing to run.
    Machine.reset(new (std::nothrow) TMachine(*this, RomDirectory));
    if (!Machine) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    ConnectDebugWindows();
    SelectPaletteCode(Palette);

    if (QAction* item = MachineTypeItem(MachineType)) item->setChecked(true);
    Machine->PowerUp(MachineType);
    Menu_Nosound->trigger();
    IdleTimer->start();
    Timer_Clear->start();
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
}

QAction* TForm_Main::PaletteItem(int32_t code) const {
    switch (code) {
        case PaletteCalculated: return Menu_CalculatedPalette;
        case PaletteDigitized1: return Menu_DigitizedPalette;
        case PaletteDigitized2: return Menu_OriginalPalette;
        default: return nullptr;
    }
}

void TForm_Main::SelectPaletteCode(int32_t code) {
    const TPalette* table = PaletteForSettingsCode(code);
    if (!table || !Machine) return;
    PaletteItem(code)->setChecked(true);
    Palette = code;
    SelectPalette(*table, Machine->Frame.ColourTable);
    // A stopped machine shows its last frame in the new colours too.
    PresentFrame();
    if (DebugWindows) DebugWindows->PaletteChanged();
}

void TForm_Main::Menu_NosoundClick() {
    Menu_Nosound->setChecked(true);
    if (SoundOutputKind == 0) return;
    Machine->SetSoundSink(nullptr);
    SoundDirectSound.reset();
    SoundOutputKind = 0;
}

void TForm_Main::Menu_DirectSoundClick() {
    if (SoundOutputKind == 2) return;
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
}

void TForm_Main::SelectDisplayMode(int32_t code) {
    if (code < 0 || code >= DisplayModeCount || DisplayModes[code].FullScreen) return;
    const TDisplayMode& mode = DisplayModes[code];
    DisplayMode = code;
    DisplayWidth = mode.Width;
    DisplayHeight = mode.Height;
    Screen->SetDisplayMode(mode);
    FitWindow();
    ScreenMode = code;
}

void TForm_Main::FitWindow() {
    // The window's layout has a fixed-size constraint: it follows the picture area and the
    // status bar's visibility by itself.
    Screen->setFixedSize(DisplayWidth, DisplayHeight);
    int others = 0;
    for (int i = 1; i < StatusPanelCount - 1; ++i) others += PanelLayouts[i].Width;
    StatusPanels[0]->setMaximumWidth(qMax(0, DisplayWidth - others));
    if (QLayout* windowLayout = layout()) windowLayout->activate();
}

QString TForm_Main::StatusPanelText(int index) const {
    if (index < 0 || index >= StatusPanelCount) return {};
    return StatusPanels[index]->text();
}

void TForm_Main::Timer_ClearTimer() {
    StatusPanels[0]->setText(QStringLiteral("Ready"));
    Timer_Clear->stop();
}

void TForm_Main::StatusMessage(const char* text) {
    StatusPanels[0]->setText(QString::fromUtf8(text));
    Timer_Clear->start();
}

void TForm_Main::AppendLog(const char* line) {
    std::fprintf(stderr, "%s\n", line);
}

void TForm_Main::ErrorBox(const char* text) {
    const QString message = QString::fromUtf8(text);
    if (ErrorBoxHandler) {
        ErrorBoxHandler(message);
        return;
    }
    // The box runs an event loop of its own: no frame may start inside it, least of all while
    // the frame that raised the failure is still on the stack.
    const bool running = IdleTimer->isActive();
    IdleTimer->stop();
    QMessageBox::critical(isVisible() ? this : nullptr, tr("Error"), message);
    if (running && Machine && !Machine->EmulationStopped) IdleTimer->start();
}

void TForm_Main::BreakpointReached() {
    // Shows the debugger and stops: EmulationStopped is set before its windows refresh. The
    // frame loop sees the stop at its next test, after the rest of this clock step.
    if (DebugWindows) DebugWindows->BreakpointReached();
}

void TForm_Main::EndOfFrame(bool drawn) {
    FrameSync.Wait(SyncMode);
    if (drawn) PresentFrame();
}

void TForm_Main::PresentFrame() {
    ConvertFrame(Machine->Frame, Screen->Picture());
    Screen->update();
}

void TForm_Main::RunFrame() {
    if (InRunFrame || !Machine) return;
    if (Machine->EmulationStopped) {
        IdleTimer->stop();
        return;
    }
    InRunFrame = true;
    Machine->RunFrame();
    InRunFrame = false;
    if (DebugWindows) DebugWindows->AfterFrame();
    if (Machine->EmulationStopped) IdleTimer->stop();
}

void TForm_Main::StopEmulation() {
    if (Machine) Machine->Stop();
    IdleTimer->stop();
}

void TForm_Main::StartEmulation() {
    if (!Machine) return;
    Machine->Start();
    IdleTimer->start();
}

bool TForm_Main::FrameLoopActive() const {
    return IdleTimer->isActive();
}

bool TForm_Main::HandleKey(QKeyEvent* event, bool down) {
    if (!Machine || Machine->EmulationStopped || event->isAutoRepeat()) return false;
    // Keys pressed with Alt belong to the menus, never to the machine. Releases always pass,
    // so a key let go while Alt is held does not stay down.
    if (down && event->modifiers().testFlag(Qt::AltModifier)) return false;
    const uint8_t code = Set1FromKeyEvent(*event, ScanCodeKind);
    if (code == 0) return false;
    Machine->Keyboard.SetKey(code, down);
    return true;
}

void TForm_Main::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(event, true)) QMainWindow::keyPressEvent(event);
}

void TForm_Main::keyReleaseEvent(QKeyEvent* event) {
    if (!HandleKey(event, false)) QMainWindow::keyReleaseEvent(event);
}

void TForm_Main::changeEvent(QEvent* event) {
    // The looping output is silenced while another window has the focus or this one is
    // minimised, and plays on from its cursors when it comes back.
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange) {
        if (SoundOutputKind == 2 && SoundDirectSound && Machine && !Machine->EmulationStopped) {
            if (isActiveWindow() && !isMinimized())
                SoundDirectSound->Resume();
            else
                SoundDirectSound->Pause();
        }
    }
    QMainWindow::changeEvent(event);
}

void TForm_Main::Menu_LoadPRGfileClick() {
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), QString(), tr("Program files (*.prg);;All files (*)"));
    if (path.isEmpty()) return;
    LoadPrgFromMenu(path);
}

void TForm_Main::LoadPrgFromMenu(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        ErrorBox(MessageCannotLoadSelected);
        return;
    }
    // A file that exists but cannot be read leaves RAM untouched; it is reported like a
    // missing one rather than silently ignored.
    const TPrgLoadResult result = LoadPrgFile(Machine->Memory, QFile::encodeName(path).toStdString(), Autostart);
    if (result.Status == TPrgLoadStatus::CannotRead) ErrorBox(MessageCannotLoadSelected);
}

void TForm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (Shown) return;
    Shown = true;
    setFocus();
    if (Arguments.size() == 1 && QFileInfo(Arguments.front()).isFile()) Timer_AutoLoad->start();
}

void TForm_Main::Timer_AutoLoadTimer() {
    // The ROM reaches its keyboard wait loop once it has booted; a load before that would be
    // wiped by the RAM test and BASIC's cold start.
    if (!Machine || !AutoLoadReady(Machine->Cpu.PC)) return;
    Timer_AutoLoad->stop();
    const TPrgLoadResult result = LoadPrgFile(Machine->Memory, QFile::encodeName(Arguments.front()).toStdString(), true);
    if (result.Status == TPrgLoadStatus::CannotRead) ErrorBox(MessageCannotLoadGiven);
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    IdleTimer->stop();
    QMainWindow::closeEvent(event);
}
