#pragma once
#include <string>
#include <string_view>

class TMachine;

// Types text for the user through the ROM's keyboard buffer ($0527, count at $00EF), the way a
// loaded program's RUN is typed. The buffer holds 10 characters, so the text goes in pieces of
// at most 10 that end after a RETURN: each piece waits until the ROM sits in its keyboard wait
// loop with the buffer empty, so a LOAD has finished before the RUN after it is typed.
class TBufferTypist {
public:
    static constexpr size_t BufferSize = 10;

    // Appends to what is still to be typed; '\r' is RETURN.
    void Type(std::string_view text) { Pending += text; }
    void Clear() { Pending.clear(); }
    bool Idle() const { return Pending.empty(); }
    // Called between frames: types the next piece when the ROM is ready for it.
    void Poll(TMachine& machine);

private:
    std::string Pending;
};
