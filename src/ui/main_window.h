#pragma once
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/host.h"
#include "host/display_modes.h"
#include "host/frame_sync.h"
#include "host/host_keys.h"
#include "host/sound_direct_sound.h"
#include "machine/machine.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class TScreenWidget;
class TDebugWindows;
class TDebuggerHost;

// What the program start gives the main window.
struct TMainOptions {
    // Where the ROM images are read from, with a trailing separator; the executable's
    // directory when not given.
    std::optional<std::string> RomDirectory;
    // Shows a failure the user must acknowledge. Empty: a modal error box. Tests pass a
    // recorder so that nothing waits for a click.
    std::function<void(const QString&)> ErrorBox;
    // The command-line parameters, without the program name.
    QStringList Arguments;
};

// The program's main window: owns the machine, runs its frame loop whenever Qt is idle, shows
// the picture, feeds the host keyboard into the machine and carries the menus and status bar.
// Component members keep the names of the window's menu items, panels and timers.
class TForm_Main : public QMainWindow, public THost {
    Q_OBJECT
public:
    static constexpr int StatusPanelCount = 6;
    static constexpr int ClearInterval = 2000;  // ms until "Ready" returns to panel 0

    explicit TForm_Main(TMainOptions options = {}, QWidget* parent = nullptr);
    ~TForm_Main() override;

    // THost
    void StatusMessage(const char* text) override;
    void AppendLog(const char* line) override;
    void ErrorBox(const char* text) override;
    void BreakpointReached() override;
    void EndOfFrame(bool drawn) override;

    // One idle call: a frame of emulation. Does nothing while stopped or when re-entered from
    // a nested event loop (a message box raised inside a frame).
    void RunFrame();
    void StopEmulation();
    void StartEmulation();
    bool FrameLoopActive() const;

    QString StatusPanelText(int index) const;
    // The menu load after its file dialog: a missing file is reported, RUN typed only with
    // Autostart.
    void LoadPrgFromMenu(const QString& path);
    // The command-line file, once the ROM waits for keys; RUN is always typed.
    void Timer_AutoLoadTimer();
    // Windowed screen modes 0-5 only; full-screen modes come with their own display.
    void SelectDisplayMode(int32_t code);
    // Client area to the picture size plus the status bar; panel 0 takes the width left over.
    void FitWindow();

    std::unique_ptr<TMachine> Machine;
    TFrameSync FrameSync;
    int32_t SyncMode = TFrameSync::Sync50Hz;
    int32_t MachineType = MachineC16;
    int32_t ScreenMode = DefaultDisplayMode;
    int32_t DisplayMode = DefaultDisplayMode;
    int32_t DisplayWidth = 0;
    int32_t DisplayHeight = 0;
    int32_t Palette = 1;  // "Digitized 1"
    bool Autostart = false;  // a menu load types RUN too
    // 0 none, 1 wave mapper, 2 the looping output; at most one output object exists.
    int32_t SoundOutputKind = 0;
    std::unique_ptr<TSoundDirectSound> SoundDirectSound;

    TScreenWidget* Screen = nullptr;
    QStatusBar* StatusBar_Main = nullptr;
    QLabel* StatusPanels[StatusPanelCount] = {};
    QTimer* Timer_Clear = nullptr;
    QTimer* Timer_AutoLoad = nullptr;
    QTimer* IdleTimer = nullptr;

    QAction* Menu_LoadPRGfile = nullptr;
    QAction* Menu_Exit = nullptr;
    QAction* Menu_StatusBar = nullptr;
    QAction* Menu_Reset = nullptr;
    QAction* Menu_HardReset = nullptr;
    QAction* Menu_SpecialReset = nullptr;
    QAction* Menu_SyncNone = nullptr;
    QAction* Menu_Sync50Hz = nullptr;
    QAction* VerticalBlank1 = nullptr;
    QAction* Menu_Commodore16 = nullptr;
    QAction* Menu_Commodore232 = nullptr;
    QAction* Menu_CommodorePlus4 = nullptr;
    QAction* Menu_Commodore16with64K = nullptr;
    QAction* Menu_CustomMachine = nullptr;
    QAction* Menu_CalculatedPalette = nullptr;
    QAction* Menu_DigitizedPalette = nullptr;
    QAction* Menu_OriginalPalette = nullptr;
    QAction* Menu_Nosound = nullptr;
    QAction* Menu_WaveMapper = nullptr;
    QAction* Menu_DirectSound = nullptr;
    QAction* Menu_QuickRegisters = nullptr;
    QAction* SystemInformaion1 = nullptr;
    QAction* GameDatabase1 = nullptr;
    QAction* Menu_Debugger = nullptr;
    QAction* MicroCodeDebugger1 = nullptr;
    QAction* MemoryDump1 = nullptr;
    QAction* CPURegisters1 = nullptr;
    QAction* CPUStack1 = nullptr;
    QAction* TEDRegisters2 = nullptr;
    QAction* BreakPoints1 = nullptr;
    // The debugger and utility windows; created with the machine.
    std::unique_ptr<TDebugWindows> DebugWindows;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateMenus();
    void CreateDebugMenus(QMenu* view);
    void ConnectDebugWindows();
    void CreateStatusBar();
    void FormCreate();
    void PresentFrame();
    QAction* MachineTypeItem(int32_t type) const;
    void SelectMachineType(int32_t type);
    QAction* PaletteItem(int32_t code) const;
    void SelectPaletteCode(int32_t code);
    void Menu_NosoundClick();
    void Menu_DirectSoundClick();
    void Menu_LoadPRGfileClick();
    void Timer_ClearTimer();
    // Routes a key message into the machine's key state; false when it was not taken.
    bool HandleKey(QKeyEvent* event, bool down);

    std::unique_ptr<TDebuggerHost> DebuggerHost;
    std::function<void(const QString&)> ErrorBoxHandler;
    std::string RomDirectory;
    QStringList Arguments;
    TScanCodeKind ScanCodeKind = TScanCodeKind::None;
    bool InRunFrame = false;
    bool Shown = false;
};
