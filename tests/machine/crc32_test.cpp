// The eight-bytes-a-step checksum against the plain bit-by-bit one.
#include <gtest/gtest.h>

#include <vector>

#include "core/crc32.h"

namespace {

uint32_t BitByBit(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

TEST(Crc32, KnownValueAndEveryLengthAndAlignment) {
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);

    std::vector<uint8_t> bytes(64);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 37 + 11);
    // Every start (the steps read unaligned words) and every length (whole steps plus a tail).
    for (size_t start = 0; start < 8; ++start)
        for (size_t size = 0; start + size <= bytes.size(); ++size)
            ASSERT_EQ(Crc32(bytes.data() + start, size), BitByBit(bytes.data() + start, size)) << start << "+" << size;
}

}  // namespace
