// The snapshot reader: a snapshot of a running machine with fuzzed edits, or any bytes at all,
// loaded into a running machine.
//
// Input: flags (bit 0: the bytes are the whole file; bit 1: the checksum at the end is made
// right again after the edits, so the sections themselves are read; bit 2: cut the file at the
// offset that follows), then edits of four bytes each (a 24-bit offset into the file, a byte
// written there). A snapshot is larger than an input should be, so the edits reach into it.
#include <algorithm>
#include <initializer_list>
#include <memory>

#include "core/crc32.h"
#include "core/host.h"
#include "fuzz_support.h"
#include "machine/machine.h"
#include "machine/machine_types.h"
#include "machine/snapshot.h"

namespace {

using namespace fuzz;

// The ROM-less machine a few frames after power-up, with a program of its own in RAM.
std::unique_ptr<TMachine> RunningMachine() {
    auto machine = std::make_unique<TMachine>(TNullHost::Instance(), std::string());
    machine->PowerUp(MachineCustom);
    const uint8_t loop[] = {0xEE, 0x19, 0xFF, 0x4C, 0x00, 0x10};  // INC $FF19, JMP $1000
    for (size_t i = 0; i < sizeof loop; ++i) machine->Memory.Write(uint16_t(0x1000 + i), loop[i]);
    machine->Cpu.PC = 0x1000;
    for (int frame = 0; frame < 3; ++frame) machine->RunFrame();
    return machine;
}

const Bytes& BaseSnapshot() {
    static const Bytes base = SaveSnapshot(*RunningMachine());
    return base;
}

// A machine that runs on through the whole fuzzing run (cheaper than a new machine and three
// frames each time). It is set back to the base snapshot before an input only when a file may
// have changed it since: a refused file leaves it as it was, which the input checks.
class TBaseMachine {
public:
    TMachine& AtBase() {
        if (Changed) {
            std::string error;
            FUZZ_CHECK(LoadSnapshot(*Machine, BaseSnapshot().data(), BaseSnapshot().size(), error));
        }
        Changed = true;
        return *Machine;
    }
    void CheckedUnchanged() { Changed = false; }

private:
    std::unique_ptr<TMachine> Machine = RunningMachine();
    bool Changed = true;
};

TBaseMachine& BaseMachine(int which) {
    static TBaseMachine machines[2];
    return machines[which];
}

void PutCrc(Bytes& file) {
    // The END section is the last 12 bytes: tag, length 4, the CRC-32 of everything before it.
    if (file.size() < 12) return;
    const uint32_t crc = Crc32(file.data(), file.size() - 12);
    for (int i = 0; i < 4; ++i) file[file.size() - 4 + size_t(i)] = uint8_t(crc >> (8 * i));
}

Bytes Encode(uint8_t flags, std::initializer_list<std::pair<uint32_t, uint8_t>> edits) {
    Bytes input{flags};
    for (const auto& [offset, value] : edits)
        input.insert(input.end(), {uint8_t(offset), uint8_t(offset >> 8), uint8_t(offset >> 16), value});
    return input;
}

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    return {{"whole", Encode(0, {})},
            {"one-byte", Encode(2, {{200, 0x55}})},
            {"cut", Encode(4, {{uint32_t(BaseSnapshot().size() / 2), 0}})},
            {"raw", {1, 'V', 'R', 'L', 'M', 'S', 'N', 'A', 'P', 1, 0, 4, 0}}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input(data, size);
    const uint8_t flags = input.Byte();
    Bytes file;
    if (flags & 1) {
        file = input.Rest();
    } else {
        file = BaseSnapshot();
        if (flags & 4) file.resize(std::min(file.size(), size_t(input.Word() | input.Byte() << 16)));
        while (input.Left() >= 4 && !file.empty()) {
            const size_t offset = size_t(input.Word() | input.Byte() << 16);
            file[offset % file.size()] = input.Byte();
        }
        if (flags & 2) PutCrc(file);
    }

    TMachine& machine = BaseMachine(0).AtBase();
    std::string error;
    if (!LoadSnapshot(machine, file.data(), file.size(), error)) {
        // A refused file leaves the running machine exactly as it was, and says why.
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(SaveSnapshot(machine) == BaseSnapshot());
        BaseMachine(0).CheckedUnchanged();
        return 0;
    }
    // An accepted one passes every check (the checker reads the file alone, so it may come
    // after the load), runs, and saves a snapshot that is taken again.
    std::string checkError;
    FUZZ_CHECK(CheckSnapshot(file.data(), file.size(), checkError));
    machine.RunFrame();
    const Bytes after = SaveSnapshot(machine);
    TMachine& other = BaseMachine(1).AtBase();
    FUZZ_CHECK(LoadSnapshot(other, after.data(), after.size(), error));
    FUZZ_CHECK(SaveSnapshot(other) == after);
    return 0;
}
