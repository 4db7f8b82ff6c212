#include "ui/debugger/debugger_window.h"

#include <QHBoxLayout>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "machine/machine_view.h"
#include "ui/debugger/breakpoints_window.h"
#include "ui/debugger/cpu_window.h"
#include "ui/debugger/debug_icons.h"
#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"
#include "ui/debugger/debugger_host.h"
#include "ui/debugger/dump_window.h"
#include "ui/debugger/micro_window.h"
#include "ui/debugger/stack_window.h"
#include "ui/debugger/ted_window.h"

namespace {

constexpr int RegisterLineY = 244;
// Listing lines are 44 characters at most; the image leaves the marker's margin before them.
constexpr int ListingColumns = 46;
const QColor BreakpointBackground(255, 0, 0);

}  // namespace

TForm_Debugger::TForm_Debugger(TMachine& machine, TDebuggerHost& host, TInspectionWindows windows, QWidget* parent)
    : QWidget(parent, Qt::Window), Machine(machine), Host(host), Windows(windows) {
    setWindowTitle(QStringLiteral("Main Debugger Window"));
    LineAddress.fill(-1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateMenuBar();
    CreateToolBar();

    auto* body = new QHBoxLayout;
    Image = new TDrawingArea(QSize(16 + ListingColumns * DebugCharWidth(), RegisterLineY + 20), this);
    Image->Draw = [this](QPainter& painter) { Draw(painter); };
    ScrollBar = new QScrollBar(Qt::Vertical, this);
    ScrollBar->setRange(0, 65535);
    ScrollBar->setPageStep(16);
    connect(ScrollBar, &QScrollBar::valueChanged, this, [this](int position) { DrawListing(uint16_t(position)); });
    body->addWidget(Image);
    body->addWidget(ScrollBar);
    layout->addLayout(body);

    StatusBar = new QStatusBar(this);
    StatusBar->setSizeGripEnabled(false);
    Panels = {AddStatusPanel(StatusBar, 100, QStringLiteral("ROM: Disabled")),
              AddStatusPanel(StatusBar, 60, QStringLiteral("ROM-L: 3")),
              AddStatusPanel(StatusBar, 60, QStringLiteral("ROM-H: 3")),
              AddStatusPanel(StatusBar, 80, QStringLiteral("X-Y: 113-311")), AddStatusPanel(StatusBar, 50, QString())};
    layout->addWidget(StatusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    CreatePopupMenu();
}

void TForm_Debugger::CreateMenuBar() {
    auto* bar = new QMenuBar(this);
    Menu_LoadLabels = bar->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("Load &labels..."));
    connect(Menu_LoadLabels, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load labels"), QString(),
                                                          QStringLiteral("Label files (*.lbl *.labels *.txt);;All files (*)"));
        QString error;
        if (!path.isEmpty() && !LoadLabels(path, error)) Host.StatusText(error.toUtf8().constData());
    });
    layout()->setMenuBar(bar);
}

bool TForm_Debugger::LoadLabels(const QString& path, QString& error) {
    TSymbolTable loaded;
    std::string why;
    if (!LoadLabelFile(path.toStdString(), loaded, why)) {
        error = QString::fromStdString(why);
        return false;
    }
    Symbols = std::move(loaded);
    const QByteArray text = QStringLiteral("%1 labels loaded.").arg(Symbols.Size()).toUtf8();
    Host.StatusText(text.constData());
    DrawListing(ListingStart);
    return true;
}

void TForm_Debugger::ToggleBreakpointAtJumpAddress() {
    if (!Stopped()) return;
    const uint16_t address = Edit_JumpAddress->Normalise();
    TCPU& cpu = Machine.Cpu;
    if (cpu.RemoveBreakpoint(address) || cpu.AddBreakpoint(address)) Windows.BreakPoints->Refresh();
    DrawListing(ListingStart);
}

