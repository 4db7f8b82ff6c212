#pragma once
#include <QColor>
#include <QSize>
#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"
#include "host/display_modes.h"
#include "host/frame_sync.h"
#include "host/gamepads.h"
#include "host/host_keys.h"
#include "host/key_event_queue.h"
#include "host/symbolic_keys.h"
#include "host/sound_direct_sound.h"
#include "host/speed_meter.h"
#include "machine/machine.h"
#include "machine/typist.h"
#include "ui/user_prompts.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class TForm_About;
class TForm_HelpKeys;
class TForm_Log;
class TForm_Properties;
class TForm_SavePRG;
class TDapTarget;
class TDebugServer;
class TDebugWindows;
class TDebuggerHost;
class TScreenWidget;
class TStatusPanel;

// What the program start gives the main window.
struct TMainOptions {
    // Where the ROM images are read from, with a trailing separator. Not given: beside the
    // executable, then the user's data directory.
    std::optional<std::string> RomDirectory;
    // The settings file. Not given: beside the executable, or the user's configuration
    // directory when the executable's is not writable.
    std::optional<std::string> SettingsPath;
    // Shows a failure the user must acknowledge. Empty: a modal error box. Tests pass a
    // recorder so that nothing waits for a click.
    std::function<void(const QString&)> ErrorBox;
    // The other boxes and the file choosers; empty members are the real dialogs.
    TUserPrompts Prompts;
    // Whether a full-screen display of width x height at the depth's bits per pixel can be set
    // up. Empty: whenever the window has a screen at least that large.
    std::function<bool(int width, int height, int bitsPerPixel)> FullScreenAvailable;
    // The command-line parameters, without the program name.
    QStringList Arguments;
};

// The program's main window: owns the machine, runs its frame loop whenever Qt is idle, shows
// the picture, feeds the host keyboard into the machine and carries the menus and status bar.
// Component members keep the names of the window's menu items, panels and timers. The members
// are defined by concern: main_window.cpp (start-up, frame loop, shutdown), main_menus.cpp (the
// menu tree), main_status_bar.cpp, main_display.cpp (screen modes, full screen, screenshots),
// main_media.cpp (PRG, disk and tape commands, drag and drop, recent files), main_input.cpp (keys,
// focus, sound outputs), main_joysticks.cpp, main_speed.cpp (synchronisation, warp),
// main_snapshots.cpp, main_debug.cpp (the debugger windows).
class TForm_Main : public QMainWindow, public THost {
    Q_OBJECT
public:
    static constexpr int StatusPanelCount = 6;
    static constexpr int ClearInterval = 2000;  // ms until "Ready" returns to panel 0
    static constexpr int AutoLoadInterval = 100;  // ms between looks for the ROM's wait loop
    // The client area before the first screen mode is applied.
    static constexpr QSize InitialClientSize{377, 249};

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

    // What panel `index` shows (the drawn panels' text as drawn).
    QString StatusPanelText(int index) const;
    // The drive lamp colours of panels 3 and 4.
    QColor DriveLampColour(int drive) const { return drive == 9 ? Drive9Lamp : Drive8Lamp; }

    // The menu load after its file dialog: a missing file is reported, RUN typed only with
    // Autostart.
    void LoadPrgFromMenu(const QString& path);
    // The command-line file, once the ROM waits for keys; RUN is always typed.
    void Timer_AutoLoadTimer();
    // Opens a file as dropping it on the window does: PRG, D64 or TAP by its extension.
    // False (and nothing changed) for any other file.
    bool OpenDroppedFile(const QString& path);
    // The screen-mode command of code 0-10, as its menu item does it.
    void SelectDisplayMode(int32_t code);
    // Client area to the picture size plus the status bar; panel 0 takes the width left over.
    void FitWindow();
    bool FullScreenActive() const { return InFullScreen; }
    void SaveCurrentSettings1Click();
    // The save dialogs' common end: the file chooser, the overwrite question, the write of RAM
    // start..end as a PRG. False when the user cancelled the chooser or declined to overwrite.
    bool SaveRamArea(uint16_t start, uint16_t end, QString& lastDirectory);
    const std::string& SettingsPath() const { return SettingsFile; }
    QAction* ScreenModeItem(int32_t code) const;

