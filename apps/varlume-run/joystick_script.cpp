#include "joystick_script.h"

#include <charconv>

#include "machine/machine.h"

namespace {

bool ParseDirections(const std::string& text, uint8_t& lines) {
    lines = 0;
    if (text == "none") return true;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t plus = text.find('+', start);
        const std::string word = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (word == "up") lines |= TKeyboard::JoyUp;
        else if (word == "down") lines |= TKeyboard::JoyDown;
        else if (word == "left") lines |= TKeyboard::JoyLeft;
        else if (word == "right") lines |= TKeyboard::JoyRight;
        else if (word == "fire") lines |= TKeyboard::JoyFire;
        else return false;
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    return true;
}

}  // namespace

uint8_t TJoystickScript::LinesAt(int64_t frame) const {
    uint8_t lines = 0;
    for (const TPress& press : Presses) {
        if (press.Frame > frame) break;
        lines = press.Lines;
    }
    return lines;
}

std::optional<TJoystickScript> ParseJoystickScript(const std::string& text, std::string& error) {
    TJoystickScript script;
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string entry = text.substr(start, comma - start);
        start = comma + 1;
        const size_t colon = entry.find(':');
        TJoystickScript::TPress press{};
        const char* end = entry.data() + (colon == std::string::npos ? 0 : colon);
        const auto [ptr, ec] = std::from_chars(entry.data(), end, press.Frame);
        if (colon == std::string::npos || colon == 0 || ec != std::errc() || ptr != end || press.Frame < 0 ||
            !ParseDirections(entry.substr(colon + 1), press.Lines)) {
            error = "bad joystick entry '" + entry + "' (expected FRAME:DIRECTIONS, e.g. 50:up+fire or 80:none)";
            return std::nullopt;
        }
        if (!script.Presses.empty() && press.Frame < script.Presses.back().Frame) {
            error = "joystick frames go back at '" + entry + "'";
            return std::nullopt;
        }
        script.Presses.push_back(press);
    }
    if (script.Presses.empty()) {
        error = "empty joystick script";
        return std::nullopt;
    }
    return script;
}

void ApplyJoystickScripts(TMachine& machine, const TJoystickScript* port1, const TJoystickScript* port2,
                          int64_t frame) {
    if (port1) machine.Keyboard.SetJoystick(1, port1->LinesAt(frame));
    if (port2) machine.Keyboard.SetJoystick(2, port2->LinesAt(frame));
}