void TForm_Debugger::CreateToolBar() {
    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(16, 16));
    auto add = [bar](TDebugImage image, const char* hint) { return AddToolButton(bar, image, hint); };
    ToolButton_RunStop = add(TDebugImage::Stop, "Run/Stop - F9");
    bar->addSeparator();
    ToolButton_StepIn = add(TDebugImage::StepIn, "Step In - F8");
    ToolButton_StepOver = add(TDebugImage::StepOver, "Step Over (JSR) - F7");
    ToolButton_StepOneCycle = add(TDebugImage::StepCycle, "Step one system cycle");
    bar->addSeparator();
    // These two have no command: they follow the others' enabled state only.
    ToolButton_SetCursorToPC = add(TDebugImage::CursorToPc, "Set Cursor to PC");
    ToolButton_SetPCToCursor = add(TDebugImage::PcToCursor, "Set PC to Cursor");
    bar->addSeparator();
    Edit_JumpAddress = new THexEdit(4, bar);
    Edit_JumpAddress->FitWidthToDigits();
    Edit_JumpAddress->AcceptNames([this](const QString& text) { return Symbols.Find(text.trimmed().toStdString()); });
    bar->addWidget(Edit_JumpAddress);
    ToolButton_JumpToAddress = add(TDebugImage::JumpToAddress, "Jump to Address");
    ToolButton_JumpToPC = add(TDebugImage::JumpToPc, "Jump to PC");
    ToolButton_BreakAtAddress = new QToolButton(bar);
    ToolButton_BreakAtAddress->setText(QStringLiteral("BP"));
    ToolButton_BreakAtAddress->setToolTip(QStringLiteral("Add/Remove Breakpoint at Address or Label"));
    bar->addWidget(ToolButton_BreakAtAddress);
    layout()->addWidget(bar);
    connect(ToolButton_BreakAtAddress, &QToolButton::clicked, this, &TForm_Debugger::ToggleBreakpointAtJumpAddress);

    connect(ToolButton_RunStop, &QToolButton::clicked, this, &TForm_Debugger::RunStopClick);
    connect(ToolButton_StepIn, &QToolButton::clicked, this, &TForm_Debugger::StepIn);
    connect(ToolButton_StepOver, &QToolButton::clicked, this, &TForm_Debugger::StepOver);
    connect(ToolButton_StepOneCycle, &QToolButton::clicked, this, &TForm_Debugger::StepOneCycle);
    connect(ToolButton_JumpToAddress, &QToolButton::clicked, this, &TForm_Debugger::JumpToAddress);
    connect(ToolButton_JumpToPC, &QToolButton::clicked, this, &TForm_Debugger::JumpToPC);
    connect(Edit_JumpAddress, &QLineEdit::returnPressed, this, &TForm_Debugger::JumpToAddress);
    connect(Edit_JumpAddress, &THexEdit::Left, this, [this] { Edit_JumpAddress->Normalise(); });
}

void TForm_Debugger::CreatePopupMenu() {
    PopupMenu = new QMenu(this);
    auto add = [this](const char* caption, QKeySequence key, void (TForm_Debugger::*command)()) {
        QAction* item = PopupMenu->addAction(QString::fromLatin1(caption));
        if (!key.isEmpty()) {
            item->setShortcut(key);
            item->setShortcutContext(Qt::WindowShortcut);
            addAction(item);  // the shortcut works anywhere in this window
        }
        connect(item, &QAction::triggered, this, command);
    };
    add("Add/Remove Breakpoint", {}, &TForm_Debugger::AddRemoveBreakpoint);
    add("Step Over (JSR)", Qt::Key_F7, &TForm_Debugger::StepOver);
    add("Step In", Qt::Key_F8, &TForm_Debugger::StepIn);
    add("Run/Stop", Qt::Key_F9, &TForm_Debugger::RunStopClick);
    QAction* goTo = PopupMenu->addAction(QStringLiteral("Go to address..."));
    goTo->setShortcut(Qt::Key_F5);
    goTo->setShortcutContext(Qt::WindowShortcut);
    addAction(goTo);
    connect(goTo, &QAction::triggered, this, [this] {
        if (Stopped()) Edit_JumpAddress->setFocus();
    });
    Image->ContextMenu = [this](QPoint at) {
        LastClickY = at.y();
        PopupMenu->popup(Image->mapToGlobal(at));
    };
}

