#include <QAction>
#include <QStatusBar>
#include <QTimer>

#include "gui/form_fixture.h"
#include "ui/log_window.h"
#include "ui/status_panel.h"

namespace {

class StatusBarTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Form = MakeForm();
        Form->Menu_SyncNone->trigger();
    }
    // Runs frames until the frame counter is a multiple of 8 again (a lamp repaint frame).
    void RunToLampFrame() {
        do Form->RunFrame();
        while (Form->Machine->FrameCounter % 8 != 1);
    }
    std::unique_ptr<TForm_Main> Form;
};

}  // namespace

TEST_F(StatusBarTest, TapePanelShowsStopPlayAndThePositionWhileTheMotorRuns) {
    EXPECT_EQ(Form->StatusPanelText(2), "Tape: Stop");
    Form->MenuItem_Play->trigger();
    EXPECT_EQ(Form->StatusPanelText(2), "Tape: Play");
    QByteArray tap("C16-TAPE-RAW", 12);
    tap.append(char(2)).append(char(2)).append(6, char(0)).append(200, char(0x30));
    Form->MenuItem_Stop->trigger();
    NextFile = WriteFile("t.tap", tap);
    Form->MenuItem_LoadTAP->trigger();
    Form->Machine->Tape.ReadPosition = Form->Machine->Tape.ImageLength / 4 + 1;
    Form->Machine->Memory.Motor = 1;
    EXPECT_EQ(Form->StatusPanelText(2), "Play: 25%");
}

TEST_F(StatusBarTest, ConfirmationsClearAfterTwoSecondsAndOtherMessagesStay) {
    Form->StatusMessage("Illegal opcode!");
    EXPECT_EQ(Form->StatusPanelText(0), "Illegal opcode!");
    Form->Timer_Clear->stop();
    Form->StatusMessage("Emulation has been stopped.");
    EXPECT_FALSE(Form->Timer_Clear->isActive());
    Form->MenuItem_Rewind->trigger();
    EXPECT_EQ(Form->StatusPanelText(0), "Rewind tape...");
    EXPECT_TRUE(Form->Timer_Clear->isActive());
    QMetaObject::invokeMethod(Form->Timer_Clear, "timeout");
    EXPECT_EQ(Form->StatusPanelText(0), "Ready");
}

TEST_F(StatusBarTest, DriveLampsTakeTheirColoursOnEveryEighthDrawnFrame) {
    RunToLampFrame();
    const QColor buttonFace;  // invalid: the panel's own button face
    EXPECT_EQ(Form->StatusPanels[3]->Fill(), buttonFace);
    Form->Menu_Drive8Dir->trigger();
    EXPECT_EQ(Form->Machine->Drive8.DriveMode, TDrive::ModeDirectory);
    Form->RunFrame();  // the change is taken, the panel not yet repainted
    EXPECT_EQ(Form->DriveLampColour(8), QColor(0, 255, 0));
    EXPECT_NE(Form->StatusPanels[3]->Fill(), QColor(0, 255, 0));
    RunToLampFrame();
    EXPECT_EQ(Form->StatusPanels[3]->Fill(), QColor(0, 255, 0));

    Form->Machine->Drive8.Lamp = 2;
    Form->Machine->Drive8.LampChanged = 1;
    RunToLampFrame();
    EXPECT_EQ(Form->StatusPanels[3]->Fill(), QColor(255, 0, 0));
    Form->Machine->Drive8.Lamp = 3;  // an error waits in the command channel
    Form->Machine->Drive8.LampChanged = 1;
    RunToLampFrame();
    EXPECT_EQ(Form->StatusPanels[3]->Fill(), QColor(255, 255, 0));
    Form->Machine->Drive8.Lamp = 7;  // not a lamp state: the colour stays
    Form->Machine->Drive8.LampChanged = 1;
    RunToLampFrame();
    EXPECT_EQ(Form->StatusPanels[3]->Fill(), QColor(255, 255, 0));
}

TEST_F(StatusBarTest, AHiddenStatusBarTakesNoLampChanges) {
    Form->show();
    Form->Menu_StatusBar->trigger();
    EXPECT_FALSE(Form->Menu_StatusBar->isChecked());
    Form->Menu_Drive9D64->trigger();
    RunToLampFrame();
    EXPECT_TRUE(Form->Machine->Drive9.LampChanged);  // nobody took it
    Form->Menu_StatusBar->trigger();
    RunToLampFrame();
    EXPECT_FALSE(Form->Machine->Drive9.LampChanged);
    EXPECT_EQ(Form->StatusPanels[4]->Fill(), QColor(0, 255, 0));
}

TEST_F(StatusBarTest, TheLogWindowNotesAnUndocumentedOpcodeOnceOrTheDebugMenuStopsAtIt) {
    EXPECT_EQ(Form->Form_Log->Text(), "Varlume log.");
    EXPECT_EQ(Form->Form_Log->windowTitle(), "Log Window");
    // $03 runs (SLO ($zp,X), 8 clocks) and gets one line.
    uint8_t* ram = Form->Machine->Memory.Ram();
    ram[0x2000] = 0x03;
    Form->Machine->Cpu.PC = 0x2000;
    Form->Machine->Cpu.Cycle = 1;
    for (int i = 0; i < 8; ++i) Form->Machine->StepClock();
    EXPECT_EQ(Form->Form_Log->Text(), "Varlume log.\nUndocumented opcode 03 (ASO) at 2000");
    EXPECT_EQ(Form->Machine->Cpu.PC, 0x2002);
    Form->StartCPUDebug1->trigger();
    EXPECT_TRUE(Form->Form_Log->isVisible());

    ASSERT_FALSE(Form->Menu_StopOnUndocumented->isChecked());
    Form->Menu_StopOnUndocumented->trigger();
    EXPECT_TRUE(Form->Machine->Cpu.StopOnUndocumented);
    ram[0x2002] = 0xEA;
    ram[0x2003] = 0x07;  // SLO zp
    Form->Machine->Cpu.Step();
    Form->Machine->Cpu.Step();
    EXPECT_EQ(Form->StatusPanelText(0), "Illegal opcode!");
    EXPECT_EQ(Form->Machine->Cpu.PC, 0x2003);
    EXPECT_TRUE(Form->Form_Log->Text().endsWith("Illegal opcode at PC:2003 \nOpcode: 07"));
}
