#include "screen_output.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "machine/machine.h"

namespace {

// Screen codes of the upper-case character set: 0 '@', 1-26 letters, 27-31 '[', pound, ']', up
// and left arrow, 32-63 as ASCII, 96 the shifted space. The other graphic characters (64-127)
// have no ASCII form.
char ScreenCodeToAscii(uint8_t code) {
    code &= 0x7F;
    if (code == 0) return '@';
    if (code <= 26) return char('A' + code - 1);
    if (code < 32) return "[\\]^_"[code - 27];
    if (code < 64) return char(code);
    if (code == 96) return ' ';
    return '~';
}

}  // namespace

std::string ScreenText(TMachine& machine) {
    // The video matrix's character codes start at ($FF14 bits 3-7) * 2048 + 1024.
    const uint16_t codes = uint16_t((machine.Ted.ReadRegister(0xFF14) & 0xF8) * 256 + 1024);
    const uint8_t* ram = machine.Memory.Ram();
    std::string text;
    for (int row = 0; row < 25; ++row) {
        std::string line;
        for (int column = 0; column < 40; ++column) line += ScreenCodeToAscii(ram[uint16_t(codes + row * 40 + column)]);
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + '\n';
    }
    return text;
}

bool WriteScreenshot(const TMachine& machine, const std::string& path, std::string& error) {
    constexpr int width = TFrameBuffer::Width, height = TFrameBuffer::Height;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) {
        error = "cannot write '" + path + "'";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "cannot encode '" + path + "'";
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(width * 3);
    const uint8_t* table = machine.Frame.ColourTable;  // blue, green, red, 0
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* entry = table + 4 * machine.Frame.Pixels[y * width + x];
            row[3 * x] = entry[2];
            row[3 * x + 1] = entry[1];
            row[3 * x + 2] = entry[0];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
