#include <sys/stat.h>

#include <QAction>
#include <QMimeData>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QTimer>
#include <QUrl>

#include "gui/form_fixture.h"
#include "machine/typist.h"

namespace {

QByteArray TapImage(int pulses) {
    QByteArray tap("C16-TAPE-RAW", 12);
    tap.append(char(2)).append(char(2)).append(6, char(0)).append(pulses, char(0x30));
    return tap;
}

QByteArray D64Image(char fill) { return QByteArray(174848, fill); }

class MediaCommandsTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Form = MakeForm();
    }
    // What the ROM's keyboard buffer holds.
    QByteArray KeyboardBuffer() const {
        const uint8_t* ram = Form->Machine->Memory.Ram();
        return QByteArray(reinterpret_cast<const char*>(ram + 0x0527), ram[0x00EF]);
    }
    // The ROM takes the buffer and sits in its keyboard wait loop again.
    void RomTakesTheBuffer() {
        Form->Machine->Memory.Ram()[0x00EF] = 0;
        Form->Machine->Cpu.PC = 0xD90C;
        Form->Typist.AfterFrame(*Form->Machine);
    }
    std::unique_ptr<TForm_Main> Form;
};

}  // namespace

TEST_F(MediaCommandsTest, PlayAndStopSwitchTheTapeItemsAndReportInPanelZero) {
    Form->MenuItem_Play->trigger();
    EXPECT_EQ(Form->Machine->Memory.PlayKey, 1);
    EXPECT_FALSE(Form->MenuItem_Play->isEnabled());
    EXPECT_TRUE(Form->MenuItem_Stop->isEnabled());
    EXPECT_FALSE(Form->MenuItem_LoadTAP->isEnabled());
    EXPECT_FALSE(Form->MenuItem_Rewind->isEnabled());
    EXPECT_EQ(Form->StatusPanelText(0), "Play has been pressed.");
    Form->MenuItem_Stop->trigger();
    EXPECT_EQ(Form->Machine->Memory.PlayKey, 0);
    EXPECT_TRUE(Form->MenuItem_Play->isEnabled());
    EXPECT_FALSE(Form->MenuItem_Stop->isEnabled());
    EXPECT_TRUE(Form->MenuItem_LoadTAP->isEnabled());
    EXPECT_TRUE(Form->MenuItem_Rewind->isEnabled());
    EXPECT_EQ(Form->StatusPanelText(0), "Stop has been pressed.");
}

TEST_F(MediaCommandsTest, ARefusedTapeIsReportedAndLeavesNoTape) {
    NextFile = WriteFile("good.tap", TapImage(10));
    Form->MenuItem_LoadTAP->trigger();
    EXPECT_TRUE(Form->Machine->Tape.IsLoaded());
    NextFile = WriteFile("bad.tap", QByteArray(20, 'x'));
    Form->MenuItem_LoadTAP->trigger();
    EXPECT_EQ(Errors, QStringList{"TAP file is corrupt or not supported."});
    EXPECT_FALSE(Form->Machine->Tape.IsLoaded());
    // A FIFO is refused without being opened.
    NextFile = Dir.filePath("pipe.tap");
    ASSERT_EQ(::mkfifo(NextFile.toUtf8().constData(), 0600), 0);
    Form->MenuItem_LoadTAP->trigger();
    EXPECT_EQ(Errors.size(), 2);
    // Each dialog starts where its last file was chosen.
    EXPECT_EQ(Directories.back(), Dir.path());
}

TEST_F(MediaCommandsTest, ARefusedDiskImageIsReportedAndTheAttachedOneStays) {
    NextFile = WriteFile("one.d64", D64Image('\x11'));
    Form->Drive81->trigger();
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(Form->Machine->Drive8.DiskImage()[100], 0x11);
    EXPECT_EQ(Form->Machine->Drive8.DriveMode, TDrive::ModeNone);  // attaching does not change the mode
    NextFile = WriteFile("short.d64", QByteArray(1000, '\x22'));
    Form->Drive81->trigger();
    EXPECT_EQ(Errors, QStringList{"The selected file is not a D64 disk image."});
    EXPECT_EQ(Form->Machine->Drive8.DiskImage()[100], 0x11);
    NextFile = Dir.filePath("missing.d64");
    Form->Drive91->trigger();
    EXPECT_EQ(Errors.back(), "Cannot open the selected D64 image.");
}

