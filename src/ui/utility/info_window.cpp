#include "ui/utility/info_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/report_list.h"

namespace {

struct TInfoEntry {
    const char* Description;
    uint16_t Address;
    bool Word;  // a little-endian pair, low byte first
};

constexpr TInfoEntry InfoEntries[InfoRowCount] = {
    {"Start of BASIC text", 0x002B, true},
    {"Start of BASIC variables", 0x002D, true},
    {"Start of BASIC arrays", 0x002F, true},
    {"End of BASIC arrays (+1)", 0x0031, true},
    {"Highest address used by BASIC", 0x0037, true},
    {"Start of memory", 0x0531, true},
    {"Top of memory", 0x0533, true},
    {"Load start address", 0x00B4, true},
    {"Load end address", 0x009D, true},
    {"IRQ RAM vector", 0x0314, true},
    {"BRK RAM vector", 0x0316, true},
    {"Screen bottom", 0x07E5, false},
    {"Screen top", 0x07E6, false},
    {"Screen left", 0x07E7, false},
    {"Screen right", 0x07E8, false},
};

QString Hex4(uint32_t value) { return QStringLiteral("$%1").arg(value, 4, 16, QLatin1Char('0')).toUpper(); }

}  // namespace

std::array<TInfoRow, InfoRowCount> InfoRows(const TMachineView& view) {
    std::array<TInfoRow, InfoRowCount> rows;
    for (int i = 0; i < InfoRowCount; ++i) {
        const TInfoEntry& entry = InfoEntries[i];
        TInfoRow& row = rows[size_t(i)];
        row.Description = QString::fromLatin1(entry.Description);
        if (entry.Word) {
            row.Address = Hex4(entry.Address) + QLatin1Char('-') + Hex4(entry.Address + 1u);
            row.Value = Hex4(view.RamWord(entry.Address));
        } else {
            row.Address = Hex4(entry.Address);
            row.Value = Hex4(view.Ram(entry.Address));
        }
    }
    return rows;
}

TForm_Info::TForm_Info(TMachineView view, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), View(view) {
    setWindowTitle(QStringLiteral("BASIC System Information"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    // The address pairs and the longest description need a little more room than the
    // column widths alone give in the fixed-pitch font.
    ListView = NewReportList(
        this, {{"Description", 220, Qt::AlignLeft}, {"Address", 110, Qt::AlignHCenter}, {"Value", 70, Qt::AlignHCenter}});
    ListView->setMinimumHeight(290);
    layout->addWidget(ListView);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Button_Update = new QPushButton(QStringLiteral("Update"), this);
    Button_Update->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addWidget(Button_Update);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);
    connect(Button_Update, &QPushButton::clicked, this, &TForm_Info::Button_UpdateClick);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm_Info::Button_UpdateClick() {
    ListView->clear();
    for (const TInfoRow& row : InfoRows(View)) AddReportRow(ListView, {row.Description, row.Address, row.Value});
}

void TForm_Info::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Button_UpdateClick();
}
