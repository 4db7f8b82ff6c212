// Cartridge images: any file read as a raw image or a CRT container, under a name that may
// place it in either bank.
//
// Input: a flag byte (bit 0: the name says "c2hi"), then the file.
#include "fuzz_support.h"
#include "machine/cartridge.h"

fuzz::TSeeds fuzz::Seeds() {
    Bytes crt(0x40, 0);
    const std::string signature = "C264 CARTRIDGE  ";
    std::copy(signature.begin(), signature.end(), crt.begin());
    crt[0x13] = 0x40;
    const uint8_t chip[] = {'C', 'H', 'I', 'P', 0, 0, 0x40, 0x10, 0, 0, 0, 2, 0x80, 0, 0x40, 0};
    crt.insert(crt.end(), std::begin(chip), std::end(chip));
    crt.resize(crt.size() + 0x4000, 0xEA);
    crt.insert(crt.begin(), 0);
    return {{"crt", crt}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TInput input(data, size);
    const uint8_t flags = input.Byte();
    const fuzz::Bytes file = input.Rest();
    TCartridgeImage image;
    std::string error;
    const bool ok = ParseCartridge(file, flags & 1 ? "game-c2hi.bin" : "game.crt", image, error);
    FUZZ_CHECK(ok == error.empty());
    bool any = false;
    for (const auto& chip : image.Chips) {
        FUZZ_CHECK(chip.size() <= 16384);
        any |= !chip.empty();
    }
    FUZZ_CHECK(!ok || any);
    return 0;
}
