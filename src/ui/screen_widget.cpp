#include "ui/screen_widget.h"

#include <QPainter>

TScreenWidget::TScreenWidget(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted each time, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void TScreenWidget::SetDisplayMode(const TDisplayMode& mode) {
    Mode = &mode;
    updateGeometry();
    update();
}

void TScreenWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (Frame.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // The mode's rectangles are in its own picture-area units; the widget may be larger
    // (a high-density screen, a resized window), so they scale with it.
    const double scaleX = double(width()) / Mode->Width;
    const double scaleY = double(height()) / Mode->Height;
    const TDisplayRect& d = Mode->Destination;
    const TDisplayRect& s = Mode->Source;
    painter.drawImage(QRectF(d.X * scaleX, d.Y * scaleY, d.Width * scaleX, d.Height * scaleY), Frame,
                      QRectF(s.X, s.Y, s.Width, s.Height));
}