    // Joystick Port 1/2: what drives each port.
    enum TJoystickMode : int32_t { JoystickNone = 0, JoystickKeyboard = 1, JoystickGamepad = 2 };
    void SetJoystickMode(int port, int32_t mode);
    // Types `text` through the keyboard matrix at the typist's steady rate, whatever the program
    // does; characters the keyboard has no key for are left out and counted in panel 0.
    void PasteText(const QString& text);
    // Keys by the character they type, or by their position (the default).
    void SetSymbolicKeyboard(bool on);
    // Synchronisation None at once, the sound muted; off again returns to the mode before.
    void SetWarp(bool on);
    bool WarpActive() const { return Warp; }
    // The synchronisation command of both menus; it ends warp.
    void SelectSyncMode(int32_t mode);
    // Writes the picture as shown (mode, palette, full-screen depth) as a PNG; false with a
    // message shown when the file cannot be written.
    bool SaveScreenshotTo(const QString& path);
    // Reads a cartridge image, attaches it and resets (main_cartridge.cpp); a refused file is
    // reported.
    bool AttachCartridgeFile(const QString& path);
    // Restores the snapshot in the file; a refused one is reported and changes nothing.
    bool LoadSnapshotFrom(const QString& path);
    // The PRG, D64 and TAP files used, most recent first.
    const std::vector<std::string>& RecentFileList() const { return RecentFiles; }
    // A file was opened: it goes to the top of the list, which is written to the settings file.
    void RememberRecentFile(const QString& path);

    std::unique_ptr<TMachine> Machine;
    TFrameSync FrameSync;
    TSpeedMeter SpeedMeter;
    // Text typed for the user: a dropped image's LOAD and RUN, the clipboard's paste.
    TTypist Typist;
    // The host's key events in order, each press held for the keyboard scans to see it.
    TKeyEventQueue KeyQueue{[this](const TKeyEventQueue::TEvent& key) { ApplyKeyEvent(key); }};
    int32_t SyncMode = TFrameSync::Sync50Hz;
    int32_t MachineType = MachineC16;
    int32_t ScreenMode = DefaultDisplayMode;
    int32_t DisplayMode = DefaultDisplayMode;
    int32_t DisplayWidth = 0;
    int32_t DisplayHeight = 0;
    int32_t Palette = 1;  // "Digitized 1"
    int32_t FullScreenDepth = 0;  // 0, 1, 2: 16, 24, 32 bits per pixel
    bool Autostart = false;  // a menu load types RUN too
    bool SymbolicKeyboard = false;  // keys by the character they type rather than by position
    int32_t JoystickMode[2] = {JoystickNone, JoystickNone};
    TGamepads Gamepads;
    bool ShowSpeed = false;
    bool QuickRegistersShown = false;
    // 0 none, 1 wave mapper, 2 the looping output; at most one output object exists.
    int32_t SoundOutputKind = 0;
    std::unique_ptr<TSoundDirectSound> SoundDirectSound;
    TUserPrompts Prompts;

    TScreenWidget* Screen = nullptr;
    QWidget* ScreenArea = nullptr;  // the central widget: the picture, centred
    QStatusBar* StatusBar_Main = nullptr;
    TStatusPanel* StatusPanels[StatusPanelCount] = {};
    QTimer* Timer_Clear = nullptr;
    QTimer* Timer_AutoLoad = nullptr;
    QTimer* IdleTimer = nullptr;

