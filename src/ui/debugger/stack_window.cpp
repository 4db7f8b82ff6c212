#include "ui/debugger/stack_window.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>

#include "ui/debugger/debug_icons.h"
#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"

TForm_DebugStack::TForm_DebugStack(TMachineView view, QWidget* parent)
    : TInspectionWindow(view, QStringLiteral("CPU Stack"), parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Image = new TDrawingArea(QSize(16 + 12 * DebugCharWidth(), 12 * Rows + 10), this);
    Image->Draw = [this](QPainter& painter) { Draw(painter); };
    ScrollBar = new QScrollBar(Qt::Vertical, this);
    ScrollBar->setRange(0, 256 - Rows);
    ScrollBar->setPageStep(16);
    layout->addWidget(Image);
    layout->addWidget(ScrollBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(ScrollBar, &QScrollBar::valueChanged, Image, qOverload<>(&QWidget::update));
}

std::array<TStackRow, TForm_DebugStack::Rows> TForm_DebugStack::VisibleRows() const {
    std::array<TStackRow, Rows> rows;
    for (int i = 0; i < Rows; ++i) {
        const int offset = 255 - ScrollBar->value() - i;
        const uint8_t value = View.Peek(uint16_t(0x0100 + offset));
        rows[size_t(i)] = {HexText(uint32_t(offset), 2) + QStringLiteral(": ") + HexText(value, 2),
                           offset == View.Cpu().SP};
    }
    return rows;
}

void TForm_DebugStack::Draw(QPainter& painter) const {
    if (!View.Stopped()) return;
    const auto rows = VisibleRows();
    for (int i = 0; i < Rows; ++i) {
        if (rows[size_t(i)].Marked) painter.drawPixmap(4, 12 * i + 9, DebugPixmap(TDebugImage::Marker));
        DrawDebugText(painter, 16, 12 * i + 6, rows[size_t(i)].Text);
    }
}

void TForm_DebugStack::Refresh() { Image->update(); }

void TForm_DebugStack::EnableView() { ScrollBar->setEnabled(true); }

void TForm_DebugStack::DisableView() {
    Image->update();  // black while running
    ScrollBar->setEnabled(false);
}