void TForm_Debugger::SetRunStopImage(int index) {
    RunStopImageIndex = index;
    ToolButton_RunStop->setIcon(DebugIcon(index == 0 ? TDebugImage::Run : TDebugImage::Stop));
}

void TForm_Debugger::StopEmulation() {
    SetRunStopImage(0);
    Host.StatusText("Emulation has been stopped.");
    Host.StopFrameLoop();
    Windows.Cpu->Refresh();
    Windows.Cpu->EnableView();
    Windows.Dump->EnableView();
    Windows.Stack->Refresh();
    Windows.Stack->EnableView();
    Windows.Micro->Refresh();
    Windows.Micro->EnableView();
    Windows.Ted->Refresh();
    Windows.Ted->EnableView();
    UpdateControls();
    DrawListing(Machine.Cpu.PC);
}

void TForm_Debugger::Run() {
    SetRunStopImage(3);
    Host.StatusText("Emulation is running.");
    Host.StartFrameLoop();
    Windows.Cpu->DisableView();
    Windows.Dump->DisableView();
    Windows.Stack->DisableView();
    Windows.Micro->DisableView();
    Windows.Ted->DisableView();
    UpdateControls();
    Image->update();  // black while running
    Host.FocusMainWindow();
}

void TForm_Debugger::RunStopClick() {
    if (Stopped())
        Run();
    else
        StopEmulation();
}

void TForm_Debugger::UpdateControls() {
    const bool stopped = Stopped();
    SetRunStopImage(stopped ? 0 : 3);
    for (QWidget* control : std::initializer_list<QWidget*>{
             ToolButton_StepIn, ToolButton_StepOver, ToolButton_StepOneCycle, ToolButton_SetCursorToPC,
             ToolButton_SetPCToCursor, Edit_JumpAddress, ToolButton_JumpToAddress, ToolButton_JumpToPC, ToolButton_BreakAtAddress})
        control->setEnabled(stopped);
    if (stopped) {
        const TMachineView view(Machine);
        Panels[0]->setText(view.RomEnabled() ? QStringLiteral("ROM: Enabled") : QStringLiteral("ROM: Disabled"));
        Panels[1]->setText(QStringLiteral("ROM-L: %1").arg(view.LowRomBank()));
        Panels[2]->setText(QStringLiteral("ROM-H: %1").arg(view.HighRomBank()));
        Panels[3]->setText(QStringLiteral("X-Y: %1-%2").arg(Machine.Ted.LineStep).arg(Machine.Ted.LineIndex));
        ScrollBar->setEnabled(true);
        ScrollBar->setValue(ListingStart);
    } else {
        for (size_t i = 0; i < 4; ++i) Panels[i]->clear();
        ScrollBar->setEnabled(false);
        ScrollBar->setValue(0);
    }
    Image->update();  // the register line
}

TSymbolListing TForm_Debugger::Listing() const {
    return DisassembleWithSymbols(Machine.Memory, ListingStart, Symbols);
}

QString TForm_Debugger::RegisterText() const { return QString::fromStdString(RegisterLine(Machine.Cpu)); }

QString TForm_Debugger::StatusPanelText(int index) const {
    return index >= 0 && index < int(Panels.size()) ? Panels[size_t(index)]->text() : QString();
}

void TForm_Debugger::DrawListing(uint16_t start) {
    ListingStart = start;
    LineAddress = Listing().LineAddress;
    UpdateControls();
}

