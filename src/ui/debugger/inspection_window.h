#pragma once
#include <QWidget>

#include "machine/machine_view.h"

// A debugger window that shows the machine while emulation is stopped and is disabled (its
// drawing black) while it runs. The debugger calls the three operations as it stops, runs and
// steps; showing the window applies the state the machine is in.
class TInspectionWindow : public QWidget {
    Q_OBJECT
public:
    TInspectionWindow(TMachineView view, const QString& caption, QWidget* parent);

    virtual void Refresh() = 0;
    virtual void EnableView() = 0;
    virtual void DisableView() = 0;

protected:
    void showEvent(QShowEvent* event) override;

    TMachineView View;
};
