#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "gui/qt_application.h"
#include "ui/main_window.h"

namespace {

// The main window with an empty ROM directory (the loads touch RAM only) and a place for PRG
// files.
class PrgLoadingTest : public testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ASSERT_TRUE(Dir.isValid());
    }

    std::unique_ptr<TForm_Main> MakeForm(QStringList arguments = {}) {
        TMainOptions options;
        options.RomDirectory = Dir.path().toStdString() + "/";
        options.SettingsPath = Dir.filePath("varlume.ini").toStdString();
        options.ErrorBox = [this](const QString& text) { Errors << text; };
        options.Arguments = std::move(arguments);
        auto form = std::make_unique<TForm_Main>(std::move(options));
        // The tests move the program counter themselves.
        form->StopEmulation();
        Errors.clear();
        return form;
    }

    // Load address $2000, then `count` bytes 1, 2, 3, ...
    QString WritePrg(const QString& name, int count) {
        QByteArray bytes("\x00\x20", 2);
        for (int i = 0; i < count; ++i) bytes.append(char(i + 1));
        const QString path = Dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static bool RunTyped(const TForm_Main& form) {
        const uint8_t* ram = form.Machine->Memory.Ram();
        return ram[0x0527] == 'R' && ram[0x0528] == 'U' && ram[0x0529] == 'N' &&
               ram[0x052A] == 0x0D && ram[0x00EF] == 4;
    }

    QTemporaryDir Dir;
    QStringList Errors;
};

}  // namespace

TEST_F(PrgLoadingTest, MenuLoadPutsTheDataInRamAndTypesRunOnlyWithAutostart) {
    auto form = MakeForm();
    EXPECT_TRUE(form->Menu_LoadPRGfile->isEnabled());
    const QString path = WritePrg("game.prg", 100);
    form->LoadPrgFromMenu(path);
    const uint8_t* ram = form->Machine->Memory.Ram();
    EXPECT_EQ(ram[0x2000], 1);
    EXPECT_EQ(ram[0x2063], 100);
    EXPECT_EQ(ram[0x002D] | ram[0x002E] << 8, 0x1065);
    EXPECT_FALSE(RunTyped(*form));
    EXPECT_TRUE(Errors.isEmpty());

    form->Autostart = true;
    form->LoadPrgFromMenu(path);
    EXPECT_TRUE(RunTyped(*form));
}

TEST_F(PrgLoadingTest, MenuLoadOfAMissingFileIsReportedAndChangesNothing) {
    auto form = MakeForm();
    const uint8_t before = form->Machine->Memory.Ram()[0x002D];
    form->LoadPrgFromMenu(Dir.filePath("missing.prg"));
    form->LoadPrgFromMenu(Dir.path());  // a directory is no file
    EXPECT_EQ(Errors, QStringList({"Cannot load selected file.", "Cannot load selected file."}));
    EXPECT_EQ(form->Machine->Memory.Ram()[0x002D], before);
}

TEST_F(PrgLoadingTest, CommandLineFileWaitsForTheKeyboardLoopThenLoadsAndTypesRun) {
    const QString path = WritePrg("start.prg", 10);
    auto form = MakeForm({path});
    EXPECT_FALSE(form->Timer_AutoLoad->isActive());
    form->show();
    ASSERT_TRUE(form->Timer_AutoLoad->isActive());
    EXPECT_EQ(form->Timer_AutoLoad->interval(), 100);

    form->Machine->Cpu.PC = 0xD909;  // still booting
    form->Timer_AutoLoadTimer();
    EXPECT_TRUE(form->Timer_AutoLoad->isActive());
    EXPECT_NE(form->Machine->Memory.Ram()[0x2000], 1);

    form->Machine->Cpu.PC = 0xD90F;
    form->Timer_AutoLoadTimer();
    EXPECT_FALSE(form->Timer_AutoLoad->isActive());
    EXPECT_EQ(form->Machine->Memory.Ram()[0x2000], 1);
    EXPECT_TRUE(RunTyped(*form));  // whatever Autostart holds
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(PrgLoadingTest, CommandLineWithoutExactlyOneExistingFileStartsNormally) {
    const QString path = WritePrg("a.prg", 4);
    for (const QStringList& arguments :
         {QStringList{}, QStringList{path, path}, QStringList{Dir.filePath("none.prg")},
          QStringList{Dir.path()}}) {
        auto form = MakeForm(arguments);
        form->show();
        EXPECT_FALSE(form->Timer_AutoLoad->isActive()) << arguments.join(' ').toStdString();
    }
}

TEST_F(PrgLoadingTest, CommandLineFileGoneBeforeTheLoadIsReported) {
    const QString path = WritePrg("gone.prg", 4);
    auto form = MakeForm({path});
    form->show();
    ASSERT_TRUE(QFile::remove(path));
    form->Machine->Cpu.PC = 0xD90A;
    form->Timer_AutoLoadTimer();
    EXPECT_EQ(Errors, QStringList{"Cannot load the given file."});
    EXPECT_FALSE(form->Timer_AutoLoad->isActive());
}
