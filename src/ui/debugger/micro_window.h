#pragma once
#include <QString>
#include <array>

#include "cpu/micro_step_texts.h"
#include "machine/machine_view.h"
#include "ui/debugger/inspection_window.h"

class QLabel;
class QStatusBar;
class TDrawingArea;

// "Micro-Code Debugger": the clocks of the current instruction, one line each, with a marker
// on the clock the processor performs next, and the clock number and opcode below.
class TForm_DebugMicro : public TInspectionWindow {
    Q_OBJECT
public:
    static constexpr int Lines = MicroStepLines;

    TForm_DebugMicro(TMachineView view, QWidget* parent);

    void Refresh() override;
    void EnableView() override;
    void DisableView() override;

    // Lines 1 to 8 ("%d - %s") as drawn while stopped.
    std::array<QString, Lines> LineTexts() const;
    QString StatusPanelText(int index) const;

    TDrawingArea* Image = nullptr;
    QStatusBar* StatusBar = nullptr;

private:
    void Draw(QPainter& painter) const;

    std::array<QLabel*, 3> Panels{};
};
