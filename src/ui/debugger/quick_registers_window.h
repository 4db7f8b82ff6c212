#pragma once
#include <QWidget>
#include <array>

#include "machine/machine_view.h"

class QLabel;

// "Quick Registers": a small tool window that follows the processor while the machine runs;
// the frame loop refreshes it after every call while it is shown.
class TForm_QuickRegisters : public QWidget {
    Q_OBJECT
public:
    TForm_QuickRegisters(TMachineView view, QWidget* parent);

    void Refresh();

    QLabel* Label_PC = nullptr;
    QLabel* Label_A = nullptr;
    QLabel* Label_X = nullptr;
    QLabel* Label_Y = nullptr;
    QLabel* Label_SP = nullptr;
    // N, V, B, D, I, Z, C
    std::array<QLabel*, 7> Label_Flags{};
    QLabel* Label_0001 = nullptr;

signals:
    // The user closed the window: the menu item that shows it loses its check mark.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TMachineView View;
};
