#include "ui/debugger/debug_widgets.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QPainter>
#include <QRegularExpressionValidator>

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

uint32_t HexFieldValue(const QString& text) {
    bool ok = false;
    const uint32_t value = text.toUInt(&ok, 16);
    return ok ? value : 0;
}

QString HexText(uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

THexEdit::THexEdit(int maxLength, const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setMaxLength(maxLength);
    // Pasted text obeys the same rule as typed keys.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), this));
    const int width = QFontMetrics(font()).horizontalAdvance(QString(maxLength + 2, QLatin1Char('W')));
    setFixedWidth(width);
}

uint32_t THexEdit::Value() const { return HexFieldValue(text()); }

uint32_t THexEdit::Normalise() {
    const uint32_t value = Value();
    setText(HexText(value, maxLength() >= 4 ? 4 : 2));
    return value;
}

void THexEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit Entered();
        return;
    }
    const QString typed = event->text();
    // Keys without a character (arrows, Delete, Home, shortcuts) and backspace edit as usual.
    if (!typed.isEmpty() && typed.at(0).isPrint()) {
        const char c = typed.at(0).toLatin1();
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!hex) return;
    }
    QLineEdit::keyPressEvent(event);
}

void THexEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Only a move to another control counts: switching to another window or opening a menu
    // does not leave the field.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) emit Left();
}
