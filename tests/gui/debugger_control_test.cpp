// The debugger window: stopping and running, stepping, the listing and breakpoints by line.
#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QToolButton>

#include "cpu/cpu.h"
#include "gui/debugger_fixture.h"
#include "ui/debugger/breakpoints_window.h"
#include "ui/debugger/cpu_window.h"
#include "ui/debugger/debug_widgets.h"
#include "ui/debugger/debugger_window.h"
#include "ui/hex_edit.h"
#include "ui/debugger/micro_window.h"

#include <QMenu>
#include <QTreeWidget>

namespace {

// The y coordinate of a click on listing line `line`.
int LineY(int line) { return 6 + 14 * line + 3; }

std::vector<QWidget*> SteppingControls(const TForm_Debugger& d) {
    return {d.ToolButton_StepIn, d.ToolButton_StepOver, d.ToolButton_StepOneCycle, d.ToolButton_SetCursorToPC,
            d.ToolButton_SetPCToCursor, d.Edit_JumpAddress, d.ToolButton_JumpToAddress, d.ToolButton_JumpToPC};
}

}  // namespace

TEST_F(DebuggerTest, StopAndRunSwitchTheControlsTheStatusAndTheOtherWindows) {
    TForm_Debugger& d = *Windows->Debugger;
    Machine->Memory.SetRomBanks(1, 2);
    Machine->Cpu.PC = 0x2345;
    Stop();
    EXPECT_TRUE(Machine->EmulationStopped);
    EXPECT_EQ(Host.Status, std::vector<std::string>({"Emulation has been stopped."}));
    EXPECT_EQ(d.RunStopImage(), 0);
    for (QWidget* control : SteppingControls(d)) EXPECT_TRUE(control->isEnabled());
    EXPECT_TRUE(d.ScrollBar->isEnabled());
    EXPECT_EQ(d.ListingStart, 0x2345);
    EXPECT_EQ(d.ScrollBar->value(), 0x2345);
    EXPECT_EQ(d.StatusPanelText(0), "ROM: Disabled");
    EXPECT_EQ(d.StatusPanelText(1), "ROM-L: 1");
    EXPECT_EQ(d.StatusPanelText(2), "ROM-H: 2");
    EXPECT_EQ(d.StatusPanelText(3), QStringLiteral("X-Y: %1-%2").arg(Machine->Ted.LineStep).arg(Machine->Ted.LineIndex));
    EXPECT_TRUE(Windows->Cpu->Edit_PC->isEnabled());
    EXPECT_EQ(Windows->Cpu->Edit_PC->text(), "2345");
    EXPECT_EQ(Windows->Micro->StatusPanelText(0), "CPU Cycle: 1");

    d.RunStopClick();
    EXPECT_FALSE(Machine->EmulationStopped);
    EXPECT_EQ(Host.Status.back(), "Emulation is running.");
    EXPECT_EQ(Host.Focused, 1);
    EXPECT_EQ(d.RunStopImage(), 3);
    for (QWidget* control : SteppingControls(d)) EXPECT_FALSE(control->isEnabled());
    EXPECT_FALSE(d.ScrollBar->isEnabled());
    EXPECT_EQ(d.ScrollBar->value(), 0);
    for (int panel = 0; panel < 4; ++panel) EXPECT_EQ(d.StatusPanelText(panel), "") << panel;
    EXPECT_FALSE(Windows->Cpu->Edit_PC->isEnabled());
    EXPECT_EQ(Windows->Micro->StatusPanelText(0), "");

    // Stepping is refused while running.
    d.StepIn();
    EXPECT_EQ(Machine->Cpu.PC, 0x2345);
}

TEST_F(DebuggerTest, StepInRunsOneInstructionShowsThePictureAndFollowsThePc) {
    Put(0x2000, {0xA9, 0x80, 0xAD, 0x00, 0x30, 0xEA});  // LDA #$80; LDA $3000; NOP
    TForm_Debugger& d = *Windows->Debugger;
    Stop();
    const int frames = Core.Frames;
    d.StepIn();
    EXPECT_EQ(Machine->Cpu.PC, 0x2002);
    EXPECT_EQ(Machine->Cpu.A, 0x80);
    EXPECT_EQ(Core.Frames, frames + 1);  // the partly drawn picture is shown after each step
    EXPECT_EQ(d.ListingStart, 0x2002);
    EXPECT_EQ(d.ScrollBar->value(), 0x2002);
    EXPECT_EQ(d.LineAddress[0], 0x2002);
    EXPECT_EQ(d.RegisterText(), "PC:2002  A:80  X:00  Y:00  SP:F0  N.-..I..");
    EXPECT_EQ(Windows->Cpu->Edit_A->text(), "80");

    // One clock inside LDA $3000 leaves the listing where it is; the clock that ends the
    // instruction moves it. Step In in the middle only completes the instruction.
    d.StepOneCycle();
    EXPECT_EQ(Machine->Cpu.Cycle, 2u);
    EXPECT_EQ(d.ListingStart, 0x2002);
    EXPECT_EQ(Windows->Micro->StatusPanelText(0), "CPU Cycle: 2");
    EXPECT_EQ(Core.Frames, frames + 2);
    d.StepIn();
    EXPECT_EQ(Machine->Cpu.PC, 0x2005);
    EXPECT_EQ(d.ListingStart, 0x2005);
    d.StepOneCycle();
    d.StepOneCycle();
    EXPECT_EQ(Machine->Cpu.Cycle, 1u);
    EXPECT_EQ(d.ListingStart, 0x2006);
}

