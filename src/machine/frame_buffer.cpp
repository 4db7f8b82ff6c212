#include "machine/frame_buffer.h"

#include <cstring>

namespace {
void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
}  // namespace

TFrameBuffer::TFrameBuffer() {
    std::memset(Header, 0, sizeof Header);
    std::memset(ColourTable, 0, sizeof ColourTable);
    std::memset(Pixels, 0, sizeof Pixels);
    PutLE32(Header + 0, 40);                      // header size
    PutLE32(Header + 4, Width);
    PutLE32(Header + 8, uint32_t(-Height));       // negative: rows run top-down
    Header[12] = 1;                               // planes
    Header[14] = 8;                               // bits per pixel
}
