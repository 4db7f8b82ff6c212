#include "ui/screen_widget.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

void TScreenWidget::SetOverlayText(const QString& text) {
    if (text == Overlay) return;
    Overlay = text;
    update();
}

QRectF TScreenWidget::CanvasRect() const {
    if (!Mode->FullScreen) return QRectF(rect());
    // Whole multiples keep every emulated pixel the same size where the screen allows one.
    double scale = std::min(double(width()) / Mode->Width, double(height()) / Mode->Height);
    if (scale >= 1.0) scale = std::floor(scale);
    const double w = Mode->Width * scale, h = Mode->Height * scale;
    return {(width() - w) / 2, (height() - h) / 2, w, h};
}

void TScreenWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (Frame.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // The mode's rectangles are in its own picture-area units; the widget may be larger (a
    // high-density screen, full screen), so they scale with it.
    const QRectF canvas = CanvasRect();
    const double scaleX = canvas.width() / Mode->Width;
    const double scaleY = canvas.height() / Mode->Height;
    const TDisplayRect& d = Mode->Destination;
    const TDisplayRect& s = Mode->Source;
    painter.drawImage(QRectF(canvas.x() + d.X * scaleX, canvas.y() + d.Y * scaleY, d.Width * scaleX, d.Height * scaleY),
                      Frame, QRectF(s.X, s.Y, s.Width, s.Height));
    if (Overlay.isEmpty() || !Mode->FullScreen) return;
    painter.translate(canvas.topLeft());
    painter.scale(scaleX, scaleY);
    painter.setFont(QApplication::font());
    // Text drawn on a device context is black on an opaque white box by default.
    const QFontMetrics metrics = painter.fontMetrics();
    painter.fillRect(QRect(0, 0, metrics.horizontalAdvance(Overlay), metrics.height()), Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(0, metrics.ascent()), Overlay);
}
