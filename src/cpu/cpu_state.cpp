#include "core/state_stream.h"
#include "cpu/cpu.h"

void TCPU::SaveState(TStateWriter& out) const {
    out.Put(PC);
    for (uint8_t reg : {A, X, Y, SP}) out.Put(reg);
    for (uint8_t flag : {N, V, B, D, I, Z, C}) out.Put(flag);
    out.Put(Cycle);
    for (uint8_t latch : {Opcode, DataLo, Temp, DataHi}) out.Put(latch);
    out.Put(EffAddr);
    out.Put(Result16);
    out.Put(IrqLine);
    out.Put(IrqDelay);
}

bool TCPU::RestoreState(TStateReader& in) {
    in.Get(PC);
    for (uint8_t* reg : {&A, &X, &Y, &SP}) in.Get(*reg);
    for (uint8_t* flag : {&N, &V, &B, &D, &I, &Z, &C}) in.Get(*flag);
    // Between two clocks the sequencer is at 1 (an opcode fetch next) or inside a sequence.
    in.GetIn(Cycle, 1u, CycleSlots - 1);
    for (uint8_t* latch : {&Opcode, &DataLo, &Temp, &DataHi}) in.Get(*latch);
    // Inside an instruction, a clock its sequence has: past its last one nothing would end it,
    // and the processor would never fetch again. The reporting opcodes end in their clock 2.
    const uint32_t last = WholeInstructionClocks(Opcode) > 2 ? WholeInstructionClocks(Opcode) : 2;
    if (Cycle > last) in.Fail();
    in.Get(EffAddr);
    in.Get(Result16);
    in.GetIn(IrqLine, int16_t(0), int16_t(1));
    in.GetIn(IrqDelay, int16_t(0), int16_t(7));
    return in.Ok();
}
