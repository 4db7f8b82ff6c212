#pragma once

class TTED;

// Whatever plays the TED's sound. The machine attaches it to the TED (from then on it may note
// the sound-register writes with their clock steps) and feeds it every 16384 clock steps.
class TSoundSink {
public:
    virtual ~TSoundSink() = default;
    // A sink that synthesizes takes the TED's clock and registers from here on and sets
    // `TTED::SoundWrites`; the machine clears that pointer before it attaches another sink.
    virtual void Attach(TTED&) {}
    virtual void Feed() = 0;
};