void TForm_Debugger::Draw(QPainter& painter) const {
    if (!Stopped()) return;
    // Drawn from memory as it is now: a reset or a load made while stopped shows at once.
    const TSymbolListing listing = Listing();
    const TCPU& cpu = Machine.Cpu;
    for (int line = 0; line < Lines; ++line) {
        const int32_t address = listing.LineAddress[size_t(line)];
        if (address < 0) break;
        const QString text = QString::fromStdString(listing.Text[size_t(line)]);
        const int y = line * LineHeight + 6;
        // A breakpoint's line is drawn on red, behind the text and within its own line.
        const bool instruction = !listing.IsLabel[size_t(line)];
        if (instruction && cpu.HasBreakpoint(uint16_t(address)))
            painter.fillRect(QRect(16, y, painter.fontMetrics().horizontalAdvance(text), LineHeight), BreakpointBackground);
        if (instruction && address == cpu.PC) painter.drawPixmap(4, line * LineHeight + 9, DebugPixmap(TDebugImage::Marker));
        DrawDebugText(painter, 16, y, text);
    }
    DrawDebugText(painter, 16, RegisterLineY, RegisterText());
}

void TForm_Debugger::ShowStep(bool refreshTed) {
    DrawListing(ListingStart);
    Windows.Dump->Refresh();
    Windows.Cpu->Refresh();
    Windows.Stack->Refresh();
    Windows.Micro->Refresh();
    if (refreshTed) Windows.Ted->Refresh();
    ScrollBar->setValue(ListingStart);
}

void TForm_Debugger::MachineChanged() {
    if (!Stopped()) return;
    ListingStart = Machine.Cpu.PC;
    ShowStep(true);
}

void TForm_Debugger::StepIn() {
    if (!Stopped()) return;
    const bool ended = Machine.StepInstruction();
    Machine.EndOfFrame();
    ListingStart = Machine.Cpu.PC;
    ShowStep(true);
    if (!ended) Host.StatusText("Step In stopped: the instruction has not ended.");
}

void TForm_Debugger::StepOver() {
    if (!Stopped()) return;
    const bool returned = Machine.StepOver();
    ListingStart = Machine.Cpu.PC;
    ShowStep(true);
    Machine.EndOfFrame();
    if (!returned) {
        const QByteArray text = QStringLiteral("Step Over stopped after %1 frames: the subroutine has not returned.")
                                    .arg(TMachine::StepOverFrames)
                                    .toUtf8();
        Host.StatusText(text.constData());
    }
}

void TForm_Debugger::StepOneCycle() {
    if (!Stopped()) return;
    Machine.StepClock();
    // Inside an instruction the listing stays where it is.
    if (Machine.Cpu.Cycle == 1) ListingStart = Machine.Cpu.PC;
    ShowStep(false);
    Machine.EndOfFrame();
}

void TForm_Debugger::JumpToPC() { DrawListing(Machine.Cpu.PC); }

void TForm_Debugger::JumpToAddress() {
    const uint32_t address = Edit_JumpAddress->Normalise();
    DrawListing(uint16_t(address));
    ScrollBar->setValue(ListingStart);
    Edit_JumpAddress->selectAll();
    UpdateControls();
}

void TForm_Debugger::AddRemoveBreakpoint() {
    if (!Stopped()) return;
    // Lines outside 0..15, and empty lines past $FFFF, have no address: nothing happens. The
    // division truncates, so the few pixels above the first line's text still belong to it.
    const int line = (LastClickY - 6) / LineHeight;
    if (line < 0 || line >= Lines || LineAddress[size_t(line)] < 0) return;
    const uint16_t address = uint16_t(LineAddress[size_t(line)]);
    TCPU& cpu = Machine.Cpu;
    if (cpu.RemoveBreakpoint(address)) {
        Windows.BreakPoints->Refresh();
        DrawListing(ListingStart);
        return;
    }
    if (cpu.AddBreakpoint(address)) {
        Windows.BreakPoints->Refresh();
        DrawListing(ListingStart);
    }
    if (ScrollBar->isEnabled()) ScrollBar->setFocus();
}

void TForm_Debugger::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ListingStart = Machine.Cpu.PC;
    UpdateControls();
    if (ScrollBar->isEnabled()) ScrollBar->setFocus();
}
