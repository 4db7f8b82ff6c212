#include "typist.h"

#include "machine/machine.h"
#include "media/prg_file.h"
#include "ted/keyboard.h"

char TTypist::Untypable() const {
    for (char c : Text)
        if (ScanCodesToType(c).empty()) return c;
    return 0;
}

void TTypist::Press(TMachine& machine) {
    Held = ScanCodesToType(Text[Position]);
    for (uint8_t code : Held) machine.Keyboard.SetKey(code, true);
    Phase = TPhase::Holding;
    FramesLeft = HoldFrames;
}

void TTypist::ReleaseAll(TMachine& machine) {
    for (uint8_t code : Held) machine.Keyboard.SetKey(code, false);
    Held.clear();
}

void TTypist::AfterFrame(TMachine& machine) {
    if (Done()) return;
    switch (Phase) {
        case TPhase::WaitForInput:
            if (!AutoLoadReady(machine.Cpu.PC, machine.Cpu.Cycle)) return;
            HasStarted = true;
            Press(machine);
            return;
        case TPhase::Holding:
            if (--FramesLeft > 0) return;
            ReleaseAll(machine);
            Phase = TPhase::Released;
            FramesLeft = ReleaseFrames;
            return;
        case TPhase::Released:
            if (--FramesLeft > 0) return;
            // After RETURN the ROM runs the line; the next one waits until it asks for input again.
            if (Text[Position++] == '\n' || Done()) {
                Phase = TPhase::WaitForInput;
                return;
            }
            Press(machine);
            return;
    }
}

std::string UnescapeTypedText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}
