#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "media/drive_dos.h"

class TStateReader;
class TStateWriter;

// One data channel of the drive (secondary addresses 1 to 14): a file open for reading, whose
// whole contents the channel holds and hands out byte by byte, a file open for writing, whose
// bytes the channel collects until it is closed, or a buffer channel ("#"): one sector's 256
// bytes, read and written at the buffer pointer, which the block commands fill from the disk
// and write to it.
class TDataChannel {
public:
    enum TState { Closed, Reading, Writing, Buffer };
    static constexpr size_t BlockSize = 256;

    // The most a channel holds: a file larger than this is refused rather than cut.
    static constexpr size_t MaxFileSize = 1 << 20;

    void OpenForReading(std::vector<uint8_t> contents);
    // `contents`: what an appended file already holds; the new bytes follow them.
    void OpenForWriting(std::string name, int32_t type, bool replace, std::vector<uint8_t> contents = {});
    void OpenBuffer(int32_t number);
    void Close();

    TState State() const { return ChannelState; }
    // The next byte for the machine. `last` is set on the file's last byte; past the end, and
    // for an empty file, a carriage return comes with `last` set, as a Commodore drive answers.
    uint8_t NextByte(bool& last);
    // A byte sent to a file open for writing (bytes beyond the limit mark the file as too
    // large), or stored at a buffer channel's pointer.
    void Append(uint8_t byte);

    // A buffer channel's sector, its pointer (the next byte read or written; it wraps at 256)
    // and the index of its last byte: reading that byte gives the end mark.
    uint8_t* Block() { return Bytes.data(); }
    int32_t BufferNumber() const { return FileType; }
    int32_t BufferPointer() const { return int32_t(Position); }
    void SetBufferPointer(int32_t pointer, int32_t last = int32_t(BlockSize) - 1) {
        Position = size_t(pointer) % BlockSize;
        BufferLast = last;
    }

    const std::string& Name() const { return FileName; }
    int32_t Type() const { return FileType; }
    bool Replace() const { return ReplaceExisting; }
    bool TooLarge() const { return Overflowed; }
    const std::vector<uint8_t>& Contents() const { return Bytes; }
    // For an append: how many of the contents the file held before.
    size_t ExistingBytes() const { return ChannelState == Writing ? Position : 0; }

    // Snapshots (drive_state.cpp).
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

private:
    TState ChannelState = Closed;
    std::vector<uint8_t> Bytes;
    // Reading: the next byte. Writing: where the appended bytes begin. Buffer: the pointer.
    size_t Position = 0;
    std::string FileName;
    int32_t FileType = FilePrg;  // a buffer channel's buffer number
    int32_t BufferLast = int32_t(BlockSize) - 1;
    bool ReplaceExisting = false;
    bool Overflowed = false;
};

// The command channel (secondary address 15): reading it sends the status line and a carriage
// return with the last-byte mark; a status read to its end gives way to "00, OK,00,00".
class TCommandChannel {
public:
    void SetStatus(TDosStatus status);
    const TDosStatus& Status() const { return Current; }
    uint8_t NextByte(bool& last);

    // Snapshots (drive_state.cpp).
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

private:
    TDosStatus Current{DosVersion};
    std::string Line;  // the line being sent; empty until its first byte is read
    size_t Position = 0;
};
