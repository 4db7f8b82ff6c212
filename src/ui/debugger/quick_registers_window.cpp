#include "ui/debugger/quick_registers_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"

namespace {

QLabel* ValueLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(DebugFont());
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A group box of captions over values.
QGroupBox* Columns(const char* title, std::initializer_list<std::pair<const char*, QLabel*>> columns, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromLatin1(title), parent);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    int column = 0;
    for (const auto& [caption, value] : columns) {
        auto* heading = new QLabel(QString::fromLatin1(caption), group);
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, 0, column);
        value->setParent(group);
        grid->addWidget(value, 1, column++);
    }
    return group;
}

}  // namespace

TForm_QuickRegisters::TForm_QuickRegisters(TMachineView view, QWidget* parent)
    : QWidget(parent, Qt::Tool), View(view) {
    setWindowTitle(QStringLiteral("Quick Registers"));
    auto* layout = new QHBoxLayout(this);
    Label_PC = ValueLabel(this);
    Label_A = ValueLabel(this);
    Label_X = ValueLabel(this);
    Label_Y = ValueLabel(this);
    Label_SP = ValueLabel(this);
    for (QLabel*& flag : Label_Flags) flag = ValueLabel(this);
    Label_0001 = ValueLabel(this);
    // Bit 5 of the status byte has no flag: it always reads 1.
    QLabel* unused = ValueLabel(this);
    unused->setText(QStringLiteral("1"));

    layout->addWidget(Columns("CPU Registers", {{"PC", Label_PC}, {"A", Label_A}, {"X", Label_X}, {"Y", Label_Y}}, this));
    layout->addWidget(Columns("Stack", {{"SP", Label_SP}}, this));
    layout->addWidget(Columns("Flags",
                              {{"N", Label_Flags[0]}, {"V", Label_Flags[1]}, {"-", unused}, {"B", Label_Flags[2]},
                               {"D", Label_Flags[3]}, {"I", Label_Flags[4]}, {"Z", Label_Flags[5]}, {"C", Label_Flags[6]}},
                              this));
    layout->addWidget(Columns("$0001", {{"", Label_0001}}, this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Refresh();
}

void TForm_QuickRegisters::Refresh() {
    const TCPU& cpu = View.Cpu();
    Label_PC->setText(QStringLiteral("$") + HexText(cpu.PC, 4));
    Label_A->setText(QStringLiteral("$") + HexText(cpu.A, 2));
    Label_X->setText(QStringLiteral("$") + HexText(cpu.X, 2));
    Label_Y->setText(QStringLiteral("$") + HexText(cpu.Y, 2));
    Label_SP->setText(QStringLiteral("$") + HexText(cpu.SP, 2));
    const uint8_t flags[7] = {cpu.N, cpu.V, cpu.B, cpu.D, cpu.I, cpu.Z, cpu.C};
    for (size_t i = 0; i < 7; ++i) Label_Flags[i]->setText(flags[i] ? QStringLiteral("1") : QStringLiteral("0"));
    // Peeked: the port would latch the tape level on a real read.
    Label_0001->setText(QString::number(View.Peek(0x0001), 16).toUpper());
}

void TForm_QuickRegisters::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit Closed();
}
