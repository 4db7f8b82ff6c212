#pragma once
#include <QWidget>

#include "cpu/cpu.h"

class QMenu;
class QTreeWidget;

// "BreakPoints": the breakpoint list, numbered in the order the breakpoints were added. The
// list is rebuilt by Refresh, which the debugger calls when it adds or removes one; showing
// the window does not rebuild it.
class TForm_DebugBreakPoints : public QWidget {
    Q_OBJECT
public:
    TForm_DebugBreakPoints(TCPU& cpu, QWidget* parent);

    void Refresh();

    QTreeWidget* ListView = nullptr;
    QMenu* PopupMenu = nullptr;

signals:
    // "Remove BreakPoint" took the selected breakpoint out of the list.
    void BreakpointRemoved();

private:
    void RemoveSelected();

    TCPU& Cpu;
};
