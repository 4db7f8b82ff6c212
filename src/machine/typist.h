#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class TMachine;

// Types text into the machine between frames, for the desktop and the runner alike.
//
// Two ways in:
// - Matrix: through the keyboard matrix. Each character's keys (with SHIFT where it needs it)
//   are held for HoldFrames frames and let go for ReleaseFrames, so the ROM's scan of every
//   frame sees each press and each release. It reaches any program, however it reads the keys.
//   A key the user holds (a CTRL or SHIFT still down from a paste shortcut) would change the
//   character, so the next character waits until the user has let go.
// - Buffer: into the KERNAL's keyboard buffer ($0527, count at $00EF), at most BufferSize
//   keys at a time, the next ones once the ROM has emptied it. Fast, for programs that take
//   their keys from the KERNAL. The buffer is written only after the ROM has been seen waiting
//   for keys once: before that its start-up would clear it again.
//
// Two paces:
// - AtInputLoop: each line (up to and including its RETURN) waits until the ROM sits in its
//   keyboard wait loop with the buffer empty, as someone at the READY prompt types: a LOAD
//   has ended before the RUN after it is typed.
// - Steady: from a given frame on, one character after another whatever the program does.
//
// Texts queue: each starts once the one before has been typed (and, typed into the buffer,
// taken out of it by the ROM).
class TTypist {
public:
    enum class TWay : uint8_t { Matrix, Buffer };
    enum class TPace : uint8_t { AtInputLoop, Steady };
    static constexpr int HoldFrames = 2;
    static constexpr int ReleaseFrames = 1;
    static constexpr size_t BufferSize = 10;

    // Queues `text` ('\n' and '\r' are RETURN). A steady text starts no earlier than after
    // frame `fromFrame`, counted in calls of AfterFrame.
    void Type(std::string_view text, TWay way, TPace pace, int64_t fromFrame = 0);
    // Called after each frame: types what is due.
    void AfterFrame(TMachine& machine);
    // Forgets every text and the keys held (the machine's keys are let go elsewhere).
    void Clear();

    bool Idle() const { return Texts.empty(); }
    // Whether anything has been typed yet.
    bool Started() const { return HasStarted; }
    int64_t FramesSeen() const { return Frames; }

    // The first character of `text` the keyboard cannot type, or 0 when all can be typed.
    static char Untypable(std::string_view text);

private:
    struct TText {
        std::string Characters;
        TWay Way;
        TPace Pace;
        int64_t FromFrame;
        size_t Position = 0;
    };
    enum class TPhase : uint8_t { Waiting, Holding, Released };

    // Both return true when the text at the front is done.
    bool TypeOnMatrix(TMachine& machine, TText& text);
    bool TypeIntoBuffer(TMachine& machine, TText& text);
    bool Ready(TMachine& machine, const TText& text) const;

    std::deque<TText> Texts;
    TPhase Phase = TPhase::Waiting;
    int FramesLeft = 0;
    std::vector<uint8_t> Held;
    int64_t Frames = 0;
    bool RomWaitedForKeys = false;
    bool HasStarted = false;
};

// Turns the escapes of a typed-text argument ("\n" RETURN, "\\" backslash) into characters.
std::string UnescapeTypedText(std::string_view text);
