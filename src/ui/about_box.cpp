#include "ui/about_box.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/program_icon.h"

#ifndef VARLUME_VERSION
#define VARLUME_VERSION "0.0.0"
#endif

TForm_About::TForm_About(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Varlume"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramIcon().pixmap(64, 64));
    auto* name = new QLabel(QStringLiteral("Varlume - The Commodore Plus/4 Emulator"), this);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* credits = new QLabel(QStringLiteral(
        "Version " VARLUME_VERSION "\n"
        "Emulates the Commodore 16, 232 and Plus/4:\n"
        "the 7501/8501 processor clock by clock, the TED chip's\n"
        "picture, sound and timers, disk drives and tapes.\n"
        "Built with Qt and SDL."), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* column = new QVBoxLayout(this);
    column->addWidget(picture, 0, Qt::AlignHCenter);
    column->addWidget(name, 0, Qt::AlignHCenter);
    column->addWidget(credits, 0, Qt::AlignHCenter);
    column->addWidget(ok, 0, Qt::AlignHCenter);
    column->setSizeConstraint(QLayout::SetFixedSize);
}
