#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include "gui/form_fixture.h"
#include "ui/help_keys_window.h"
#include "ui/properties_dialog.h"
#include "ui/save_prg_dialog.h"

namespace {

class DialogsTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Form = MakeForm();
        Form->StopEmulation();
    }
    TForm_SavePRG& Save() { return *Form->Form_SavePRG; }
    TForm_Properties& Properties() { return *Form->Form_Properties; }
    std::unique_ptr<TForm_Main> Form;
};

}  // namespace

TEST_F(DialogsTest, PropertiesOpensOnItsFirstPageAndSetsTheRunsOptions) {
    TForm_Properties& dialog = Properties();
    EXPECT_EQ(dialog.windowTitle(), "Properties");
    dialog.Pages->setCurrentIndex(2);
    dialog.FormShow();
    EXPECT_EQ(dialog.Pages->currentWidget(), dialog.TabSheet_Misc);
    EXPECT_FALSE(dialog.CheckBox_Autostart->isChecked());
    dialog.CheckBox_Autostart->click();
    EXPECT_TRUE(Form->Autostart);
    dialog.RadioButton_Bpp32->click();
    EXPECT_EQ(Form->FullScreenDepth, 2);
    dialog.RadioButton_Bpp16->click();
    EXPECT_EQ(Form->FullScreenDepth, 0);
    EXPECT_TRUE(dialog.RadioButton_Rate44100->isChecked());
    EXPECT_FALSE(dialog.RadioButton_Rate22050->isEnabled());
}

TEST_F(DialogsTest, TheBufferTrackBarWorksOnlyWithTheLoopingOutput) {
    TForm_Properties& dialog = Properties();
    dialog.FormShow();
    EXPECT_FALSE(dialog.TrackBar_BufferSize->isEnabled());
    dialog.TrackBar_BufferSizeChange(2);
    EXPECT_EQ(dialog.Label_BufferSize->text(), "Internal error");

    Form->Menu_DirectSound->trigger();
    ASSERT_EQ(Form->SoundOutputKind, 2) << Errors.join(';').toStdString();
    dialog.FormShow();
    EXPECT_TRUE(dialog.TrackBar_BufferSize->isEnabled());
    EXPECT_EQ(dialog.TrackBar_BufferSize->value(), 4);
    dialog.TrackBar_BufferSize->setValue(1);
    EXPECT_EQ(Form->SoundDirectSound->LeadBytes(), 1024);
    EXPECT_EQ(dialog.Label_BufferSize->text(), "1024 bytes");
    // A new output starts again with 4096.
    Form->Menu_Nosound->trigger();
    Form->Menu_DirectSound->trigger();
    EXPECT_EQ(Form->SoundDirectSound->LeadBytes(), 4096);
    Form->Menu_Nosound->trigger();
}

TEST_F(DialogsTest, GetListNamesTheHostModesOrReportsThatNoneCanBeListed) {
    TForm_Properties& dialog = Properties();
    const QByteArray previous = qgetenv("SDL_VIDEODRIVER");
    qputenv("SDL_VIDEODRIVER", "no-such-video");
    dialog.Button2->click();
    EXPECT_EQ(Errors, QStringList{"DirectX error. Try to reinstall video drivers."});
    EXPECT_EQ(dialog.ListBox_DXModes->count(), 0);
    qputenv("SDL_VIDEODRIVER", "dummy");
    dialog.Button2->click();
    qputenv("SDL_VIDEODRIVER", previous);
    if (previous.isEmpty()) qunsetenv("SDL_VIDEODRIVER");
    ASSERT_GE(dialog.ListBox_DXModes->count(), 4);
    EXPECT_EQ(dialog.ListBox_DXModes->item(0)->text(), "Available modes:");
    EXPECT_TRUE(dialog.ListBox_DXModes->item(1)->text().contains(QRegularExpression("^\\d+x\\d+x\\d+$")));
    QStringList lines;
    for (int i = 0; i < dialog.ListBox_DXModes->count(); ++i) lines << dialog.ListBox_DXModes->item(i)->text();
    EXPECT_TRUE(lines.contains("Available depths:"));
    EXPECT_TRUE(lines.contains(""));
}

