#pragma once
#include <cstdint>
#include <string>

#include "options.h"

class TMachine;

// The run's ends that a program under test decides: a write to the debug register ($FDCF) or to
// the --until-write address, whose value becomes the exit status; text appearing on the screen
// (--until-text); and --timeout-frames, which fails the run with status 3.
class TStopConditions {
public:
    static constexpr uint16_t DebugRegister = 0xFDCF;
    static constexpr int TimeoutStatus = 3;

    TStopConditions(TMachine& machine, const TRunOptions& options);

    // After every processor clock: a watched write stops the machine where it happened.
    void AfterClock() const;
    // After each frame (`frame` frames run): true when the run is to end now.
    bool AfterFrame(int64_t frame);
    // Whether any condition here was given, so that the run has no default frame count.
    bool Waiting() const { return !Options.UntilText.empty() || Options.UntilWrite || Options.TimeoutFrames; }

    // The run ended after `frames` frames: prints why, when one of these ended it, and returns
    // the exit status they give, or -1 when they have no say (the run ends as it would without).
    int Finish(int64_t frames) const;

private:
    TMachine& Machine;
    const TRunOptions& Options;
    std::string Wanted;  // --until-text in upper case
    int64_t TextFrame = -1;
    bool TimedOut = false;
};

// The 40 x 25 screen text with letters in upper case, as --until-text compares it.
std::string UpperCase(std::string text);
