#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QWidget;
class TForm_Main;

// "Properties": the options that last for the run: PRG autostart, the keyboard mapping, the
// sound output's lead and the full-screen colour depth, with the host's display modes listed on
// request.
class TForm_Properties : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Properties(TForm_Main& main);

    void FormShow();
    void TrackBar_BufferSizeChange(int position);
    // "Get list": the host's display modes and the depths among them.
    void Button2Click();

    QTabWidget* Pages = nullptr;
    QWidget* TabSheet_Misc = nullptr;
    QCheckBox* CheckBox_Autostart = nullptr;
    QCheckBox* CheckBox_SymbolicKeys = nullptr;
    QSlider* TrackBar_BufferSize = nullptr;
    QLabel* Label_BufferSize = nullptr;
    QRadioButton* RadioButton_Rate44100 = nullptr;
    QRadioButton* RadioButton_Rate22050 = nullptr;
    QRadioButton* RadioButton_Bpp16 = nullptr;
    QRadioButton* RadioButton_Bpp24 = nullptr;
    QRadioButton* RadioButton_Bpp32 = nullptr;
    QListWidget* ListBox_DXModes = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* CreateMiscPage();
    QWidget* CreateSoundPage();
    QWidget* CreateDisplayPage();

    TForm_Main& Main;
};
