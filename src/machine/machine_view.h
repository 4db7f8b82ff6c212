#pragma once
#include <cstdint>

#include "machine/machine.h"

// What the debugger and information windows read of the machine. Nothing here changes it:
// memory is peeked (no I/O side effect) or read straight from the RAM array.
class TMachineView {
public:
    explicit TMachineView(const TMachine& machine) : Machine(machine) {}

    const TCPU& Cpu() const { return Machine.Cpu; }
    const TTED& Ted() const { return Machine.Ted; }
    bool Stopped() const { return Machine.EmulationStopped; }
    // What the processor did in the debugger's last clock step (TMachine::LastStepClock).
    TCpuClock LastStepClock() const { return Machine.LastStepClock; }

    // The byte the processor would read at `address`, decoded, without side effects.
    uint8_t Peek(uint16_t address) const { return Machine.Memory.Peek(address); }
    // RAM itself, undecoded: no ROM, no I/O, no folding into a smaller RAM.
    uint8_t Ram(uint16_t address) const { return Machine.Memory.Ram()[address]; }
    uint16_t RamWord(uint16_t address) const {
        return uint16_t(Ram(address) | Ram(uint16_t(address + 1)) << 8);
    }

    bool RomEnabled() const { return Machine.Memory.RomEnabled() != 0; }
    int LowRomBank() const { return Machine.Memory.LowRomBank(); }
    int HighRomBank() const { return Machine.Memory.HighRomBank(); }
    // The colour table (blue, green, red, 0 per entry) the picture is shown through.
    const uint8_t* ColourTable() const { return Machine.Frame.ColourTable; }

private:
    const TMachine& Machine;
};