TEST_F(DialogsTest, SaveAreaListFillsTheEditsAndOnlyUserDefinedCanBeEdited) {
    TForm_SavePRG& dialog = Save();
    EXPECT_EQ(dialog.windowTitle(), "Save RAM memory...");
    EXPECT_EQ(dialog.Button_OK->text(), "Save");
    EXPECT_EQ(dialog.Edit_Start->text(), "0000");
    QStringList items;
    for (int i = 0; i < dialog.ComboBox_Area->count(); ++i) items << dialog.ComboBox_Area->itemText(i);
    EXPECT_EQ(items, QStringList({"User defined", "Loaded area", "Screen memory (text)", "Screen memory (color)",
                                  "Zero page", "CPU Stack", "$1001-$3FFF", "$1001-$7FFF"}));
    struct TCase { int Item; const char* Start; const char* End; };
    for (const TCase& c : {TCase{2, "0C00", "0FE7"}, {3, "0800", "0BE7"}, {4, "0000", "00FF"}, {5, "0100", "01FF"},
                           {6, "1001", "3FFF"}, {7, "1001", "7FFF"}}) {
        dialog.ComboBox_AreaChange(c.Item);
        EXPECT_EQ(dialog.Edit_Start->text(), c.Start);
        EXPECT_EQ(dialog.Edit_End->text(), c.End);
        EXPECT_FALSE(dialog.Edit_Start->isEnabled());
    }
    uint8_t* ram = Form->Machine->Memory.Ram();
    ram[0xB4] = 0x01, ram[0xB5] = 0x10, ram[0x9D] = 0x65, ram[0x9E] = 0x10;
    dialog.ComboBox_AreaChange(1);
    EXPECT_EQ(dialog.Edit_Start->text(), "1001");
    EXPECT_EQ(dialog.Edit_End->text(), "1064");
    dialog.ComboBox_AreaChange(0);  // user defined keeps the texts and enables the edits
    EXPECT_EQ(dialog.Edit_Start->text(), "1001");
    EXPECT_TRUE(dialog.Edit_End->isEnabled());
}

TEST_F(DialogsTest, HexEditsTakeOnlyHexDigitsAndNormaliseWhenLeft) {
    THexEdit& edit = *Save().Edit_Start;
    edit.clear();
    QTest::keyClicks(&edit, "1g z");
    QTest::keyClicks(&edit, "a");
    EXPECT_EQ(edit.text(), "1a");
    edit.Normalise();
    EXPECT_EQ(edit.text(), "001A");
    edit.clear();
    edit.Normalise();
    EXPECT_EQ(edit.text(), "0000");
    edit.setText("12345");  // at most four characters
    EXPECT_EQ(edit.text(), "1234");
}

TEST_F(DialogsTest, SavingRefusesAnEmptyAreaWithTheNumbersThenWritesLoadAddressAndBytes) {
    TForm_SavePRG& dialog = Save();
    dialog.Edit_Start->setText("1001");
    dialog.Edit_End->setText("1001");
    dialog.Button_OKClick();
    EXPECT_EQ(Plain, QStringList({"4097", "4097"}));
    EXPECT_EQ(Errors, QStringList{"Cannot save the specified RAM area."});

    Errors.clear();
    uint8_t* ram = Form->Machine->Memory.Ram();
    for (int i = 0; i < 256; ++i) ram[i] = uint8_t(i ^ 0x5A);
    dialog.Edit_Start->setText("0");
    dialog.Edit_End->setText("ff");
    NextFile = Dir.filePath("zero.prg");
    dialog.Button_OKClick();
    EXPECT_TRUE(Errors.isEmpty());
    const QByteArray bytes = ReadFile(NextFile);
    ASSERT_EQ(bytes.size(), 258);
    EXPECT_EQ(uint8_t(bytes[0]), 0x00);
    EXPECT_EQ(uint8_t(bytes[1]), 0x00);
    EXPECT_EQ(uint8_t(bytes[2 + 0x10]), 0x10 ^ 0x5A);
    EXPECT_EQ(dialog.Edit_End->text(), "00FF");
}

TEST_F(DialogsTest, AnExistingFileIsOverwrittenOnlyAfterYes) {
    TForm_SavePRG& dialog = Save();
    NextFile = WriteFile("old.prg", "keep");
    dialog.Edit_Start->setText("0800");
    dialog.Edit_End->setText("0801");
    Answer = false;
    dialog.Button_OKClick();
    EXPECT_EQ(Questions, QStringList{"File already exists. Overwrite it?"});
    EXPECT_EQ(ReadFile(NextFile), QByteArray("keep"));
    Answer = true;
    dialog.Button_OKClick();
    EXPECT_EQ(ReadFile(NextFile).size(), 4);

    NextFile = Dir.path();  // a directory cannot be written as a file
    dialog.Button_OKClick();
    EXPECT_EQ(Errors, QStringList{"Cannot save the specified file."});
    NextFile.clear();  // cancelled: nothing happens
    Errors.clear();
    dialog.Button_OKClick();
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(DialogsTest, TheKeyboardLayoutNamesTheHostKeysAndTheStarKeyIsHeldWithTheMouse) {
    TForm_HelpKeys& keys = *Form->Form_HelpKeys;
    EXPECT_EQ(keys.windowTitle(), "Keyboard layout on PC");
    EXPECT_EQ(keys.KeyImage("RUN STOP")->toolTip(), "'Tilde' key");
    EXPECT_EQ(keys.KeyImage("\u00A3")->toolTip(), "Delete");
    EXPECT_EQ(keys.KeyImage("HELP")->toolTip(), "F4");
    EXPECT_EQ(keys.KeyImage("@")->toolTip(), "'-'");
    Form->StartEmulation();
    QTest::mousePress(keys.Image8, Qt::LeftButton);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[0x2B], 0x80);
    QTest::mouseRelease(keys.Image8, Qt::LeftButton);
    EXPECT_EQ(Form->Machine->Keyboard.KeyDown[0x2B], 0);
}

