#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "media/drive_dos.h"

class TStateReader;
class TStateWriter;

// One data channel of the drive (secondary addresses 1 to 14): a file open for reading, whose
// whole contents the channel holds and hands out byte by byte, or a file open for writing,
// whose bytes the channel collects until it is closed.
class TDataChannel {
public:
    enum TState { Closed, Reading, Writing };

    // The most a channel holds: a file larger than this is refused rather than cut.
    static constexpr size_t MaxFileSize = 1 << 20;

    void OpenForReading(std::vector<uint8_t> contents);
    void OpenForWriting(std::string name, int32_t type, bool replace, std::vector<uint8_t> contents = {});
    void Close();

    TState State() const { return ChannelState; }
    // The next byte for the machine. `last` is set on the file's last byte; past the end, and
    // for an empty file, a carriage return comes with `last` set, as a Commodore drive answers.
    uint8_t NextByte(bool& last);
    // A byte sent to a file open for writing; bytes beyond the limit mark the file as too large.
    void Append(uint8_t byte);

    const std::string& Name() const { return FileName; }
    int32_t Type() const { return FileType; }
    bool Replace() const { return ReplaceExisting; }
    bool TooLarge() const { return Overflowed; }
    const std::vector<uint8_t>& Contents() const { return Bytes; }

    // Snapshots (drive_state.cpp).
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in);

private:
    TState ChannelState = Closed;
    std::vector<uint8_t> Bytes;
    size_t Position = 0;
    std::string FileName;
    int32_t FileType = FilePrg;
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
