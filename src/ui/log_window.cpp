#include "ui/log_window.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm_Log::TForm_Log(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Log Window"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    Memo_Log = new QPlainTextEdit(this);
    Memo_Log->setReadOnly(true);
    Memo_Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Log->setMinimumSize(360, 240);
    Memo_Log->setPlainText(QStringLiteral("Varlume log."));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Memo_Log);
    column->addWidget(close, 0, Qt::AlignRight);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm_Log::AppendLog(const QString& line) {
    Memo_Log->appendPlainText(line);
}

QString TForm_Log::Text() const {
    return Memo_Log->toPlainText();
}