TEST_F(DebuggerTest, StepOverOfASubroutineThatNeverReturnsEndsAndSaysSo) {
    Put(0x2000, {0x20, 0x00, 0x30, 0xEA});
    Put(0x3000, {0x4C, 0x00, 0x30});  // JMP $3000
    TForm_Debugger& d = *Windows->Debugger;
    Stop();
    d.StepOver();
    EXPECT_TRUE(Machine->EmulationStopped);
    EXPECT_EQ(Machine->Cpu.PC & 0xFFF0, 0x3000);
    EXPECT_EQ(d.ListingStart, Machine->Cpu.PC);
    EXPECT_EQ(Host.Status.back(), "Step Over stopped after 50 frames: the subroutine has not returned.");

    // A subroutine that returns: the listing follows to the instruction after the JSR.
    Put(0x3000, {0x60});
    Machine->Cpu.PC = 0x2000;
    Machine->Cpu.SP = 0xF0;
    Machine->Cpu.Cycle = 1;
    const size_t messages = Host.Status.size();
    d.StepOver();
    EXPECT_EQ(Machine->Cpu.PC, 0x2003);
    EXPECT_EQ(d.ListingStart, 0x2003);
    EXPECT_EQ(Host.Status.size(), messages);
}

TEST_F(DebuggerTest, BreakpointsAreAddedAndRemovedByTheClickedLine) {
    Put(0x2000, {0xA9, 0x01, 0x8D, 0x09, 0xFF, 0xEA});
    TForm_Debugger& d = *Windows->Debugger;
    QTreeWidget& list = *Windows->BreakPoints->ListView;
    Stop();
    d.LastClickY = LineY(2);  // $2005
    d.AddRemoveBreakpoint();
    d.LastClickY = 2;         // above line 0's text: still line 0
    d.AddRemoveBreakpoint();
    EXPECT_EQ(Machine->Cpu.BreakpointCount, 2);
    EXPECT_EQ(Machine->Cpu.Breakpoints[0], 0x2005);
    EXPECT_EQ(Machine->Cpu.Breakpoints[1], 0x2000);
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(0)->text(0), "01");
    EXPECT_EQ(list.topLevelItem(0)->text(1), "$2005");
    EXPECT_EQ(list.topLevelItem(1)->text(1), "$2000");

    // The same line again removes it; the later entries move up.
    d.LastClickY = LineY(2);
    d.AddRemoveBreakpoint();
    ASSERT_EQ(list.topLevelItemCount(), 1);
    EXPECT_EQ(list.topLevelItem(0)->text(0), "01");
    EXPECT_EQ(list.topLevelItem(0)->text(1), "$2000");

    // The list's own "Remove BreakPoint" takes the selected one out.
    d.LastClickY = LineY(1);
    d.AddRemoveBreakpoint();
    list.setCurrentItem(list.topLevelItem(0));
    Windows->BreakPoints->PopupMenu->actions().at(2)->trigger();
    ASSERT_EQ(list.topLevelItemCount(), 1);
    EXPECT_EQ(list.topLevelItem(0)->text(1), "$2002");
    d.LastClickY = LineY(0);
    d.AddRemoveBreakpoint();

    // Below the sixteenth line, or on an empty line past $FFFF, nothing happens.
    d.LastClickY = LineY(16);
    d.AddRemoveBreakpoint();
    Put(0xFFFE, {0x20, 0x00});
    d.DrawListing(0xFFFE);
    d.LastClickY = LineY(1);
    d.AddRemoveBreakpoint();
    EXPECT_EQ(Machine->Cpu.BreakpointCount, 2);

    // Sixteen at most: with $2000 and $2002 set, the 15th line of sixteen NOPs is refused.
    for (uint16_t a = 0x4000; a < 0x4010; ++a) Machine->Memory.Image[a] = 0xEA;
    d.DrawListing(0x4000);
    for (int line = 0; line < 16; ++line) {
        d.LastClickY = LineY(line);
        d.AddRemoveBreakpoint();
    }
    EXPECT_EQ(Machine->Cpu.BreakpointCount, 16);
    EXPECT_FALSE(Machine->Cpu.HasBreakpoint(0x400E));
    EXPECT_EQ(list.topLevelItemCount(), 16);

    // Only while stopped.
    d.RunStopClick();
    d.LastClickY = LineY(0);
    d.AddRemoveBreakpoint();
    EXPECT_TRUE(Machine->Cpu.HasBreakpoint(0x2000));
}

