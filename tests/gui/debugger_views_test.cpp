// The inspection windows: register edits, memory dump, stack, micro-code, TED, quick registers.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "gui/debugger_fixture.h"
#include "ui/debugger/cpu_window.h"
#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"
#include "ui/debugger/debugger_window.h"
#include "ui/debugger/dump_window.h"
#include "ui/debugger/micro_window.h"
#include "ui/debugger/quick_registers_window.h"
#include "ui/debugger/stack_window.h"
#include "ui/debugger/ted_window.h"

namespace {

class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(int& count) : Count(count) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Count;
        return false;
    }
    int& Count;
};

void Retype(THexEdit* edit, const char* keys) {
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, keys);
}

}  // namespace

TEST_F(DebuggerTest, RegisterEditsTakeHexDigitsOnlyAndStoreTheirRegister) {
    TForm_DebugCPU& cpu = *Windows->Cpu;
    Stop();
    Retype(cpu.Edit_PC, "1fg/f");
    EXPECT_EQ(cpu.Edit_PC->text(), "1ff");
    QTest::keyClick(cpu.Edit_PC, Qt::Key_Return);
    EXPECT_EQ(Machine->Cpu.PC, 0x01FF);
    EXPECT_EQ(cpu.Edit_PC->text(), "01FF");
    EXPECT_EQ(cpu.Edit_PC->selectedText(), "01FF");

    Retype(cpu.Edit_A, "123");
    EXPECT_EQ(cpu.Edit_A->text(), "12");  // two characters at most
    emit cpu.Edit_A->Left();
    EXPECT_EQ(Machine->Cpu.A, 0x12);

    Retype(cpu.Edit_SP, "");
    emit cpu.Edit_SP->Left();
    EXPECT_EQ(Machine->Cpu.SP, 0x00);
    EXPECT_EQ(cpu.Edit_SP->text(), "00");

    cpu.CheckBox_Flags[6]->click();  // C
    EXPECT_NE(Machine->Cpu.C, 0);
    cpu.CheckBox_Flags[0]->click();  // N
    EXPECT_NE(Machine->Cpu.N, 0);
    EXPECT_EQ(Windows->Debugger->RegisterText().right(8), "N.-..I.C");

    // Each store repaints the debugger's register line and the stack window.
    Windows->Debugger->show();
    Windows->Stack->show();
    QCoreApplication::processEvents();
    int listingPainted = 0, stackPainted = 0;
    TPaintCounter listingCounter(listingPainted), stackCounter(stackPainted);
    Windows->Debugger->Image->installEventFilter(&listingCounter);
    Windows->Stack->Image->installEventFilter(&stackCounter);
    Retype(cpu.Edit_Y, "5");
    emit cpu.Edit_Y->Left();
    QCoreApplication::processEvents();
    EXPECT_GT(listingPainted, 0);
    EXPECT_GT(stackPainted, 0);

    // A field left as the machine starts running writes nothing into the running processor.
    Windows->Debugger->RunStopClick();
    cpu.Edit_X->setText("77");
    emit cpu.Edit_X->Left();
    EXPECT_EQ(Machine->Cpu.X, 0x00);
}

TEST(DumpCharacter, MapsScreenCodeLettersAndShowsNullAndFFAsDots) {
    EXPECT_EQ(DumpCharacter(0x01), 'A');
    EXPECT_EQ(DumpCharacter(0x1A), 'Z');
    EXPECT_EQ(DumpCharacter(0x20), ' ');
    EXPECT_EQ(DumpCharacter(0x00), '.');
    EXPECT_EQ(DumpCharacter(0xFF), '.');
    EXPECT_EQ(DumpCharacter(0x1B), char(0x1B));
    EXPECT_EQ(DumpCharacter(0x41), 'A');
}

TEST_F(DebuggerTest, EveryByteOfTheDumpHasAVisibleCharacter) {
    for (int value = 0; value < 256; value += 8) {
        for (int i = 0; i < 8; ++i) Machine->Memory.Image[0x3000 + i] = uint8_t(value + i);
        const TDumpRow row = DumpRow(TMachineView(*Machine), 0x3000);
        for (const QChar c : row.Characters) EXPECT_TRUE(c.isPrint()) << value << " " << row.Characters.toStdString();
    }
}

