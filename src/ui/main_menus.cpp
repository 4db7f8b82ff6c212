// The main window's menu tree and the full-screen pop-up menu: captions, shortcuts,
// separators, radio groups and which items start disabled. Items without a command here are
// either disabled for good or connected by the windows they open.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <initializer_list>

#include "host/process_priority.h"
#include "ted/palettes.h"
#include "ui/about_box.h"
#include "ui/help_keys_window.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/properties_dialog.h"

namespace {

QAction* AddItem(QMenu* menu, const QString& caption, QKeySequence shortcut = {}) {
    QAction* item = menu->addAction(caption);
    if (!shortcut.isEmpty()) item->setShortcut(shortcut);
    return item;
}

QAction* AddDisabled(QMenu* menu, const QString& caption, QKeySequence shortcut = {}) {
    QAction* item = AddItem(menu, caption, shortcut);
    item->setEnabled(false);
    return item;
}

// Items of one sub-menu that select one of several values: one check mark among them.
QActionGroup* RadioGroup(QObject* owner, std::initializer_list<QAction*> items) {
    auto* group = new QActionGroup(owner);
    for (QAction* item : items) {
        item->setCheckable(true);
        group->addAction(item);
    }
    return group;
}

}  // namespace

void TForm_Main::CreateMenus() {
    CreateFileMenu();
    CreateEditMenu();
    CreateViewMenu();
    CreateMachineMenu();
    CreateDebugAndJoystickMenus();
    CreateOptionsAndHelpMenus();
    // The shortcuts belong to the window too, so they work while the menu bar is off in
    // full screen.
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        for (QAction* item : menu->actions())
            if (!item->shortcut().isEmpty()) addAction(item);
    for (QAction* top : menuBar()->actions())
        if (top->menu()) WatchMenuLoop(top->menu());
}

void TForm_Main::CreateFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    Menu_LoadPRGfile = AddItem(file, QStringLiteral("&Load PRG file..."), Qt::Key_F8);
    connect(Menu_LoadPRGfile, &QAction::triggered, this, &TForm_Main::Menu_LoadPRGfileClick);
    SavePRGfile1 = AddItem(file, QStringLiteral("&Save PRG file..."), Qt::SHIFT | Qt::Key_F8);
    connect(SavePRGfile1, &QAction::triggered, this, &TForm_Main::SavePRGfile1Click);
    SaveBasicprogram1 = AddItem(file, QStringLiteral("Save &Basic program..."));
    connect(SaveBasicprogram1, &QAction::triggered, this, &TForm_Main::SaveBasicprogram1Click);
    SaveScreenshot1 = AddItem(file, QStringLiteral("Save &Screenshot..."));
    connect(SaveScreenshot1, &QAction::triggered, this, &TForm_Main::SaveScreenshot1Click);
    file->addSeparator();
    MenuItem_LoadTAP = AddItem(file, QStringLiteral("&Load TAP image..."));
    connect(MenuItem_LoadTAP, &QAction::triggered, this, &TForm_Main::MenuItem_LoadTAPClick);
    file->addSeparator();

    AttachD64image1 = file->addMenu(QStringLiteral("&Attach D64 Image..."));
    Drive81 = AddItem(AttachD64image1, QStringLiteral("Drive &8"));
    Drive91 = AddItem(AttachD64image1, QStringLiteral("Drive &9"));
    connect(Drive81, &QAction::triggered, this, [this] { AttachD64Click(8); });
    connect(Drive91, &QAction::triggered, this, [this] { AttachD64Click(9); });
    DetachD64Image1 = file->addMenu(QStringLiteral("&Detach D64 Image..."));
    Drive82 = AddItem(DetachD64Image1, QStringLiteral("Drive &8"));
    Drive92 = AddItem(DetachD64Image1, QStringLiteral("Drive &9"));
    connect(Drive82, &QAction::triggered, this, [this] { DetachD64Click(8); });
    connect(Drive92, &QAction::triggered, this, [this] { DetachD64Click(9); });
    SelectDirectory1 = file->addMenu(QStringLiteral("Select &Directory..."));
    Drive84 = AddItem(SelectDirectory1, QStringLiteral("Drive &8"));
    Drive94 = AddItem(SelectDirectory1, QStringLiteral("Drive &9"));
    connect(Drive84, &QAction::triggered, this, [this] { SelectDirectoryClick(8); });
    connect(Drive94, &QAction::triggered, this, [this] { SelectDirectoryClick(9); });
    file->addSeparator();

    AttachMTAPImage1 = AddDisabled(file, QStringLiteral("Attach &MTAP Image..."));
    DetachMTAPImage1 = AddDisabled(file, QStringLiteral("Detach M&TAP Image..."));
    CreateCartridgeItems(file);
    file->addSeparator();
    // Filled from the settings file once the window exists (RebuildRecentFilesMenu).
    RecentFiles1 = file->addMenu(QStringLiteral("Recent &Files"));
    file->addSeparator();
    Menu_Exit = AddItem(file, QStringLiteral("E&xit"), Qt::Key_F12);
    connect(Menu_Exit, &QAction::triggered, this, &QWidget::close);
}