TEST_F(MediaCommandsTest, SelectingADirectorySetsItAndCancellingKeepsTheOldOne) {
    NextFile = Dir.path();
    Form->Drive84->trigger();
    EXPECT_EQ(Captions, QStringList{"Select Directory to Drive 8:"});
    EXPECT_EQ(Form->Machine->Drive8.GetDirectoryPath(), Dir.path().toStdString());
    NextFile.clear();
    Form->Drive84->trigger();
    EXPECT_EQ(Form->Machine->Drive8.GetDirectoryPath(), Dir.path().toStdString());
    Form->Drive94->trigger();
    EXPECT_EQ(Captions.back(), "Select Directory to Drive 9:");
    EXPECT_EQ(Form->Machine->Drive9.GetDirectoryPath(), "");  // none chosen: the drive is not ready
}

TEST_F(MediaCommandsTest, DroppedFilesDoWhatTheirMenuCommandDoes) {
    QByteArray prg("\x00\x20\x01\x02\x03", 5);
    EXPECT_TRUE(Form->OpenDroppedFile(WriteFile("game.PRG", prg)));
    EXPECT_EQ(Form->Machine->Memory.Ram()[0x2002], 3);
    EXPECT_EQ(KeyboardBuffer(), QByteArray("RUN\r"));  // a dropped program always runs

    Form->Machine->Memory.Ram()[0x00EF] = 0;
    EXPECT_TRUE(Form->OpenDroppedFile(WriteFile("disk.d64", D64Image('\x33'))));
    EXPECT_TRUE(Form->Menu_Drive8D64->isChecked());
    EXPECT_EQ(Form->Machine->Drive8.DriveMode, TDrive::ModeD64);
    RomTakesTheBuffer();
    EXPECT_EQ(KeyboardBuffer(), QByteArray("LOAD\"*\",8\r"));
    RomTakesTheBuffer();
    EXPECT_EQ(KeyboardBuffer(), QByteArray("RUN\r"));

    Form->Machine->Memory.Ram()[0x00EF] = 0;
    EXPECT_TRUE(Form->OpenDroppedFile(WriteFile("tape.tap", TapImage(50))));
    EXPECT_TRUE(Form->Machine->Tape.IsLoaded());
    EXPECT_EQ(Form->Machine->Memory.PlayKey, 1);
    RomTakesTheBuffer();
    EXPECT_EQ(KeyboardBuffer(), QByteArray("LOAD\r"));
    // Another tape dropped while Play is down: Stop, the new tape, Play again.
    EXPECT_TRUE(Form->OpenDroppedFile(WriteFile("tape2.tap", TapImage(60))));
    EXPECT_EQ(Form->Machine->Tape.ImageLength, 80);
    EXPECT_FALSE(Form->MenuItem_Play->isEnabled());

    EXPECT_FALSE(Form->OpenDroppedFile(WriteFile("notes.txt", "hello")));
    EXPECT_FALSE(Form->OpenDroppedFile(WriteFile("bad.d64", "short")));
    EXPECT_EQ(Errors, QStringList{"The selected file is not a D64 disk image."});
}

TEST_F(MediaCommandsTest, TheWindowAcceptsADragOfOneMediaFileOnly) {
    QMimeData media;
    media.setUrls({QUrl::fromLocalFile(WriteFile("x.prg", "\x01\x10"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &media, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile(WriteFile("x.txt", "x"))});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
    refused.ignore();
    QApplication::sendEvent(Form.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());

    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &media, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &drop);
    EXPECT_EQ(KeyboardBuffer(), QByteArray("RUN\r"));
}

TEST_F(MediaCommandsTest, CommandLineDiskImageIsAttachedToDriveEightAndLoadedOnceBooted) {
    const QString disk = WriteFile("start.d64", D64Image('\x44'));
    auto form = MakeForm(Options({disk}));
    form->StopEmulation();
    form->show();
    ASSERT_TRUE(form->Timer_AutoLoad->isActive());
    form->Machine->Cpu.PC = 0xD90A;
    form->Machine->Memory.Ram()[0x00EF] = 0;
    form->Timer_AutoLoadTimer();
    EXPECT_EQ(form->Machine->Drive8.DriveMode, TDrive::ModeD64);
    form->Typist.AfterFrame(*form->Machine);
    const uint8_t* ram = form->Machine->Memory.Ram();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(ram + 0x0527), ram[0x00EF]), QByteArray("LOAD\"*\",8\r"));
}

