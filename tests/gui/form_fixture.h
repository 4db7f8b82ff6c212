#pragma once
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "gui/qt_application.h"
#include "media/prg_file.h"
#include "ui/main_window.h"

// A main window with an empty ROM directory and its own settings file in a temporary
// directory. Every box is recorded instead of shown; file choosers answer with NextFile.
class FormFixture : public testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ASSERT_TRUE(Dir.isValid());
    }

    TMainOptions Options(QStringList arguments = {}) {
        TMainOptions options;
        options.RomDirectory = Dir.path().toStdString() + "/";
        options.SettingsPath = SettingsPath().toStdString();
        options.ErrorBox = [this](const QString& text) { Errors << text; };
        options.Prompts.PlainBox = [this](const QString& text) { Plain << text; };
        options.Prompts.Question = [this](const QString& text) {
            Questions << text;
            return Answer;
        };
        options.Prompts.OpenFile = [this](const QString&, const QString& directory, const QString&) {
            Directories << directory;
            return NextFile;
        };
        options.Prompts.SaveFile = [this](const QString&, const QString&, const QString&, const QString&) {
            return NextFile;
        };
        options.Prompts.Directory = [this](const QString& caption, const QString&) {
            Captions << caption;
            return NextFile;
        };
        options.Arguments = std::move(arguments);
        return options;
    }

    std::unique_ptr<TForm_Main> MakeForm(TMainOptions options) {
        auto form = std::make_unique<TForm_Main>(std::move(options));
        Errors.clear();
        return form;
    }
    std::unique_ptr<TForm_Main> MakeForm() { return MakeForm(Options()); }
    // A window on the real ROMs, booted to BASIC's keyboard wait; the test runs its frames
    // itself, unsynchronised.
    std::unique_ptr<TForm_Main> BootedForm() {
        TMainOptions options = Options();
        options.RomDirectory = std::string(VARLUME_BIN_DIR) + "/";
        auto form = MakeForm(options);
        form->IdleTimer->stop();
        form->SelectSyncMode(TFrameSync::SyncNone);
        RunFrames(*form, 200);
        EXPECT_TRUE(AutoLoadReady(form->Machine->Cpu.PC, form->Machine->Cpu.Cycle))
            << "the ROM never waited for keys: are the ROM images in " VARLUME_BIN_DIR "?";
        return form;
    }
    static void RunFrames(TForm_Main& form, int count) {
        for (int i = 0; i < count; ++i) form.RunFrame();
    }

    QString SettingsPath() const { return Dir.filePath("varlume.ini"); }
    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = Dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir Dir;
    QStringList Errors, Plain, Questions, Directories, Captions;
    QString NextFile;
    bool Answer = true;
};
