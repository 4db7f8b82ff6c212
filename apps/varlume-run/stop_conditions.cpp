#include "stop_conditions.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "machine/machine.h"
#include "screen_output.h"

std::string UpperCase(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TStopConditions::TStopConditions(TMachine& machine, const TRunOptions& options)
    : Machine(machine), Options(options), Wanted(UpperCase(options.UntilText)) {
    Machine.Memory.TrappedValue = -1;
    Machine.Memory.SetWriteTrap(0, options.DebugRegister ? DebugRegister : -1);
    Machine.Memory.SetWriteTrap(1, options.UntilWrite ? int32_t(*options.UntilWrite) : -1);
}

void TStopConditions::AfterClock() const {
    if (Machine.Memory.TrappedValue >= 0) [[unlikely]]
        Machine.Stop();
}

bool TStopConditions::AfterFrame(int64_t frame) {
    if (Machine.Memory.TrappedValue >= 0) return true;
    if (!Wanted.empty() && UpperCase(ScreenText(Machine)).find(Wanted) != std::string::npos) {
        TextFrame = frame;
        return true;
    }
    if (Options.TimeoutFrames && frame >= *Options.TimeoutFrames) {
        TimedOut = true;
        return true;
    }
    return false;
}

int TStopConditions::Finish(int64_t frames) const {
    int status = -1;
    const TMemory& memory = Machine.Memory;
    if (memory.TrappedValue >= 0) {
        std::printf("$%04X written with $%02X in frame %" PRId64 "\n", unsigned(memory.TrappedAddress),
                    unsigned(memory.TrappedValue), frames);
        status = memory.TrappedValue;
    } else if (TextFrame >= 0) {
        std::printf("text found in frame %" PRId64 "\n", TextFrame);
        status = 0;
    } else if (TimedOut) {
        std::printf("timed out after %" PRId64 " frames\n", frames);
        status = TimeoutStatus;
    } else if (!Options.UntilText.empty() || Options.UntilWrite) {
        std::printf("%s not reached in %" PRId64 " frames\n", Options.UntilText.empty() ? "the write" : "the text",
                    frames);
        status = 2;
    }
    // A failing run shows its screen, so that a build log tells what the program said.
    if (status > 0 && !Options.ScreenText) std::fputs(ScreenText(Machine).c_str(), stderr);
    return status;
}
