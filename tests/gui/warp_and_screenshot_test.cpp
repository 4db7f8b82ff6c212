#include <sys/stat.h>

#include <QAction>
#include <QDateTime>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>

#include "gui/form_fixture.h"
#include "host/frame_image.h"
#include "ted/palettes.h"

namespace {

class WarpAndScreenshotTest : public FormFixture {
protected:
    // A stopped machine whose frame holds colour $71 everywhere but a marker pixel.
    std::unique_ptr<TForm_Main> FormWithPicture(TMainOptions options) {
        auto form = MakeForm(std::move(options));
        form->StopEmulation();
        uint8_t* pixels = form->Machine->Frame.Pixels;
        std::fill(pixels, pixels + TFrameBuffer::Width * TFrameBuffer::Height, uint8_t(0x71));
        pixels[36 * TFrameBuffer::Width + 48] = 0x32;  // the first shown pixel of the 360 x 240 modes
        form->Menu_CalculatedPalette->trigger();
        return form;
    }
    QColor Colour(uint8_t ted) const {
        const TRgb rgb = CalculatedPalette[ted];
        return QColor(rgb.Red, rgb.Green, rgb.Blue);
    }
};

}  // namespace

TEST_F(WarpAndScreenshotTest, WarpTogglesBetweenNoSynchronisationAndTheModeBeforeAndMutesTheSound) {
    auto form = MakeForm();
    form->Menu_DirectSound->trigger();
    ASSERT_EQ(form->SoundOutputKind, 2) << Errors.join(';').toStdString();
    TSoundFeed* ring = form->SoundDirectSound->Sink();
    auto plays = [&] {
        const uint32_t before = ring->PlayCursor();
        QTest::qWait(120);
        return ring->PlayCursor() != before;
    };
    ASSERT_TRUE(plays());

    QKeyEvent altW(QEvent::KeyPress, Qt::Key_W, Qt::AltModifier);
    QApplication::sendEvent(form.get(), &altW);  // the window's own shortcut
    EXPECT_TRUE(form->WarpActive());
    EXPECT_EQ(form->SyncMode, TFrameSync::SyncNone);
    EXPECT_TRUE(form->Menu_SyncNone->isChecked());
    EXPECT_TRUE(form->Menu_Warp->isChecked());
    EXPECT_EQ(form->StatusPanelText(0), "Warp on");
    EXPECT_FALSE(plays());
    // A menu closing or the window coming back does not end the silence.
    emit form->Synchronization1->aboutToHide();
    EXPECT_FALSE(plays());

    form->Menu_Warp->trigger();
    EXPECT_FALSE(form->WarpActive());
    EXPECT_EQ(form->SyncMode, TFrameSync::Sync50Hz);
    EXPECT_TRUE(form->Menu_Sync50Hz->isChecked());
    EXPECT_EQ(form->StatusPanelText(0), "Warp off");
    EXPECT_TRUE(plays());

    // A synchronisation chosen while warping ends warp and stays.
    form->SetWarp(true);
    form->Menu_Sync50Hz->trigger();
    EXPECT_FALSE(form->WarpActive());
    EXPECT_FALSE(form->Menu_Warp->isChecked());
    EXPECT_TRUE(plays());
    form->Menu_Nosound->trigger();

    // Warp off returns to None when None was the choice before.
    form->Menu_SyncNone->trigger();
    form->SetWarp(true);
    form->SetWarp(false);
    EXPECT_EQ(form->SyncMode, TFrameSync::SyncNone);
    EXPECT_TRUE(form->Menu_SyncNone->isChecked());
}

