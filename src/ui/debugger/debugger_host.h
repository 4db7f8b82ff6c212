#pragma once

// What the debugger needs of the main window: the frame loop's switch, the main status bar's
// first panel and the keyboard focus. Everything else it does on the machine itself.
class TDebuggerHost {
public:
    virtual ~TDebuggerHost() = default;
    // Take the frame loop off the idle handler and set EmulationStopped.
    virtual void StopFrameLoop() = 0;
    // Clear the host key state, clear EmulationStopped and put the frame loop back.
    virtual void StartFrameLoop() = 0;
    // Main status bar panel 0. These texts stay until the next message replaces them.
    virtual void StatusText(const char* text) = 0;
    virtual void FocusMainWindow() = 0;
};
