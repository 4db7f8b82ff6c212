#include "ui/debugger/ted_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"

namespace {

// A check box that shows a state and cannot be toggled.
QCheckBox* ShowBox(const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QLineEdit* ShowEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFixedWidth(60);
    return edit;
}

QSpinBox* ShowSpin(int maximum, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, maximum);
    spin->setReadOnly(true);
    spin->setFixedWidth(60);
    return spin;
}

QString Decimal(int value) { return QString::number(value); }
QString Address(uint32_t value) { return QStringLiteral("$") + HexText(value, 4); }

}  // namespace

TForm_DebugTED::TForm_DebugTED(TMachineView view, QWidget* parent)
    : TInspectionWindow(view, QStringLiteral("TED Registers"), parent) {
    auto* layout = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->addTab(TimersPage(), QStringLiteral("Timers"));
    PageControl->addTab(ScreenModePage(), QStringLiteral("ScreenMode"));
    PageControl->addTab(ScreenPage(), QStringLiteral("Screen"));
    PageControl->addTab(InterruptsPage(), QStringLiteral("Interrupts"));
    PageControl->addTab(SoundPage(), QStringLiteral("Sound"));
    PageControl->addTab(ColorsPage(), QStringLiteral("Colors"));
    PageControl->setCurrentIndex(0);
    // Wide enough to show all six tabs at once.
    PageControl->setMinimumWidth(PageControl->tabBar()->sizeHint().width() + 16);
    layout->addWidget(PageControl);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox* TForm_DebugTED::Group(const char* caption, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromLatin1(caption), parent);
    Groups.push_back(group);
    return group;
}

QWidget* TForm_DebugTED::TimersPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGroupBox* timers = Group("Timers", page);
    auto* grid = new QGridLayout(timers);
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QStringLiteral("Timer %1").arg(i + 1), timers), i, 0);
        Edit_Timer[size_t(i)] = ShowEdit(timers);
        grid->addWidget(Edit_Timer[size_t(i)], i, 1);
        CheckBox_Timer[size_t(i)] = ShowBox("Enabled", timers);
        grid->addWidget(CheckBox_Timer[size_t(i)], i, 2);
    }
    grid->addWidget(new QLabel(QStringLiteral("Timer 1 restart"), timers), 3, 0);
    Edit_Timer1Restart = ShowEdit(timers);
    grid->addWidget(Edit_Timer1Restart, 3, 1);
    layout->addWidget(timers);
    QGroupBox* misc = Group("TED Misc", page);
    auto* miscLayout = new QVBoxLayout(misc);
    CheckBox_SlowMode = ShowBox("Slow mode", misc);
    miscLayout->addWidget(CheckBox_SlowMode);
    layout->addWidget(misc);
    layout->addStretch();
    return page;
}

QWidget* TForm_DebugTED::ScreenModePage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto modeGroup = [&](const char* caption, std::array<QCheckBox**, 5> boxes, std::array<const char*, 5> captions,
                         QSpinBox*& scroll, const char* scrollCaption) {
        QGroupBox* group = Group(caption, page);
        auto* column = new QVBoxLayout(group);
        for (size_t i = 0; i < boxes.size(); ++i) {
            *boxes[i] = ShowBox(captions[i], group);
            column->addWidget(*boxes[i]);
        }
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QString::fromLatin1(scrollCaption), group));
        scroll = ShowSpin(7, group);
        row->addWidget(scroll);
        column->addLayout(row);
        layout->addWidget(group);
    };
    modeGroup("ScreenMode - FF06",
              {&CheckBox_Test, &CheckBox_ExtendedColor, &CheckBox_HiResMode, &CheckBox_BlankScreen, &CheckBox_ModeY},
              {"Test", "Extended Color", "Hi-Res Mode", "Screen Off", "25 Rows"}, Edit_ScrollY, "Scroll Y");
    modeGroup("ScreenMode - FF07",
              {&CheckBox_ReverseMode, &CheckBox_PAL_NTSC, &CheckBox_TED_Off, &CheckBox_MultiMode, &CheckBox_ModeX},
              {"256 Characters", "NTSC", "TED Off", "Multicolor", "40 Columns"}, Edit_ScrollX, "Scroll X");
    return page;
}

