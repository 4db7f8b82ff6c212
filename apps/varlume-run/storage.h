#pragma once
#include <string>

#include "options.h"

class TMachine;

// The runner's storage set-up and results: drives, tape, PRG auto-load and save.
class TStorage {
public:
    TStorage(TMachine& machine, const TRunOptions& options) : Machine(machine), Options(options) {}

    // After power-up: attach the drives and the tape, press the tape keys. False with a reason in
    // `error` when an input cannot be used.
    bool Prepare(std::string& error);
    // Between frames: the PRG auto-load, once the ROM waits for keyboard input.
    bool AfterFrame(std::string& error);
    // At the end: save the PRG and the recorded tape.
    bool Finish(std::string& error);

    bool PrgPending() const { return !Options.Prg.empty() && !PrgLoaded; }

private:
    TMachine& Machine;
    const TRunOptions& Options;
    bool PrgLoaded = false;
};
