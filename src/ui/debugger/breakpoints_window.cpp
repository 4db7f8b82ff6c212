#include "ui/debugger/breakpoints_window.h"

#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/report_list.h"

TForm_DebugBreakPoints::TForm_DebugBreakPoints(TCPU& cpu, QWidget* parent) : QWidget(parent, Qt::Window), Cpu(cpu) {
    setWindowTitle(QStringLiteral("BreakPoints"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ListView = NewReportList(this, {{"Number", 80, Qt::AlignHCenter}, {"Address", 80, Qt::AlignHCenter}});
    ListView->setMinimumHeight(200);
    layout->addWidget(ListView);

    // There is no per-breakpoint enable state: those two entries stay disabled. Removing the
    // selected breakpoint works as the debugger's Add/Remove Breakpoint on its line does.
    PopupMenu = new QMenu(this);
    PopupMenu->addAction(QStringLiteral("Enabled"))->setEnabled(false);
    PopupMenu->addAction(QStringLiteral("Disabled"))->setEnabled(false);
    connect(PopupMenu->addAction(QStringLiteral("Remove BreakPoint")), &QAction::triggered, this,
            &TForm_DebugBreakPoints::RemoveSelected);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { PopupMenu->popup(ListView->viewport()->mapToGlobal(at)); });
}

void TForm_DebugBreakPoints::Refresh() {
    ListView->clear();
    const int count = Cpu.ValidBreakpointCount();
    for (int i = 0; i < count; ++i) {
        AddReportRow(ListView, {QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                                QStringLiteral("$%1").arg(Cpu.Breakpoints[i], 4, 16, QLatin1Char('0')).toUpper()});
    }
}

void TForm_DebugBreakPoints::RemoveSelected() {
    const int row = ListView->currentIndex().row();
    if (row < 0 || row >= Cpu.ValidBreakpointCount() || !Cpu.RemoveBreakpoint(Cpu.Breakpoints[row])) return;
    Refresh();
    emit BreakpointRemoved();
}
