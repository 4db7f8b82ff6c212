#include "ui/debugger/inspection_window.h"

TInspectionWindow::TInspectionWindow(TMachineView view, const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window), View(view) {
    setWindowTitle(caption);
}

void TInspectionWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (View.Stopped()) {
        Refresh();
        EnableView();
    } else {
        DisableView();
    }
}
