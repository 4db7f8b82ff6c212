#include "ui/hex_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpressionValidator>

QString HexText(uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

THexEdit::THexEdit(int digits, QWidget* parent) : QLineEdit(HexText(0, digits), parent), Digits(digits) {
    setMaxLength(digits);
    // Pasted text obeys the same rule as typed keys.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), this));
}

uint16_t THexEdit::Value() const {
    if (Names)
        if (const auto named = Names(text())) return *named;
    bool ok = false;
    const uint value = text().toUInt(&ok, 16);
    return uint16_t(ok ? value : 0);
}

uint16_t THexEdit::Normalise() {
    const uint16_t value = Value();
    if (Names && Names(text())) return value;
    setText(HexText(value, Digits));
    return value;
}

void THexEdit::FitWidthToDigits() {
    setFixedWidth(fontMetrics().horizontalAdvance(QString(Digits + 2, QLatin1Char('W'))));
}

void THexEdit::AcceptNames(TNames names) {
    Names = std::move(names);
    setValidator(nullptr);
    setMaxLength(96);
}

void THexEdit::keyPressEvent(QKeyEvent* event) {
    if (Names) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Keys without a character (arrows, Delete, Home, Enter, shortcuts) and backspace edit as
    // usual.
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint()) {
        const QChar c = typed.at(0);
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
