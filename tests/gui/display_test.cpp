#include <QAction>
#include <QMenuBar>
#include <QStatusBar>

#include "gui/form_fixture.h"
#include "host/frame_image.h"
#include "host/speed_meter.h"
#include "ui/screen_widget.h"
#include "ui/status_panel.h"

namespace {

class DisplayTest : public FormFixture {
protected:
    // Full-screen displays are offered at the depths in Depths.
    TMainOptions FullScreenOptions() {
        TMainOptions options = Options();
        options.FullScreenAvailable = [this](int width, int height, int bits) {
            Asked << QString::asprintf("%dx%dx%d", width, height, bits);
            return Depths.contains(bits);
        };
        return options;
    }
    QStringList Asked;
    QList<int> Depths{16, 24, 32};
};

}  // namespace

TEST_F(DisplayTest, AModeShowsThePartOfTheRasterItsSourceRectangleNames) {
    // Drawn through the widget: mode 0 puts source (68, 56), the display window's first pixel,
    // at the top left.
    auto form = MakeForm();
    form->StopEmulation();
    uint8_t* pixels = form->Machine->Frame.Pixels;
    std::fill(pixels, pixels + 456 * 312, uint8_t(0x00));
    std::fill(pixels + 56 * 456 + 68, pixels + 56 * 456 + 68 + 320, uint8_t(0x71));  // white line 56
    form->SelectDisplayMode(0);
    form->Menu_CalculatedPalette->trigger();
    const QImage shot = form->Screen->grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 0), QColor(0xFC, 0xFC, 0xFC));  // source (68, 56) lands at (0, 0)
    EXPECT_EQ(shot.pixelColor(10, 1), QColor(0, 0, 0));
}

TEST_F(DisplayTest, FullScreenHidesMenuAndStatusBarAndComesBackWithFiftyHertz) {
    auto form = MakeForm(FullScreenOptions());
    form->show();
    form->Menu_640x480FSDX->trigger();
    EXPECT_TRUE(form->FullScreenActive());
    EXPECT_EQ(Asked, QStringList{"640x480x16"});
    EXPECT_EQ(form->ScreenMode, 10);
    EXPECT_FALSE(form->menuBar()->isVisible());
    EXPECT_FALSE(form->StatusBar_Main->isVisible());
    EXPECT_FALSE(form->Menu_StatusBar->isEnabled());
    EXPECT_EQ(form->contextMenuPolicy(), Qt::CustomContextMenu);
    // The canvas keeps the mode's proportions inside the screen.
    const QRectF canvas = form->Screen->CanvasRect();
    EXPECT_NEAR(canvas.width() / canvas.height(), 640.0 / 480.0, 0.01);

    form->Popup_Sync_VerticalBlank->trigger();
    EXPECT_EQ(form->SyncMode, 2);
    form->Menu_GDI360x240->trigger();
    EXPECT_FALSE(form->FullScreenActive());
    EXPECT_EQ(form->SyncMode, 1);
    EXPECT_TRUE(form->Menu_Sync50Hz->isChecked());
    EXPECT_TRUE(form->menuBar()->isVisible());
    EXPECT_TRUE(form->StatusBar_Main->isVisible());
    EXPECT_TRUE(form->Menu_StatusBar->isEnabled());
    EXPECT_EQ(form->Screen->size(), QSize(360, 240));
}

TEST_F(DisplayTest, EveryMenuFitsTheMenuBarInTheSmallestWindow) {
    auto form = MakeForm();
    form->show();
    form->Menu_GDI320x200->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->Screen->size(), QSize(320, 200));
    QMenuBar* bar = form->menuBar();
    EXPECT_GE(bar->width(), bar->sizeHint().width());
    for (QAction* top : bar->actions())
        EXPECT_TRUE(bar->rect().contains(bar->actionGeometry(top))) << top->text().toStdString();
}

TEST_F(DisplayTest, AModeThatCannotBeShownFallsBackTo360x240WithTheMessage) {
    Depths = {16, 32};
    WriteFile("varlume.ini", "[Varlume]\nScreenMode=7\n");
    TMainOptions options = FullScreenOptions();
    auto form = std::make_unique<TForm_Main>(std::move(options));
    EXPECT_TRUE(form->FullScreenActive());  // started in full screen from the settings
    Errors.clear();

    form->FullScreenDepth = 1;  // 24 bpp, refused
    form->Menu_400x300FSDX->trigger();
    EXPECT_EQ(Asked.back(), "400x300x24");
    EXPECT_EQ(Errors, QStringList{"Your video driver cannot display selected mode. Using 360x240 GDI mode."});
    EXPECT_FALSE(form->FullScreenActive());
    EXPECT_EQ(form->DisplayMode, 1);
    EXPECT_TRUE(form->Menu_GDI360x240->isChecked());
    form->SaveCurrentSettings1->trigger();
    EXPECT_TRUE(ReadFile(SettingsPath()).contains("ScreenMode=1"));
}

TEST_F(DisplayTest, SixteenBitsKeepOnlyTheTopBitsOfEachColour) {
    auto frame = std::make_unique<TFrameBuffer>();
    uint8_t* entry = frame->ColourTable + 4 * 0x12;
    entry[0] = 0x0F, entry[1] = 0x87, entry[2] = 0xFF;  // blue, green, red
    frame->Pixels[0] = 0x12;
    QImage image;
    ConvertFrameAtDepth(*frame, image, 0);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0xFF, 0x86, 0x08));
    ConvertFrameAtDepth(*frame, image, 2);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0xFF, 0x87, 0x0F));
}

TEST(SpeedMeter, WindowedTextChangesEveryNinthCallFullScreenEveryTenth) {
    TSpeedMeter meter;
    int64_t now = 1'000'000;
    meter.Measure(now, 1, false);  // the first interval counts from 0
    int changes = 0;
    for (int call = 1; call <= 18; ++call) {
        now += TSpeedMeter::FramePeriod;
        if (meter.Measure(now, 1, false)) ++changes;
    }
    EXPECT_EQ(changes, 2);
    EXPECT_STREQ(meter.Text, "100.00%");

    // Four frames per interval: the shown figure is four times the interval's percentage.
    now += 4 * TSpeedMeter::FramePeriod;
    meter.Counter = 8;
    ASSERT_TRUE(meter.Measure(now, 4, false));
    EXPECT_STREQ(meter.Text, "100.00%");
    now += TSpeedMeter::FramePeriod / 40;  // 40 times too fast
    meter.Counter = 8;
    meter.Measure(now, 1, false);
    EXPECT_STREQ(meter.Text, "4005.61%");

    TSpeedMeter full;
    full.LastSample = 0;
    int64_t at = 0;
    int fullChanges = 0;
    for (int call = 0; call < 20; ++call) {
        at += TSpeedMeter::FramePeriod * 2;  // half speed
        if (full.Measure(at, 1, true)) ++fullChanges;
    }
    EXPECT_EQ(fullChanges, 2);
    EXPECT_STREQ(full.Text, "Speed: 050.00%");
}

TEST_F(DisplayTest, ShowSpeedFillsPanelOneWithinNineDrawnFramesAndEmptiesItWhenOff) {
    auto form = MakeForm();
    form->Menu_SyncNone->trigger();
    form->Menu_ShowSpeed->trigger();
    EXPECT_TRUE(form->ShowSpeed);
    for (int i = 0; i < 9; ++i) form->RunFrame();
    EXPECT_TRUE(form->StatusPanelText(1).endsWith('%')) << form->StatusPanelText(1).toStdString();
    form->Menu_ShowSpeed->trigger();
    EXPECT_EQ(form->StatusPanelText(1), "");
}