void TForm_Main::CreateEditMenu() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    Menu_Paste = AddItem(edit, QStringLiteral("&Paste"), Qt::CTRL | Qt::SHIFT | Qt::Key_V);
    connect(Menu_Paste, &QAction::triggered, this, &TForm_Main::PasteClipboard);
}

void TForm_Main::CreateViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    Menu_StatusBar = AddItem(view, QStringLiteral("&Status Bar"));
    Menu_StatusBar->setCheckable(true);
    Menu_StatusBar->setChecked(true);
    connect(Menu_StatusBar, &QAction::triggered, this, &TForm_Main::Menu_StatusBarClick);
    Menu_AlwaysonTop = AddItem(view, QStringLiteral("&Always on Top"));
    Menu_AlwaysonTop->setCheckable(true);
    Menu_AlwaysonTop->setVisible(false);
    connect(Menu_AlwaysonTop, &QAction::triggered, this, [this](bool checked) {
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, checked);
        if (visible) show();  // changing the flags hides the window
    });
    view->addSeparator();
    Menu_QuickRegisters = AddDisabled(view, QStringLiteral("Quick &CPU Registers..."), Qt::SHIFT | Qt::Key_F9);
    Menu_QuickRegisters->setCheckable(true);
    TEDRegisters1 = AddDisabled(view, QStringLiteral("Quick &TED Registers..."));
    SystemInformaion1 = AddDisabled(view, QStringLiteral("BASIC System &Informaion..."));
    GameDatabase1 = AddDisabled(view, QStringLiteral("Game Database"), Qt::SHIFT | Qt::Key_F7);
    view->addSeparator();

    GDI1 = view->addMenu(QStringLiteral("Screen &Mode"));
    QAction** modeItems[DisplayModeCount] = {
        &Menu_GDI320x200, &Menu_GDI360x240, &Menu_GDI400x300, &Menu_GDI456x312,
        &Menu_320x200DoubleWindowedGDI, &Menu_360x240DoubleWindowedGDI, &Menu_320x200FSDX,
        &Menu_320x240FSDX, &Menu_400x300FSDX, &Menu_512x384FSDX, &Menu_640x480FSDX};
    auto* modeGroup = new QActionGroup(this);
    for (int32_t code = 0; code < DisplayModeCount; ++code) {
        // Separators after "456x312 - Windowed GDI" and "360x240 - Double Windowed GDI".
        if (code == 4 || code == 6) GDI1->addSeparator();
        QAction* item = AddItem(GDI1, QString::fromLatin1(DisplayModes[code].Caption));
        item->setCheckable(true);
        modeGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, code] { SelectDisplayMode(code); });
        *modeItems[code] = item;
    }

    FrameSkipping1 = view->addMenu(QStringLiteral("Screen Refresh"));
    Menu_FrameSkip0 = AddItem(FrameSkipping1, QStringLiteral("Every Frame"));
    Menu_FrameSkip1 = AddItem(FrameSkipping1, QStringLiteral("Skip 1 Frame"));
    Menu_FrameSkip2 = AddItem(FrameSkipping1, QStringLiteral("Skip 2 Frames"));
    Menu_FrameSkip3 = AddItem(FrameSkipping1, QStringLiteral("Skip 3 Frames"));
    RadioGroup(this, {Menu_FrameSkip0, Menu_FrameSkip1, Menu_FrameSkip2, Menu_FrameSkip3});
    int32_t divisor = 1;
    for (QAction* item : {Menu_FrameSkip0, Menu_FrameSkip1, Menu_FrameSkip2, Menu_FrameSkip3}) {
        connect(item, &QAction::triggered, this, [this, divisor] {
            if (Machine) Machine->SetSkipDivisor(divisor);
        });
        ++divisor;
    }

    Palette1 = view->addMenu(QStringLiteral("&Palette"));
    Menu_CalculatedPalette = AddItem(Palette1, QStringLiteral("&Calculated"));
    Menu_DigitizedPalette = AddItem(Palette1, QStringLiteral("Digitized &1"));
    Menu_OriginalPalette = AddItem(Palette1, QStringLiteral("Digitized &2"));
    RadioGroup(this, {Menu_CalculatedPalette, Menu_DigitizedPalette, Menu_OriginalPalette});
    connect(Menu_CalculatedPalette, &QAction::triggered, this, [this] { SelectPaletteCode(PaletteCalculated); });
    connect(Menu_DigitizedPalette, &QAction::triggered, this, [this] { SelectPaletteCode(PaletteDigitized1); });
    connect(Menu_OriginalPalette, &QAction::triggered, this, [this] { SelectPaletteCode(PaletteDigitized2); });
    view->addSeparator();
    Menu_ShowSpeed = AddItem(view, QStringLiteral("S&how Speed"));
    Menu_ShowSpeed->setCheckable(true);
    connect(Menu_ShowSpeed, &QAction::triggered, this, [this](bool checked) { SetShowSpeed(checked); });
}

