#include "ui/debugger/breakpoints_window.h"

#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

TForm_DebugBreakPoints::TForm_DebugBreakPoints(TCPU& cpu, QWidget* parent) : QWidget(parent, Qt::Window), Cpu(cpu) {
    setWindowTitle(QStringLiteral("BreakPoints"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ListView = new QTreeWidget(this);
    ListView->setColumnCount(2);
    ListView->setHeaderLabels({QStringLiteral("Number"), QStringLiteral("Address")});
    ListView->setRootIsDecorated(false);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->header()->setDefaultAlignment(Qt::AlignCenter);
    ListView->header()->setStretchLastSection(false);
    ListView->setColumnWidth(0, 80);
    ListView->setColumnWidth(1, 80);
    ListView->setMinimumSize(170, 200);
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
        auto* item = new QTreeWidgetItem(ListView);
        item->setText(0, QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        item->setText(1, QStringLiteral("$%1").arg(Cpu.Breakpoints[i], 4, 16, QLatin1Char('0')).toUpper());
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setTextAlignment(1, Qt::AlignCenter);
        item->setData(1, Qt::UserRole, int(Cpu.Breakpoints[i]));
    }
}

void TForm_DebugBreakPoints::RemoveSelected() {
    QTreeWidgetItem* item = ListView->currentItem();
    if (!item || !Cpu.RemoveBreakpoint(uint16_t(item->data(1, Qt::UserRole).toInt()))) return;
    Refresh();
    emit BreakpointRemoved();
}
