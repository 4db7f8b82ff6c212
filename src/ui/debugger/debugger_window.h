#pragma once
#include <QWidget>
#include <array>
#include <cstdint>

#include "cpu/disassembler.h"
#include "debug/symbolic_listing.h"
#include "machine/machine.h"

class QAction;
class QLabel;
class QMenu;
class QScrollBar;
class QStatusBar;
class QToolButton;
class TDebuggerHost;
class TDrawingArea;
class THexEdit;
class TForm_DebugBreakPoints;
class TForm_DebugCPU;
class TForm_DebugDump;
class TForm_DebugMicro;
class TForm_DebugStack;
class TForm_DebugTED;

// The windows the debugger enables, disables and refreshes as it stops, runs and steps.
struct TInspectionWindows {
    TForm_DebugCPU* Cpu;
    TForm_DebugDump* Dump;
    TForm_DebugStack* Stack;
    TForm_DebugMicro* Micro;
    TForm_DebugTED* Ted;
    TForm_DebugBreakPoints* BreakPoints;
};

// "Main Debugger Window": stops and runs emulation, steps by instruction, over subroutines and
// by single clock, lists 16 instructions from any address with the program counter marked and
// breakpoints on red, and adds and removes breakpoints by line.
class TForm_Debugger : public QWidget {
    Q_OBJECT
public:
    static constexpr int Lines = TListing::Lines;
    static constexpr int LineHeight = 14;

    TForm_Debugger(TMachine& machine, TDebuggerHost& host, TInspectionWindows windows, QWidget* parent);

    // Stop: the frame loop off, every debugger window enabled and refreshed, the listing at PC.
    // Run/Stop while running, and a breakpoint hit, call it.
    void StopEmulation();
    // Run/Stop while stopped.
    void Run();
    void UpdateControls();
    // Something changed the machine while stopped (a reset, a snapshot, a load, a breakpoint's
    // clock step ending): every window shows it as it now is, the listing from PC.
    void MachineChanged();
    // Lists from `start` (which becomes the listing's start) and refreshes the controls.
    void DrawListing(uint16_t start);

    // The commands. Stepping works only while stopped.
    void RunStopClick();
    void StepIn();
    void StepOver();
    void StepOneCycle();
    void JumpToPC();
    void JumpToAddress();
    // Adds or removes the breakpoint on the line of the last right-button click.
    void AddRemoveBreakpoint();

    // File › Load labels: the label file's names replace those loaded before. False with the
    // reason when the file gives none.
    bool LoadLabels(const QString& path, QString& error);
    // Adds or removes the breakpoint at the Jump field's address or label.
    void ToggleBreakpointAtJumpAddress();

    // The listing as it is drawn while stopped, with "name:" lines and named operands, and the
    // register line under it.
    TSymbolListing Listing() const;
    QString RegisterText() const;
    QString StatusPanelText(int index) const;
    // The image list index the Run/Stop button shows: 0 while stopped, 3 while running.
    int RunStopImage() const { return RunStopImageIndex; }

    uint16_t ListingStart = 0;
    std::array<int32_t, Lines> LineAddress{};
    int LastClickY = 0;

    QToolButton* ToolButton_RunStop = nullptr;
    QToolButton* ToolButton_StepIn = nullptr;
    QToolButton* ToolButton_StepOver = nullptr;
    QToolButton* ToolButton_StepOneCycle = nullptr;
    QToolButton* ToolButton_SetCursorToPC = nullptr;
    QToolButton* ToolButton_SetPCToCursor = nullptr;
    THexEdit* Edit_JumpAddress = nullptr;
    QToolButton* ToolButton_JumpToAddress = nullptr;
    QToolButton* ToolButton_JumpToPC = nullptr;
    QToolButton* ToolButton_BreakAtAddress = nullptr;
    QAction* Menu_LoadLabels = nullptr;
    TSymbolTable Symbols;
    TDrawingArea* Image = nullptr;
    QScrollBar* ScrollBar = nullptr;
    QStatusBar* StatusBar = nullptr;
    QMenu* PopupMenu = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateToolBar();
    void CreatePopupMenu();
    void CreateMenuBar();
    void Draw(QPainter& painter) const;
    void SetRunStopImage(int index);
    // After a step: the listing from ListingStart and the other windows.
    void ShowStep(bool refreshTed);
    bool Stopped() const { return Machine.EmulationStopped; }

    TMachine& Machine;
    TDebuggerHost& Host;
    TInspectionWindows Windows;
    std::array<QLabel*, 5> Panels{};
    int RunStopImageIndex = 3;
};