QWidget* TForm_DebugTED::ScreenPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGroupBox* screen = Group("Screen", page);
    auto* grid = new QGridLayout(screen);
    auto addRow = [&](int row, const char* caption, QLineEdit*& edit, QLabel** label) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), screen), row, 0);
        edit = ShowEdit(screen);
        grid->addWidget(edit, row, 1);
        if (label) {
            *label = new QLabel(screen);
            grid->addWidget(*label, row, 2);
        }
    };
    addRow(0, "Cursor position", Edit_CursorPos, nullptr);
    addRow(1, "Video matrix", Edit_VideoMatrix, &Label_VideoMatrix);
    addRow(2, "Bitmap", Edit_GfxMatrix, &Label_GfxMatrix);
    addRow(3, "Character generator", Edit_ChrGenerator, &Label_ChrGenerator);
    layout->addWidget(screen);
    layout->addStretch();
    return page;
}

QWidget* TForm_DebugTED::InterruptsPage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    QGroupBox* request = Group("Interrupt Request - FF09", page);
    auto* requestColumn = new QVBoxLayout(request);
    const char* requestCaptions[6] = {"IRQ", "Timer 3", "Timer 2", "Timer 1", "Light Pen", "Raster"};
    for (size_t i = 0; i < CheckBox_Request.size(); ++i) {
        CheckBox_Request[i] = ShowBox(requestCaptions[i], request);
        requestColumn->addWidget(CheckBox_Request[i]);
    }
    layout->addWidget(request);
    QGroupBox* enable = Group("Interrupt Enable - FF0A", page);
    auto* enableColumn = new QVBoxLayout(enable);
    for (size_t i = 0; i < CheckBox_Enable.size(); ++i) {
        CheckBox_Enable[i] = ShowBox(requestCaptions[i + 1], enable);
        enableColumn->addWidget(CheckBox_Enable[i]);
    }
    enableColumn->addStretch();
    layout->addWidget(enable);
    return page;
}

QWidget* TForm_DebugTED::SoundPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGroupBox* sound = Group("Sound", page);
    auto* grid = new QGridLayout(sound);
    Edit_SndOsc1 = ShowEdit(sound);
    Edit_SndOsc2 = ShowEdit(sound);
    Edit_Volume = ShowEdit(sound);
    CheckBox_Snd1 = ShowBox("Voice 1", sound);
    CheckBox_Snd2 = ShowBox("Voice 2", sound);
    CheckBox_Noise = ShowBox("Noise", sound);
    CheckBox_DA = ShowBox("D/A", sound);
    grid->addWidget(new QLabel(QStringLiteral("Voice 1 frequency"), sound), 0, 0);
    grid->addWidget(Edit_SndOsc1, 0, 1);
    grid->addWidget(CheckBox_Snd1, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Voice 2 frequency"), sound), 1, 0);
    grid->addWidget(Edit_SndOsc2, 1, 1);
    grid->addWidget(CheckBox_Snd2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Volume"), sound), 2, 0);
    grid->addWidget(Edit_Volume, 2, 1);
    grid->addWidget(CheckBox_Noise, 2, 2);
    grid->addWidget(CheckBox_DA, 3, 2);
    layout->addWidget(sound);
    layout->addStretch();
    return page;
}

QWidget* TForm_DebugTED::ColorsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGroupBox* colors = Group("Colors", page);
    auto* grid = new QGridLayout(colors);
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(new QLabel(i == 4 ? QStringLiteral("Color #4 (border)") : QStringLiteral("Color #%1").arg(i), colors), i, 0);
        Edit_Color[size_t(i)] = ShowSpin(127, colors);
        grid->addWidget(Edit_Color[size_t(i)], i, 1);
        auto* panel = new QFrame(colors);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedSize(40, 20);
        panel->setAutoFillBackground(true);
        Panel_Color[size_t(i)] = panel;
        grid->addWidget(panel, i, 2);
    }
    layout->addWidget(colors);
    layout->addStretch();
    return page;
}

