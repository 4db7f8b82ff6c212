#include "core/state_stream.h"
#include "memory/memory.h"

void TMemory::SaveState(TStateWriter& out) const {
    out.PutBytes(Image, RamSize);
    out.Put(RamSizeCode());
    out.Put(RomEnabled());
    out.Put(LowRomBank());
    out.Put(HighRomBank());
    out.Put(PlayKey);
    out.Put(Motor);
    out.Put(TapeLevelLatch);
    for (uint8_t latch : {UserPortLatch, AciaCommand, AciaControl}) out.Put(latch);
}

bool TMemory::RestoreState(TStateReader& in, uint16_t version) {
    in.GetBytes(Image, RamSize);
    int32_t ramSize = 0, romEnabled = 0;
    uint16_t low = 0, high = 0;
    in.GetIn(ramSize, 0, 2);
    in.GetIn(romEnabled, 0, 1);
    in.GetIn(low, uint16_t(0), uint16_t(3));
    in.GetIn(high, uint16_t(0), uint16_t(3));
    in.GetIn(PlayKey, 0, 1);
    in.GetIn(Motor, 0, 1);
    in.GetIn(TapeLevelLatch, 0, 1);
    if (version >= 2)
        for (uint8_t* latch : {&UserPortLatch, &AciaCommand, &AciaControl}) in.Get(*latch);
    // The setters keep the page maps in step.
    SetRamSize(ramSize);
    SetRomEnabled(romEnabled);
    SetRomBanks(low, high);
    TapeStepsFrom = -1;
    return in.Ok();
}