TEST_F(MediaCommandsTest, TheTypistWaitsForTheKeyboardLoopAndAnEmptyBuffer) {
    Form->StopEmulation();
    Form->Typist.Type("SOUND1,800,60\r", TTypist::TWay::Buffer, TTypist::TPace::AtInputLoop);
    Form->Machine->Cpu.PC = 0xD800;
    Form->Machine->Memory.Ram()[0x00EF] = 0;
    Form->Typist.AfterFrame(*Form->Machine);
    EXPECT_EQ(KeyboardBuffer(), QByteArray());
    Form->Machine->Cpu.PC = 0xD90F;
    Form->Typist.AfterFrame(*Form->Machine);
    EXPECT_EQ(KeyboardBuffer(), QByteArray("SOUND1,800"));  // ten characters at most
    Form->Typist.AfterFrame(*Form->Machine);
    EXPECT_EQ(KeyboardBuffer(), QByteArray("SOUND1,800"));  // the ROM has not taken them yet
    RomTakesTheBuffer();
    EXPECT_EQ(KeyboardBuffer(), QByteArray(",60\r"));
    EXPECT_FALSE(Form->Typist.Idle());  // done once the ROM has taken the last piece too
    RomTakesTheBuffer();
    EXPECT_TRUE(Form->Typist.Idle());
}

TEST_F(MediaCommandsTest, SaveBasicProgramWritesTheProgramTextBetweenBasicsPointers) {
    uint8_t* ram = Form->Machine->Memory.Ram();
    // 10 PRINT: text at $1001, variables from $1009 (the text's last byte is $1008).
    const uint8_t text[] = {0x07, 0x10, 0x0A, 0x00, 0x99, 0x00, 0x00, 0x00};
    std::copy(std::begin(text), std::end(text), ram + 0x1001);
    ram[0x2B] = 0x01, ram[0x2C] = 0x10, ram[0x2D] = 0x09, ram[0x2E] = 0x10;
    ram[0x1009] = 0xEE;  // a variable: not part of the program
    NextFile = Dir.filePath("basic.prg");
    Form->SaveBasicprogram1->trigger();
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(ReadFile(NextFile), QByteArray("\x01\x10", 2) + QByteArray(reinterpret_cast<const char*>(text), 8));
    // Asked before overwriting, as the Save PRG dialog asks.
    Answer = false;
    Form->SaveBasicprogram1->trigger();
    EXPECT_EQ(Questions, QStringList{"File already exists. Overwrite it?"});
    // Pointers that hold no program text: refused as an empty area.
    ram[0x2D] = 0x01;
    Form->SaveBasicprogram1->trigger();
    EXPECT_EQ(Errors, QStringList{"Cannot save the specified RAM area."});
}

TEST_F(MediaCommandsTest, DetachingTakesTheDiskOutAndKeepsTheDrivesMode) {
    NextFile = WriteFile("disk.d64", D64Image('\x44'));
    Form->Drive91->trigger();
    Form->Menu_Drive9D64->trigger();
    ASSERT_EQ(Form->Machine->Drive9.DiskImage().front(), 0x44);
    Form->Drive92->trigger();
    EXPECT_EQ(Form->Machine->Drive9.DriveMode, TDrive::ModeD64);
    EXPECT_TRUE(Form->Machine->Drive9.ImageFile().empty());
    const std::vector<uint8_t>& disk = Form->Machine->Drive9.DiskImage();
    EXPECT_TRUE(std::all_of(disk.begin(), disk.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(Form->StatusPanelText(0), "D64 image detached from drive 9.");
    // Drive 8 was never given one: nothing changes there.
    Form->Drive82->trigger();
    EXPECT_EQ(Form->Machine->Drive8.DriveMode, TDrive::ModeNone);
}

TEST_F(FormFixture, ACartridgeIsAttachedFromTheMenuAndDetachedAgain) {
    auto form = MakeForm();
    QFile file(Dir.filePath("game.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(16384, char(0x60)));
    file.close();
    NextFile = file.fileName();
    form->AttachCartridge1->trigger();
    EXPECT_TRUE(form->Machine->Memory.CartridgeChipAttached(0));
    EXPECT_EQ(form->Machine->Memory.Image[TMemory::RomIndex(1, 0x8000)], 0x60);
    EXPECT_TRUE(form->DetachCartridge1->isEnabled());
    form->DetachCartridge1->trigger();
    EXPECT_FALSE(form->Machine->Memory.CartridgeChipAttached(0));
    EXPECT_FALSE(form->DetachCartridge1->isEnabled());
    // A file of no cartridge size is refused and reported.
    EXPECT_FALSE(form->AttachCartridgeFile(Dir.filePath("settings.ini")));
    EXPECT_EQ(Errors.size(), 1);
}