TEST_F(DebuggerTest, TheMemoryDumpShowsRowsOfEightAndJumps) {
    TForm_DebugDump& dump = *Windows->Dump;
    Put(0x1000, {0x01, 0x20, 0x00, 0xFF, 0x41, 0x1A, 0x30, 0x7F});
    Stop();
    dump.Edit_JumpAddress->setText("1003");
    dump.JumpToAddress();
    EXPECT_EQ(dump.ScrollBar->value(), 0x200);
    const TDumpRow row = dump.VisibleRows()[0];
    EXPECT_EQ(row.Address, "1000");
    EXPECT_EQ(row.Bytes, "01 20 00 FF 41 1A 30 7F");
    EXPECT_EQ(row.Characters, QString::fromLatin1("A ..AZ0."));  // DEL has no glyph either
    EXPECT_EQ(dump.VisibleRows()[15].Address, "1078");

    Machine->Cpu.SP = 0xF3;
    dump.ToolButton_JumpToSP->click();
    EXPECT_EQ(dump.ScrollBar->value(), 62);
    EXPECT_EQ(dump.VisibleRows()[0].Address, "01F0");
    dump.ToolButton_JumpToBottom->click();
    EXPECT_EQ(dump.ScrollBar->value(), 8176);
    EXPECT_EQ(dump.VisibleRows()[15].Address, "FFF8");
    dump.ToolButton_JumpToPC->click();
    EXPECT_EQ(dump.ScrollBar->value(), 0x2000 / 8);
    dump.ToolButton_JumpToTop->click();
    EXPECT_EQ(dump.ScrollBar->value(), 0);

    // The TED row shows the registers as the processor reads them.
    dump.ToolButton_JumpToTED->click();
    const TDumpRow ted = dump.VisibleRows()[0];
    EXPECT_EQ(ted.Address, "FF00");
    EXPECT_EQ(ted.Bytes.left(5), HexText(Machine->Ted.Timer[0].Counter & 0xFF, 2) + " " +
                                     HexText(Machine->Ted.Timer[0].Counter >> 8, 2));
}

TEST(DebuggerViews, LookingAtTheTedRegistersAndThePortChangesNothingTheProgramSees) {
    TestApplication();
    // Two machines side by side; one of them has its TED registers and port shown while it is
    // stopped. Both must run on identically.
    TDebuggerCoreHost hosts[2];
    std::unique_ptr<TMachine> machines[2];
    for (int i = 0; i < 2; ++i) {
        machines[i] = std::make_unique<TMachine>(hosts[i], "/nonexistent/");
        machines[i]->PowerUp(MachineCustom);
        machines[i]->Memory.SetRomEnabled(0);
        // A program that reads timer 1 and the port into RAM, over and over.
        const uint8_t program[] = {0xAD, 0x00, 0xFF, 0x85, 0x10, 0xA5, 0x01, 0x85, 0x11, 0x4C, 0x00, 0x20};
        std::copy(std::begin(program), std::end(program), machines[i]->Memory.Image + 0x2000);
        machines[i]->Cpu.PC = 0x2000;
        machines[i]->Tape.LevelBit = 1;
        machines[i]->RunFrame();
        machines[i]->Stop();
    }
    TRecordingDebuggerHost host;
    host.Machine = machines[0].get();
    QWidget main;
    {
        TDebugWindows windows(*machines[0], host, &main, {});
        windows.Debugger->StopEmulation();
        windows.Dump->show();
        for (int position : {TForm_DebugDump::TedPosition, 0}) {
            windows.Dump->JumpTo(position);
            windows.Dump->grab();
        }
        windows.SetQuickRegistersShown(true);
        windows.QuickRegisters->grab();
        windows.Stack->show();
        windows.Stack->grab();
        windows.Debugger->DrawListing(0xFF00);
        windows.Debugger->show();
        windows.Debugger->grab();
    }
    EXPECT_EQ(machines[0]->Memory.TapeLevelLatch, machines[1]->Memory.TapeLevelLatch);
    for (auto& machine : machines) {
        machine->Start();
        machine->RunFrame();
    }
    for (int timer = 0; timer < 3; ++timer) EXPECT_EQ(machines[0]->Ted.Timer[timer].Counter, machines[1]->Ted.Timer[timer].Counter);
    EXPECT_EQ(machines[0]->Memory.Image[0x10], machines[1]->Memory.Image[0x10]);
    EXPECT_EQ(machines[0]->Memory.Image[0x11], machines[1]->Memory.Image[0x11]);
    EXPECT_EQ(machines[0]->Cpu.PC, machines[1]->Cpu.PC);
}

TEST_F(DebuggerTest, TheStackWindowMarksTheStackPointersRowOnly) {
    TForm_DebugStack& stack = *Windows->Stack;
    Machine->Cpu.SP = 0xF3;
    Machine->Memory.Image[0x01F3] = 0xAB;
    Stop();
    const auto rows = stack.VisibleRows();
    EXPECT_EQ(rows[0].Text, "FF: 00");
    for (int i = 0; i < TForm_DebugStack::Rows; ++i) EXPECT_EQ(rows[size_t(i)].Marked, i == 12) << i;
    EXPECT_EQ(rows[12].Text, "F3: AB");
    stack.ScrollBar->setValue(stack.ScrollBar->maximum());
    EXPECT_EQ(stack.ScrollBar->value(), 240);
    EXPECT_EQ(stack.VisibleRows()[0].Text.left(3), "0F:");
    EXPECT_EQ(stack.VisibleRows()[15].Text.left(3), "00:");
}

