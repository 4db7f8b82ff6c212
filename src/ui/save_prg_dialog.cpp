#include "ui/save_prg_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "media/prg_file.h"
#include "ui/main_window.h"

namespace {

// The fixed areas of the list; "User defined" and "Loaded area" come before them.
struct TFixedArea {
    const char* Caption;
    const char* Start;
    const char* End;
};
constexpr TFixedArea FixedAreas[] = {
    {"Screen memory (text)", "0C00", "0FE7"}, {"Screen memory (color)", "0800", "0BE7"},
    {"Zero page", "0000", "00FF"},            {"CPU Stack", "0100", "01FF"},
    {"$1001-$3FFF", "1001", "3FFF"},          {"$1001-$7FFF", "1001", "7FFF"},
};

}  // namespace

TForm_SavePRG::TForm_SavePRG(TForm_Main& main) : QDialog(&main), Main(main) {
    setWindowTitle(QStringLiteral("Save RAM memory..."));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    ComboBox_Area = new QComboBox(this);
    ComboBox_Area->addItem(QStringLiteral("User defined"));
    ComboBox_Area->addItem(QStringLiteral("Loaded area"));
    for (const TFixedArea& area : FixedAreas) ComboBox_Area->addItem(QString::fromLatin1(area.Caption));
    connect(ComboBox_Area, &QComboBox::activated, this, &TForm_SavePRG::ComboBox_AreaChange);
    Edit_Start = new THexEdit(4, this);
    Edit_End = new THexEdit(4, this);
    for (THexEdit* edit : {Edit_Start, Edit_End}) connect(edit, &THexEdit::Left, edit, &THexEdit::Normalise);
    Button_OK = new QPushButton(QStringLiteral("Save"), this);
    Button_OK->setDefault(true);
    Button_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(Button_OK, &QPushButton::clicked, this, &TForm_SavePRG::Button_OKClick);
    connect(Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Memory area:"), this), 0, 0);
    grid->addWidget(ComboBox_Area, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Start:"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("$"), this), 1, 1);
    grid->addWidget(Edit_Start, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("End:"), this), 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("$"), this), 2, 1);
    grid->addWidget(Edit_End, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_OK);
    buttons->addWidget(Button_Cancel);
    grid->addLayout(buttons, 3, 0, 1, 4);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm_SavePRG::showEvent(QShowEvent* event) {
    ComboBox_Area->setCurrentIndex(0);
    ComboBox_AreaChange(0);
    QDialog::showEvent(event);
}

void TForm_SavePRG::ComboBox_AreaChange(int item) {
    const bool userDefined = item == 0;
    Edit_Start->setEnabled(userDefined);
    Edit_End->setEnabled(userDefined);
    if (userDefined || !Main.Machine) return;
    if (item == 1) {
        // Read from RAM when chosen: the last load's start and end.
        const TRamArea area = LoadedArea(Main.Machine->Memory);
        Edit_Start->setText(QString::asprintf("%.04X", area.Start));
        Edit_End->setText(QString::asprintf("%.04X", area.End));
        return;
    }
    const TFixedArea& area = FixedAreas[item - 2];
    Edit_Start->setText(QString::fromLatin1(area.Start));
    Edit_End->setText(QString::fromLatin1(area.End));
}

void TForm_SavePRG::Button_OKClick() {
    if (!Main.Machine) return;
    const uint16_t start = Edit_Start->Normalise();
    const uint16_t end = Edit_End->Normalise();
    if (start >= end) {
        Main.Prompts.PlainBox(QString::number(start));
        Main.Prompts.PlainBox(QString::number(end));
        Main.ErrorBox(MessageCannotSaveArea);
        return;
    }
    if (Main.SaveRamArea(start, end, LastDirectory)) accept();
}
