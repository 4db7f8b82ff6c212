#include <QAction>
#include <QMenu>

#include "gui/form_fixture.h"
#include "host/settings_file.h"

namespace {

using RecentFilesTest = FormFixture;

std::vector<std::string> Names(int from, int to) {
    std::vector<std::string> names;
    for (int i = from; i >= to; --i) names.push_back("/f" + std::to_string(i));
    return names;
}

}  // namespace

TEST(RecentFiles, TheLastUsedComesFirstOnceAndTheListKeepsEight) {
    std::vector<std::string> files;
    for (int i = 1; i <= 10; ++i) AddRecentFile(files, "/f" + std::to_string(i));
    EXPECT_EQ(files, Names(10, 3));
    AddRecentFile(files, "/f5");  // used again: to the top, not twice
    EXPECT_EQ(files, (std::vector<std::string>{"/f5", "/f10", "/f9", "/f8", "/f7", "/f6", "/f4", "/f3"}));
    AddRecentFile(files, "/bad\nname");  // a line break cannot be stored
    AddRecentFile(files, "");
    EXPECT_EQ(files.front(), "/f5");
    EXPECT_EQ(ParseRecentFiles("[RecentFiles]\nFile2=/b\nFile1=/a\nFile9=/too-far\n[Varlume]\nFile3=/other\n"),
              (std::vector<std::string>{"/a", "/b"}));
}

TEST_F(RecentFilesTest, FilesUsedAreListedInTheirOwnSectionAndChoosingOneOpensItAsADropDoes) {
    WriteFile("varlume.ini", "[Varlume]\nMachineType=3\nScreenMode=3\nPalette=0\n");
    const QString prg = WriteFile("r&d.prg", QByteArray("\x01\x10\x0A\x00", 4));
    const QString tap = WriteFile("tape.tap", QByteArray("C16-TAPE-RAW\x02\x02\0\0\0\0\0\0\x30\x30", 22));
    const QString disk = WriteFile("disk.d64", QByteArray(174848, 0));
    {
        auto form = MakeForm();
        EXPECT_FALSE(form->RecentFiles1->menuAction()->isEnabled());
        form->LoadPrgFromMenu(prg);
        NextFile = tap;
        form->MenuItem_LoadTAP->trigger();
        NextFile = disk;
        form->Drive91->trigger();
        form->LoadPrgFromMenu(Dir.filePath("missing.prg"));  // refused: not listed
        ASSERT_EQ(Errors, QStringList{"Cannot load selected file."});
        EXPECT_EQ(form->RecentFileList(),
                  (std::vector<std::string>{disk.toStdString(), tap.toStdString(), prg.toStdString()}));
        const QList<QAction*> items = form->RecentFiles1->actions();
        ASSERT_EQ(items.size(), 3);
        EXPECT_EQ(items[0]->text(), "&1 " + disk);
        EXPECT_EQ(items[2]->text(), "&3 " + QString(prg).replace("&", "&&"));  // the & shown, no mnemonic
    }
    // The three settings stay as they were; the list is back at the next start.
    const QString text = QString::fromLatin1(ReadFile(SettingsPath()));
    EXPECT_TRUE(text.contains("[Varlume]\nMachineType=3\nScreenMode=3\nPalette=0\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("[RecentFiles]\nFile1=" + disk + "\nFile2=" + tap + "\nFile3=" + prg + "\n"));
    auto next = MakeForm();
    ASSERT_EQ(next->RecentFiles1->actions().size(), 3);
    // The disk from the list: attached to drive 8 and loaded, as a dropped disk is.
    next->RecentFiles1->actions()[0]->trigger();
    EXPECT_EQ(next->Machine->Drive8.DriveMode, TDrive::ModeD64);
    EXPECT_TRUE(next->Menu_Drive8D64->isChecked());
    EXPECT_FALSE(next->Typist.Idle());
    // The tape: inserted and Play pressed, and it is now the most recent.
    next->RecentFiles1->actions()[1]->trigger();
    EXPECT_EQ(next->Machine->Memory.PlayKey, 1);
    EXPECT_EQ(next->RecentFileList().front(), tap.toStdString());
    EXPECT_EQ(next->RecentFiles1->actions()[0]->text(), "&1 " + tap);
}
