#include "ui/utility/database_window.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/report_list.h"

TForm_Database::TForm_Database(QStringList directories, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), Directories(std::move(directories)) {
    setWindowTitle(QStringLiteral("Game Database"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    ListView_GameDatabase = NewReportList(
        this, {{"Game", 205, Qt::AlignLeft}, {"Start (Dec)", 80, Qt::AlignRight}, {"Start (Hex)", 80, Qt::AlignLeft}});
    ListView_GameDatabase->setMinimumHeight(260);
    layout->addWidget(ListView_GameDatabase);
    Label_Source = new QLabel(this);
    Label_Source->setWordWrap(true);
    Label_Source->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Label_Source);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Button2 = new QPushButton(QStringLiteral("Go to address"), this);
    Button2->setDefault(true);
    Button2->setVisible(false);
    Button1 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);
    // Escape rejects the dialog, which closes it as the Close button does.
    connect(Button1, &QPushButton::clicked, this, &QDialog::close);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm_Database::FormShow() {
    const TGameDatabase database = ReadGameDatabase(Directories);
    ListView_GameDatabase->clear();
    for (const TGameEntry& entry : database.Entries)
        AddReportRow(ListView_GameDatabase, {entry.Name, entry.StartDec, entry.StartHex});
    switch (database.Status) {
        case TGameDatabase::TStatus::Read:
            Label_Source->setText(QDir::toNativeSeparators(database.Path));
            break;
        case TGameDatabase::TStatus::Missing: {
            QStringList places;
            for (const QString& directory : Directories) places << QDir::toNativeSeparators(directory);
            Label_Source->setText(QStringLiteral("No %1 was found in %2.").arg(QLatin1String(GameDatabaseFile), places.join(QStringLiteral(" or "))));
            break;
        }
        case TGameDatabase::TStatus::Unreadable:
            Label_Source->setText(QStringLiteral("%1 cannot be read: %2.").arg(QDir::toNativeSeparators(database.Path), database.Problem));
            break;
    }
}

void TForm_Database::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}
