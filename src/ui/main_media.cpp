// Software into the machine and out of it: PRG files and the BASIC program, tape images and the
// tape keys, the two drives' disk images, directories and modes, files dropped on the window and
// the list of files used last.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "host/settings_file.h"
#include "media/prg_file.h"
#include "media/tape_keys.h"
#include "ui/main_window.h"
#include "ui/save_prg_dialog.h"
#include "ui/status_panel.h"

namespace {

constexpr const char* PrgFilter = "Program files (*.prg);;All files (*)";
constexpr const char* TapFilter = "TAP files (*.tap);;All files (*)";
constexpr const char* D64Filter = "D64 files (*.d64);;All files (*)";
constexpr const char* TapeRefused = "TAP file is corrupt or not supported.";

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

QString TForm_Main::DialogDirectory(const QString& dialog) const {
    return LastDirectories.value(dialog);
}

void TForm_Main::RememberDirectory(const QString& dialog, const QString& path) {
    const QFileInfo info(path);
    LastDirectories.insert(dialog, info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

void TForm_Main::Menu_LoadPRGfileClick() {
    const QString path = Prompts.OpenFile(QString(), DialogDirectory(QStringLiteral("prg")), QString::fromLatin1(PrgFilter));
    if (path.isEmpty()) return;
    RememberDirectory(QStringLiteral("prg"), path);
    LoadPrgFromMenu(path);
}

void TForm_Main::LoadPrgFromMenu(const QString& path) {
    if (!Machine) return;
    // Only a regular file is opened: a FIFO would hang the window, a directory has no bytes.
    if (!QFileInfo(path).isFile()) {
        ErrorBox(MessageCannotLoadSelected);
        return;
    }
    // A file that exists but cannot be read leaves RAM untouched; it is reported like a
    // missing one rather than silently ignored.
    const TPrgLoadResult result = LoadPrgFile(Machine->Memory, LocalPath(path), Autostart);
    if (result.Status == TPrgLoadStatus::CannotRead)
        ErrorBox(MessageCannotLoadSelected);
    else
        RememberRecentFile(path);
    ShowMachineChange();
}

void TForm_Main::SavePRGfile1Click() {
    if (Machine) Form_SavePRG->exec();
}

bool TForm_Main::SaveRamArea(uint16_t start, uint16_t end, QString& lastDirectory) {
    const QString path = Prompts.SaveFile(QString(), lastDirectory, QString::fromLatin1(PrgFilter), QStringLiteral("prg"));
    if (path.isEmpty()) return false;
    lastDirectory = QFileInfo(path).absolutePath();
    if (QFileInfo::exists(path) && !Prompts.Question(QString::fromLatin1(MessageFileExists))) return false;
    // Never onto anything but a regular file: a FIFO would hang the window.
    const TPrgSaveStatus status = QFileInfo::exists(path) && !QFileInfo(path).isFile()
        ? TPrgSaveStatus::CannotWrite
        : SavePrgFile(Machine->Memory, start, end, LocalPath(path));
    if (status != TPrgSaveStatus::Saved) ErrorBox(MessageCannotSaveFile);
    return true;
}

void TForm_Main::SaveBasicprogram1Click() {
    if (!Machine) return;
    // BASIC keeps the start of its program text at $2B/$2C and the start of its variables, where
    // the text ends, at $2D/$2E: the bytes between are what the ROM's own SAVE writes.
    const uint8_t* ram = Machine->Memory.Ram();
    const uint16_t start = uint16_t(ram[0x2B] | ram[0x2C] << 8);
    const uint16_t variables = uint16_t(ram[0x2D] | ram[0x2E] << 8);
    if (variables <= start + 1) {
        ErrorBox(MessageCannotSaveArea);
        return;
    }
    QString directory = DialogDirectory(QStringLiteral("prg"));
    if (SaveRamArea(start, uint16_t(variables - 1), directory))
        LastDirectories.insert(QStringLiteral("prg"), directory);
}

bool TForm_Main::InsertTape(const QString& path) {
    // A refused image leaves no tape: the previous one is gone, as the recorder's load says.
    const bool loaded = QFileInfo(path).isFile() && Machine->Tape.Load(LocalPath(path)) > 0;
    if (!loaded) {
        Machine->Tape.LoadImage({});
        ErrorBox(TapeRefused);
    }
    StatusPanels[2]->update();
    return loaded;
}

void TForm_Main::MenuItem_LoadTAPClick() {
    if (!Machine) return;
    const QString path = Prompts.OpenFile(QString(), DialogDirectory(QStringLiteral("tap")), QString::fromLatin1(TapFilter));
    if (path.isEmpty()) return;
    RememberDirectory(QStringLiteral("tap"), path);
    if (InsertTape(path)) RememberRecentFile(path);
}

void TForm_Main::EnableTapeItems(bool playing) {
    // A tape is changed or rewound only with Play up.
    MenuItem_Play->setEnabled(!playing);
    MenuItem_Stop->setEnabled(playing);
    MenuItem_LoadTAP->setEnabled(!playing);
    MenuItem_Rewind->setEnabled(!playing);
    StatusPanels[2]->update();
}

void TForm_Main::MenuItem_PlayClick() {
    if (!Machine) return;
    PressPlay(Machine->Memory);
    EnableTapeItems(true);
    StatusMessage("Play has been pressed.");
}

void TForm_Main::MenuItem_StopClick() {
    if (!Machine) return;
    PressStop(Machine->Memory, Machine->Tape);
    EnableTapeItems(false);
    StatusMessage("Stop has been pressed.");
}

void TForm_Main::MenuItem_RewindClick() {
    if (!Machine) return;
    Machine->Tape.Rewind();
    StatusMessage("Rewind tape...");
}

bool TForm_Main::AttachD64(int32_t drive, const QString& path) {
    TDrive& target = drive == 9 ? Machine->Drive9 : Machine->Drive8;
    const TDrive& other = drive == 9 ? Machine->Drive8 : Machine->Drive9;
    // A refused image is reported and the attached one stays, whole; so is the other drive's.
    const TD64Attach result = QFileInfo(path).isFile() ? target.AttachImage(LocalPath(path), &other) : TD64Attach::CannotOpen;
    if (result != TD64Attach::Attached) ErrorBox(D64AttachMessage(result));
    return result == TD64Attach::Attached;
}

void TForm_Main::AttachD64Click(int32_t drive) {
    if (!Machine) return;
    const QString path = Prompts.OpenFile(QString(), DialogDirectory(QStringLiteral("d64")), QString::fromLatin1(D64Filter));
    if (path.isEmpty()) return;
    RememberDirectory(QStringLiteral("d64"), path);
    if (AttachD64(drive, path)) RememberRecentFile(path);
}

void TForm_Main::DetachD64Click(int32_t drive) {
    if (!Machine) return;
    // The drive answers as with no disk in it; its mode stays.
    (drive == 9 ? Machine->Drive9 : Machine->Drive8).DetachImage();
    StatusMessage(drive == 9 ? "D64 image detached from drive 9." : "D64 image detached from drive 8.");
}

void TForm_Main::SelectDirectoryClick(int32_t drive) {
    if (!Machine) return;
    TDrive& target = drive == 9 ? Machine->Drive9 : Machine->Drive8;
    QString start = DialogDirectory(QStringLiteral("directory"));
    if (start.isEmpty()) start = QString::fromStdString(target.GetDirectoryPath());
    const QString caption = drive == 9 ? QStringLiteral("Select Directory to Drive 9:")
                                       : QStringLiteral("Select Directory to Drive 8:");
    const QString path = Prompts.Directory(caption, start);
    // Cancelling keeps the directory the drive had.
    if (path.isEmpty()) return;
    RememberDirectory(QStringLiteral("directory"), path);
    target.SetDirectoryPath(LocalPath(path));
}

void TForm_Main::SetDriveMode(int32_t drive, int32_t mode) {
    if (!Machine) return;
    QAction* const items[2][3] = {{Menu_Drive8None, Menu_Drive8Dir, Menu_Drive8D64},
                                  {Menu_Drive9None, Menu_Drive9Dir, Menu_Drive9D64}};
    items[drive == 9][mode]->setChecked(true);
    (drive == 9 ? Machine->Drive9 : Machine->Drive8).SetMode(mode);
}

bool TForm_Main::OpenDroppedFile(const QString& path) {
    if (!OpenFileAsDropped(path)) return false;
    // The list is of the software used; a snapshot is a state of the machine.
    if (QFileInfo(path).suffix().toLower() != QLatin1String("vsn")) RememberRecentFile(path);
    return true;
}

bool TForm_Main::OpenFileAsDropped(const QString& path) {
    if (!Machine) return false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("prg")) {
        if (!QFileInfo(path).isFile()) {
            ErrorBox(MessageCannotLoadSelected);
            return false;
        }
        if (LoadPrgFile(Machine->Memory, LocalPath(path), true).Status == TPrgLoadStatus::CannotRead) {
            ErrorBox(MessageCannotLoadSelected);
            return false;
        }
        ShowMachineChange();
        return true;
    }
    if (suffix == QLatin1String("d64")) {
        if (!AttachD64(8, path)) return false;
        SetDriveMode(8, TDrive::ModeD64);
        Typist.Type("LOAD\"*\",8\rRUN\r", TTypist::TWay::Buffer, TTypist::TPace::AtInputLoop);
        return true;
    }
    if (suffix == QLatin1String("vsn")) return LoadSnapshotFrom(path);
    if (suffix == QLatin1String("crt")) return AttachCartridgeFile(path);
    if (suffix == QLatin1String("tap")) {
        if (!MenuItem_Play->isEnabled()) MenuItem_StopClick();  // a tape is changed with Stop pressed
        if (!InsertTape(path)) return false;
        MenuItem_PlayClick();
        Typist.Type("LOAD\r", TTypist::TWay::Buffer, TTypist::TPace::AtInputLoop);
        return true;
    }
    return false;
}

void TForm_Main::RememberRecentFile(const QString& path) {
    const std::vector<std::string> before = RecentFiles;
    AddRecentFile(RecentFiles, LocalPath(QFileInfo(path).absoluteFilePath()));
    if (RecentFiles == before) return;
    RebuildRecentFilesMenu();
    // The list lasts beyond the run: it is written whenever it changes. A settings file that
    // cannot be written keeps the list for this run only, without a box at every load.
    std::string error;
    WriteRecentFiles(SettingsFile, RecentFiles, error);
}

void TForm_Main::RebuildRecentFilesMenu() {
    RecentFiles1->clear();
    int number = 1;
    for (const std::string& file : RecentFiles) {
        const QString path = QFile::decodeName(file.c_str());
        // An & in the name is shown, not taken as the item's mnemonic.
        QString caption = path;
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* item = RecentFiles1->addAction(QStringLiteral("&%1 ").arg(number++) + caption);
        // Choosing one does what dropping the file on the window does.
        connect(item, &QAction::triggered, this, [this, path] { OpenDroppedFile(path); });
    }
    RecentFiles1->menuAction()->setEnabled(!RecentFiles.empty());
}

void TForm_Main::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    const QString suffix = QFileInfo(urls.front().toLocalFile()).suffix().toLower();
    if (suffix == QLatin1String("prg") || suffix == QLatin1String("d64") || suffix == QLatin1String("tap") ||
        suffix == QLatin1String("vsn") || suffix == QLatin1String("crt"))
        event->acceptProposedAction();
}

void TForm_Main::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    OpenDroppedFile(urls.front().toLocalFile());
}
