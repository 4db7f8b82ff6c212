#include "ui/debugger/debug_widgets.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>

QFont DebugFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    return font;
}

int DebugCharWidth() {
    static const int width = QFontMetrics(DebugFont()).horizontalAdvance(QLatin1Char('0'));
    return width;
}

void DrawDebugText(QPainter& painter, int x, int y, const QString& text) {
    const QFontMetrics metrics(painter.font());
    painter.setPen(Qt::white);
    painter.drawText(x, y + metrics.ascent(), text);
}

QLabel* AddStatusPanel(QStatusBar* bar, int width, const QString& widest) {
    auto* panel = new QLabel(bar);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedWidth(std::max(width, panel->fontMetrics().horizontalAdvance(widest) + 16));
    bar->addWidget(panel);
    return panel;
}

TDrawingArea::TDrawingArea(QSize size, QWidget* parent) : QWidget(parent) {
    // At least this size; wider when the window around it is.
    setMinimumSize(size);
    setFixedHeight(size.height());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(DebugFont());
}

void TDrawingArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setFont(font());
    if (Draw) Draw(painter);
}

void TDrawingArea::contextMenuEvent(QContextMenuEvent* event) {
    if (ContextMenu) ContextMenu(event->pos());
}
