#include <climits>

#include "core/state_stream.h"
#include "media/tape.h"

void TTape::SaveState(TStateWriter& out) const {
    out.Put(Loaded);
    out.Put(WholeWave);
    out.PutBlock(Image);
    out.Put(ReadPosition);
    out.Put(Remaining);
    out.Put(PulseLength);
    out.Put(LevelBit);
    out.Put(Recording);
    out.Put(RecordOverflow);
    out.Put(RecordStarted);
    out.Put(RecordSteps);
    out.Put(WriteLevel);
    out.PutBlock(Recorded);
}

bool TTape::RestoreState(TStateReader& in) {
    in.Get(Loaded);
    in.Get(WholeWave);
    in.GetBlock(Image, size_t(INT32_MAX));
    ImageLength = int32_t(Image.size());
    in.GetIn(ReadPosition, HeaderSize, ImageLength > HeaderSize ? ImageLength : HeaderSize);
    // A pulse counts down at most 2 * $FFFFFF steps.
    in.GetIn(Remaining, 0, MaxRecordSteps);
    in.GetIn(PulseLength, 0, MaxRecordSteps);
    in.GetIn(LevelBit, 0, 1);
    in.Get(Recording);
    in.Get(RecordOverflow);
    in.Get(RecordStarted);
    in.GetIn(RecordSteps, 0, MaxRecordSteps);
    in.GetIn(WriteLevel, 0, 1);
    in.GetBlock(Recorded, RecordCapacity);
    // A loaded tape is an image with its header; no image, no tape.
    if (Loaded != (ImageLength > HeaderSize)) return in.Fail();
    // Recording appends on the bus's path without allocating.
    if (Recording) Recorded.reserve(RecordCapacity);
    return in.Ok();
}
