#pragma once
#include <QDialog>

class QPlainTextEdit;

// "Log Window": the lines the machine reports (illegal opcodes), appended for the whole run.
class TForm_Log : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Log(QWidget* parent = nullptr);
    void AppendLog(const QString& line);
    QString Text() const;

    QPlainTextEdit* Memo_Log = nullptr;
};
