#include "host/buffer_typist.h"

#include <algorithm>

#include "machine/machine.h"
#include "media/prg_file.h"

void TBufferTypist::Poll(TMachine& machine) {
    constexpr uint16_t KeyboardBuffer = 0x0527;
    constexpr uint16_t KeyboardCount = 0x00EF;
    if (Pending.empty() || !AutoLoadReady(machine.Cpu.PC, machine.Cpu.Cycle)) return;
    uint8_t* ram = machine.Memory.Ram();
    if (ram[KeyboardCount] != 0) return;
    size_t length = std::min(Pending.size(), BufferSize);
    if (const size_t enter = Pending.find('\r'); enter < length) length = enter + 1;
    std::copy_n(Pending.begin(), length, ram + KeyboardBuffer);
    ram[KeyboardCount] = uint8_t(length);
    Pending.erase(0, length);
}
