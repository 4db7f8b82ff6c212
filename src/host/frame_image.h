#pragma once
#include <QImage>

#include "machine/frame_buffer.h"

// Converts the frame buffer's TED colour bytes through its colour table (blue, green, red, 0
// per entry) into `image`, a 456 x 312 RGB32 picture. The image is reallocated only when it
// has another size or format, so the per-frame call allocates nothing.
void ConvertFrame(const TFrameBuffer& frame, QImage& image);
