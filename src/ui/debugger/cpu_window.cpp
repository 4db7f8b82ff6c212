#include "ui/debugger/cpu_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr const char* FlagCaptions[7] = {"Flag N", "Flag V", "Flag B", "Flag D", "Flag I", "Flag Z", "Flag C"};

}  // namespace

TForm_DebugCPU::TForm_DebugCPU(TMachine& machine, QWidget* parent)
    : TInspectionWindow(TMachineView(machine), QStringLiteral("CPU Registers"), parent), Machine(machine) {
    auto* layout = new QVBoxLayout(this);

    auto* registers = new QGroupBox(QStringLiteral("Registers"), this);
    auto* grid = new QGridLayout(registers);
    Edit_PC = new THexEdit(4, registers);
    Edit_A = new THexEdit(2, registers);
    Edit_X = new THexEdit(2, registers);
    Edit_Y = new THexEdit(2, registers);
    Edit_SP = new THexEdit(2, registers);
    const std::pair<const char*, THexEdit*> rows[] = {
        {"PC", Edit_PC}, {"A", Edit_A}, {"X", Edit_X}, {"Y", Edit_Y}, {"SP", Edit_SP}};
    int row = 0;
    for (const auto& [caption, edit] : rows) {
        edit->FitWidthToDigits();
        grid->addWidget(new QLabel(QString::fromLatin1(caption), registers), row, 0);
        grid->addWidget(edit, row++, 1);
        connect(edit, &THexEdit::Left, this, [this, e = edit] { EditExit(e); });
        connect(edit, &QLineEdit::returnPressed, this, [this, e = edit] { EditEnter(e); });
    }
    layout->addWidget(registers);

    auto* flags = new QGroupBox(QStringLiteral("Flags"), this);
    auto* flagLayout = new QGridLayout(flags);
    for (int i = 0; i < 7; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(FlagCaptions[i]), flags);
        flagLayout->addWidget(box, i % 4, i / 4);
        // Only the user's click stores: Refresh sets the boxes without this signal.
        connect(box, &QCheckBox::clicked, this, [this, i](bool checked) {
            if (!Machine.EmulationStopped) return;
            *FlagByte(i) = checked ? 1 : 0;
            emit RegistersEdited();
        });
        CheckBox_Flags[size_t(i)] = box;
    }
    layout->addWidget(flags);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

uint8_t* TForm_DebugCPU::FlagByte(int index) {
    TCPU& cpu = Machine.Cpu;
    uint8_t* const flags[7] = {&cpu.N, &cpu.V, &cpu.B, &cpu.D, &cpu.I, &cpu.Z, &cpu.C};
    return flags[index];
}

void TForm_DebugCPU::Refresh() {
    const TCPU& cpu = Machine.Cpu;
    Edit_PC->setText(HexText(cpu.PC, 4));
    Edit_A->setText(HexText(cpu.A, 2));
    Edit_X->setText(HexText(cpu.X, 2));
    Edit_Y->setText(HexText(cpu.Y, 2));
    Edit_SP->setText(HexText(cpu.SP, 2));
    for (int i = 0; i < 7; ++i) CheckBox_Flags[size_t(i)]->setChecked(*FlagByte(i) != 0);
}

void TForm_DebugCPU::SetControlsEnabled(bool enabled) {
    for (THexEdit* edit : {Edit_PC, Edit_A, Edit_X, Edit_Y, Edit_SP}) edit->setEnabled(enabled);
    for (QCheckBox* box : CheckBox_Flags) box->setEnabled(enabled);
}

void TForm_DebugCPU::EditExit(THexEdit* edit) {
    // The edits are disabled while the machine runs; a field that loses the focus as it is
    // disabled must not write its old text into the running processor.
    if (!Machine.EmulationStopped) return;
    // A field only passed through keeps what it shows out of the machine: its text may be older
    // than a reset or a snapshot made since.
    if (!edit->isModified()) return;
    StoreEdit(edit);
}

void TForm_DebugCPU::StoreEdit(THexEdit* edit) {
    if (edit->text().isEmpty()) edit->setText(QStringLiteral("0"));
    const uint32_t value = edit->Value();
    TCPU& cpu = Machine.Cpu;
    if (edit == Edit_PC)
        cpu.PC = uint16_t(value);
    else if (edit == Edit_A)
        cpu.A = uint8_t(value);
    else if (edit == Edit_X)
        cpu.X = uint8_t(value);
    else if (edit == Edit_Y)
        cpu.Y = uint8_t(value);
    else
        cpu.SP = uint8_t(value);
    Refresh();
    emit RegistersEdited();
}

void TForm_DebugCPU::EditEnter(THexEdit* edit) {
    if (!Machine.EmulationStopped) return;
    StoreEdit(edit);
    edit->selectAll();
    if (edit == Edit_PC) emit ProgramCounterEntered();
}
