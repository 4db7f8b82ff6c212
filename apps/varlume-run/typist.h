#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TMachine;

// Types text into the machine through its keyboard matrix, between frames: it waits until the
// ROM waits for keyboard input, holds each key (with SHIFT where needed) for a few frames so the
// KERNAL's scan sees it, releases it, and after each RETURN waits for the input loop again.
class TTypist {
public:
    explicit TTypist(std::string text) : Text(std::move(text)) {}

    // The first character the keyboard cannot type, or 0 when all can be typed.
    char Untypable() const;
    void AfterFrame(TMachine& machine);

    bool Started() const { return HasStarted; }
    bool Done() const { return Position >= Text.size(); }

private:
    enum class TPhase { WaitForInput, Holding, Released };
    static constexpr int HoldFrames = 2;
    static constexpr int ReleaseFrames = 2;

    // Holds the keys of the current character for HoldFrames frames.
    void Press(TMachine& machine);
    void ReleaseAll(TMachine& machine);

    std::string Text;
    size_t Position = 0;
    TPhase Phase = TPhase::WaitForInput;
    int FramesLeft = 0;
    bool HasStarted = false;
    std::vector<uint8_t> Held;
};

// Turns the escapes of a --type argument ("\n" RETURN, "\\" backslash) into characters.
std::string UnescapeTypedText(const std::string& text);