void TForm_Main::CreateMachineMenu() {
    QMenu* machine = menuBar()->addMenu(QStringLiteral("&Machine"));
    Menu_Reset = AddItem(machine, QStringLiteral("&Reset"), Qt::Key_F11);
    connect(Menu_Reset, &QAction::triggered, this, [this] {
        if (Machine) Machine->SoftReset();
        ShowMachineChange();
    });
    Menu_HardReset = AddItem(machine, QStringLiteral("&Hard Reset"), Qt::SHIFT | Qt::Key_F11);
    connect(Menu_HardReset, &QAction::triggered, this, [this] {
        if (Machine) Machine->HardReset();
        ShowMachineChange();
    });
    Menu_SpecialReset = AddItem(machine, QStringLiteral("&Special Reset"), Qt::CTRL | Qt::Key_F11);
    connect(Menu_SpecialReset, &QAction::triggered, this, [this] {
        if (Machine) Machine->SpecialReset();
        ShowMachineChange();
    });
    machine->addSeparator();

    Sound1 = machine->addMenu(QStringLiteral("Sound"));
    Menu_Nosound = AddItem(Sound1, QStringLiteral("No sound"));
    // The wave-mapper output never played anything; it stays offered but disabled.
    Menu_WaveMapper = AddDisabled(Sound1, QStringLiteral("Wave Mapper"));
    Menu_DirectSound = AddItem(Sound1, QStringLiteral("DirectSound"));
    RadioGroup(this, {Menu_Nosound, Menu_WaveMapper, Menu_DirectSound});
    connect(Menu_Nosound, &QAction::triggered, this, &TForm_Main::Menu_NosoundClick);
    connect(Menu_DirectSound, &QAction::triggered, this, &TForm_Main::Menu_DirectSoundClick);
    machine->addSeparator();

    Tape1 = machine->addMenu(QStringLiteral("&Tape"));
    MenuItem_Play = AddItem(Tape1, QStringLiteral("Press &Play"), Qt::Key_F5);
    MenuItem_Stop = AddDisabled(Tape1, QStringLiteral("Press &Stop"), Qt::SHIFT | Qt::Key_F5);
    MenuItem_Rewind = AddItem(Tape1, QStringLiteral("&Rewind tape"));
    connect(MenuItem_Play, &QAction::triggered, this, &TForm_Main::MenuItem_PlayClick);
    connect(MenuItem_Stop, &QAction::triggered, this, &TForm_Main::MenuItem_StopClick);
    connect(MenuItem_Rewind, &QAction::triggered, this, &TForm_Main::MenuItem_RewindClick);

    auto addDrive = [&](int32_t drive, QMenu*& menu, QAction*& none, QAction*& directory, QAction*& d64) {
        menu = machine->addMenu(drive == 8 ? QStringLiteral("Drive &8") : QStringLiteral("Drive &9"));
        none = AddItem(menu, QStringLiteral("&None"));
        directory = AddItem(menu, QStringLiteral("&Directory"));
        d64 = AddItem(menu, QStringLiteral("D64 &File"));
        RadioGroup(this, {none, directory, d64});
        connect(none, &QAction::triggered, this, [this, drive] { SetDriveMode(drive, TDrive::ModeNone); });
        connect(directory, &QAction::triggered, this, [this, drive] { SetDriveMode(drive, TDrive::ModeDirectory); });
        connect(d64, &QAction::triggered, this, [this, drive] { SetDriveMode(drive, TDrive::ModeD64); });
    };
    addDrive(8, Drive83, Menu_Drive8None, Menu_Drive8Dir, Menu_Drive8D64);
    addDrive(9, Drive93, Menu_Drive9None, Menu_Drive9Dir, Menu_Drive9D64);
    machine->addSeparator();

    Synchronization1 = machine->addMenu(QStringLiteral("S&ynchronization"));
    Menu_SyncNone = AddItem(Synchronization1, QStringLiteral("&None"));
    Menu_Sync50Hz = AddItem(Synchronization1, QStringLiteral("&50Hz"));
    // Waits for the vertical blank of a full-screen display only, so it is offered there.
    VerticalBlank1 = AddDisabled(Synchronization1, QStringLiteral("Vertical Blank"));
    RadioGroup(this, {Menu_SyncNone, Menu_Sync50Hz, VerticalBlank1});
    connect(Menu_SyncNone, &QAction::triggered, this, [this] { SelectSyncMode(TFrameSync::SyncNone); });
    connect(Menu_Sync50Hz, &QAction::triggered, this, [this] { SelectSyncMode(TFrameSync::Sync50Hz); });
    // Alt with a letter that no menu title uses: the machine never sees keys pressed with Alt.
    Menu_Warp = AddItem(machine, QStringLiteral("&Warp"), Qt::ALT | Qt::Key_W);
    Menu_Warp->setCheckable(true);
    connect(Menu_Warp, &QAction::triggered, this, [this](bool checked) { SetWarp(checked); });

    Machine1 = machine->addMenu(QStringLiteral("&Machine Type"));
    Menu_Commodore16 = AddItem(Machine1, QStringLiteral("Commodore 16"));
    Menu_Commodore232 = AddItem(Machine1, QStringLiteral("Commodore 232"));
    Menu_CommodorePlus4 = AddItem(Machine1, QStringLiteral("Commodore Plus4"));
    Machine1->addSeparator();
    Menu_Commodore16with64K = AddItem(Machine1, QStringLiteral("Commodore 16 with 64K RAM"));
    // Chosen only through the settings file: the item shows it but has no command.
    Menu_CustomMachine = AddDisabled(Machine1, QStringLiteral("Custom Machine"));
    RadioGroup(this, {Menu_Commodore16, Menu_Commodore232, Menu_CommodorePlus4, Menu_Commodore16with64K,
                      Menu_CustomMachine});
    int32_t type = MachineC16;
    for (QAction* item : {Menu_Commodore16, Menu_Commodore232, Menu_CommodorePlus4, Menu_Commodore16with64K}) {
        connect(item, &QAction::triggered, this, [this, type] { if (Machine) SelectMachineType(type); });
        ++type;
    }
}

