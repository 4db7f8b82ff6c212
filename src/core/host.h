#pragma once

// The one way the emulated machine talks to whatever shows it: the Qt window, the
// headless runner or a test. Every call is rare (never per clock), so a virtual call is fine.
class THost {
public:
    virtual ~THost() = default;
    // Short confirmation for status-bar panel 0 ("Illegal opcode!", "Soft reset has been performed.").
    virtual void StatusMessage(const char* text) = 0;
    // One line for the log window.
    virtual void AppendLog(const char* line) = 0;
    // A failure the user must acknowledge: error icon, OK button.
    virtual void ErrorBox(const char* text) = 0;
    // The processor ended an instruction on a breakpoint. A front-end with a debugger shows
    // it, then stops emulation (EmulationStopped set, the frame loop off, its windows
    // refreshed). The machine stops after this call in any case; the processor then writes
    // "A breakpoint has been reached." through StatusMessage. The rest of the clock step (the
    // TED, sound and tape) still runs, and the frame loop ends at its next test.
    virtual void BreakpointReached() = 0;
    // The TED completed a frame: synchronisation wait, then, when drawn, present it (and the
    // speed display and drive lamps).
    virtual void EndOfFrame(bool drawn) = 0;
};

// A host that ignores everything; components use it until they are wired.
class TNullHost : public THost {
public:
    void StatusMessage(const char*) override {}
    void AppendLog(const char*) override {}
    void ErrorBox(const char*) override {}
    void BreakpointReached() override {}
    void EndOfFrame(bool) override {}
    static TNullHost& Instance() { static TNullHost host; return host; }
};