TEST_F(WarpAndScreenshotTest, TheScreenshotIsThePictureOfTheModeInItsPalette) {
    auto form = FormWithPicture(Options());
    const QString path = Dir.filePath("shot.png");
    struct TCase {
        QAction* Mode;
        QSize Size;
        QPoint Marker;  // where the frame's pixel (48, 36) lands
    };
    const TCase cases[] = {
        {form->Menu_GDI360x240, {360, 240}, {0, 0}},
        {form->Menu_360x240DoubleWindowedGDI, {720, 480}, {1, 1}},
        {form->Menu_GDI456x312, {456, 312}, {48, 36}},
    };
    for (const TCase& c : cases) {
        c.Mode->trigger();
        ASSERT_TRUE(form->SaveScreenshotTo(path));
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), "png");
        const QImage shot = reader.read();
        EXPECT_EQ(shot.size(), c.Size) << c.Mode->text().toStdString();
        EXPECT_EQ(shot.pixelColor(c.Marker), Colour(0x32)) << c.Mode->text().toStdString();
        EXPECT_EQ(shot.pixelColor(c.Size.width() - 1, c.Size.height() - 1), Colour(0x71));
    }
    form->Menu_DigitizedPalette->trigger();
    ASSERT_TRUE(form->SaveScreenshotTo(path));
    const TRgb digitized = DigitizedPalette1[0x71];
    EXPECT_EQ(QImage(path).pixelColor(0, 0), QColor(digitized.Red, digitized.Green, digitized.Blue));
}

TEST_F(WarpAndScreenshotTest, AFullScreenModesPictureHasItsBlackBorderAndColourDepth) {
    TMainOptions options = Options();
    options.FullScreenAvailable = [](int, int, int) { return true; };
    auto form = FormWithPicture(std::move(options));
    form->show();
    form->Menu_640x480FSDX->trigger();
    ASSERT_TRUE(form->FullScreenActive());
    const QString path = Dir.filePath("full.png");
    ASSERT_TRUE(form->SaveScreenshotTo(path));
    const QImage shot(path);
    EXPECT_EQ(shot.size(), QSize(640, 480));
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::black));
    // The whole raster at (92, 84), at 16 bits per pixel.
    QImage sixteen;
    ConvertFrameAtDepth(form->Machine->Frame, sixteen, 0);
    EXPECT_EQ(shot.pixelColor(92 + 48, 84 + 36), sixteen.pixelColor(48, 36));
    form->Menu_GDI360x240->trigger();
}

TEST_F(WarpAndScreenshotTest, TheCommandOffersANameWithDateAndTimeAndRefusesWhatIsNoRegularFile) {
    EXPECT_EQ(TimestampedName(QDateTime(QDate(2024, 3, 9), QTime(7, 5, 1)), "png"), "varlume-20240309-070501.png");
    TMainOptions options = Options();
    QString offered;
    options.Prompts.SaveFile = [&](const QString&, const QString& start, const QString& filter, const QString& suffix) {
        offered = start;
        EXPECT_TRUE(filter.contains("*.png"));
        EXPECT_EQ(suffix, "png");
        return NextFile;
    };
    auto form = FormWithPicture(std::move(options));
    NextFile = Dir.filePath("chosen.png");
    form->SaveScreenshot1->trigger();
    EXPECT_TRUE(QFileInfo(offered).fileName().startsWith("varlume-")) << offered.toStdString();
    EXPECT_EQ(QImage(NextFile).size(), QSize(360, 240));
    EXPECT_EQ(form->StatusPanelText(0), "Screenshot saved.");
    // The next one starts in the same directory and asks before it overwrites.
    Answer = false;
    form->SaveScreenshot1->trigger();
    EXPECT_EQ(QFileInfo(offered).absolutePath(), Dir.path());
    EXPECT_EQ(Questions, QStringList{"File already exists. Overwrite it?"});

    NextFile = Dir.filePath("fifo.png");
    ASSERT_EQ(::mkfifo(NextFile.toUtf8().constData(), 0600), 0);
    Answer = true;
    form->SaveScreenshot1->trigger();  // must not block
    EXPECT_EQ(Errors, QStringList{"Cannot save the specified file."});
}