TEST_F(DebuggerTest, ABreakpointHitShowsTheDebuggerAndStopsTheFrameLoop) {
    Put(0x2000, {0xEA, 0xEA, 0xEA, 0x4C, 0x00, 0x20});
    Machine->Cpu.AddBreakpoint(0x2003);
    EXPECT_FALSE(Windows->Debugger->isVisible());
    Machine->RunFrame();
    EXPECT_TRUE(Machine->EmulationStopped);
    EXPECT_TRUE(Windows->Debugger->isVisible());
    EXPECT_EQ(Machine->Cpu.PC, 0x2003);
    EXPECT_EQ(Windows->Debugger->ListingStart, 0x2003);
    EXPECT_EQ(Windows->Debugger->RunStopImage(), 0);
    // Stopping writes its text first, then the processor its own.
    EXPECT_EQ(Host.Status, std::vector<std::string>({"Emulation has been stopped."}));
    EXPECT_EQ(Core.Status, std::vector<std::string>({"A breakpoint has been reached."}));
    EXPECT_TRUE(Windows->Cpu->Edit_PC->isEnabled());

    // Breakpoints survive a reset.
    Machine->HardReset();
    EXPECT_TRUE(Machine->Cpu.HasBreakpoint(0x2003));
}

TEST_F(DebuggerTest, JumpToAddressNormalisesTheFieldAndMovesTheListing) {
    TForm_Debugger& d = *Windows->Debugger;
    Stop();
    d.Edit_JumpAddress->setText("fe");
    d.JumpToAddress();
    EXPECT_EQ(d.ListingStart, 0x00FE);
    EXPECT_EQ(d.ScrollBar->value(), 0x00FE);
    EXPECT_EQ(d.Edit_JumpAddress->text(), "00FE");
    EXPECT_EQ(d.Edit_JumpAddress->selectedText(), "00FE");
    d.Edit_JumpAddress->clear();
    d.JumpToAddress();
    EXPECT_EQ(d.ListingStart, 0);
    EXPECT_EQ(d.Edit_JumpAddress->text(), "0000");
    d.JumpToPC();
    EXPECT_EQ(d.ListingStart, 0x2000);
    d.ScrollBar->setValue(0x1234);
    EXPECT_EQ(d.ListingStart, 0x1234);
    EXPECT_EQ(d.LineAddress[0], 0x1234);
}

TEST_F(DebuggerTest, LabelsNameTheListingAndTheAddressField) {
    TForm_Debugger& d = *Windows->Debugger;
    // $2000: JSR $2010; JMP $2000
    Put(0x2000, {0x20, 0x10, 0x20, 0x4C, 0x00, 0x20});
    Stop();
    QTemporaryDir dir;
    const QString path = dir.filePath("prog.lbl");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("al C:2000 .start\nprint = $2010\n");
    file.close();
    QString error;
    EXPECT_FALSE(d.LoadLabels(dir.filePath("missing.lbl"), error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(d.LoadLabels(path, error)) << error.toStdString();
    d.JumpToPC();
    const TSymbolListing listing = d.Listing();
    EXPECT_EQ(listing.Text[0], "start:");
    EXPECT_EQ(listing.Text[1].rfind("2000  20 10 20  JSR print", 0), 0u) << listing.Text[1];

    d.Edit_JumpAddress->setText("print");
    d.JumpToAddress();
    EXPECT_EQ(d.ListingStart, 0x2010);
    EXPECT_EQ(d.Edit_JumpAddress->text(), "print");
    d.ToggleBreakpointAtJumpAddress();
    EXPECT_TRUE(Machine->Cpu.HasBreakpoint(0x2010));
    d.ToggleBreakpointAtJumpAddress();
    EXPECT_FALSE(Machine->Cpu.HasBreakpoint(0x2010));
}
