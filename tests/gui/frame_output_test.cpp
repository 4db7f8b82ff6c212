#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "host/display_modes.h"
#include "host/frame_image.h"
#include "host/frame_sync.h"

namespace {
void SetColour(TFrameBuffer& frame, int index, uint8_t red, uint8_t green, uint8_t blue) {
    uint8_t* entry = frame.ColourTable + 4 * index;
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
}
}  // namespace

TEST(FrameImage, PixelsGoThroughTheColourTableInBlueGreenRedOrder) {
    auto frame = std::make_unique<TFrameBuffer>();
    SetColour(*frame, 0x00, 0, 0, 0);
    SetColour(*frame, 0x12, 0x10, 0x20, 0x30);
    SetColour(*frame, 0xFF, 0xFF, 0x80, 0x01);
    frame->Pixels[0] = 0x12;                                              // top left
    frame->Pixels[TFrameBuffer::Width - 1] = 0xFF;                        // top right
    frame->Pixels[TFrameBuffer::Width * (TFrameBuffer::Height - 1)] = 0x12;  // bottom left
    QImage image;
    ConvertFrame(*frame, image);
    ASSERT_EQ(image.width(), 456);
    ASSERT_EQ(image.height(), 312);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(image.pixel(455, 0), qRgb(0xFF, 0x80, 0x01));
    EXPECT_EQ(image.pixel(0, 311), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(FrameImage, ReusesAnImageOfTheRightShapeAndReplacesAnyOther) {
    auto frame = std::make_unique<TFrameBuffer>();
    QImage image(456, 312, QImage::Format_RGB32);
    const uchar* before = image.constBits();
    ConvertFrame(*frame, image);
    EXPECT_EQ(image.constBits(), before);

    QImage wrong(10, 10, QImage::Format_Indexed8);
    ConvertFrame(*frame, wrong);
    EXPECT_EQ(wrong.size(), QSize(456, 312));
    EXPECT_EQ(wrong.format(), QImage::Format_RGB32);
}

TEST(DisplayModes, WindowedModesShowTheirSourceRectangleInsideTheFrame) {
    for (const TDisplayMode& mode : DisplayModes) {
        SCOPED_TRACE(mode.Caption);
        EXPECT_GE(mode.Source.X, 0);
        EXPECT_GE(mode.Source.Y, 0);
        EXPECT_LE(mode.Source.X + mode.Source.Width, 456);
        EXPECT_LE(mode.Source.Y + mode.Source.Height, 312);
        EXPECT_LE(mode.Destination.X + mode.Destination.Width, mode.Width);
        EXPECT_LE(mode.Destination.Y + mode.Destination.Height, mode.Height);
    }
    const TDisplayMode& standard = DisplayModes[DefaultDisplayMode];
    EXPECT_STREQ(standard.Caption, "360x240 - Windowed GDI");
    EXPECT_EQ(standard.Source.X, 48);
    EXPECT_EQ(standard.Source.Y, 36);
    EXPECT_FALSE(standard.FullScreen);
    EXPECT_EQ(DisplayModeCount, 11);
    EXPECT_TRUE(DisplayModes[6].FullScreen);
}

TEST(FrameSync, FiftyHertzSpacesFrameEndsByAFiftiethOfASecond) {
    TFrameSync sync;
    const auto start = TFrameSync::Clock::now();
    for (int i = 0; i < 3; ++i) sync.Wait(TFrameSync::Sync50Hz);
    // The first period started at construction, so three waits end three periods later.
    EXPECT_GE(TFrameSync::Clock::now() - start, 3 * TFrameSync::FramePeriod - std::chrono::milliseconds(1));
}

TEST(FrameSync, AnOverrunFrameIsNotMadeUpLater) {
    TFrameSync sync;
    sync.LastSync -= std::chrono::seconds(1);  // a very slow frame
    sync.Wait(TFrameSync::Sync50Hz);
    const auto afterOverrun = TFrameSync::Clock::now();
    sync.Wait(TFrameSync::Sync50Hz);
    // The next wait is a full period again, not a burst of catching up.
    EXPECT_GE(TFrameSync::Clock::now() - afterOverrun, TFrameSync::FramePeriod - std::chrono::milliseconds(1));
}

TEST(FrameSync, NoneAndVerticalBlankWithoutFullScreenDoNotWait) {
    TFrameSync sync;
    const auto start = TFrameSync::Clock::now();
    for (int i = 0; i < 10; ++i) {
        sync.Wait(TFrameSync::SyncNone);
        sync.Wait(TFrameSync::SyncVerticalBlank);
    }
    EXPECT_LT(TFrameSync::Clock::now() - start, TFrameSync::FramePeriod);
}
