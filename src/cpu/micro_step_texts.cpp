#include "cpu/micro_step_texts.h"

#include "cpu/cpu_opcode_map.h"

std::string MicroStepLine(uint8_t opcode, uint32_t cycle, int line, bool interruptEntry) {
    if (line == 1) return interruptEntry ? "Fetch opcode (dummy), take the interrupt" : "Fetch opcode, increment PC";
    const CpuMap::TOpcodeFacts& facts = CpuMap::Facts[opcode];
    if (line < 2 || line > int(facts.Clocks) || cycle == 1) return {};
    return (interruptEntry ? facts.EntryTexts : facts.Texts)[size_t(line - 2)];
}
