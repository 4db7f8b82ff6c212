// PRG files: any file loaded straight into RAM, any RAM area saved and loaded back.
//
// Input: flags (bit 0: type RUN after the load; bit 1: save START..END afterwards; bit 2: the
// file is stretched past 56000 bytes), START and END (2 bytes each), then the PRG file.
#include <algorithm>

#include "fuzz_support.h"
#include "media/prg_file.h"
#include "memory/memory.h"

namespace {

using namespace fuzz;

constexpr uint16_t Pointers[] = {0x002D, 0x002F, 0x0031, 0x009D};

// One memory for the whole run, filled afresh for each use: a new one each time would cost the
// fuzzer more than the loads themselves.
TMemory& FreshMemory() {
    static const auto memory = std::make_unique<TMemory>(2);
    memory->FillRam();
    return *memory;
}

// RAM after a load as the format says it must be: the data at its address, and when the end
// pointer stays at 60000 or below, that pointer stored four times and RUN typed if asked.
// `load` loads `file` into the memory it is given.
template <class Load>
void CheckLoad(const Bytes& file, bool typeRun, Load load) {
    TMemory* const memory = &FreshMemory();
    Bytes expected(memory->Ram(), memory->Ram() + TMemory::RamSize);
    const TPrgLoadResult result = load(*memory);
    const uint8_t* ram = memory->Ram();
    if (file.size() < 2 || (file[0] | file[1] << 8) + file.size() - 2 > 0xFFFF) {
        // Too short, or the data would run past $FFFE: nothing at all changes.
        FUZZ_CHECK(result.Status == TPrgLoadStatus::Dropped);
        FUZZ_CHECK(std::equal(expected.begin(), expected.end(), ram));
        return;
    }
    const size_t data = file.size() - 2;
    const auto end = uint16_t(0x1001 + data);
    const bool pointers = 0x1001 + data <= 60000;
    std::copy(file.begin() + 2, file.end(), expected.begin() + (file[0] | file[1] << 8));
    if (pointers) {
        for (uint16_t pointer : Pointers) {
            expected[pointer] = uint8_t(end);
            expected[pointer + 1u] = uint8_t(end >> 8);
        }
        if (typeRun) {
            std::copy_n("RUN\r", 4, expected.begin() + 0x0527);
            expected[0x00EF] = 4;
        }
    }
    FUZZ_CHECK(result.Status == (pointers ? TPrgLoadStatus::Loaded : TPrgLoadStatus::LoadedWithoutPointers));
    FUZZ_CHECK(result.BytesLoaded == int32_t(data) && result.EndPointer == end);
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), ram));
}

void CheckSave(const Bytes& file, uint16_t start, uint16_t end) {
    TMemory* const memory = &FreshMemory();
    LoadPrgData(*memory, file, false);
    const fs::path path = ScratchRoot() / "saved.prg";
    std::error_code error;
    fs::remove(path, error);
    const TPrgSaveStatus status = SavePrgFile(*memory, start, end, path.string());
    if (start >= end) {
        FUZZ_CHECK(status == TPrgSaveStatus::BadArea && !fs::exists(path));
        return;
    }
    FUZZ_CHECK(status == TPrgSaveStatus::Saved);
    // The file is the start address and the area's bytes, and loads back as any file does.
    const Bytes saved = ReadFile(path);
    FUZZ_CHECK(saved.size() == size_t(end - start + 3));
    FUZZ_CHECK(saved[0] == uint8_t(start) && saved[1] == uint8_t(start >> 8));
    FUZZ_CHECK(std::equal(saved.begin() + 2, saved.end(), memory->Ram() + start));
    CheckLoad(saved, false, [&](TMemory& memory) { return LoadPrgFile(memory, path.string(), false); });
}

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    // 10 PRINT "HI", at $1001; a few bytes that end on $FFFE; a block above 60000.
    const Bytes hello = {0x01, 0x10, 0x0B, 0x10, 0x0A, 0x00, 0x99, 0x22, 0x48, 0x49, 0x22, 0x00, 0x00, 0x00};
    auto with = [](uint8_t flags, uint16_t start, uint16_t end, Bytes file) {
        Bytes input{flags, uint8_t(start), uint8_t(start >> 8), uint8_t(end), uint8_t(end >> 8)};
        input.insert(input.end(), file.begin(), file.end());
        return input;
    };
    return {{"basic", with(3, 0x1001, 0x100E, hello)},
            {"top", with(2, 0xFFF0, 0xFFFF, {0xFC, 0xFF, 1, 2, 3})},
            {"header-only", with(0, 0x0000, 0x00FF, {0x00, 0x20})},
            {"long", with(5, 0x2000, 0x1000, {0x00, 0x10})}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input(data, size);
    const uint8_t flags = input.Byte();
    const uint16_t start = input.Word();
    const uint16_t end = input.Word();
    Bytes file = input.Rest();
    // Long files (the end pointer passes 60000) without long inputs.
    if (flags & 4) file.resize(56000 + (start & 0x3FF), 0xEA);
    CheckLoad(file, flags & 1, [&](TMemory& memory) { return LoadPrgData(memory, file, flags & 1); });
    if (flags & 2) CheckSave(file, start, end);
    return 0;
}
