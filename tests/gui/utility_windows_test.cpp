// The game database and the BASIC information window.
#include <sys/stat.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "gui/debugger_fixture.h"
#include "ui/utility/database_window.h"
#include "ui/utility/game_database.h"
#include "ui/utility/info_window.h"

namespace {

void WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

std::vector<QStringList> Rows(const std::vector<TGameEntry>& entries) {
    std::vector<QStringList> rows;
    for (const TGameEntry& e : entries) rows.push_back({e.Name, e.StartDec, e.StartHex});
    return rows;
}

}  // namespace

TEST(GameDatabase, RowsRunFromProgram1UpToTheFirstGap) {
    EXPECT_EQ(Rows(GameEntries("[Program1]\nName=First\nAddress=4109\n[Program2]\nName=Second\nAddress=0\n")),
              std::vector<QStringList>({{"First", "4109", "$100D"}, {"Second", "???", "???"}}));
    EXPECT_EQ(Rows(GameEntries("[Program1]\nName=Only\nAddress=1\n[Program3]\nName=Lost\n")),
              std::vector<QStringList>({{"Only", "1", "$0001"}}));
    // Missing keys and an address that is not an integer.
    EXPECT_EQ(Rows(GameEntries("[program1]\n[Program2]\nName=X\nAddress=12abc\n[Program3]\nAddress= 70000 \n")),
              std::vector<QStringList>({{"???", "???", "???"}, {"X", "???", "???"}, {"???", "70000", "$11170"}}));
    EXPECT_TRUE(GameEntries("no sections at all").empty());
    // A damaged line (a NUL byte) is skipped, the rest kept; names in Windows-1252 or UTF-8.
    const QByteArray mixed("[Program1]\nName=Bro\0ken\nAddress=1\n[Program2]\nName=Caf\xE9 \x80\x81\nAddress=2\n"
                           "[Program3]\nName=Caf\xC3\xA9\nAddress=3\n", 100);
    EXPECT_EQ(Rows(GameEntries(mixed)), std::vector<QStringList>({{"???", "1", "$0001"},
                                                                  {QStringLiteral("Caf\u00E9 \u20AC?"), "2", "$0002"},
                                                                  {QStringLiteral("Caf\u00E9"), "3", "$0003"}}));
}

TEST(GameDatabase, TheFirstDirectoryWithTheFileWinsAndOnlyRegularFilesAreRead) {
    QTemporaryDir first, second;
    const QStringList dirs = {first.path() + "/", second.path() + "/"};
    EXPECT_EQ(ReadGameDatabase(dirs).Status, TGameDatabase::TStatus::Missing);

    WriteFile(second.filePath(GameDatabaseFile), "[Program1]\nName=Second\n");
    TGameDatabase database = ReadGameDatabase(dirs);
    EXPECT_EQ(database.Status, TGameDatabase::TStatus::Read);
    ASSERT_EQ(database.Entries.size(), 1u);
    EXPECT_EQ(database.Entries[0].Name, "Second");

    // A FIFO of that name must neither block nor be read.
    ASSERT_EQ(::mkfifo(QFile::encodeName(first.filePath(GameDatabaseFile)).constData(), 0600), 0);
    database = ReadGameDatabase(dirs);
    EXPECT_EQ(database.Status, TGameDatabase::TStatus::Unreadable);
    EXPECT_EQ(database.Problem, "not a regular file");

    const QStringList searched = GameDatabaseDirectories();
    ASSERT_EQ(searched.size(), 2);
    EXPECT_TRUE(searched.back().endsWith("/varlume/"));
}

TEST(DatabaseWindow, RereadsTheFileEachTimeItIsShown) {
    TestApplication();
    QTemporaryDir dir;
    TForm_Database window({dir.path() + "/"}, nullptr);
    window.show();
    EXPECT_EQ(window.ListView_GameDatabase->topLevelItemCount(), 0);
    EXPECT_TRUE(window.Label_Source->text().startsWith("No gamedatabase.ini was found in ")) << window.Label_Source->text().toStdString();

    WriteFile(dir.filePath(GameDatabaseFile), "[Program1]\nName=Demo\nAddress=8192\n");
    window.hide();
    window.show();
    ASSERT_EQ(window.ListView_GameDatabase->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = window.ListView_GameDatabase->topLevelItem(0);
    EXPECT_EQ(row->text(0), "Demo");
    EXPECT_EQ(row->text(1), "8192");
    EXPECT_EQ(row->text(2), "$2000");
    EXPECT_FALSE(window.Button2->isVisible());
}

TEST_F(DebuggerTest, TheInformationRowsReadRamAsItIs) {
    Machine->Memory.FillRam();  // $FF at even, $00 at odd addresses
    const auto rows = InfoRows(TMachineView(*Machine));
    EXPECT_EQ(rows[0].Description, "Start of BASIC text");
    EXPECT_EQ(rows[0].Address, "$002B-$002C");
    EXPECT_EQ(rows[0].Value, "$FF00");
    EXPECT_EQ(rows[7].Description, "Load start address");
    EXPECT_EQ(rows[7].Value, "$00FF");
    EXPECT_EQ(rows[11].Description, "Screen bottom");
    EXPECT_EQ(rows[11].Address, "$07E5");
    EXPECT_EQ(rows[11].Value, "$0000");
    EXPECT_EQ(rows[12].Value, "$00FF");

    // Taken when shown and on Update only.
    Windows->ShowSystemInformation();
    TForm_Info& window = *Windows->Info;
    ASSERT_EQ(window.ListView->topLevelItemCount(), InfoRowCount);
    Machine->Memory.Image[0x2B] = 0x01;
    Machine->Memory.Image[0x2C] = 0x10;
    EXPECT_EQ(window.ListView->topLevelItem(0)->text(2), "$FF00");
    window.Button_UpdateClick();
    EXPECT_EQ(window.ListView->topLevelItem(0)->text(2), "$1001");
}