void TForm_Main::CreateDebugAndJoystickMenus() {
    QMenu* debug = menuBar()->addMenu(QStringLiteral("&Debug"));
    Menu_Debugger = AddDisabled(debug, QStringLiteral("&Debugger..."), Qt::Key_F9);
    debug->addSeparator();
    MicroCodeDebugger1 = AddDisabled(debug, QStringLiteral("M&icro-Code Debugger..."));
    MemoryDump1 = AddDisabled(debug, QStringLiteral("&Memory Dump..."));
    CPURegisters1 = AddDisabled(debug, QStringLiteral("&CPU Registers..."));
    CPUStack1 = AddDisabled(debug, QStringLiteral("CPU &Stack..."));
    TEDRegisters2 = AddDisabled(debug, QStringLiteral("&TED Registers..."));
    BreakPoints1 = AddDisabled(debug, QStringLiteral("&BreakPoints..."));
    debug->addSeparator();
    StartCPUDebug1 = AddItem(debug, QStringLiteral("Log Window..."));
    connect(StartCPUDebug1, &QAction::triggered, this, [this] {
        Form_Log->show();
        Form_Log->raise();
    });
    // Off by default: the chip runs undocumented opcodes, and programs use them.
    Menu_StopOnUndocumented = AddItem(debug, QStringLiteral("Stop on undocumented opcodes"));
    Menu_StopOnUndocumented->setCheckable(true);
    connect(Menu_StopOnUndocumented, &QAction::toggled, this, [this](bool on) {
        if (Machine) Machine->Cpu.StopOnUndocumented = on;
    });

    QMenu* joystick = menuBar()->addMenu(QStringLiteral("&Joystick"));
    for (int port = 1; port <= 2; ++port) {
        QMenu* menu =
            joystick->addMenu(port == 1 ? QStringLiteral("Joystick Port &1") : QStringLiteral("Joystick Port &2"));
        (port == 1 ? Port11 : Port21) = menu;
        QAction** items = JoystickItems[port - 1];
        items[JoystickNone] = AddItem(menu, QStringLiteral("&None"));
        items[JoystickKeyboard] = AddItem(menu, QStringLiteral("&Keyboard"));
        items[JoystickGamepad] = AddItem(menu, QStringLiteral("&Gamepad"));
        RadioGroup(this, {items[0], items[1], items[2]});
        items[JoystickNone]->setChecked(true);
        for (int32_t mode : {JoystickNone, JoystickKeyboard, JoystickGamepad})
            connect(items[mode], &QAction::triggered, this, [this, port, mode] { SetJoystickMode(port, mode); });
    }
}

