#pragma once
#include <string>

#include "options.h"

class TMachine;
class TTypist;

// The runner's storage set-up and results: drives, tape, PRG auto-load and save.
class TStorage {
public:
    TStorage(TMachine& machine, const TRunOptions& options) : Machine(machine), Options(options) {}

    // Before the machine starts: every input that is there is a regular file (or a drive's
    // directory), and each save (PRG, tape, snapshot) goes to a new file, or with --force to an
    // existing regular file, never to a file the run reads nor to another save's. False with a
    // reason in `error`.
    bool CheckFiles(std::string& error) const;
    // After power-up: attach the drives and the tape, press the tape keys. False with a reason in
    // `error` when an input cannot be used.
    bool Prepare(std::string& error);
    // Between frames: the PRG auto-load, once the ROM waits for keyboard input; its RUN goes
    // to `typist`.
    bool AfterFrame(TTypist& typist, std::string& error);
    // At the end: save the PRG and the recorded tape, each checked again as CheckFiles does.
    // A tape on which nothing was recorded is not written, and that is a failure.
    bool Finish(std::string& error);
    // Just before --save-snapshot writes: the same rules as CheckFiles, once more.
    bool CheckSnapshotTarget(std::string& error) const;

    bool PrgPending() const { return !Options.Prg.empty() && !PrgLoaded; }

private:
    TMachine& Machine;
    const TRunOptions& Options;
    bool PrgLoaded = false;
};
