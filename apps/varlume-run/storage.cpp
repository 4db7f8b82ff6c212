#include "storage.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

#include "machine/machine.h"
#include "machine/typist.h"
#include "media/prg_file.h"
#include "media/tape_keys.h"

namespace fs = std::filesystem;

namespace {

fs::file_status StatusOf(const std::string& path) {
    std::error_code error;
    return fs::status(path, error);
}

// An input that is there must be a regular file (or the directory a drive serves): a named
// pipe would block the run until someone writes to it, a device would never end. A missing
// input is left to its reader, which reports it in its own words.
bool CheckInput(const std::string& option, const std::string& path, bool directoryServed, std::string& error) {
    const fs::file_status status = StatusOf(path);
    if (!fs::exists(status) || fs::is_regular_file(status) || (directoryServed && fs::is_directory(status))) return true;
    error = option + " '" + path + "' is not a regular file" + (directoryServed ? " or a directory" : "");
    return false;
}

// Every file the run reads, and so never writes over: the drives' images, the tape, the PRG
// and the raw loads.
std::vector<std::string> FilesRead(const TRunOptions& options) {
    std::vector<std::string> files;
    for (const std::string* path : {&options.Drive8, &options.Drive9, &options.Tap, &options.Prg, &options.Snapshot})
        if (!path->empty() && fs::is_regular_file(StatusOf(*path))) files.push_back(*path);
    for (const auto& load : options.Loads) files.push_back(load.File);
    return files;
}

// Where a save may go: a new file, or with --force an existing regular file, but never a file
// the run reads. Checked before the run and again just before the write, when the machine may
// have made the file meanwhile (a SAVE into a drive's directory).
bool CheckSaveTarget(const std::string& option, const std::string& path, const TRunOptions& options, std::string& error) {
    const fs::file_status status = StatusOf(path);
    if (!fs::exists(status)) return true;
    const std::string named = option + " '" + path + "'";
    if (!fs::is_regular_file(status)) {
        error = named + " is not a regular file";
        return false;
    }
    for (const std::string& input : FilesRead(options)) {
        std::error_code same;
        if (fs::equivalent(path, input, same)) {
            error = named + " is read by this run ('" + input + "'), so it is not written over";
            return false;
        }
    }
    if (!options.Force) {
        error = named + " already exists (--force replaces it)";
        return false;
    }
    return true;
}

bool SameTarget(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

// Whether the drive already serves `path`, as a snapshot restored it.
bool AlreadyServes(const TDrive& drive, const std::string& path) {
    std::error_code ec;
    if (drive.DriveMode == TDrive::ModeD64) return !drive.ImageFile().empty() && fs::equivalent(drive.ImageFile(), path, ec);
    if (drive.DriveMode == TDrive::ModeDirectory) return fs::equivalent(drive.GetDirectoryPath(), path, ec);
    return false;
}

// Whatever a drive has to tell the user (a longer image served read-only, an image changed by
// another program) goes to the standard error as it happens.
void ReportNotices(TMachine& machine) {
    for (TDrive* drive : {&machine.Drive8, &machine.Drive9})
        for (std::string notice = drive->TakeNotice(); !notice.empty(); notice = drive->TakeNotice())
            std::fprintf(stderr, "varlume-run: drive %d: %s\n", int(drive->DeviceNumber), notice.c_str());
}

bool AttachDrive(TDrive& drive, const TDrive& otherDrive, const std::string& path, bool writeProtect, std::string& error) {
    drive.SetWriteProtected(writeProtect);
    // A drive the snapshot left on this disk or directory keeps its open files and its place.
    if (AlreadyServes(drive, path)) return true;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        drive.SetDirectoryPath(path);
        drive.SetMode(TDrive::ModeDirectory);
        return true;
    }
    const TD64Attach result = drive.AttachImage(path, &otherDrive);
    if (result == TD64Attach::InUse) {
        error = "'" + path + "' is the image drive " + std::to_string(otherDrive.DeviceNumber) +
                " holds: one image file goes to one drive at a time";
        return false;
    }
    if (result != TD64Attach::Attached) {
        error = std::string(D64AttachMessage(result)) + ": '" + path + "'";
        return false;
    }
    drive.SetMode(TDrive::ModeD64);
    return true;
}

}  // namespace

