#pragma once
#include <QDialog>

#include "ui/hex_edit.h"

class QComboBox;
class QPushButton;
class TForm_Main;

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
