#pragma once
#include <QImage>
#include <QString>

class QDateTime;

#include "host/display_modes.h"
#include "machine/frame_buffer.h"

// Converts the frame buffer's TED colour bytes through its colour table (blue, green, red, 0
// per entry) into `image`, a 456 x 312 RGB32 picture. The image is reallocated only when it
// has another size or format, so the per-frame call allocates nothing.
void ConvertFrame(const TFrameBuffer& frame, QImage& image);

// The same at a full-screen colour depth: 0 = 16 bits per pixel, whose 5-6-5 channels keep
// only the top bits of each colour, 1 = 24 and 2 = 32 bits, which show every colour exactly.
void ConvertFrameAtDepth(const TFrameBuffer& frame, QImage& image, int32_t depthCode);

// The picture as a screen mode shows it: the mode's picture area (Width x Height), the source
// rectangle scaled into the destination without smoothing and black around it; a full-screen
// mode at its colour depth (`depthCode` as above), a windowed one in full colour.
QImage ShownPicture(const TFrameBuffer& frame, const TDisplayMode& mode, int32_t depthCode);

// "varlume-YYYYMMDD-HHMMSS.<suffix>" for that moment: the name a saved picture or snapshot is
// offered under.
QString TimestampedName(const QDateTime& moment, const QString& suffix);
