#pragma once
// Raw drive-port traffic: register writes as (register, value) pairs, played into a drive with
// its invariants checked after every write, and the ROM's usual sequences written as such pairs
// for the seeds.
#include <string_view>

#include "fuzz_support.h"

namespace fuzz {

// Plays `count` pairs from the input: the low nibble of the first byte is the register; with
// bit 7 set the write goes to the other drive's base, which this drive must ignore.
inline void PlayTraffic(TDrive& drive, TInput& input, size_t count) {
    const uint16_t base = drive.BaseAddress();
    const uint16_t other = base == TDrive::BaseDevice8 ? TDrive::BaseDevice9 : TDrive::BaseDevice8;
    for (size_t i = 0; i < count && input.Left() >= 2; ++i) {
        const uint8_t target = input.Byte();
        const uint8_t value = input.Byte();
        drive.WritePort(uint16_t(((target & 0x80) ? other : base) + (target & 0x0F)), value);
        CheckDriveState(drive);
    }
}

// The ROM's side of a few requests, as traffic pairs.
class TTrafficWriter : public media_test::TPortSequences<TTrafficWriter> {
public:
    void Code(uint8_t value) {
        Bytes.push_back(0);
        Bytes.push_back(value);
    }
    // TALK on a channel and `count` byte reads, UNTALK.
    void Talk(uint8_t channel, int count) {
        Command(0x40);
        Code(0x82);
        Code(uint8_t(0x60 | channel));
        for (int i = 0; i < count; ++i) Code(0x84);
        Command(0x5F);
    }
    // SAVE as the KERNAL sends it.
    void Save(std::string_view name, std::string_view bytes) {
        Listen(0xF1, name);
        Listen(0x61, bytes);
        Listen(0xE1, {});
    }

    fuzz::Bytes Bytes;
};

}  // namespace fuzz