void TForm_DebugTED::Refresh() {
    const TTED& ted = View.Ted();
    for (size_t i = 0; i < 3; ++i) {
        CheckBox_Timer[i]->setChecked(ted.Timer[i].Running);
        Edit_Timer[i]->setText(HexText(ted.Timer[i].Counter, 4));
    }
    Edit_Timer1Restart->setText(HexText(ted.Timer1Reload, 4));
    CheckBox_SlowMode->setChecked(false);

    CheckBox_Test->setChecked(ted.TestBit);
    CheckBox_ExtendedColor->setChecked(ted.ExtendedColour);
    CheckBox_HiResMode->setChecked(ted.BitmapMode);
    CheckBox_BlankScreen->setChecked(!ted.DisplayEnable);
    CheckBox_ModeY->setChecked(ted.Rows25);
    Edit_ScrollY->setValue(ted.VerticalScroll);
    CheckBox_ReverseMode->setChecked(ted.Chars256);
    CheckBox_PAL_NTSC->setChecked(ted.Ntsc);
    CheckBox_TED_Off->setChecked(ted.TedOff);
    CheckBox_MultiMode->setChecked(ted.Multicolour);
    CheckBox_ModeX->setChecked(ted.Columns40);
    Edit_ScrollX->setValue(ted.HorizontalScroll);

    // Each base as its register bits give it, and the address those bits select.
    const int matrix = ted.MatrixBase;
    const int bitmap = ted.BitmapBase << 3;  // $FF12 AND $38
    const int characters = ted.CharBase << 2;  // $FF13 AND $FC
    Edit_CursorPos->setText(Decimal(ted.CursorPosition));
    Edit_VideoMatrix->setText(Decimal(matrix));
    Label_VideoMatrix->setText(Address(uint32_t(matrix) * 2048));
    Edit_GfxMatrix->setText(Decimal(bitmap));
    Label_GfxMatrix->setText(Address(uint32_t(bitmap) * 1024));
    Edit_ChrGenerator->setText(Decimal(characters));
    Label_ChrGenerator->setText(Address(uint32_t(characters) * 256));

    const bool requests[6] = {ted.IrqSummary, ted.IrqTimer3Flag, ted.IrqTimer2Flag, ted.IrqTimer1Flag, false, ted.IrqRasterFlag};
    const bool enables[5] = {ted.IrqTimer3Enable, ted.IrqTimer2Enable, ted.IrqTimer1Enable, false, ted.IrqRasterEnable};
    for (size_t i = 0; i < CheckBox_Request.size(); ++i) CheckBox_Request[i]->setChecked(requests[i]);
    for (size_t i = 0; i < CheckBox_Enable.size(); ++i) CheckBox_Enable[i]->setChecked(enables[i]);

    Edit_SndOsc1->setText(Decimal(ted.Sound.Voice1Frequency));
    Edit_SndOsc2->setText(Decimal(ted.Sound.Voice2Frequency));
    Edit_Volume->setText(Decimal(ted.Sound.Volume));
    CheckBox_Snd1->setChecked(ted.Sound.Voice1On);
    CheckBox_Snd2->setChecked(ted.Sound.Voice2On);
    CheckBox_Noise->setChecked(ted.Sound.Noise);
    CheckBox_DA->setChecked(ted.Sound.DigitalAnalog);

    const uint8_t registers[5] = {ted.BackgroundColour[0], ted.BackgroundColour[1], ted.BackgroundColour[2],
                                  ted.BackgroundColour[3], ted.BorderColour};
    const uint8_t* table = View.ColourTable();
    for (size_t i = 0; i < 5; ++i) {
        const int index = registers[i] & 0x7F;
        Edit_Color[i]->setValue(index);
        // The colour table holds blue, green, red, 0: the picture's own colours.
        const uint8_t* entry = table + index * 4;
        QPalette palette = Panel_Color[i]->palette();
        palette.setColor(QPalette::Window, QColor(entry[2], entry[1], entry[0]));
        Panel_Color[i]->setPalette(palette);
    }
}

void TForm_DebugTED::SetGroupsEnabled(bool enabled) {
    for (QGroupBox* group : Groups) group->setEnabled(enabled);
}
