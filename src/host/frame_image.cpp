#include "host/frame_image.h"

#include "ted/palettes.h"

void ConvertFrame(const TFrameBuffer& frame, QImage& image) {
    if (image.width() != TFrameBuffer::Width || image.height() != TFrameBuffer::Height ||
        image.format() != QImage::Format_RGB32)
        image = QImage(TFrameBuffer::Width, TFrameBuffer::Height, QImage::Format_RGB32);
    // Line by line: a QImage line may be padded.
    for (int y = 0; y < TFrameBuffer::Height; ++y)
        ConvertFrameToRgb32(frame.Pixels + y * TFrameBuffer::Width, TFrameBuffer::Width,
                            frame.ColourTable, reinterpret_cast<uint32_t*>(image.scanLine(y)));
}
