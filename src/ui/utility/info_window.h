#pragma once
#include <QDialog>
#include <QString>
#include <array>

#include "machine/machine_view.h"

class QPushButton;
class QTreeWidget;

// One row of the BASIC information list: a pointer or byte of zero page and low RAM.
struct TInfoRow {
    QString Description;
    QString Address;  // "$%.4X-$%.4X" for a word, "$%.4X" for a byte
    QString Value;    // "$%.4X"
};
constexpr int InfoRowCount = 15;
// The fifteen rows, read straight from the RAM array (no ROM, I/O or folding).
std::array<TInfoRow, InfoRowCount> InfoRows(const TMachineView& view);

// "BASIC System Information": BASIC's and the KERNAL's pointers, taken when the window is
// shown and when Update is pressed; the list does not follow later changes.
class TForm_Info : public QDialog {
    Q_OBJECT
public:
    TForm_Info(TMachineView view, QWidget* parent);

    void Button_UpdateClick();

    QTreeWidget* ListView = nullptr;
    QPushButton* Button_Update = nullptr;
    QPushButton* Button2 = nullptr;  // "Close"

protected:
    void showEvent(QShowEvent* event) override;

private:
    TMachineView View;
};
