#include "ui/debugger/debug_icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int Size = 16;

const QColor Green(40, 170, 60);
const QColor Red(200, 40, 40);
const QColor Blue(40, 90, 200);
const QColor Dark(50, 50, 50);
const QColor Yellow(240, 200, 0);

void Triangle(QPainter& p, const QColor& colour, double x, double y, double w, double h) {
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(x, y), QPointF(x + w, y + h / 2), QPointF(x, y + h)}));
}

// An arrow from `from` to `to` along a straight line, with its head at `to`.
void Arrow(QPainter& p, const QColor& colour, QPointF from, QPointF to) {
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({to + d * 1.5, to - d * 3 + n * 3, to - d * 3 - n * 3}));
}

// Three lines of "text", as the listing and memory pictures show.
void TextLines(QPainter& p, double x, double width) {
    p.setPen(QPen(Dark, 1.2));
    for (int row = 0; row < 3; ++row) p.drawLine(QPointF(x, 4.5 + row * 3.5), QPointF(x + width, 4.5 + row * 3.5));
}

void Letters(QPainter& p, const QString& text, const QColor& colour) {
    QFont font = p.font();
    font.setPixelSize(text.size() > 2 ? 6 : 8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(0, 0, Size, Size), Qt::AlignCenter, text);
}

void Paint(QPainter& p, TDebugImage image) {
    switch (image) {
        case TDebugImage::Run: Triangle(p, Green, 4, 2, 10, 12); break;
        case TDebugImage::Stop:
            p.fillRect(QRectF(3.5, 3.5, 9, 9), Red);
            break;
        case TDebugImage::StepIn:
            TextLines(p, 9, 6);
            Arrow(p, Blue, QPointF(1.5, 2.5), QPointF(7, 8.5));
            break;
        case TDebugImage::StepOver: {
            TextLines(p, 9, 6);
            QPainterPath arc;
            arc.moveTo(2, 12);
            arc.cubicTo(2, 1, 9, 1, 8.5, 9);
            p.setPen(QPen(Blue, 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawPath(arc);
            Arrow(p, Blue, QPointF(8.6, 8), QPointF(8.5, 12.5));
            break;
        }
        case TDebugImage::StepCycle:
            p.setPen(QPen(Dark, 1.4));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(2, 2, 12, 12));
            p.drawLine(QPointF(8, 8), QPointF(8, 4));
            p.drawLine(QPointF(8, 8), QPointF(11, 8));
            break;
        case TDebugImage::CursorToPc:
            TextLines(p, 7, 8);
            Triangle(p, Yellow.darker(120), 1, 4, 5, 8);
            break;
        case TDebugImage::PcToCursor:
            TextLines(p, 1, 8);
            Triangle(p, Yellow.darker(120), 10, 4, 5, 8);
            break;
        case TDebugImage::JumpToAddress: Letters(p, QStringLiteral("$"), Blue); break;
        case TDebugImage::JumpToPc: Letters(p, QStringLiteral("PC"), Blue); break;
        case TDebugImage::JumpToTed: Letters(p, QStringLiteral("TED"), Blue); break;
        case TDebugImage::JumpToSp: Letters(p, QStringLiteral("SP"), Blue); break;
        case TDebugImage::JumpToTop: Arrow(p, Blue, QPointF(8, 14), QPointF(8, 3)); break;
        case TDebugImage::JumpToBottom: Arrow(p, Blue, QPointF(8, 2), QPointF(8, 13)); break;
        case TDebugImage::Marker:
            // Drawn 3 pixels below the top of its line's text and left of it: the arrow sits
            // in the picture's top-left corner, centred on the text.
            p.setPen(Qt::NoPen);
            p.setBrush(Yellow);
            p.drawPolygon(QPolygonF({QPointF(0, 2), QPointF(5, 2), QPointF(5, -0.5), QPointF(10.5, 4),
                                     QPointF(5, 8.5), QPointF(5, 6), QPointF(0, 6)}));
            break;
    }
}

}  // namespace

QPixmap DebugPixmap(TDebugImage image) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(Size, Size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Paint(painter, image);
    return pixmap;
}

QIcon DebugIcon(TDebugImage image) { return QIcon(DebugPixmap(image)); }

QToolButton* AddToolButton(QToolBar* bar, TDebugImage image, const char* hint) {
    auto* button = new QToolButton(bar);
    button->setIcon(DebugIcon(image));
    button->setToolTip(QString::fromLatin1(hint));
    bar->addWidget(button);
    return button;
}
