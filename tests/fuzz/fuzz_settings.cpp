// The settings file: any text read as varlume.ini, and the three keys written into it and read
// back.
//
// Input: the three values to write (4 bytes each, low byte first), then the file's text.
#include "fuzz_support.h"
#include "host/settings_file.h"

namespace {

using namespace fuzz;

bool Same(const TSettings& a, const TSettings& b) {
    return a.MachineType == b.MachineType && a.ScreenMode == b.ScreenMode && a.Palette == b.Palette;
}

Bytes Encode(int32_t machine, int32_t screen, int32_t palette, std::string_view text) {
    Bytes input;
    for (int32_t value : {machine, screen, palette})
        for (int i = 0; i < 4; ++i) input.push_back(uint8_t(uint32_t(value) >> (8 * i)));
    input.insert(input.end(), text.begin(), text.end());
    return input;
}

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    return {{"plain", Encode(2, 5, 0, "[Varlume]\nMachineType=0\nScreenMode=1\nPalette=1\n")},
            {"others-kept", Encode(-1, 10, 2, "; a comment\n[Other]\nKey=Value\n\n[Varlume]\nPalette = 2\n")},
            {"crlf-and-junk", Encode(4, 0, 1, "[Varlume]\r\nMachineType=abc\r\nScreenMode=0x10\r\n=\r\n[\r\n")}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input(data, size);
    TSettings wanted;
    wanted.MachineType = int32_t(input.Word() | uint32_t(input.Word()) << 16);
    wanted.ScreenMode = int32_t(input.Word() | uint32_t(input.Word()) << 16);
    wanted.Palette = int32_t(input.Word() | uint32_t(input.Word()) << 16);
    const std::string text(input.Text(input.Left()));

    // Reading is a function of the text alone, and the file reads as its text does.
    const TSettings parsed = ParseSettings(text);
    FUZZ_CHECK(Same(parsed, ParseSettings(text)));
    const fs::path path = ScratchRoot() / "varlume.ini";
    WriteFile(path, Bytes(text.begin(), text.end()));
    FUZZ_CHECK(Same(ReadSettingsFile(path.string()), parsed));

    // What is written is what the next start reads, whatever the file held before.
    std::string error;
    if (WriteSettingsFile(path.string(), wanted, error)) FUZZ_CHECK(Same(ReadSettingsFile(path.string()), wanted));
    else FUZZ_CHECK(!error.empty());
    return 0;
}
