#pragma once
#include <array>
#include <cstdint>

#include "machine/machine_view.h"
#include "ui/debugger/inspection_window.h"

class QScrollBar;
class QToolButton;
class QMenu;
class THexEdit;
class TDrawingArea;

// The memory dump's character column: 0 and 255 show ".", 1 to 26 the letters "A" to "Z"
// (screen codes), every other byte itself.
char DumpCharacter(uint8_t value);

// One row of the memory dump: eight bytes from `address` as the processor would read them.
struct TDumpRow {
    QString Address;     // "%.4X"
    QString Bytes;       // "%.2X %.2X ..." eight times
    QString Characters;  // eight characters after DumpCharacter
};
TDumpRow DumpRow(const TMachineView& view, uint16_t address);

// "Memory Dump": sixteen rows of eight bytes from the scroll position × 8.
class TForm_DebugDump : public TInspectionWindow {
    Q_OBJECT
public:
    static constexpr int Rows = 16;
    static constexpr int LastPosition = 8176;  // row address $FF80: the last full page of rows
    static constexpr int TedPosition = 8160;   // row address $FF00

    TForm_DebugDump(TMachineView view, QWidget* parent);

    void Refresh() override;
    void EnableView() override;
    void DisableView() override;

    void JumpToAddress();
    void JumpTo(int position);  // the scroll bar keeps it within 0..8176

    // The rows as they are drawn while stopped.
    std::array<TDumpRow, Rows> VisibleRows() const;

    TDrawingArea* Image = nullptr;
    QScrollBar* ScrollBar = nullptr;
    THexEdit* Edit_JumpAddress = nullptr;
    QToolButton* ToolButton_JumpToAddress = nullptr;
    QToolButton* ToolButton_JumpToTED = nullptr;
    QToolButton* ToolButton_JumpToPC = nullptr;
    QToolButton* ToolButton_JumpToSP = nullptr;
    QToolButton* ToolButton_JumpToTop = nullptr;
    QToolButton* ToolButton_JumpToBottom = nullptr;
    QMenu* PopupMenu_MemoryDump = nullptr;

private:
    void SetControlsEnabled(bool enabled);
    void Draw(QPainter& painter) const;
    int ProgramCounterRow() const { return View.Cpu().PC / 8; }
    int StackPointerRow() const { return (0x0100 + View.Cpu().SP) / 8; }
};
