// The status bar: messages in panel 0 with their clearing timer, the speed figure, the tape
// state and the two drive lamps; the window fitting around the picture and the bar.
#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <cstring>

#include "ui/main_window.h"
#include "ui/screen_widget.h"
#include "ui/status_panel.h"

namespace {

struct TPanelLayout {
    const char* InitialText;
    int Width;  // 0: panel 0, which takes what the others leave
    bool Centred;
};

constexpr TPanelLayout PanelLayouts[TForm_Main::StatusPanelCount] = {
    {"Ready", 0, false},
    {"", 50, true},         // speed
    {"Tape", 70, true},     // tape state
    {"Drive8", 40, true},   // drive 8 lamp
    {"Drive9", 40, true},   // drive 9 lamp
    {"", 50, false},        // lies past the right edge: never shows anything
};

// Panels 1 to 4 share the width with panel 0; the last one lies beyond the window's edge.
constexpr int FixedPanelsWidth = 50 + 70 + 40 + 40;

// Confirmations that clear themselves after ClearInterval; every other message (the debugger's,
// "Illegal opcode!") stays until the next one.
bool ClearsItself(const char* text) {
    static constexpr const char* Confirmations[] = {
        "Soft reset has been performed.", "Hard reset has been performed.",
        "Special reset has been performed.", "Play has been pressed.", "Stop has been pressed.",
        "Rewind tape...", "Warp off", "Screenshot saved.", "Snapshot saved.", "Snapshot loaded."};
    for (const char* confirmation : Confirmations)
        if (std::strcmp(text, confirmation) == 0) return true;
    return false;
}

QColor LampColour(int32_t lamp, const QColor& unchanged) {
    switch (lamp) {
        case 0: return QColor();  // the button face
        case 1: return QColor(0, 255, 0);
        case 2: return QColor(255, 0, 0);
        case 3: return QColor(255, 255, 0);  // an error is waiting in the command channel
        default: return unchanged;
    }
}

}  // namespace

void TForm_Main::CreateStatusBar() {
    StatusBar_Main = new QStatusBar(this);
    StatusBar_Main->setSizeGripEnabled(false);
    for (int i = 0; i < StatusPanelCount; ++i) {
        const TPanelLayout& panelLayout = PanelLayouts[i];
        auto* panel = new TStatusPanel(QString::fromLatin1(panelLayout.InitialText), panelLayout.Width, StatusBar_Main);
        panel->Centred = panelLayout.Centred;
        if (i == 0) {
            // Shrinks with the window so that a long message never widens it.
            panel->setMinimumWidth(0);
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        }
        StatusBar_Main->addWidget(panel, i == 0 ? 1 : 0);
        StatusPanels[i] = panel;
    }
    // The last panel lies past the window's right edge and never shows anything.
    StatusPanels[5]->hide();
    StatusPanels[2]->TextSource = [this] { return TapePanelText(); };
    StatusPanels[3]->SetFill(Drive8Lamp);
    StatusPanels[4]->SetFill(Drive9Lamp);
    setStatusBar(StatusBar_Main);
}

QString TForm_Main::StatusPanelText(int index) const {
    if (index < 0 || index >= StatusPanelCount) return {};
    return StatusPanels[index]->Text();
}

QString TForm_Main::TapePanelText() const {
    if (!Machine) return QStringLiteral("Tape: Stop");
    if (Machine->Memory.Motor)
        return QStringLiteral("Play: %1%").arg(int(Machine->Tape.Position() * 100));
    return Machine->Memory.PlayKey ? QStringLiteral("Tape: Play") : QStringLiteral("Tape: Stop");
}

void TForm_Main::FitWindow() {
    if (InFullScreen) return;
    // The window's layout has a fixed-size constraint: it follows the picture area and the
    // status bar's visibility by itself.
    Screen->setFixedSize(DisplayWidth, DisplayHeight);
    ScreenArea->setMinimumWidth(menuBar()->sizeHint().width());
    StatusPanels[0]->setMaximumWidth(qMax(0, DisplayWidth - FixedPanelsWidth));
    if (QLayout* windowLayout = layout()) windowLayout->activate();
}

