#include "host/frame_image.h"

#include <cstdint>

void ConvertFrame(const TFrameBuffer& frame, QImage& image) {
    if (image.width() != TFrameBuffer::Width || image.height() != TFrameBuffer::Height ||
        image.format() != QImage::Format_RGB32)
        image = QImage(TFrameBuffer::Width, TFrameBuffer::Height, QImage::Format_RGB32);

    QRgb colours[256];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* entry = frame.ColourTable + 4 * i;
        colours[i] = qRgb(entry[2], entry[1], entry[0]);
    }
    const uint8_t* source = frame.Pixels;
    for (int y = 0; y < TFrameBuffer::Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < TFrameBuffer::Width; ++x) line[x] = colours[source[x]];
        source += TFrameBuffer::Width;
    }
}

void FillGreyColourTable(TFrameBuffer& frame) {
    for (int i = 0; i < 256; ++i) {
        const int colour = i & 0x0F;
        const int luminance = (i >> 4) & 0x07;
        const uint8_t grey = colour == 0 ? 0 : uint8_t(36 + luminance * 31);
        uint8_t* entry = frame.ColourTable + 4 * i;
        entry[0] = entry[1] = entry[2] = grey;
        entry[3] = 0;
    }
}