void TForm_Main::CreateOptionsAndHelpMenus() {
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    Savesnapshotimage1 = AddItem(options, QStringLiteral("&Save snapshot image..."), Qt::Key_F6);
    connect(Savesnapshotimage1, &QAction::triggered, this, &TForm_Main::Savesnapshotimage1Click);
    Loadsnapshotimage1 = AddItem(options, QStringLiteral("&Load snapshot image..."), Qt::SHIFT | Qt::Key_F6);
    connect(Loadsnapshotimage1, &QAction::triggered, this, &TForm_Main::Loadsnapshotimage1Click);
    options->addSeparator();
    Menu_ProcessPriority = options->addMenu(QStringLiteral("&Process Priority"));
    Menu_PP_Normal = AddItem(Menu_ProcessPriority, QStringLiteral("&Normal"));
    Menu_PP_High = AddItem(Menu_ProcessPriority, QStringLiteral("&High"));
    Menu_PP_Realtime = AddItem(Menu_ProcessPriority, QStringLiteral("&Realtime"));
    RadioGroup(this, {Menu_PP_Normal, Menu_PP_High, Menu_PP_Realtime});
    connect(Menu_PP_Normal, &QAction::triggered, this, [] { SetProcessPriority(0); });
    connect(Menu_PP_High, &QAction::triggered, this, [] { SetProcessPriority(1); });
    connect(Menu_PP_Realtime, &QAction::triggered, this, [] { SetProcessPriority(2); });
    Options2 = AddItem(options, QStringLiteral("P&roperties..."), Qt::Key_F7);
    connect(Options2, &QAction::triggered, this, [this] { Form_Properties->exec(); });
    CreateDebugServerItem(options);
    options->addSeparator();
    SaveCurrentSettings1 = AddItem(options, QStringLiteral("Save &Current Settings"));
    connect(SaveCurrentSettings1, &QAction::triggered, this, &TForm_Main::SaveCurrentSettings1Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    Homepage1 = AddItem(help, QStringLiteral("&Homepage..."));
    connect(Homepage1, &QAction::triggered, this, &TForm_Main::Homepage1Click);
    Keyboard2 = AddItem(help, QStringLiteral("&Keyboard Layout..."));
    connect(Keyboard2, &QAction::triggered, this, [this] {
        Form_HelpKeys->show();
        Form_HelpKeys->raise();
    });
    help->addSeparator();
    Menu_About = AddItem(help, QStringLiteral("&About..."));
    connect(Menu_About, &QAction::triggered, this, [this] { Form_About->exec(); });
}

void TForm_Main::CreatePopupMenu() {
    // Its items only run the menu bar's commands. Their shortcuts are shown but belong to the
    // menu bar's items, so they are not registered twice.
    PopupMenu_FS = new QMenu(this);
    // Full screen sets the window's context menu policy to custom: a right click opens it.
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu_FS->popup(mapToGlobal(at)); });
    auto addMirror = [this](QMenu* menu, const QString& caption, QAction* target) {
        QAction* item = menu->addAction(caption);
        item->setShortcut(target->shortcut());
        item->setShortcutContext(Qt::WidgetShortcut);
        item->setEnabled(target->isEnabled());
        connect(target, &QAction::enabledChanged, item, &QAction::setEnabled);
        connect(item, &QAction::triggered, target, &QAction::trigger);
        return item;
    };
    QMenu* modes = PopupMenu_FS->addMenu(QStringLiteral("Screen &Mode"));
    for (int32_t code = 0; code < 4; ++code)
        addMirror(modes, QString::fromLatin1(DisplayModes[code].Caption), ScreenModeItem(code));

    Synchronization2 = PopupMenu_FS->addMenu(QStringLiteral("S&ynchronization"));
    Popup_Sync_None = AddItem(Synchronization2, QStringLiteral("&None"));
    Popup_Sync_50Hz = AddItem(Synchronization2, QStringLiteral("&50Hz"));
    Popup_Sync_VerticalBlank = AddItem(Synchronization2, QStringLiteral("&Vertical Blank"));
    RadioGroup(this, {Popup_Sync_None, Popup_Sync_50Hz, Popup_Sync_VerticalBlank});
    connect(Popup_Sync_None, &QAction::triggered, this, [this] { SelectSyncMode(TFrameSync::SyncNone); });
    connect(Popup_Sync_50Hz, &QAction::triggered, this, [this] { SelectSyncMode(TFrameSync::Sync50Hz); });
    connect(Popup_Sync_VerticalBlank, &QAction::triggered, this, [this] { SelectSyncMode(TFrameSync::SyncVerticalBlank); });
    connect(Synchronization2, &QMenu::aboutToShow, this, [this] {
        if (SyncMode == TFrameSync::SyncNone) Popup_Sync_None->setChecked(true);
        if (SyncMode == TFrameSync::Sync50Hz) Popup_Sync_50Hz->setChecked(true);
        if (SyncMode == TFrameSync::SyncVerticalBlank) Popup_Sync_VerticalBlank->setChecked(true);
    });

    Popup_ShowSpeed = AddItem(PopupMenu_FS, QStringLiteral("&Show Speed"));
    Popup_ShowSpeed->setCheckable(true);
    // Only the flag changes: the menu bar's check mark stays as it was.
    connect(Popup_ShowSpeed, &QAction::triggered, this, [this] { SetShowSpeed(!ShowSpeed); });
    connect(PopupMenu_FS, &QMenu::aboutToShow, this, [this] { Popup_ShowSpeed->setChecked(ShowSpeed); });

    PopupMenu_FS->addSeparator();
    QMenu* machine = PopupMenu_FS->addMenu(QStringLiteral("&Machine"));
    addMirror(machine, QStringLiteral("Reset"), Menu_Reset);
    addMirror(machine, QStringLiteral("Hard Reset"), Menu_HardReset);
    addMirror(machine, QStringLiteral("Special Reset"), Menu_SpecialReset);
    QMenu* tape = PopupMenu_FS->addMenu(QStringLiteral("&Tape"));
    addMirror(tape, QStringLiteral("Press &Play"), MenuItem_Play);
    addMirror(tape, QStringLiteral("Press &Stop"), MenuItem_Stop);
    addMirror(tape, QStringLiteral("Rewind Tape"), MenuItem_Rewind);
    PopupMenu_FS->addSeparator();
    addMirror(PopupMenu_FS, QStringLiteral("E&xit"), Menu_Exit);
    WatchMenuLoop(PopupMenu_FS);
}
