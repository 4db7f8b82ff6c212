#pragma once
#include <array>
#include <vector>

#include "machine/machine_view.h"
#include "ui/debugger/inspection_window.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;

// "TED Registers": the TED's decoded state on six tabs. It only shows: none of its controls
// writes back to the chip.
class TForm_DebugTED : public TInspectionWindow {
    Q_OBJECT
public:
    TForm_DebugTED(TMachineView view, QWidget* parent);

    void Refresh() override;
    void EnableView() override { SetGroupsEnabled(true); }
    void DisableView() override { SetGroupsEnabled(false); }

    QTabWidget* PageControl = nullptr;
    // Timers
    std::array<QCheckBox*, 3> CheckBox_Timer{};
    std::array<QLineEdit*, 3> Edit_Timer{};
    QLineEdit* Edit_Timer1Restart = nullptr;
    QCheckBox* CheckBox_SlowMode = nullptr;
    // ScreenMode: $FF06, then $FF07
    QCheckBox* CheckBox_Test = nullptr;
    QCheckBox* CheckBox_ExtendedColor = nullptr;
    QCheckBox* CheckBox_HiResMode = nullptr;
    QCheckBox* CheckBox_BlankScreen = nullptr;
    QCheckBox* CheckBox_ModeY = nullptr;
    QSpinBox* Edit_ScrollY = nullptr;
    QCheckBox* CheckBox_ReverseMode = nullptr;
    QCheckBox* CheckBox_PAL_NTSC = nullptr;
    QCheckBox* CheckBox_TED_Off = nullptr;
    QCheckBox* CheckBox_MultiMode = nullptr;
    QCheckBox* CheckBox_ModeX = nullptr;
    QSpinBox* Edit_ScrollX = nullptr;
    // Screen
    QLineEdit* Edit_CursorPos = nullptr;
    QLineEdit* Edit_VideoMatrix = nullptr;
    QLabel* Label_VideoMatrix = nullptr;
    QLineEdit* Edit_GfxMatrix = nullptr;
    QLabel* Label_GfxMatrix = nullptr;
    QLineEdit* Edit_ChrGenerator = nullptr;
    QLabel* Label_ChrGenerator = nullptr;
    // Interrupts: request flags ($FF09: IRQ, timer 3, timer 2, timer 1, light pen, raster)
    // and enables ($FF0A: timer 3, timer 2, timer 1, light pen, raster)
    std::array<QCheckBox*, 6> CheckBox_Request{};
    std::array<QCheckBox*, 5> CheckBox_Enable{};
    // Sound
    QLineEdit* Edit_SndOsc1 = nullptr;
    QLineEdit* Edit_SndOsc2 = nullptr;
    QLineEdit* Edit_Volume = nullptr;
    QCheckBox* CheckBox_Snd1 = nullptr;
    QCheckBox* CheckBox_Snd2 = nullptr;
    QCheckBox* CheckBox_Noise = nullptr;
    QCheckBox* CheckBox_DA = nullptr;
    // Colors: $FF15-$FF19
    std::array<QSpinBox*, 5> Edit_Color{};
    std::array<QFrame*, 5> Panel_Color{};

private:
    QWidget* TimersPage();
    QWidget* ScreenModePage();
    QWidget* ScreenPage();
    QWidget* InterruptsPage();
    QWidget* SoundPage();
    QWidget* ColorsPage();
    QGroupBox* Group(const char* caption, QWidget* parent);
    void SetGroupsEnabled(bool enabled);

    std::vector<QGroupBox*> Groups;
};