    TForm_Log* Form_Log = nullptr;
    TForm_About* Form_About = nullptr;
    TForm_HelpKeys* Form_HelpKeys = nullptr;
    TForm_Properties* Form_Properties = nullptr;
    TForm_SavePRG* Form_SavePRG = nullptr;
    // The debugger and utility windows (main_debug.cpp); they live as long as the machine.
    std::unique_ptr<TDebugWindows> DebugWindows;
    // The debug adapter protocol server (main_debug_server.cpp): on with Options › Debug server
    // or --debug-server PORT, on localhost only. False when the port cannot be taken (shown).
    bool SetDebugServer(bool on);
    const TDebugServer* DebugServerShown() const { return DebugServer.get(); }
    uint16_t DebugServerPort = 6502;

    // File
    QAction* Menu_LoadPRGfile = nullptr;
    QAction* SavePRGfile1 = nullptr;
    QAction* SaveBasicprogram1 = nullptr;
    QAction* SaveScreenshot1 = nullptr;
    QAction* MenuItem_LoadTAP = nullptr;
    QMenu* AttachD64image1 = nullptr;
    QAction* Drive81 = nullptr;
    QAction* Drive91 = nullptr;
    QMenu* DetachD64Image1 = nullptr;
    QAction* Drive82 = nullptr;
    QAction* Drive92 = nullptr;
    QMenu* SelectDirectory1 = nullptr;
    QAction* Drive84 = nullptr;
    QAction* Drive94 = nullptr;
    QAction* AttachMTAPImage1 = nullptr;
    QAction* DetachMTAPImage1 = nullptr;
    QAction* AttachCartridge1 = nullptr;
    QAction* DetachCartridge1 = nullptr;
    QMenu* RecentFiles1 = nullptr;
    QAction* Menu_Exit = nullptr;
    // Edit
    QAction* Menu_Paste = nullptr;
    // View
    QAction* Menu_StatusBar = nullptr;
    QAction* Menu_AlwaysonTop = nullptr;
    QAction* Menu_QuickRegisters = nullptr;
    QAction* TEDRegisters1 = nullptr;
    QAction* SystemInformaion1 = nullptr;
    QAction* GameDatabase1 = nullptr;
    QMenu* GDI1 = nullptr;
    QAction* Menu_GDI320x200 = nullptr;
    QAction* Menu_GDI360x240 = nullptr;
    QAction* Menu_GDI400x300 = nullptr;
    QAction* Menu_GDI456x312 = nullptr;
    QAction* Menu_320x200DoubleWindowedGDI = nullptr;
    QAction* Menu_360x240DoubleWindowedGDI = nullptr;
    QAction* Menu_320x200FSDX = nullptr;
    QAction* Menu_320x240FSDX = nullptr;
    QAction* Menu_400x300FSDX = nullptr;
    QAction* Menu_512x384FSDX = nullptr;
    QAction* Menu_640x480FSDX = nullptr;
    QMenu* FrameSkipping1 = nullptr;
    QAction* Menu_FrameSkip0 = nullptr;
    QAction* Menu_FrameSkip1 = nullptr;
    QAction* Menu_FrameSkip2 = nullptr;
    QAction* Menu_FrameSkip3 = nullptr;
    QMenu* Palette1 = nullptr;
    QAction* Menu_CalculatedPalette = nullptr;
    QAction* Menu_DigitizedPalette = nullptr;
    QAction* Menu_OriginalPalette = nullptr;
    QAction* Menu_ShowSpeed = nullptr;
    // Machine
    QAction* Menu_Reset = nullptr;
    QAction* Menu_HardReset = nullptr;
    QAction* Menu_SpecialReset = nullptr;
    QMenu* Sound1 = nullptr;
    QAction* Menu_Nosound = nullptr;
    QAction* Menu_WaveMapper = nullptr;
    QAction* Menu_DirectSound = nullptr;
    QMenu* Tape1 = nullptr;
    QAction* MenuItem_Play = nullptr;
    QAction* MenuItem_Stop = nullptr;
    QAction* MenuItem_Rewind = nullptr;
    QMenu* Drive83 = nullptr;
    QAction* Menu_Drive8None = nullptr;
    QAction* Menu_Drive8Dir = nullptr;
    QAction* Menu_Drive8D64 = nullptr;
    QMenu* Drive93 = nullptr;
    QAction* Menu_Drive9None = nullptr;
    QAction* Menu_Drive9Dir = nullptr;
    QAction* Menu_Drive9D64 = nullptr;
    QMenu* Synchronization1 = nullptr;
    QAction* Menu_SyncNone = nullptr;
    QAction* Menu_Sync50Hz = nullptr;
    QAction* VerticalBlank1 = nullptr;
    QAction* Menu_Warp = nullptr;
    QMenu* Machine1 = nullptr;
    QAction* Menu_Commodore16 = nullptr;
    QAction* Menu_Commodore232 = nullptr;
    QAction* Menu_CommodorePlus4 = nullptr;
    QAction* Menu_Commodore16with64K = nullptr;
    QAction* Menu_CustomMachine = nullptr;
    // Debug: the debugger windows connect these and enable them.
    QAction* Menu_Debugger = nullptr;
    QAction* MicroCodeDebugger1 = nullptr;
    QAction* MemoryDump1 = nullptr;
    QAction* CPURegisters1 = nullptr;
    QAction* CPUStack1 = nullptr;
    QAction* TEDRegisters2 = nullptr;
    QAction* BreakPoints1 = nullptr;
    QAction* StartCPUDebug1 = nullptr;
    QAction* Menu_StopOnUndocumented = nullptr;
    // Joystick
    QMenu* Port11 = nullptr;
    QMenu* Port21 = nullptr;
    // [port 1, port 2][None, Keyboard, Gamepad]
    QAction* JoystickItems[2][3] = {};
    // Options
    QAction* Savesnapshotimage1 = nullptr;
    QAction* Loadsnapshotimage1 = nullptr;
    QMenu* Menu_ProcessPriority = nullptr;
    QAction* Menu_PP_Normal = nullptr;
    QAction* Menu_PP_High = nullptr;
    QAction* Menu_PP_Realtime = nullptr;
    QAction* Options2 = nullptr;
    QAction* SaveCurrentSettings1 = nullptr;
    QAction* Menu_DebugServer = nullptr;
    // Help
    QAction* Homepage1 = nullptr;
    QAction* Keyboard2 = nullptr;
    QAction* Menu_About = nullptr;
    // The full-screen pop-up menu.
    QMenu* PopupMenu_FS = nullptr;
    QMenu* Synchronization2 = nullptr;
    QAction* Popup_Sync_None = nullptr;
    QAction* Popup_Sync_50Hz = nullptr;
    QAction* Popup_Sync_VerticalBlank = nullptr;
    QAction* Popup_ShowSpeed = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // main_window.cpp
    void FormCreate();
    void ReleaseMachine();
    QAction* MachineTypeItem(int32_t type) const;
    void SelectMachineType(int32_t type);
    // main_menus.cpp
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateViewMenu();
    void CreateMachineMenu();
    void CreateDebugAndJoystickMenus();
    void CreateOptionsAndHelpMenus();
    void CreatePopupMenu();
    // main_status_bar.cpp
    void CreateStatusBar();
    void Timer_ClearTimer();
    QString TapePanelText() const;
    void UpdateDriveLamps();
    void ShowSpeedFigure();
    void SetShowSpeed(bool on);
    void Menu_StatusBarClick();
    void Homepage1Click();
    // main_display.cpp
    void PresentFrame();
    // A mode command's common part; a windowed mode needs nothing else.
    void TakeDisplayMode(int32_t code);
    void SelectFullScreenMode(int32_t code);
    bool EnterFullScreen(int32_t width, int32_t height);
    void LeaveFullScreen();
    QAction* PaletteItem(int32_t code) const;
    void SelectPaletteCode(int32_t code);
    void SaveScreenshot1Click();
    // main_media.cpp
    void Menu_LoadPRGfileClick();
    void SavePRGfile1Click();
    void MenuItem_LoadTAPClick();
    void MenuItem_PlayClick();
    void MenuItem_StopClick();
    void MenuItem_RewindClick();
    // The tape items' enabled states with Play down or up.
    void EnableTapeItems(bool playing);
    void AttachD64Click(int32_t drive);
    void SelectDirectoryClick(int32_t drive);
    void SetDriveMode(int32_t drive, int32_t mode);
    bool InsertTape(const QString& path);
    bool AttachD64(int32_t drive, const QString& path);
    QString DialogDirectory(const QString& dialog) const;
    void RememberDirectory(const QString& dialog, const QString& path);
    void SaveBasicprogram1Click();
    void DetachD64Click(int32_t drive);
    bool OpenFileAsDropped(const QString& path);
    void RebuildRecentFilesMenu();
    // main_snapshots.cpp
    void Savesnapshotimage1Click();
    void Loadsnapshotimage1Click();
    // The looping output's synthesizer, whose phases a snapshot keeps; null without it.
    TSoundSynth* SoundSynth();
    // main_joysticks.cpp
    // Before each frame: both ports' switches from the keyboard joystick or the controllers.
    void UpdateJoysticks();
    bool KeyboardJoystickUsed() const;
    // main_debug.cpp
    void CreateDebugWindows();
    void ReleaseDebugWindows();
    // A command changed the machine: while stopped, the debugger windows show it at once.
    void ShowMachineChange();
    // main_cartridge.cpp
    void CreateCartridgeItems(QMenu* file);
    // main_debug_server.cpp
    void CreateDebugServerItem(QMenu* options);
    // Takes "--debug-server PORT" out of the arguments and starts the server.
    void TakeDebugServerArgument();
    // main_input.cpp
    // Routes a key message into the machine's key state; false when it was not taken.
    bool HandleKey(QKeyEvent* event, bool down);
    // A key event the queue lets through, into the machine's keys or the keyboard joystick.
    void ApplyKeyEvent(const TKeyEventQueue::TEvent& key);
    // Edit › Paste: the clipboard's text typed through the keyboard.
    void PasteClipboard();
    // Every key and the keyboard joystick let go, the waiting key events dropped.
    void ReleaseHostKeys();
    void Menu_NosoundClick();
    void Menu_DirectSoundClick();
    void PauseSound();
    void ResumeSound();
    void WatchMenuLoop(QMenu* menu);

    std::unique_ptr<TDebuggerHost> DebuggerHost;
    std::unique_ptr<TDapTarget> DebugServerTarget;
    std::unique_ptr<TDebugServer> DebugServer;
    std::function<void(const QString&)> ErrorBoxHandler;
    std::function<bool(int, int, int)> FullScreenCheck;
    std::vector<std::string> RomDirectories;
    std::string SettingsFile;
    QStringList Arguments;
    QString AutoLoadPath;
    QHash<QString, QString> LastDirectories;
    TScanCodeKind ScanCodeKind = TScanCodeKind::None;
    std::vector<std::string> RecentFiles;
    TSymbolicKeys SymbolicKeys;
    uint8_t KeyJoystickLines = 0;  // the keyboard joystick's switches, for the ports that use it
    bool Warp = false;
    int32_t SyncBeforeWarp = TFrameSync::Sync50Hz;
    QColor Drive8Lamp = Qt::black;
    QColor Drive9Lamp = Qt::black;
    bool InRunFrame = false;
    bool RomHintPending = false;  // the next error box adds RomImagesHint
    bool Shown = false;
    bool InFullScreen = false;
    bool Closing = false;
};
