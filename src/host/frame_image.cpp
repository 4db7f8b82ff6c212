#include "host/frame_image.h"

#include <QDateTime>
#include <QPainter>
#include <cstring>

#include "ted/palettes.h"

namespace {

void ConvertWithTable(const TFrameBuffer& frame, const uint8_t* colourTable, QImage& image) {
    if (image.width() != TFrameBuffer::Width || image.height() != TFrameBuffer::Height ||
        image.format() != QImage::Format_RGB32)
        image = QImage(TFrameBuffer::Width, TFrameBuffer::Height, QImage::Format_RGB32);
    // Line by line: a QImage line may be padded.
    for (int y = 0; y < TFrameBuffer::Height; ++y)
        ConvertFrameToRgb32(frame.Pixels + y * TFrameBuffer::Width, TFrameBuffer::Width,
                            colourTable, reinterpret_cast<uint32_t*>(image.scanLine(y)));
}

}  // namespace

void ConvertFrame(const TFrameBuffer& frame, QImage& image) {
    ConvertWithTable(frame, frame.ColourTable, image);
}

void ConvertFrameAtDepth(const TFrameBuffer& frame, QImage& image, int32_t depthCode) {
    if (depthCode != 0) {
        ConvertFrame(frame, image);
        return;
    }
    // Blue and red keep 5 bits, green 6, with the low bits copied from the top so that full
    // intensity stays full.
    uint8_t table[sizeof frame.ColourTable];
    for (size_t i = 0; i < sizeof table; i += 4) {
        const uint8_t blue = frame.ColourTable[i] & 0xF8, green = frame.ColourTable[i + 1] & 0xFC,
                      red = frame.ColourTable[i + 2] & 0xF8;
        table[i] = uint8_t(blue | blue >> 5);
        table[i + 1] = uint8_t(green | green >> 6);
        table[i + 2] = uint8_t(red | red >> 5);
        table[i + 3] = 0;
    }
    ConvertWithTable(frame, table, image);
}

QImage ShownPicture(const TFrameBuffer& frame, const TDisplayMode& mode, int32_t depthCode) {
    QImage converted;
    if (mode.FullScreen)
        ConvertFrameAtDepth(frame, converted, depthCode);
    else
        ConvertFrame(frame, converted);
    QImage picture(mode.Width, mode.Height, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const TDisplayRect& d = mode.Destination;
    const TDisplayRect& s = mode.Source;
    painter.drawImage(QRect(d.X, d.Y, d.Width, d.Height), converted, QRect(s.X, s.Y, s.Width, s.Height));
    painter.end();
    return picture;
}

QString TimestampedName(const QDateTime& moment, const QString& suffix) {
    return moment.toString(QStringLiteral("'varlume-'yyyyMMdd-HHmmss")) + QLatin1Char('.') + suffix;
}
