#include "host/symbolic_keys.h"

#include <algorithm>
#include <cstring>

#include "ted/keyboard.h"

namespace {

constexpr uint8_t LeftShift = 0x2A, RightShift = 0x36;
constexpr uint8_t PoundKey = 0x53;

}  // namespace

void TSymbolicKeys::KeyDown(TKeyboard& keyboard, uint8_t code, char32_t typed) {
    KeyUp(keyboard, code);  // a key pressed again without its release stands for its new character
    THeldSymbol symbol{code, {}, false};
    const bool letter = (typed >= 'a' && typed <= 'z') || (typed >= 'A' && typed <= 'Z');
    if (typed == U'\u00A3') {
        symbol.MachineKeys = {PoundKey};
    } else if (typed > ' ' && typed < 0x7F && !letter) {
        symbol.MachineKeys = ScanCodesToType(char(typed));
        symbol.Shift = !symbol.MachineKeys.empty() && symbol.MachineKeys.front() == LeftShift;
        if (symbol.Shift) symbol.MachineKeys.erase(symbol.MachineKeys.begin());
    }
    if (symbol.MachineKeys.empty())
        Positional[code] = 1;
    else
        Held.push_back(std::move(symbol));
    Apply(keyboard);
}

void TSymbolicKeys::KeyUp(TKeyboard& keyboard, uint8_t code) {
    Positional[code] = 0;
    Held.erase(std::remove_if(Held.begin(), Held.end(), [code](const THeldSymbol& held) { return held.Code == code; }),
               Held.end());
    Apply(keyboard);
}

void TSymbolicKeys::Clear() {
    std::memset(Positional, 0, sizeof Positional);
    Held.clear();
}

void TSymbolicKeys::Apply(TKeyboard& keyboard) const {
    for (int code = 0; code < 256; ++code) keyboard.SetKey(uint8_t(code), Positional[code] != 0);
    for (const THeldSymbol& held : Held)
        for (uint8_t key : held.MachineKeys) keyboard.SetKey(key, true);
    // The key pressed last decides SHIFT: the host's Shift that typed '*' must not reach the
    // machine, whose '*' is unshifted.
    if (Held.empty()) return;
    keyboard.SetKey(LeftShift, Held.back().Shift);
    keyboard.SetKey(RightShift, false);
}
