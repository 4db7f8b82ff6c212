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
    for (uint8_t input : {IrqSample, InterruptDue, InterruptEntry, BranchIrqSample, Bus}) out.Put(input);
}

bool TCPU::RestoreState(TStateReader& in, uint16_t version) {
    in.Get(PC);
    for (uint8_t* reg : {&A, &X, &Y, &SP}) in.Get(*reg);
    for (uint8_t* flag : {&N, &V, &B, &D, &I, &Z, &C}) in.Get(*flag);
    // Between two clocks the sequencer is at 1 (an instruction starts next) or inside a sequence.
    in.GetIn(Cycle, 1u, CycleSlots - 1);
    for (uint8_t* latch : {&Opcode, &DataLo, &Temp, &DataHi}) in.Get(*latch);
    // Inside an instruction, a clock its sequence has: past its last one nothing would end it.
    if (Cycle > WholeInstructionClocks(Opcode)) in.Fail();
    in.Get(EffAddr);
    in.Get(Result16);
    in.GetIn(IrqLine, int16_t(0), int16_t(1));
    IrqSample = InterruptDue = InterruptEntry = BranchIrqSample = 0;
    if (version < 2) {
        // The first format counted clocks to an interrupt instead: the line is sampled afresh.
        int16_t delay = 0;
        in.GetIn(delay, int16_t(0), int16_t(7));
        return in.Ok();
    }
    for (uint8_t* input : {&IrqSample, &InterruptDue, &InterruptEntry, &BranchIrqSample}) in.GetIn(*input, uint8_t(0), uint8_t(1));
    in.Get(Bus);
    // Only opcode $00's sequence runs as the interrupt entry, and only inside it.
    if (InterruptEntry && (Opcode != 0x00 || Cycle == 1)) in.Fail();
    return in.Ok();
}