void TForm_Main::Menu_StatusBarClick() {
    StatusBar_Main->setVisible(Menu_StatusBar->isChecked());
    FitWindow();
}

void TForm_Main::Timer_ClearTimer() {
    StatusPanels[0]->SetText(QStringLiteral("Ready"));
    Timer_Clear->stop();
}

void TForm_Main::StatusMessage(const char* text) {
    StatusPanels[0]->SetText(QString::fromUtf8(text));
    if (ClearsItself(text)) Timer_Clear->start();
}

void TForm_Main::UpdateDriveLamps() {
    if (Machine->Drive8.TakeLampChange()) Drive8Lamp = LampColour(Machine->Drive8.Lamp, Drive8Lamp);
    if (Machine->Drive9.TakeLampChange()) Drive9Lamp = LampColour(Machine->Drive9.Lamp, Drive9Lamp);
    // What a drive has to tell about its disk (a longer image served read-only, an image
    // changed by another program) is shown in the status bar as it happens.
    for (TDrive* drive : {&Machine->Drive8, &Machine->Drive9}) {
        const std::string notice = drive->TakeNotice();
        if (notice.empty()) continue;
        StatusMessage(("Drive " + std::to_string(drive->DeviceNumber) + ": " + notice).c_str());
        // Attaching the changed file again reads it anew (and lifts the write protection).
        const TDrive& other = drive == &Machine->Drive8 ? Machine->Drive9 : Machine->Drive8;
        if (notice == D64ChangedOutsideNotice &&
            Prompts.Question(QString::fromStdString(notice) + QStringLiteral("\n\nReload the disk image from its file?")))
            drive->AttachImage(drive->ImageFile(), &other);
    }
    // The frame counter is the one of this frame, before its increase.
    if (Machine->FrameCounter % 8 != 0) return;
    StatusPanels[3]->SetFill(Drive8Lamp);
    StatusPanels[4]->SetFill(Drive9Lamp);
    StatusPanels[2]->update();
}

void TForm_Main::ShowSpeedFigure() {
    const bool fullScreen = DisplayModes[DisplayMode].FullScreen;
    const bool changed = SpeedMeter.Measure(TSpeedMeter::Now(), Machine->SkipDivisor(), fullScreen);
    if (fullScreen) {
        // Drawn over the picture on every drawn frame.
        Screen->SetOverlayText(QString::fromLatin1(SpeedMeter.Text, int(strnlen(SpeedMeter.Text, TSpeedMeter::FullScreenLength))));
    } else if (changed) {
        StatusPanels[1]->SetText(QString::fromLatin1(SpeedMeter.Text));
    }
}

void TForm_Main::SetShowSpeed(bool on) {
    ShowSpeed = on;
    if (on) return;
    StatusPanels[1]->SetText(QString());
    Screen->SetOverlayText(QString());
}

void TForm_Main::Homepage1Click() {
    // The project's pages travel with the program: the installed documentation, else the
    // source tree's README. A configured address takes their place.
#ifdef VARLUME_HOMEPAGE
    QString page = QStringLiteral(VARLUME_HOMEPAGE);
#else
    QString page;
#endif
    if (page.isEmpty()) {
        const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/varlume/README.md");
        page = QFileInfo(installed).isFile() ? QUrl::fromLocalFile(QDir::cleanPath(installed)).toString()
#ifdef VARLUME_SOURCE_DIR
                                             : QUrl::fromLocalFile(QStringLiteral(VARLUME_SOURCE_DIR "/README.md")).toString();
#else
                                             : QString();
#endif
    }
    // The shell's answer is not looked at.
    if (!page.isEmpty()) QDesktopServices::openUrl(QUrl(page));
}
