#include "ui/debugger/micro_window.h"

#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "cpu/disassembler.h"
#include "cpu/micro_step_texts.h"
#include "ui/debugger/debug_icons.h"
#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"

TForm_DebugMicro::TForm_DebugMicro(TMachineView view, QWidget* parent)
    : TInspectionWindow(view, QStringLiteral("Micro-Code Debugger"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The longest text, numbered, beside the marker.
    Image = new TDrawingArea(QSize(16 + 68 * DebugCharWidth(), 12 * Lines + 10), this);
    Image->Draw = [this](QPainter& painter) { Draw(painter); };
    layout->addWidget(Image);
    StatusBar = new QStatusBar(this);
    StatusBar->setSizeGripEnabled(false);
    Panels = {AddStatusPanel(StatusBar, 80, QStringLiteral("CPU Cycle: 8")),
              AddStatusPanel(StatusBar, 110, QStringLiteral("Opcode: FF - INB")), AddStatusPanel(StatusBar, 50, QString())};
    layout->addWidget(StatusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::array<QString, TForm_DebugMicro::Lines> TForm_DebugMicro::LineTexts() const {
    const TCPU& cpu = View.Cpu();
    std::array<QString, Lines> lines;
    for (int i = 1; i <= Lines; ++i)
        lines[size_t(i - 1)] = QStringLiteral("%1 - %2").arg(i).arg(QString::fromStdString(MicroStepLine(cpu.Opcode, cpu.Cycle, i, cpu.InterruptEntry != 0)));
    return lines;
}

QString TForm_DebugMicro::StatusPanelText(int index) const {
    return index >= 0 && index < 3 ? Panels[size_t(index)]->text() : QString();
}

void TForm_DebugMicro::Draw(QPainter& painter) const {
    if (!View.Stopped()) return;
    const auto lines = LineTexts();
    for (int i = 1; i <= Lines; ++i) {
        if (uint32_t(i) == View.Cpu().Cycle) painter.drawPixmap(4, i * 12 - 3, DebugPixmap(TDebugImage::Marker));
        DrawDebugText(painter, 16, i * 12 - 6, lines[size_t(i - 1)]);
    }
}

void TForm_DebugMicro::Refresh() {
    if (!View.Stopped()) {
        Panels[0]->clear();
        return;
    }
    const TCPU& cpu = View.Cpu();
    Panels[0]->setText(QStringLiteral("CPU Cycle: %1").arg(cpu.Cycle));
    Panels[1]->setText(QStringLiteral("Opcode: %1 - %2").arg(HexText(cpu.Opcode, 2), QLatin1String(MnemonicTable[cpu.Opcode].Name)));
    // A clock step in which the processor had no clock: the TED's half of a single-clock step,
    // or the processor held while the TED fetches a bad line.
    switch (View.LastStepClock()) {
        case TCpuClock::None: Panels[2]->setText(QStringLiteral("Wait")); break;
        case TCpuClock::WriteOnly: Panels[2]->setText(QStringLiteral("Stopped")); break;
        default: Panels[2]->clear(); break;
    }
    Image->update();
}

void TForm_DebugMicro::EnableView() { StatusBar->setEnabled(true); }

void TForm_DebugMicro::DisableView() {
    StatusBar->setEnabled(false);
    for (QLabel* panel : Panels) panel->clear();
    Image->update();  // black while running
}
