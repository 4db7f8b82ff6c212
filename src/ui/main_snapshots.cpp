// Snapshots: F6 saves the whole machine to a file, Shift+F6 (or a dropped .vsn file) puts it
// back; a file that is not a whole, good snapshot is refused and the machine runs on untouched.
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "host/frame_image.h"
#include "machine/snapshot.h"
#include "media/prg_file.h"
#include "ui/main_window.h"

namespace {

constexpr const char* SnapshotFilter = "Varlume snapshots (*.vsn);;All files (*)";

}  // namespace

TSoundSynth* TForm_Main::SoundSynth() {
    return SoundOutputKind == 2 && SoundDirectSound && SoundDirectSound->Sink() ? &SoundDirectSound->Sink()->Synth
                                                                               : nullptr;
}

void TForm_Main::Savesnapshotimage1Click() {
    if (!Machine) return;
    // The state of the moment of the command: the machine runs on while the chooser is open.
    const std::vector<uint8_t> bytes = SaveSnapshot(*Machine, SoundSynth());
    const QString name = TimestampedName(QDateTime::currentDateTime(), QStringLiteral("vsn"));
    const QString directory = DialogDirectory(QStringLiteral("snapshot"));
    const QString path = Prompts.SaveFile(QStringLiteral("Save snapshot image"),
                                          directory.isEmpty() ? name : QDir(directory).filePath(name),
                                          QString::fromLatin1(SnapshotFilter), QStringLiteral("vsn"));
    if (path.isEmpty()) return;
    RememberDirectory(QStringLiteral("snapshot"), path);
    if (QFileInfo::exists(path) && !Prompts.Question(QString::fromLatin1(MessageFileExists))) return;
    std::string error;
    if (WriteSnapshotFile(bytes, QFile::encodeName(path).toStdString(), error))
        StatusMessage("Snapshot saved.");
    else
        ErrorBox(error.c_str());
}

void TForm_Main::Loadsnapshotimage1Click() {
    if (!Machine) return;
    const QString path = Prompts.OpenFile(QStringLiteral("Load snapshot image"),
                                          DialogDirectory(QStringLiteral("snapshot")), QString::fromLatin1(SnapshotFilter));
    if (path.isEmpty()) return;
    RememberDirectory(QStringLiteral("snapshot"), path);
    LoadSnapshotFrom(path);
}

bool TForm_Main::LoadSnapshotFrom(const QString& path) {
    if (!Machine) return false;
    std::string error;
    std::vector<std::string> notes;
    if (!LoadSnapshotFile(*Machine, QFile::encodeName(path).toStdString(), error, SoundSynth(), &notes)) {
        ErrorBox(error.c_str());
        return false;
    }
    // The menus show what the machine now is; the keys held are the user's, not the snapshot's.
    MachineType = Machine->MachineType;
    if (QAction* item = MachineTypeItem(MachineType)) item->setChecked(true);
    QAction* const driveItems[2][3] = {{Menu_Drive8None, Menu_Drive8Dir, Menu_Drive8D64},
                                       {Menu_Drive9None, Menu_Drive9Dir, Menu_Drive9D64}};
    driveItems[0][Machine->Drive8.DriveMode]->setChecked(true);
    driveItems[1][Machine->Drive9.DriveMode]->setChecked(true);
    EnableTapeItems(Machine->Memory.PlayKey != 0);
    ReleaseHostKeys();
    Typist.Clear();
    if (Machine->EmulationStopped) PresentFrame();
    ShowMachineChange();
    StatusMessage("Snapshot loaded.");
    for (const std::string& note : notes) Prompts.PlainBox(QString::fromStdString(note));
    return true;
}
