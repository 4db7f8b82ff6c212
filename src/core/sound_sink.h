#pragma once

// Whatever plays the TED's sound: fed after every sound-register write and every 16384 steps.
class TSoundSink {
public:
    virtual ~TSoundSink() = default;
    virtual void Feed() = 0;
};
