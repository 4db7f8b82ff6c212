#pragma once
// CRC-32 as zip and PNG have it (reflected, polynomial 0xEDB88320), eight bytes a step: a
// snapshot seals and checks some 200 KB with it on every save and load.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CRC32_ADDRESS_CHECKED 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define CRC32_ADDRESS_CHECKED 1
#endif
#ifdef CRC32_ADDRESS_CHECKED
#include <sanitizer/asan_interface.h>
#endif

namespace crc32_detail {

// Table k gives the effect of a byte followed by k zero bytes. A plain array, so that indexing it
// is no call even where the checksum is built without the sanitizers and its callers with them.
struct TTables {
    uint32_t Of[8][256];
};
constexpr TTables Tables = [] {
    TTables tables{};
    auto& t = tables.Of;
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (size_t k = 1; k < 8; ++k)
        for (size_t n = 0; n < 256; ++n) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    return tables;
}();

inline uint32_t LittleWord(const uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t word;
        std::memcpy(&word, bytes, 4);
        return word;
    } else {
        return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    }
}

}  // namespace crc32_detail

inline uint32_t Crc32(const uint8_t* data, size_t size) {
#ifdef CRC32_ADDRESS_CHECKED
    // The fuzzers build this function without a check per load (it costs them more than the
    // rest of a snapshot): the whole range is checked here at once instead.
    if (size > 0 && __asan_region_is_poisoned(const_cast<uint8_t*>(data), size) != nullptr) __builtin_trap();
#endif
    const auto& t = crc32_detail::Tables.Of;
    uint32_t crc = 0xFFFFFFFFu;
    for (; size >= 8; data += 8, size -= 8) {
        const uint32_t low = crc32_detail::LittleWord(data) ^ crc;
        const uint32_t high = crc32_detail::LittleWord(data + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; size > 0; ++data, --size) crc = t[0][(crc ^ *data) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}
