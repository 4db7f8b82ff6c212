#include <sys/stat.h>

#include <QAction>

#include "gui/form_fixture.h"
#include "host/app_paths.h"
#include "host/settings_file.h"
#include "ted/palettes.h"
#include "ui/screen_widget.h"

namespace {
using SettingsTest = FormFixture;
}  // namespace

TEST(SettingsFile, MissingFileAndBadValuesGiveTheDefaults) {
    const TSettings none = ReadSettingsFile("/nonexistent/varlume.ini");
    EXPECT_EQ(none.MachineType, 0);
    EXPECT_EQ(none.ScreenMode, 1);
    EXPECT_EQ(none.Palette, 1);
    const TSettings parsed = ParseSettings("[varlume]\nmachinetype=3\nScreenMode=abc\n[Other]\nPalette=2\n");
    EXPECT_EQ(parsed.MachineType, 3);  // key and section names are not case-sensitive
    EXPECT_EQ(parsed.ScreenMode, 1);
    EXPECT_EQ(parsed.Palette, 1);      // only the Varlume section counts
    // Out-of-table values are kept as read; the menus then check nothing.
    EXPECT_EQ(ParseSettings("[Varlume]\nScreenMode=42\nPalette=-1\n").ScreenMode, 42);
    EXPECT_EQ(ParseSettings(std::string("\0\xff[\n=\n", 6)).MachineType, 0);
}

TEST_F(SettingsTest, AFifoInPlaceOfTheFileDoesNotBlockTheStart) {
    ASSERT_EQ(::mkfifo(SettingsPath().toUtf8().constData(), 0600), 0);
    const TSettings settings = ReadSettingsFile(SettingsPath().toStdString());
    EXPECT_EQ(settings.ScreenMode, 1);
    std::string error;
    EXPECT_FALSE(WriteSettingsFile(SettingsPath().toStdString(), settings, error));
    EXPECT_NE(error.find(SettingsPath().toStdString()), std::string::npos);
}

TEST_F(SettingsTest, SaveWritesTheThreeChoicesKeepsForeignKeysAndTheNextStartUsesThem) {
    WriteFile("varlume.ini", "; my notes\n[Varlume]\nFavourite=yes\nMachineType=0\n[Elsewhere]\nKey=1\n");
    {
        auto form = MakeForm();
        form->Menu_CommodorePlus4->trigger();
        form->Menu_360x240DoubleWindowedGDI->trigger();
        form->Menu_CalculatedPalette->trigger();
        form->SaveCurrentSettings1->trigger();
        EXPECT_TRUE(Errors.filter("settings").isEmpty());
    }
    const QString text = QString::fromLatin1(ReadFile(SettingsPath()));
    EXPECT_TRUE(text.contains("MachineType=2\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("ScreenMode=5\n"));
    EXPECT_TRUE(text.contains("Palette=0\n"));
    EXPECT_TRUE(text.contains("Favourite=yes"));
    EXPECT_TRUE(text.contains("[Elsewhere]"));
    EXPECT_TRUE(text.contains("; my notes"));

    auto next = MakeForm();
    EXPECT_EQ(next->Machine->MachineType, MachinePlus4);
    EXPECT_TRUE(next->Menu_CommodorePlus4->isChecked());
    EXPECT_EQ(next->Screen->size(), QSize(720, 480));
    EXPECT_EQ(next->Palette, PaletteCalculated);
    EXPECT_TRUE(next->Menu_CalculatedPalette->isChecked());
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsReportedWithItsPath) {
    TMainOptions options = Options();
    const std::string path = Dir.filePath("no-such-dir-file/varlume.ini").toStdString();
    WriteFile("no-such-dir-file", "a file where a directory would be needed");
    options.SettingsPath = path;
    auto form = MakeForm(std::move(options));
    form->SaveCurrentSettings1->trigger();
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors.front().contains(QString::fromStdString(path))) << Errors.front().toStdString();
}

TEST_F(SettingsTest, CustomMachineFromTheFileChecksItsItemAndLoadsNoRom) {
    WriteFile("varlume.ini", "[Varlume]\nMachineType=4\nScreenMode=3\nPalette=9\n");
    auto form = MakeForm();
    EXPECT_TRUE(form->Menu_CustomMachine->isChecked());
    EXPECT_EQ(form->Machine->Memory.RamSizeCode(), 2);
    EXPECT_EQ(form->DisplayMode, 3);
    // An unknown palette code checks no palette item and leaves the table as it was.
    EXPECT_FALSE(form->Menu_CalculatedPalette->isChecked() || form->Menu_DigitizedPalette->isChecked() ||
                 form->Menu_OriginalPalette->isChecked());
}

TEST_F(SettingsTest, CodesOutsideTheMenusAreWrittenBackAsReadUnlessTheUserChoseAnother) {
    WriteFile("varlume.ini", "[Varlume]\nScreenMode=42\nPalette=9\n");
    {
        auto form = MakeForm();
        form->SaveCurrentSettings1->trigger();
    }
    const QString kept = QString::fromLatin1(ReadFile(SettingsPath()));
    EXPECT_TRUE(kept.contains("ScreenMode=42\n") && kept.contains("Palette=9\n"))
        << kept.toStdString();
    {
        auto form = MakeForm();
        form->Menu_GDI400x300->trigger();
        form->Menu_OriginalPalette->trigger();
        form->SaveCurrentSettings1->trigger();
    }
    const QString chosen = QString::fromLatin1(ReadFile(SettingsPath()));
    EXPECT_TRUE(chosen.contains("ScreenMode=2\n") && chosen.contains("Palette=2\n")) << chosen.toStdString();
}

TEST(SettingsLocation, BesideAWritableExecutableElseTheUsersConfigurationDirectory) {
    QTemporaryDir dir;
    const std::string writable = dir.path().toStdString() + "/";
    EXPECT_EQ(SettingsFilePathFor(writable), writable + "varlume.ini");
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/xdg/config");
    // Root may write anywhere: a directory that does not exist stands for an unwritable one.
    EXPECT_EQ(SettingsFilePathFor("/nonexistent/bin/"), "/xdg/config/varlume/varlume.ini");
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    const QByteArray home = qgetenv("HOME");
    EXPECT_EQ(SettingsFilePathFor("/nonexistent/bin/"), home.toStdString() + "/.config/varlume/varlume.ini");
    qputenv("XDG_CONFIG_HOME", previous);
    if (previous.isEmpty()) qunsetenv("XDG_CONFIG_HOME");

    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/xdg/data");
    EXPECT_EQ(RomSearchDirectories().back(), "/xdg/data/varlume/roms/");
    qputenv("XDG_DATA_HOME", data);
    if (data.isEmpty()) qunsetenv("XDG_DATA_HOME");
}

TEST_F(SettingsTest, WritingCreatesTheMissingConfigurationDirectory) {
    const std::string path = Dir.filePath("config/varlume/varlume.ini").toStdString();
    std::string error;
    ASSERT_TRUE(WriteSettingsFile(path, {1, 2, 0}, error)) << error;
    const TSettings back = ReadSettingsFile(path);
    EXPECT_EQ(back.MachineType, 1);
    EXPECT_EQ(back.ScreenMode, 2);
    EXPECT_EQ(back.Palette, 0);
}
