#pragma once
#include <QString>
#include <array>

#include "machine/machine_view.h"
#include "ui/debugger/inspection_window.h"

class QScrollBar;
class TDrawingArea;

// One row of the stack view: the stack offset and its byte, "%02X: %02X", and whether the
// stack pointer addresses it.
struct TStackRow {
    QString Text;
    bool Marked;
};

// "CPU Stack": sixteen bytes of page 1, from offset 255 − scroll position downwards, with a
// marker on the stack pointer's row.
class TForm_DebugStack : public TInspectionWindow {
    Q_OBJECT
public:
    static constexpr int Rows = 16;

    TForm_DebugStack(TMachineView view, QWidget* parent);

    void Refresh() override;
    void EnableView() override;
    void DisableView() override;

    std::array<TStackRow, Rows> VisibleRows() const;

    TDrawingArea* Image = nullptr;
    QScrollBar* ScrollBar = nullptr;

private:
    void Draw(QPainter& painter) const;
};
