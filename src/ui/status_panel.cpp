#include "ui/status_panel.h"

#include <QPainter>

TStatusPanel::TStatusPanel(const QString& text, int width, QWidget* parent)
    : QFrame(parent), FixedText(text) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (width > 0) setFixedWidth(width);
    setMinimumHeight(fontMetrics().height() + 4);
}

void TStatusPanel::SetText(const QString& text) {
    if (text == FixedText) return;
    FixedText = text;
    update();
}

void TStatusPanel::SetFill(const QColor& colour) {
    if (colour == FillColour) return;
    FillColour = colour;
    update();
}

void TStatusPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.fillRect(area, FillColour.isValid() ? FillColour : palette().button().color());
    painter.setPen(palette().buttonText().color());
    const QString text = Text();
    const QFontMetrics metrics = fontMetrics();
    const int left = Centred ? area.left() + area.width() / 2 - metrics.horizontalAdvance(text) / 2 - 1
                             : area.left() + 2;
    painter.drawText(left, area.top() + 1 + metrics.ascent(), text);
}
