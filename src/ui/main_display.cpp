// The picture: the eleven screen modes, windowed and full screen, presenting a frame, the
// palette choice and screenshots.
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <chrono>

#include "host/frame_image.h"
#include "media/prg_file.h"
#include "ted/palettes.h"
#include "ui/debugger/debug_windows.h"
#include "ui/main_window.h"
#include "ui/screen_widget.h"

QAction* TForm_Main::ScreenModeItem(int32_t code) const {
    QAction* const items[DisplayModeCount] = {
        Menu_GDI320x200, Menu_GDI360x240, Menu_GDI400x300, Menu_GDI456x312,
        Menu_320x200DoubleWindowedGDI, Menu_360x240DoubleWindowedGDI, Menu_320x200FSDX,
        Menu_320x240FSDX, Menu_400x300FSDX, Menu_512x384FSDX, Menu_640x480FSDX};
    return code >= 0 && code < DisplayModeCount ? items[code] : nullptr;
}

void TForm_Main::SelectDisplayMode(int32_t code) {
    if (code < 0 || code >= DisplayModeCount) return;
    if (DisplayModes[code].FullScreen)
        SelectFullScreenMode(code);
    else
        TakeDisplayMode(code);
}

void TForm_Main::TakeDisplayMode(int32_t code) {
    // Every mode command leaves full screen first, so two full-screen modes in a row set the
    // display up afresh.
    LeaveFullScreen();
    ScreenModeItem(code)->setChecked(true);
    const TDisplayMode& mode = DisplayModes[code];
    DisplayMode = code;
    DisplayWidth = mode.Width;
    DisplayHeight = mode.Height;
    Screen->SetDisplayMode(mode);
    FitWindow();
    ScreenMode = code;
}

void TForm_Main::SelectFullScreenMode(int32_t code) {
    TakeDisplayMode(code);
    if (EnterFullScreen(DisplayWidth, DisplayHeight)) return;
    LeaveFullScreen();
    ErrorBox("Your video driver cannot display selected mode. Using 360x240 GDI mode.");
    TakeDisplayMode(1);
}

bool TForm_Main::EnterFullScreen(int32_t width, int32_t height) {
    if (InFullScreen) return false;
    static constexpr int BitsPerPixel[] = {16, 24, 32};
    const int bits = BitsPerPixel[FullScreenDepth >= 0 && FullScreenDepth <= 2 ? FullScreenDepth : 0];
    if (FullScreenCheck) {
        if (!FullScreenCheck(width, height, bits)) return false;
    } else {
        const QScreen* display = screen();
        if (!display || display->size().width() < width || display->size().height() < height) return false;
    }
    InFullScreen = true;
    // The canvas is the mode's size at the chosen depth, scaled uniformly to the screen with
    // black bars around it.
    Screen->setMinimumSize(0, 0);
    Screen->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ScreenArea->setMinimumWidth(0);
    ScreenArea->layout()->setAlignment(Screen, Qt::Alignment());
    // The fixed-size constraint pinned the window's own limits too.
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    StatusBar_Main->hide();
    Menu_StatusBar->setEnabled(false);
    menuBar()->hide();
    setContextMenuPolicy(Qt::CustomContextMenu);
    const QScreen* display = screen();
    const double refresh = display ? display->refreshRate() : 0.0;
    FrameSync.SetRefreshPeriod(std::chrono::duration_cast<TFrameSync::Clock::duration>(
        std::chrono::duration<double>(refresh >= 1.0 ? 1.0 / refresh : 1.0 / 60.0)));
    showFullScreen();
    // Without a window manager nobody acts on the full-screen request: the window covers the
    // screen by its own geometry.
    if (display) setGeometry(display->geometry());
    return true;
}

void TForm_Main::LeaveFullScreen() {
    if (InFullScreen) {
        InFullScreen = false;
        FrameSync.SetRefreshPeriod({});
        Screen->SetOverlayText(QString());
        if (!Closing) showNormal();
        ScreenArea->layout()->setAlignment(Screen, Qt::AlignCenter);
        layout()->setSizeConstraint(QLayout::SetFixedSize);
    }
    menuBar()->show();
    setContextMenuPolicy(Qt::DefaultContextMenu);
    Menu_StatusBar->setEnabled(true);
    StatusBar_Main->setVisible(Menu_StatusBar->isChecked());
    if (SyncMode == TFrameSync::SyncVerticalBlank) {
        SyncMode = TFrameSync::Sync50Hz;
        Menu_Sync50Hz->setChecked(true);
    }
}

void TForm_Main::PresentFrame() {
    if (!Machine) return;
    if (InFullScreen)
        ConvertFrameAtDepth(Machine->Frame, Screen->Picture(), FullScreenDepth);
    else
        ConvertFrame(Machine->Frame, Screen->Picture());
    Screen->update();
}

QAction* TForm_Main::PaletteItem(int32_t code) const {
    switch (code) {
        case PaletteCalculated: return Menu_CalculatedPalette;
        case PaletteDigitized1: return Menu_DigitizedPalette;
        case PaletteDigitized2: return Menu_OriginalPalette;
        default: return nullptr;
    }
}

void TForm_Main::SelectPaletteCode(int32_t code) {
    const TPalette* table = PaletteForSettingsCode(code);
    if (!table || !Machine) return;
    PaletteItem(code)->setChecked(true);
    Palette = code;
    SelectPalette(*table, Machine->Frame.ColourTable);
    // A stopped machine shows its last frame in the new colours at once; a running one shows
    // them from the next presented frame.
    if (Machine->EmulationStopped) PresentFrame();
    if (DebugWindows) DebugWindows->PaletteChanged();
}

namespace {

// Written aside and renamed, so a failed write leaves no half picture; never onto anything but a
// regular file (a FIFO would block the window).
bool WritePng(const QImage& picture, const QString& path) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && picture.save(&file, "PNG") && file.commit();
}

}  // namespace

bool TForm_Main::SaveScreenshotTo(const QString& path) {
    if (!Machine) return false;
    if (WritePng(ShownPicture(Machine->Frame, DisplayModes[DisplayMode], FullScreenDepth), path)) return true;
    ErrorBox(MessageCannotSaveFile);
    return false;
}

void TForm_Main::SaveScreenshot1Click() {
    if (!Machine) return;
    // The picture of the moment of the command: the machine runs on while the dialog is open.
    const QImage picture = ShownPicture(Machine->Frame, DisplayModes[DisplayMode], FullScreenDepth);
    const QString name = TimestampedName(QDateTime::currentDateTime(), QStringLiteral("png"));
    const QString directory = DialogDirectory(QStringLiteral("screenshot"));
    const QString path = Prompts.SaveFile(QStringLiteral("Save Screenshot"),
                                          directory.isEmpty() ? name : QDir(directory).filePath(name),
                                          QStringLiteral("PNG images (*.png);;All files (*)"), QStringLiteral("png"));
    if (path.isEmpty()) return;
    RememberDirectory(QStringLiteral("screenshot"), path);
    if (QFileInfo::exists(path) && !Prompts.Question(QString::fromLatin1(MessageFileExists))) return;
    if (WritePng(picture, path))
        StatusMessage("Screenshot saved.");
    else
        ErrorBox(MessageCannotSaveFile);
}
