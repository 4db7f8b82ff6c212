#include "ui/properties_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "host/display_list.h"
#include "ui/main_window.h"

TForm_Properties::TForm_Properties(TForm_Main& main) : QDialog(&main), Main(main) {
    setWindowTitle(QStringLiteral("Properties"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    Pages = new QTabWidget(this);
    TabSheet_Misc = CreateMiscPage();
    Pages->addTab(TabSheet_Misc, QStringLiteral("Miscellaneous"));
    Pages->addTab(CreateSoundPage(), QStringLiteral("DirectSound"));
    Pages->addTab(CreateDisplayPage(), QStringLiteral("DirectDraw"));
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Pages);
    column->addWidget(Button1, 0, Qt::AlignRight);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TForm_Properties::CreateMiscPage() {
    auto* page = new QWidget(this);
    CheckBox_Autostart = new QCheckBox(QStringLiteral("Use autostart when loading PRG files"), page);
    connect(CheckBox_Autostart, &QCheckBox::clicked, this, [this](bool checked) { Main.Autostart = checked; });
    // Off: keys by their position, as the machine's keyboard is laid out.
    CheckBox_SymbolicKeys = new QCheckBox(QStringLiteral("Map keys by the character they type (symbolic)"), page);
    connect(CheckBox_SymbolicKeys, &QCheckBox::clicked, this, [this](bool checked) { Main.SetSymbolicKeyboard(checked); });
    auto* column = new QVBoxLayout(page);
    column->addWidget(CheckBox_Autostart);
    column->addWidget(CheckBox_SymbolicKeys);
    column->addStretch();
    return page;
}

QWidget* TForm_Properties::CreateSoundPage() {
    auto* page = new QWidget(this);
    auto* buffer = new QGroupBox(QStringLiteral("Playback buffer:"), page);
    TrackBar_BufferSize = new QSlider(Qt::Horizontal, buffer);
    TrackBar_BufferSize->setRange(1, 4);
    TrackBar_BufferSize->setSingleStep(1);
    TrackBar_BufferSize->setPageStep(1);
    TrackBar_BufferSize->setTickPosition(QSlider::TicksBelow);
    TrackBar_BufferSize->setTickInterval(1);
    Label_BufferSize = new QLabel(buffer);
    Label_BufferSize->setMinimumWidth(90);
    connect(TrackBar_BufferSize, &QSlider::valueChanged, this, &TForm_Properties::TrackBar_BufferSizeChange);
    auto* bufferRow = new QHBoxLayout(buffer);
    bufferRow->addWidget(new QLabel(QStringLiteral("Buffer size:"), buffer));
    bufferRow->addWidget(TrackBar_BufferSize, 1);
    bufferRow->addWidget(Label_BufferSize);

    // The rate is fixed: the buttons only show it.
    auto* rate = new QGroupBox(QStringLiteral("Playback rate"), page);
    RadioButton_Rate22050 = new QRadioButton(QStringLiteral("22050kHz"), rate);
    RadioButton_Rate22050->setEnabled(false);
    RadioButton_Rate44100 = new QRadioButton(QStringLiteral("44100kHz"), rate);
    RadioButton_Rate44100->setChecked(true);
    auto* rateRow = new QHBoxLayout(rate);
    rateRow->addWidget(RadioButton_Rate22050);
    rateRow->addWidget(RadioButton_Rate44100);

    auto* column = new QVBoxLayout(page);
    column->addWidget(buffer);
    column->addWidget(rate);
    column->addStretch();
    return page;
}

QWidget* TForm_Properties::CreateDisplayPage() {
    auto* page = new QWidget(this);
    auto* depth = new QGroupBox(QStringLiteral("Full Screen Depth"), page);
    RadioButton_Bpp16 = new QRadioButton(QStringLiteral("16 bpp"), depth);
    RadioButton_Bpp24 = new QRadioButton(QStringLiteral("24 bpp"), depth);
    RadioButton_Bpp32 = new QRadioButton(QStringLiteral("32 bpp"), depth);
    RadioButton_Bpp16->setChecked(true);
    auto* depthColumn = new QVBoxLayout(depth);
    int32_t code = 0;
    for (QRadioButton* button : {RadioButton_Bpp16, RadioButton_Bpp24, RadioButton_Bpp32}) {
        connect(button, &QRadioButton::clicked, this, [this, code] { Main.FullScreenDepth = code; });
        depthColumn->addWidget(button);
        ++code;
    }

    auto* information = new QGroupBox(QStringLiteral("DirectX Information"), page);
    ListBox_DXModes = new QListWidget(information);
    ListBox_DXModes->setMinimumSize(160, 160);
    Button2 = new QPushButton(QStringLiteral("Get list"), information);
    connect(Button2, &QPushButton::clicked, this, &TForm_Properties::Button2Click);
    auto* informationColumn = new QVBoxLayout(information);
    informationColumn->addWidget(ListBox_DXModes);
    informationColumn->addWidget(Button2);

    auto* row = new QHBoxLayout(page);
    row->addWidget(depth, 0, Qt::AlignTop);
    row->addWidget(information);
    return page;
}

void TForm_Properties::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TForm_Properties::FormShow() {
    Pages->setCurrentWidget(TabSheet_Misc);
    CheckBox_Autostart->setChecked(Main.Autostart);
    CheckBox_SymbolicKeys->setChecked(Main.SymbolicKeyboard);
    const bool soundActive = Main.SoundOutputKind == 2 && Main.SoundDirectSound;
    TrackBar_BufferSize->setEnabled(soundActive);
    if (soundActive) {
        TrackBar_BufferSize->setValue(Main.SoundDirectSound->LeadBytes() >> 10);
        TrackBar_BufferSizeChange(TrackBar_BufferSize->value());
    }
}

void TForm_Properties::TrackBar_BufferSizeChange(int position) {
    if (Main.SoundOutputKind == 2 && Main.SoundDirectSound) {
        Main.SoundDirectSound->SetLeadBytes(position * 1024);
        Label_BufferSize->setText(QString::asprintf("%d bytes", position * 1024));
    } else {
        Label_BufferSize->setText(QStringLiteral("Internal error"));
    }
}

void TForm_Properties::Button2Click() {
    ListBox_DXModes->clear();
    bool depths[3] = {false, false, false};  // 16, 24, 32
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<TDisplayModeInfo> modes;
    if (!ListDisplayModes(modes)) {
        QApplication::restoreOverrideCursor();
        Main.ErrorBox("DirectX error. Try to reinstall video drivers.");
        return;
    }
    ListBox_DXModes->addItem(QStringLiteral("Available modes:"));
    for (const TDisplayModeInfo& mode : modes) {
        if (mode.BitsPerPixel == 16) depths[0] = true;
        if (mode.BitsPerPixel == 24) depths[1] = true;
        if (mode.BitsPerPixel == 32) depths[2] = true;
        ListBox_DXModes->addItem(QString::asprintf("%dx%dx%d", mode.Width, mode.Height, mode.BitsPerPixel));
    }
    ListBox_DXModes->addItem(QString());
    ListBox_DXModes->addItem(QStringLiteral("Available depths:"));
    if (depths[0]) ListBox_DXModes->addItem(QStringLiteral("16 bpp"));
    if (depths[1]) ListBox_DXModes->addItem(QStringLiteral("24 bpp"));
    if (depths[2]) ListBox_DXModes->addItem(QStringLiteral("32 bpp"));
    QApplication::restoreOverrideCursor();
}
