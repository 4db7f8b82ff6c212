#pragma once
#include <QDialog>
#include <QLineEdit>

class QComboBox;
class QPushButton;
class TForm_Main;

// A start or end address field: only hexadecimal digits and backspace are taken.
class THexEdit : public QLineEdit {
    Q_OBJECT
public:
    THexEdit(int digits, QWidget* parent = nullptr);
    // Empty becomes 0; the text is read as hexadecimal and written back upper case, zero-padded.
    uint16_t Normalise();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int Digits;
};

// "Save RAM memory...": saves a RAM area, chosen from a list or typed in, as a PRG file.
class TForm_SavePRG : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SavePRG(TForm_Main& main);

    void ComboBox_AreaChange(int item);
    void Button_OKClick();

    QComboBox* ComboBox_Area = nullptr;
    THexEdit* Edit_Start = nullptr;
    THexEdit* Edit_End = nullptr;
    QPushButton* Button_OK = nullptr;
    QPushButton* Button_Cancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TForm_Main& Main;
    QString LastDirectory;
};
