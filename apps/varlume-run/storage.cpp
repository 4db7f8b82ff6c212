#include "storage.h"

#include <filesystem>

#include "machine/machine.h"
#include "media/prg_file.h"
#include "media/tape_keys.h"

namespace {

bool AttachDrive(TDrive& drive, const std::string& path, bool writeProtect, std::string& error) {
    drive.SetWriteProtected(writeProtect);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        drive.SetDirectoryPath(path);
        drive.SetMode(TDrive::ModeDirectory);
        return true;
    }
    const TD64Attach result = drive.AttachImage(path);
    if (result != TD64Attach::Attached) {
        error = std::string(D64AttachMessage(result)) + ": '" + path + "'";
        return false;
    }
    drive.SetMode(TDrive::ModeD64);
    return true;
}

}  // namespace

bool TStorage::Prepare(std::string& error) {
    if (!Options.Drive8.empty() && !AttachDrive(Machine.Drive8, Options.Drive8, Options.WriteProtect, error)) return false;
    if (!Options.Drive9.empty() && !AttachDrive(Machine.Drive9, Options.Drive9, Options.WriteProtect, error)) return false;
    if (!Options.Prg.empty() && !std::filesystem::is_regular_file(Options.Prg)) {
        error = std::string(MessageCannotLoadGiven) + " '" + Options.Prg + "'";
        return false;
    }
    if (!Options.Tap.empty() && Machine.Tape.Load(Options.Tap) == 0) {
        error = "TAP file is corrupt or not supported. '" + Options.Tap + "'";
        return false;
    }
    if (!Options.RecordTap.empty())
        PressRecord(Machine.Memory, Machine.Tape);
    else if (Options.Play)
        PressPlay(Machine.Memory);
    return true;
}

bool TStorage::AfterFrame(std::string& error) {
    if (!PrgPending() || !AutoLoadReady(Machine.Cpu.PC)) return true;
    PrgLoaded = true;
    if (LoadPrgFile(Machine.Memory, Options.Prg, true).Status == TPrgLoadStatus::CannotRead) {
        error = std::string(MessageCannotLoadGiven) + " '" + Options.Prg + "'";
        return false;
    }
    return true;
}

bool TStorage::Finish(std::string& error) {
    if (Options.SavePrg) {
        const auto& save = *Options.SavePrg;
        switch (SavePrgFile(Machine.Memory, save.Start, save.End, save.File)) {
            case TPrgSaveStatus::Saved: break;
            case TPrgSaveStatus::BadArea: error = MessageCannotSaveArea; return false;
            case TPrgSaveStatus::CannotWrite: error = std::string(MessageCannotSaveFile) + " '" + save.File + "'"; return false;
        }
    }
    if (!Options.RecordTap.empty()) {
        PressStop(Machine.Memory, Machine.Tape);
        if (!Machine.Tape.SaveRecording(Options.RecordTap)) {
            error = "cannot write '" + Options.RecordTap + "'";
            return false;
        }
    }
    return true;
}
