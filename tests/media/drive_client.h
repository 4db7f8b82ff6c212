#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/drive.h"

// The machine's side of the drive port, for the tests and the fuzz targets (no test framework).
namespace media_test {

using Bytes = std::vector<uint8_t>;

// The ROM's byte sequences on the drive port, each byte sent through `Port::Code`.
template <class Port>
class TPortSequences {
public:
    void Command(uint8_t command) {
        Self().Code(0x81);
        Self().Code(command);
    }
    // LISTEN, a secondary address, the bytes, UNLISTEN.
    void Listen(uint8_t secondary, std::string_view bytes) {
        Command(0x20);
        Self().Code(0x82);
        Self().Code(secondary);
        for (char c : bytes) {
            Self().Code(0x83);
            Self().Code(uint8_t(c));
        }
        Command(0x3F);
    }

private:
    Port& Self() { return static_cast<Port&>(*this); }
};

// Speaks the ROM's side of the drive protocol, one register access at a time.
class TDriveClient : public TPortSequences<TDriveClient> {
public:
    explicit TDriveClient(TDrive& drive) : Drive(drive), Base(drive.BaseAddress()) {}

    void Code(uint8_t byte) { Drive.WritePort(Base, byte); }
    uint8_t Data() { return Drive.ReadPort(Base); }
    uint8_t Status() { return Drive.ReadPort(uint16_t(Base + 1)); }
    uint8_t Handshake() { return Drive.ReadPort(uint16_t(Base + 2)); }

    // LISTEN, OPEN 0, the name, UNLISTEN; returns the status the request left.
    uint8_t Open(std::string_view name) {
        Command(0x20);
        Code(0x82);
        Code(0xF0);
        for (char c : name) {
            Code(0x83);
            Code(uint8_t(c));
        }
        Command(0x3F);
        return Status();
    }
    // TALK, then one $84 per byte until the drive reports the last one, then UNTALK.
    Bytes ReadAll(size_t limit = 70000) {
        Bytes bytes;
        Command(0x40);
        for (size_t i = 0; i < limit; ++i) {
            Code(0x84);
            bytes.push_back(Data());
            if (Status() == TDrive::StatusLastByte) break;
        }
        Command(0x5F);
        return bytes;
    }
    // LISTEN, CLOSE 0, UNLISTEN: ends a request and clears the status.
    void Close() {
        Command(0x20);
        Code(0xE0);
        Command(0x3F);
    }
    // A whole LOAD; empty when the drive reports the file missing. Either way the status is 0
    // afterwards, as after the ROM's UNTALK or CLOSE, and the prepared data stays.
    Bytes Load(std::string_view name) {
        if (Open(name) == TDrive::StatusNotFound) {
            Close();
            return {};
        }
        return ReadAll();
    }

    // LISTEN, OPEN `secondary` with the name, UNLISTEN; returns the status the open left.
    uint8_t OpenChannel(int secondary, std::string_view name) {
        Listen(uint8_t(0xF0 | secondary), name);
        return Status();
    }
    // LISTEN, the channel's data address, the bytes, UNLISTEN: as PRINT# or SAVE sends them.
    void Send(int secondary, std::string_view bytes) { Listen(uint8_t(0x60 | secondary), bytes); }
    // TALK, the channel's data address, then bytes until the drive marks the last one (or
    // has nothing to send), UNTALK: as GET# or INPUT# read them.
    Bytes Receive(int secondary, size_t limit = 70000) {
        Bytes bytes;
        Command(0x40);
        Code(0x82);
        Code(uint8_t(0x60 | secondary));
        for (size_t i = 0; i < limit; ++i) {
            Code(0x84);
            if (Status() == TDrive::StatusNotFound) break;
            bytes.push_back(Data());
            if (Status() == TDrive::StatusLastByte) break;
        }
        Command(0x5F);
        return bytes;
    }
    void CloseChannel(int secondary) { Listen(uint8_t(0xE0 | secondary), {}); }
    // A command sent as OPEN 15 sends it; returns the status line read back (no return).
    std::string Dos(std::string_view command) {
        OpenChannel(15, command);
        return StatusLine();
    }
    std::string StatusLine() {
        const Bytes line = Receive(15);
        if (line.empty() || line.back() != 0x0D) return "(no carriage return)";
        return std::string(line.begin(), line.end() - 1);
    }
    // SAVE as the KERNAL sends it: OPEN 1 with the name, the bytes, CLOSE 1.
    std::string Save(std::string_view name, const Bytes& bytes) {
        OpenChannel(1, name);
        Send(1, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        CloseChannel(1);
        return StatusLine();
    }

    TDrive& Drive;
    uint16_t Base;
};

// Checks that a listing is a whole BASIC program loaded at $1001: each line's link leads to the
// next line, the last line says BLOCKS FREE and the end marker follows. Returns the number of
// lines, or -1.
inline int ListingLineCount(const Bytes& listing) {
    if (listing.size() < 4 || listing[0] != 0x01 || listing[1] != 0x10) return -1;
    size_t at = 2;
    int lines = 0;
    std::string last;
    for (;;) {
        const uint16_t link = uint16_t(listing[at] | listing[at + 1] << 8);
        if (link == 0) break;
        const size_t next = size_t(link - 0x1001 + 2);
        if (next <= at + 5 || next + 2 > listing.size() || listing[next - 1] != 0) return -1;
        last.assign(listing.begin() + long(at + 4), listing.begin() + long(next - 1));
        at = next;
        ++lines;
    }
    return at + 2 == listing.size() && last.rfind("BLOCKS FREE.", 0) == 0 ? lines : -1;
}

}  // namespace media_test