bool TStorage::CheckFiles(std::string& error) const {
    const TRunOptions& o = Options;
    if (!CheckInput("--drive8", o.Drive8, true, error) || !CheckInput("--drive9", o.Drive9, true, error) ||
        !CheckInput("--prg", o.Prg, false, error) || !CheckInput("--tap", o.Tap, false, error))
        return false;
    if (!CheckInput("--snapshot", o.Snapshot, false, error)) return false;
    for (const auto& load : o.Loads)
        if (!CheckInput("--load", load.File, false, error)) return false;
    const std::pair<const char*, std::string> saves[] = {
        {"--save-prg", o.SavePrg ? o.SavePrg->File : ""}, {"--record-tap", o.RecordTap}, {"--save-snapshot", o.SaveSnapshot}};
    for (size_t i = 0; i < std::size(saves); ++i) {
        if (saves[i].second.empty()) continue;
        for (size_t j = i + 1; j < std::size(saves); ++j)
            if (!saves[j].second.empty() && SameTarget(saves[i].second, saves[j].second)) {
                error = std::string(saves[i].first) + " and " + saves[j].first + " name the same file '" + saves[i].second + "'";
                return false;
            }
        if (!CheckSaveTarget(saves[i].first, saves[i].second, o, error)) return false;
    }
    return true;
}

bool TStorage::CheckSnapshotTarget(std::string& error) const {
    return CheckSaveTarget("--save-snapshot", Options.SaveSnapshot, Options, error);
}

bool TStorage::Prepare(std::string& error) {
    if (!Options.Drive8.empty() && !AttachDrive(Machine.Drive8, Machine.Drive9, Options.Drive8, Options.WriteProtect, error))
        return false;
    if (!Options.Drive9.empty() && !AttachDrive(Machine.Drive9, Machine.Drive8, Options.Drive9, Options.WriteProtect, error))
        return false;
    ReportNotices(Machine);
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

bool TStorage::AfterFrame(TTypist& typist, std::string& error) {
    ReportNotices(Machine);
    if (!PrgPending() || !AutoLoadReady(Machine.Cpu.PC, Machine.Cpu.Cycle)) return true;
    PrgLoaded = true;
    const TPrgLoadStatus status = LoadPrgFile(Machine.Memory, Options.Prg, false).Status;
    if (status == TPrgLoadStatus::CannotRead) {
        error = std::string(MessageCannotLoadGiven) + " '" + Options.Prg + "'";
        return false;
    }
    // Typed by the typist, so that text typed after it waits its turn.
    if (status == TPrgLoadStatus::Loaded) typist.Type("RUN\n", TTypist::TWay::Buffer, TTypist::TPace::AtInputLoop);
    return true;
}

bool TStorage::Finish(std::string& error) {
    if (Options.SavePrg) {
        const auto& save = *Options.SavePrg;
        if (!CheckSaveTarget("--save-prg", save.File, Options, error)) return false;
        switch (SavePrgFile(Machine.Memory, save.Start, save.End, save.File)) {
            case TPrgSaveStatus::Saved: break;
            case TPrgSaveStatus::BadArea: error = MessageCannotSaveArea; return false;
            case TPrgSaveStatus::CannotWrite: error = std::string(MessageCannotSaveFile) + " '" + save.File + "'"; return false;
        }
    }
    if (!Options.RecordTap.empty()) {
        PressStop(Machine.Memory, Machine.Tape);
        if (!CheckSaveTarget("--record-tap", Options.RecordTap, Options, error)) return false;
        switch (Machine.Tape.SaveRecording(Options.RecordTap)) {
            case TTapeSave::Saved:
                // What fitted is kept; the run still fails, since the tape is not whole.
                if (!Machine.Tape.RecordingOverflowed()) break;
                error = "the recording outgrew the tape's " + std::to_string(TTape::RecordCapacity >> 20) +
                        " MB buffer: '" + Options.RecordTap + "' holds only its beginning";
                return false;
            case TTapeSave::NothingRecorded:
                error = "nothing was recorded on the tape, so '" + Options.RecordTap + "' was not written";
                return false;
            case TTapeSave::CannotWrite: error = "cannot write '" + Options.RecordTap + "'"; return false;
        }
    }
    return true;
}
