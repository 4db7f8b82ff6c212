#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

// The bytes of a machine snapshot: fixed-width little-endian numbers, Booleans as one byte 0 or
// 1, byte strings with a 32-bit length in front. Each component writes and reads its own fields
// with these; the snapshot file puts each component's bytes in a section of its own.
class TStateWriter {
public:
    template <class T> void Put(T value) {
        static_assert(std::is_integral_v<T>);
        if constexpr (std::is_same_v<T, bool>) {
            Bytes.push_back(value ? 1 : 0);
        } else {
            using TUnsigned = std::make_unsigned_t<T>;
            const auto bits = static_cast<TUnsigned>(value);
            for (size_t i = 0; i < sizeof(T); ++i) Bytes.push_back(uint8_t(bits >> (8 * i)));
        }
    }
    void PutBytes(const uint8_t* data, size_t count) { Bytes.insert(Bytes.end(), data, data + count); }
    // A length-prefixed byte string.
    void PutBlock(const uint8_t* data, size_t count) {
        Put(uint32_t(count));
        PutBytes(data, count);
    }
    void PutBlock(const std::vector<uint8_t>& data) { PutBlock(data.data(), data.size()); }
    void PutString(const std::string& text) { PutBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }

    std::vector<uint8_t> Bytes;
};

// Reads what TStateWriter wrote. Every read past the end, every Boolean other than 0 or 1 and
// every block longer than its limit fails the reader for good: the caller checks Ok() once at
// the end, and every value read after a failure is zero.
class TStateReader {
public:
    TStateReader(const uint8_t* data, size_t size) : Data(data), Size(size) {}

    template <class T> bool Get(T& value) {
        static_assert(std::is_integral_v<T>);
        value = T{};
        if (!Take(sizeof(T))) return false;
        const uint8_t* bytes = Data + Position - sizeof(T);
        if constexpr (std::is_same_v<T, bool>) {
            if (bytes[0] > 1) return Fail();
            value = bytes[0] != 0;
        } else {
            using TUnsigned = std::make_unsigned_t<T>;
            TUnsigned bits = 0;
            for (size_t i = 0; i < sizeof(T); ++i) bits = TUnsigned(bits | TUnsigned(bytes[i]) << (8 * i));
            value = static_cast<T>(bits);
        }
        return true;
    }
    // A number that must lie in [low, high].
    template <class T> bool GetIn(T& value, T low, T high) {
        if (!Get(value)) return false;
        if (value < low || value > high) {
            value = T{};
            return Fail();
        }
        return true;
    }
    bool GetBytes(uint8_t* out, size_t count) {
        if (!Take(count)) {
            std::memset(out, 0, count);
            return false;
        }
        std::memcpy(out, Data + Position - count, count);
        return true;
    }
    bool GetBlock(std::vector<uint8_t>& out, size_t limit) {
        out.clear();
        uint32_t count = 0;
        if (!Get(count)) return false;
        if (count > limit || count > Size - Position) return Fail();
        out.assign(Data + Position, Data + Position + count);
        Position += count;
        return true;
    }
    bool GetString(std::string& out, size_t limit) {
        std::vector<uint8_t> bytes;
        const bool ok = GetBlock(bytes, limit);
        out.assign(bytes.begin(), bytes.end());
        return ok;
    }
    // Marks the bytes as not what the component wrote (a value out of range).
    bool Fail() {
        Failed = true;
        Position = Size;
        return false;
    }

    bool Ok() const { return !Failed; }
    // Everything read and nothing left over.
    bool Finished() const { return !Failed && Position == Size; }

private:
    bool Take(size_t count) {
        if (Failed || count > Size - Position) return Fail();
        Position += count;
        return true;
    }

    const uint8_t* Data;
    size_t Size;
    size_t Position = 0;
    bool Failed = false;
};
