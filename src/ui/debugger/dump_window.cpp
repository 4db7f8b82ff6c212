#include "ui/debugger/dump_window.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/debugger/debug_icons.h"
#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"

char DumpCharacter(uint8_t value) {
    if (value == 0 || value == 255) return '.';
    if (value <= 26) return char(value + 64);
    return char(value);
}

TDumpRow DumpRow(const TMachineView& view, uint16_t address) {
    TDumpRow row;
    row.Address = HexText(address, 4);
    QStringList bytes;
    for (int i = 0; i < 8; ++i) {
        const uint8_t value = view.Peek(uint16_t(address + i));
        bytes << HexText(value, 2);
        // Latin-1's control characters ($80-$9F and the few below $20) have no glyph: a dot.
        const QChar shown = QChar::fromLatin1(DumpCharacter(value));
        row.Characters += shown.isPrint() ? shown : QLatin1Char('.');
    }
    row.Bytes = bytes.join(QLatin1Char(' '));
    return row;
}

TForm_DebugDump::TForm_DebugDump(TMachineView view, QWidget* parent)
    : TInspectionWindow(view, QStringLiteral("Memory Dump"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(16, 16));
    Edit_JumpAddress = new THexEdit(4, bar);
    Edit_JumpAddress->FitWidthToDigits();
    bar->addWidget(Edit_JumpAddress);
    ToolButton_JumpToAddress = AddToolButton(bar, TDebugImage::JumpToAddress, "Jump to Address");
    ToolButton_JumpToTED = AddToolButton(bar, TDebugImage::JumpToTed, "Jump to TED Registers");
    ToolButton_JumpToPC = AddToolButton(bar, TDebugImage::JumpToPc, "Jump to PC");
    ToolButton_JumpToSP = AddToolButton(bar, TDebugImage::JumpToSp, "Jump to SP");
    ToolButton_JumpToTop = AddToolButton(bar, TDebugImage::JumpToTop, "Jump to Top");
    ToolButton_JumpToBottom = AddToolButton(bar, TDebugImage::JumpToBottom, "Jump to Bottom");
    layout->addWidget(bar);

    auto* body = new QHBoxLayout;
    // Address, eight bytes and eight characters, with the drawing's own margins.
    const int width = 256 + 9 * DebugCharWidth();
    Image = new TDrawingArea(QSize(width, 14 * Rows + 6), this);
    Image->Draw = [this](QPainter& painter) { Draw(painter); };
    ScrollBar = new QScrollBar(Qt::Vertical, this);
    ScrollBar->setRange(0, LastPosition);
    ScrollBar->setPageStep(16);
    body->addWidget(Image);
    body->addWidget(ScrollBar);
    layout->addLayout(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ScrollBar, &QScrollBar::valueChanged, Image, qOverload<>(&QWidget::update));
    connect(Edit_JumpAddress, &QLineEdit::returnPressed, this, &TForm_DebugDump::JumpToAddress);
    connect(Edit_JumpAddress, &THexEdit::Left, this, [this] { Edit_JumpAddress->Normalise(); });
    connect(ToolButton_JumpToAddress, &QToolButton::clicked, this, &TForm_DebugDump::JumpToAddress);
    connect(ToolButton_JumpToTED, &QToolButton::clicked, this, [this] { JumpTo(TedPosition); });
    connect(ToolButton_JumpToPC, &QToolButton::clicked, this, [this] { JumpTo(ProgramCounterRow()); });
    connect(ToolButton_JumpToSP, &QToolButton::clicked, this, [this] { JumpTo(StackPointerRow()); });
    connect(ToolButton_JumpToTop, &QToolButton::clicked, this, [this] { JumpTo(0); });
    connect(ToolButton_JumpToBottom, &QToolButton::clicked, this, [this] { JumpTo(65535); });

    // The pop-up's entries act only while stopped.
    PopupMenu_MemoryDump = new QMenu(this);
    auto addItem = [this](const char* caption, QKeySequence key, std::function<void()> command) {
        QAction* item = PopupMenu_MemoryDump->addAction(QString::fromLatin1(caption));
        item->setShortcut(key);
        item->setShortcutContext(Qt::WindowShortcut);
        addAction(item);
        connect(item, &QAction::triggered, this, [this, command] {
            if (View.Stopped()) command();
        });
    };
    addItem("Go to address...", Qt::Key_F5, [this] { Edit_JumpAddress->setFocus(); });
    addItem("Jump to TED registers", {}, [this] { JumpTo(TedPosition); });
    addItem("Jump to PC", {}, [this] { JumpTo(ProgramCounterRow()); });
    addItem("Jump to SP", {}, [this] { JumpTo(StackPointerRow()); });
    Image->ContextMenu = [this](QPoint at) { PopupMenu_MemoryDump->popup(Image->mapToGlobal(at)); };
}

std::array<TDumpRow, TForm_DebugDump::Rows> TForm_DebugDump::VisibleRows() const {
    std::array<TDumpRow, Rows> rows;
    for (int i = 0; i < Rows; ++i) rows[size_t(i)] = DumpRow(View, uint16_t((ScrollBar->value() + i) * 8));
    return rows;
}

void TForm_DebugDump::Draw(QPainter& painter) const {
    if (!View.Stopped()) return;
    const int cell = DebugCharWidth();
    const auto rows = VisibleRows();
    for (int i = 0; i < Rows; ++i) {
        const TDumpRow& row = rows[size_t(i)];
        const int y = 14 * i + 6;
        DrawDebugText(painter, 8, y, row.Address);
        DrawDebugText(painter, 56, y, row.Bytes);
        // One cell per byte, so that a control character drawn as nothing keeps the columns.
        for (int k = 0; k < row.Characters.size(); ++k) DrawDebugText(painter, 256 + k * cell, y, row.Characters.mid(k, 1));
    }
}

void TForm_DebugDump::Refresh() { Image->update(); }

void TForm_DebugDump::SetControlsEnabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             Edit_JumpAddress, ToolButton_JumpToAddress, ToolButton_JumpToTED, ToolButton_JumpToPC,
             ToolButton_JumpToSP, ToolButton_JumpToTop, ToolButton_JumpToBottom, ScrollBar})
        control->setEnabled(enabled);
}

void TForm_DebugDump::EnableView() {
    SetControlsEnabled(true);
    Refresh();
}

void TForm_DebugDump::DisableView() {
    SetControlsEnabled(false);
    Image->update();  // black while running
}

void TForm_DebugDump::JumpTo(int position) { ScrollBar->setValue(position); }

void TForm_DebugDump::JumpToAddress() {
    const uint32_t address = Edit_JumpAddress->Normalise();
    JumpTo(int(address / 8));
    Edit_JumpAddress->selectAll();
}
