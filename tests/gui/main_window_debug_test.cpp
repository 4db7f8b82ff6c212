// The debugger and utility windows as the main window opens and drives them.
#include <gtest/gtest.h>

#include <QAction>
#include <memory>

#include "gui/form_fixture.h"
#include "ui/debugger/breakpoints_window.h"
#include "ui/debugger/cpu_window.h"
#include "ui/debugger/debug_windows.h"
#include "ui/debugger/debugger_window.h"
#include "ui/debugger/dump_window.h"
#include "ui/debugger/micro_window.h"
#include "ui/debugger/quick_registers_window.h"
#include "ui/debugger/stack_window.h"
#include "ui/debugger/ted_window.h"
#include "ui/hex_edit.h"
#include "ui/main_window.h"
#include "ui/utility/database_window.h"
#include "ui/utility/info_window.h"

namespace {

class MainWindowDebugTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Form = MakeForm();
        ASSERT_TRUE(Form->DebugWindows);
    }

    std::unique_ptr<TForm_Main> Form;
};

}  // namespace

TEST_F(MainWindowDebugTest, EveryMenuItemOpensItsWindow) {
    TDebugWindows& windows = *Form->DebugWindows;
    const std::pair<QAction*, QWidget*> items[] = {
        {Form->Menu_Debugger, windows.Debugger}, {Form->MicroCodeDebugger1, windows.Micro},
        {Form->MemoryDump1, windows.Dump},       {Form->CPURegisters1, windows.Cpu},
        {Form->CPUStack1, windows.Stack},        {Form->TEDRegisters2, windows.Ted},
        {Form->BreakPoints1, windows.BreakPoints}, {Form->SystemInformaion1, windows.Info},
        {Form->GameDatabase1, windows.Database}};
    for (const auto& [item, window] : items) {
        item->trigger();
        EXPECT_TRUE(window->isVisible()) << item->text().toStdString();
        EXPECT_FALSE(window->windowTitle().isEmpty());
    }
    // Opening windows does not stop the machine.
    EXPECT_TRUE(Form->FrameLoopActive());
}

TEST_F(MainWindowDebugTest, ABreakpointStopsTheFrameLoopAndSaysSo) {
    TMachine& machine = *Form->Machine;
    Form->StopEmulation();
    const uint8_t program[] = {0xEA, 0xEA, 0x4C, 0x00, 0x20};
    std::copy(std::begin(program), std::end(program), machine.Memory.Image + 0x2000);
    machine.Cpu.PC = 0x2000;
    machine.Cpu.Cycle = 1;
    machine.Cpu.I = 1;
    machine.Cpu.AddBreakpoint(0x2002);
    Form->StartEmulation();
    Form->RunFrame();
    EXPECT_TRUE(machine.EmulationStopped);
    EXPECT_FALSE(Form->FrameLoopActive());
    EXPECT_EQ(machine.Cpu.PC, 0x2002);
    EXPECT_TRUE(Form->DebugWindows->Debugger->isVisible());
    EXPECT_EQ(Form->StatusPanelText(0), "A breakpoint has been reached.");

    // Run from the debugger: the frame loop is back.
    Form->DebugWindows->Debugger->RunStopClick();
    EXPECT_TRUE(Form->FrameLoopActive());
    EXPECT_EQ(Form->StatusPanelText(0), "Emulation is running.");
}

TEST_F(MainWindowDebugTest, WhileStoppedEveryWindowShowsTheMachineAsItNowIs) {
    TMachine& machine = *Form->Machine;
    TDebugWindows& windows = *Form->DebugWindows;
    Form->StopEmulation();
    // Timer 2 starts from the write to its high byte; the NOPs after it tick it inside a run.
    const uint8_t program[] = {0xA9, 0x00, 0x8D, 0x03, 0xFF, 0xEA, 0xEA, 0xEA, 0xEA, 0x4C, 0x05, 0x20};
    std::copy(std::begin(program), std::end(program), machine.Memory.Image + 0x2000);
    machine.Cpu.PC = 0x2000;
    machine.Cpu.Cycle = 1;
    machine.Cpu.I = 1;
    machine.Cpu.AddBreakpoint(0x2008);
    Form->StartEmulation();
    Form->RunFrame();
    ASSERT_TRUE(machine.EmulationStopped);
    // The TED window and the memory dump show the same timer.
    const uint16_t dumped = uint16_t(machine.Memory.Peek(0xFF02) | machine.Memory.Peek(0xFF03) << 8);
    EXPECT_EQ(windows.Ted->Edit_Timer[1]->text(), HexText(dumped, 4));

    // A reset while stopped shows its PC everywhere; passing through the PC field keeps it.
    windows.Cpu->show();
    Form->Menu_HardReset->trigger();
    const uint16_t resetPc = machine.Cpu.PC;
    ASSERT_NE(resetPc, 0x2008);
    EXPECT_EQ(windows.Cpu->Edit_PC->text(), HexText(resetPc, 4));
    EXPECT_EQ(windows.Debugger->ListingStart, resetPc);
    emit windows.Cpu->Edit_PC->Left();
    EXPECT_EQ(machine.Cpu.PC, resetPc);
}

TEST_F(MainWindowDebugTest, TheQuickRegisterItemFollowsItsWindow) {
    TForm_QuickRegisters& quick = *Form->DebugWindows->QuickRegisters;
    Form->Menu_QuickRegisters->trigger();
    EXPECT_TRUE(Form->Menu_QuickRegisters->isChecked());
    EXPECT_TRUE(quick.isVisible());
    quick.close();
    EXPECT_FALSE(Form->Menu_QuickRegisters->isChecked());
    Form->Menu_QuickRegisters->trigger();
    Form->Menu_QuickRegisters->trigger();
    EXPECT_FALSE(quick.isVisible());
    EXPECT_FALSE(Form->Menu_QuickRegisters->isChecked());
}