TEST_F(DebuggerTest, TheMicroCodeWindowFollowsTheClocksOfAnInstruction) {
    Put(0x2000, {0x00, 0x00});  // BRK
    TForm_DebugMicro& micro = *Windows->Micro;
    Stop();
    Machine->Cpu.Opcode = 0xAD;
    micro.Refresh();
    auto lines = micro.LineTexts();
    EXPECT_EQ(lines[0], "1 - Fetch opcode, increment PC");
    for (int i = 2; i <= 7; ++i) EXPECT_EQ(lines[size_t(i - 1)], QStringLiteral("%1 - ").arg(i));
    EXPECT_EQ(micro.StatusPanelText(0), "CPU Cycle: 1");
    EXPECT_EQ(micro.StatusPanelText(1), "Opcode: AD - LDA");  // the previous opcode still

    Windows->Debugger->StepOneCycle();
    lines = micro.LineTexts();
    EXPECT_EQ(lines[1], "2 - Read next instruction byte (dummy), increment PC");
    EXPECT_EQ(lines[6], "7 - Fetch PCH");
    EXPECT_EQ(micro.StatusPanelText(0), "CPU Cycle: 2");
    EXPECT_EQ(micro.StatusPanelText(1), "Opcode: 00 - BRK");
}

TEST_F(DebuggerTest, TheTedWindowShowsTheDecodedRegisters) {
    TTED& ted = Machine->Ted;
    ted.DisplayEnable = true;
    ted.MatrixBase = 0x1F;
    ted.BitmapBase = 2;
    ted.CharBase = 0x34;
    ted.Timer1Reload = 0xBEEF;
    ted.Sound.Voice1Frequency = 0x3FF;
    ted.Sound.DigitalAnalog = true;
    ted.BorderColour = 0xF1;  // bit 7 is not part of the colour
    Stop();
    TForm_DebugTED& window = *Windows->Ted;
    EXPECT_FALSE(window.CheckBox_BlankScreen->isChecked());  // "Screen Off" while the display is on
    EXPECT_EQ(window.Edit_VideoMatrix->text(), "31");
    EXPECT_EQ(window.Label_VideoMatrix->text(), "$F800");
    EXPECT_EQ(window.Edit_GfxMatrix->text(), "16");
    EXPECT_EQ(window.Label_GfxMatrix->text(), "$4000");
    EXPECT_EQ(window.Edit_ChrGenerator->text(), "208");
    EXPECT_EQ(window.Label_ChrGenerator->text(), "$D000");
    EXPECT_EQ(window.Edit_Timer1Restart->text(), "BEEF");
    EXPECT_EQ(window.Edit_SndOsc1->text(), "1023");
    EXPECT_TRUE(window.CheckBox_DA->isChecked());
    EXPECT_EQ(window.Edit_Color[4]->value(), 0x71);
    const uint8_t* entry = Machine->Frame.ColourTable + 0x71 * 4;
    EXPECT_EQ(window.Panel_Color[4]->palette().color(QPalette::Window), QColor(entry[2], entry[1], entry[0]));
    EXPECT_TRUE(window.CheckBox_Timer[0]->isEnabled());
    Windows->Debugger->RunStopClick();
    EXPECT_FALSE(window.CheckBox_Timer[0]->isEnabled());
}

TEST_F(DebuggerTest, TheQuickRegistersFollowTheFrameLoopWhileShown) {
    TForm_QuickRegisters& quick = *Windows->QuickRegisters;
    int closed = 0;
    QObject::connect(Windows.get(), &TDebugWindows::QuickRegistersClosed, [&] { ++closed; });
    Windows->SetQuickRegistersShown(true);
    EXPECT_TRUE(quick.isVisible());
    Machine->Cpu.PC = 0xD90C;
    Machine->Cpu.V = 0x40;
    Machine->Memory.Image[0x0001] = 0x08;
    Windows->AfterFrame();
    EXPECT_EQ(quick.Label_PC->text(), "$D90C");
    EXPECT_EQ(quick.Label_SP->text(), "$F0");
    EXPECT_EQ(quick.Label_Flags[1]->text(), "1");
    EXPECT_EQ(quick.Label_Flags[0]->text(), "0");
    EXPECT_EQ(quick.Label_0001->text(), "C8");
    quick.close();
    EXPECT_EQ(closed, 1);
    Machine->Cpu.PC = 0x1234;
    Windows->AfterFrame();
    EXPECT_EQ(quick.Label_PC->text(), "$D90C");
}
