#include "machine/typist.h"

#include <algorithm>

#include "machine/machine.h"
#include "media/prg_file.h"
#include "ted/keyboard.h"

namespace {

constexpr uint16_t KeyboardBuffer = 0x0527;
constexpr uint16_t KeyboardCount = 0x00EF;
constexpr uint8_t Return = 13;

bool IsReturn(char c) { return c == '\n' || c == '\r'; }

// The code the KERNAL keeps in its buffer for a typed character: RETURN is 13, and letters of
// either case are the plain letter keys (upper case in BASIC), as on the matrix.
uint8_t BufferCode(char c) {
    if (IsReturn(c)) return Return;
    if (c >= 'a' && c <= 'z') return uint8_t(c - 'a' + 'A');
    return uint8_t(c);
}

bool UserHoldsAKey(const TKeyboard& keyboard) {
    return std::any_of(std::begin(keyboard.KeyDown), std::end(keyboard.KeyDown), [](uint8_t down) { return down != 0; });
}

}  // namespace

void TTypist::Type(std::string_view text, TWay way, TPace pace, int64_t fromFrame) {
    if (text.empty()) return;
    Texts.push_back({std::string(text), way, pace, fromFrame});
}

void TTypist::Clear() {
    Texts.clear();
    Held.clear();
    Phase = TPhase::Waiting;
    FramesLeft = 0;
    RomWaitedForKeys = false;
}

char TTypist::Untypable(std::string_view text) {
    for (char c : text)
        if (!IsReturn(c) && ScanCodesToType(c).empty()) return c;
    return 0;
}

bool TTypist::Ready(TMachine& machine, const TText& text) const {
    const bool inputLoop = AutoLoadReady(machine.Cpu.PC, machine.Cpu.Cycle);
    const bool bufferEmpty = machine.Memory.Ram()[KeyboardCount] == 0;
    if (text.Pace == TPace::AtInputLoop) return inputLoop && bufferEmpty;
    if (Frames < text.FromFrame) return false;
    return text.Way == TWay::Matrix || (RomWaitedForKeys && bufferEmpty);
}

void TTypist::AfterFrame(TMachine& machine) {
    ++Frames;
    if (AutoLoadReady(machine.Cpu.PC, machine.Cpu.Cycle)) RomWaitedForKeys = true;
    // A text that ends lets the next one start in the same frame.
    while (!Texts.empty()) {
        TText& text = Texts.front();
        const bool done = text.Way == TWay::Matrix ? TypeOnMatrix(machine, text) : TypeIntoBuffer(machine, text);
        if (!done) return;
        Texts.pop_front();
        Phase = TPhase::Waiting;
    }
}

bool TTypist::TypeOnMatrix(TMachine& machine, TText& text) {
    TKeyboard& keyboard = machine.Keyboard;
    switch (Phase) {
        case TPhase::Holding:
            if (--FramesLeft > 0) return false;
            for (uint8_t code : Held) keyboard.SetKey(code, false);
            Held.clear();
            Phase = TPhase::Released;
            FramesLeft = ReleaseFrames;
            return false;
        case TPhase::Released:
            if (--FramesLeft > 0) return false;
            if (++text.Position >= text.Characters.size()) return true;
            Phase = TPhase::Waiting;
            [[fallthrough]];
        case TPhase::Waiting: {
            // The first key waits for its start; at the input loop's pace so does each line
            // after a RETURN, while the ROM runs the one before.
            const bool lineStart = text.Position == 0 || IsReturn(text.Characters[text.Position - 1]);
            if ((text.Position == 0 || (lineStart && text.Pace == TPace::AtInputLoop)) && !Ready(machine, text))
                return false;
            if (UserHoldsAKey(keyboard)) return false;
            HasStarted = true;
            const char c = text.Characters[text.Position];
            Held = ScanCodesToType(IsReturn(c) ? '\n' : c);
            for (uint8_t code : Held) keyboard.SetKey(code, true);
            Phase = TPhase::Holding;
            FramesLeft = HoldFrames;
            return false;
        }
    }
    return false;
}

bool TTypist::TypeIntoBuffer(TMachine& machine, TText& text) {
    uint8_t* ram = machine.Memory.Ram();
    if (text.Position >= text.Characters.size()) return ram[KeyboardCount] == 0;
    if (!Ready(machine, text)) return false;
    size_t length = std::min(text.Characters.size() - text.Position, BufferSize);
    // At the input loop's pace a piece ends with its line: the ROM runs that line first.
    if (text.Pace == TPace::AtInputLoop) {
        for (size_t i = 0; i < length; ++i)
            if (IsReturn(text.Characters[text.Position + i])) {
                length = i + 1;
                break;
            }
    }
    for (size_t i = 0; i < length; ++i) ram[KeyboardBuffer + i] = BufferCode(text.Characters[text.Position + i]);
    ram[KeyboardCount] = uint8_t(length);
    text.Position += length;
    HasStarted = true;
    return false;
}

std::string UnescapeTypedText(std::string_view text) {
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
