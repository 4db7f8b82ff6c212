#pragma once
#include <cstdint>
#include <string_view>

// Writes a directory listing as the BASIC program that LOAD"$" brings in: load address $1001,
// one line per entry, each line linked to the machine address of the next.
class TListingWriter {
public:
    static constexpr uint16_t LoadAddress = 0x1001;
    static constexpr int32_t HeaderLineSize = 30;
    static constexpr int32_t EntryLineSize = 32;
    static constexpr int32_t LastLineSize = 30;
    // A listing loaded at $1001 ends below the top of BASIC's memory (the machine's RAM, and
    // at most $FD00, where the I/O starts) with this much room left for BASIC's variables, so
    // a directory of any size leaves the machine whole and able to LIST it.
    static constexpr int32_t RoomForBasic = 256;
    static constexpr int32_t MemoryTop64K = 0xFD00;
    // The most a listing holds, load address included, for a machine with `ramBytes` of RAM.
    static constexpr int32_t MaxListingSize(int32_t ramBytes) {
        return 2 + ((ramBytes < MemoryTop64K ? ramBytes : MemoryTop64K) - RoomForBasic - LoadAddress);
    }

    // `buffer` holds at least `capacity` bytes; nothing is ever written beyond them.
    TListingWriter(uint8_t* buffer, int32_t capacity) : Buffer(buffer), Capacity(capacity) {}

    // Load address and the reversed-field title line: "name" id dos.
    void Header(std::string_view diskName16, std::string_view id2, std::string_view dos2);
    // One 32-byte entry line: blocks as the line number, right-aligned under four digits, the
    // quoted name (at most 16 bytes), space padding, then the 6-byte `suffix` (type marks).
    // A line is always 32 bytes, so its link stays true even for block counts of four digits
    // or more. Returns false (and writes nothing) when the line would leave no room for the
    // last line, which cuts the listing.
    bool Entry(int32_t blocks, std::string_view name, std::string_view suffix6);
    // "BLOCKS FREE." line and the end-of-program marker; returns the listing's length.
    int32_t Finish(int32_t blocksFree);

private:
    void Put(uint8_t byte) { Buffer[Used++] = byte; }
    void PutWord(uint16_t word) { Put(uint8_t(word)); Put(uint8_t(word >> 8)); }
    void PutText(std::string_view text) { for (char c : text) Put(uint8_t(c)); }
    void PutSpaces(int32_t count) { for (int32_t i = 0; i < count; ++i) Put(' '); }
    // Machine address that the byte at `offset` is loaded to.
    static uint16_t AddressOf(int32_t offset) { return uint16_t(LoadAddress + offset - 2); }

    uint8_t* Buffer;
    int32_t Capacity;
    int32_t Used = 0;
};
