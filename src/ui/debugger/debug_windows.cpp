#include "ui/debugger/debug_windows.h"

#include <QWidget>

#include "machine/machine_view.h"
#include "ui/debugger/breakpoints_window.h"
#include "ui/debugger/cpu_window.h"
#include "ui/debugger/debugger_window.h"
#include "ui/debugger/dump_window.h"
#include "ui/debugger/micro_window.h"
#include "ui/debugger/quick_registers_window.h"
#include "ui/debugger/stack_window.h"
#include "ui/debugger/ted_window.h"
#include "ui/utility/database_window.h"
#include "ui/utility/info_window.h"

namespace {

// Shows a window that may be hidden behind others or minimised, and brings it forward.
void Present(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

TDebugWindows::TDebugWindows(TMachine& machine, TDebuggerHost& host, QWidget* mainWindow, QStringList databaseDirectories)
    : Machine(machine) {
    const TMachineView view(machine);
    Cpu = new TForm_DebugCPU(machine, mainWindow);
    Dump = new TForm_DebugDump(view, mainWindow);
    Stack = new TForm_DebugStack(view, mainWindow);
    Micro = new TForm_DebugMicro(view, mainWindow);
    Ted = new TForm_DebugTED(view, mainWindow);
    BreakPoints = new TForm_DebugBreakPoints(machine.Cpu, mainWindow);
    Debugger = new TForm_Debugger(machine, host, {Cpu, Dump, Stack, Micro, Ted, BreakPoints}, mainWindow);
    QuickRegisters = new TForm_QuickRegisters(view, mainWindow);
    Database = new TForm_Database(std::move(databaseDirectories), mainWindow);
    Info = new TForm_Info(view, mainWindow);

    connect(Cpu, &TForm_DebugCPU::ProgramCounterEntered, this, [this] { Debugger->DrawListing(Debugger->ListingStart); });
    connect(Cpu, &TForm_DebugCPU::RegistersEdited, this, [this] {
        Debugger->DrawListing(Debugger->ListingStart);
        Stack->Refresh();
        if (QuickRegisters->isVisible()) QuickRegisters->Refresh();
    });
    connect(BreakPoints, &TForm_DebugBreakPoints::BreakpointRemoved, this,
            [this] { Debugger->DrawListing(Debugger->ListingStart); });
    connect(QuickRegisters, &TForm_QuickRegisters::Closed, this, &TDebugWindows::QuickRegistersClosed);
}

TDebugWindows::~TDebugWindows() {
    // The windows read the machine: they go before it does, whatever order the main window
    // releases its children in.
    for (QWidget* window : std::initializer_list<QWidget*>{Debugger, BreakPoints, Cpu, Dump, Stack, Ted, Micro,
                                                           QuickRegisters, Database, Info})
        delete window;
}

void TDebugWindows::BreakpointReached() {
    // A hit during one of the debugger's own steps finds the window up already; raising it
    // again for every pass of a loop would only cost time.
    if (!Machine.EmulationStopped || !Debugger->isVisible()) Present(Debugger);
    Debugger->StopEmulation();
}

void TDebugWindows::AfterFrame() {
    if (QuickRegisters->isVisible()) QuickRegisters->Refresh();
}

void TDebugWindows::MachineChanged() {
    if (!Machine.EmulationStopped) return;
    Debugger->MachineChanged();
    if (QuickRegisters->isVisible()) QuickRegisters->Refresh();
}

void TDebugWindows::PaletteChanged() {
    if (Machine.EmulationStopped) Ted->Refresh();
}

void TDebugWindows::ShowDebugger() { Present(Debugger); }
void TDebugWindows::ShowMicroCodeDebugger() { Present(Micro); }
void TDebugWindows::ShowMemoryDump() { Present(Dump); }
void TDebugWindows::ShowCpuRegisters() { Present(Cpu); }
void TDebugWindows::ShowCpuStack() { Present(Stack); }
void TDebugWindows::ShowTedRegisters() { Present(Ted); }
void TDebugWindows::ShowBreakPoints() { Present(BreakPoints); }
void TDebugWindows::ShowSystemInformation() { Present(Info); }
void TDebugWindows::ShowGameDatabase() { Present(Database); }

void TDebugWindows::SetQuickRegistersShown(bool shown) {
    if (shown) {
        QuickRegisters->Refresh();
        QuickRegisters->show();
    } else {
        QuickRegisters->close();
    }
}
