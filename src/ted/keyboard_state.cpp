#include "core/state_stream.h"
#include "ted/keyboard.h"

void TKeyboard::SaveState(TStateWriter& out) const {
    out.PutBytes(KeyDown, sizeof KeyDown);
    out.PutBytes(Joystick, sizeof Joystick);
}

bool TKeyboard::RestoreState(TStateReader& in) {
    in.GetBytes(KeyDown, sizeof KeyDown);
    in.GetBytes(Joystick, sizeof Joystick);
    for (uint8_t& lines : Joystick)
        if (lines > 0x1F) return in.Fail();
    return in.Ok();
}
