#pragma once
#include <cstdint>
#include <vector>

class TKeyboard;

// The keyboard mapped by the character a host key types rather than by its position: Shift+8
// on a PC keyboard types '*', so it holds the machine's '*' key with SHIFT let go, and Shift+'
// types '"', so it holds SHIFT and 2 as the machine types '"'. Letters and the space bar keep
// their position and the host's Shift; a key that types nothing the machine has a key for
// (Return, the cursor keys, F1, backquote for RUN/STOP) acts by its position.
class TSymbolicKeys {
public:
    // A host key went down: `code` is its set-1 code, `typed` the character it typed under the
    // host's layout (0 for none). The machine's key state is rebuilt from every held key.
    void KeyDown(TKeyboard& keyboard, uint8_t code, char32_t typed);
    void KeyUp(TKeyboard& keyboard, uint8_t code);
    // Forgets every held key (the machine's keys are let go elsewhere).
    void Clear();

private:
    struct THeldSymbol {
        uint8_t Code;                      // the host key
        std::vector<uint8_t> MachineKeys;  // set-1 codes of the machine keys it stands for
        bool Shift;                        // the machine's SHIFT down while it is held, else up
    };
    void Apply(TKeyboard& keyboard) const;

    uint8_t Positional[256] = {};  // host keys held that act by their position
    std::vector<THeldSymbol> Held;  // in the order pressed
};
