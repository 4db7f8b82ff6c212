#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TMachine;

// A joystick moved by a script: "FRAME:DIRECTIONS" entries separated by commas, DIRECTIONS
// being "none" or up, down, left, right and fire joined by '+'. Each entry holds from the start
// of its frame (the run's first frame is 0) until the next one; frames never go back.
struct TJoystickScript {
    struct TPress {
        int64_t Frame;
        uint8_t Lines;  // TKeyboard::TJoystickLine bits
    };
    std::vector<TPress> Presses;

    // The lines held during `frame`.
    uint8_t LinesAt(int64_t frame) const;
};

// Nothing, with the reason in `error`, for a malformed script.
std::optional<TJoystickScript> ParseJoystickScript(const std::string& text, std::string& error);

// Before each frame: both ports as their scripts say (a port without a script stays as it is).
void ApplyJoystickScripts(TMachine& machine, const TJoystickScript* port1, const TJoystickScript* port2,
                          int64_t frame);
