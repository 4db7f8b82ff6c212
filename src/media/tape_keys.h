#pragma once
#include "media/tape.h"
#include "memory/memory.h"

// The recorder's keys. Play is the bus's play key flag, which the cassette sense line at $FD10
// reports and which lets the frame loop move the tape while the motor runs. Record is Play with
// the recorder taking the write line. Stop releases both and keeps the tape where it is.
inline void PressPlay(TMemory& memory) { memory.PlayKey = 1; }
inline void PressRecord(TMemory& memory, TTape& tape) {
    memory.PlayKey = 1;
    tape.StartRecording();
}
inline void PressStop(TMemory& memory, TTape& tape) {
    memory.PlayKey = 0;
    tape.StopRecording();
}
