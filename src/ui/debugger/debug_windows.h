#pragma once
#include <QObject>
#include <memory>

#include "machine/machine.h"

class QWidget;
class TDebuggerHost;
class TForm_Database;
class TForm_DebugBreakPoints;
class TForm_DebugCPU;
class TForm_DebugDump;
class TForm_DebugMicro;
class TForm_DebugStack;
class TForm_DebugTED;
class TForm_Debugger;
class TForm_Info;
class TForm_QuickRegisters;

// The debugger and utility windows, created together with the main window and only shown or
// hidden afterwards. The main window's menu items call the Show... slots; its frame loop and
// palette commands call the three hooks below.
class TDebugWindows : public QObject {
    Q_OBJECT
public:
    // `mainWindow` is the windows' parent (they stay above it); `databaseDirectories` are
    // searched in order for gamedatabase.ini. The owner releases this before the machine.
    TDebugWindows(TMachine& machine, TDebuggerHost& host, QWidget* mainWindow, QStringList databaseDirectories);
    ~TDebugWindows() override;

    // The processor reached a breakpoint: show the debugger and stop emulation.
    void BreakpointReached();
    // The frame loop's call has ended: the quick register window, when shown, follows the
    // processor.
    void AfterFrame();
    // Something changed the machine while emulation is stopped, or a run that a breakpoint
    // stopped has ended its clock step: every window shows the machine as it now is.
    void MachineChanged();
    // The palette has changed: the TED window's colour panels follow while stopped.
    void PaletteChanged();

    TForm_Debugger* Debugger = nullptr;
    TForm_DebugBreakPoints* BreakPoints = nullptr;
    TForm_DebugCPU* Cpu = nullptr;
    TForm_DebugDump* Dump = nullptr;
    TForm_DebugStack* Stack = nullptr;
    TForm_DebugTED* Ted = nullptr;
    TForm_DebugMicro* Micro = nullptr;
    TForm_QuickRegisters* QuickRegisters = nullptr;
    TForm_Database* Database = nullptr;
    TForm_Info* Info = nullptr;

public slots:
    void ShowDebugger();
    void ShowMicroCodeDebugger();
    void ShowMemoryDump();
    void ShowCpuRegisters();
    void ShowCpuStack();
    void ShowTedRegisters();
    void ShowBreakPoints();
    // The quick register window follows the menu item's check mark.
    void SetQuickRegistersShown(bool shown);
    void ShowSystemInformation();
    void ShowGameDatabase();

signals:
    // The user closed the quick register window.
    void QuickRegistersClosed();

private:
    TMachine& Machine;
};
