// The drive's direct access to sectors: U1 and B-R read a sector into a buffer channel, U2 and
// B-W write one from it, B-P moves the buffer pointer, B-A and B-F take and give back blocks in
// the block availability map. The memory commands need the drive's own processor and memory,
// which this drive does not have: they are refused.
#include <algorithm>
#include <array>

#include "media/drive_channels.h"
#include "media/drive_dos.h"

namespace {

enum class TBlockCommand { Read, ReadWhole, Write, WriteWhole, Pointer, Allocate, Free, Unknown };

struct TParsedCommand {
    TBlockCommand Kind = TBlockCommand::Unknown;
    std::string_view Parameters;
};

// "U1"/"UA", "U2"/"UB" and "B-R", "B-W", "B-P", "B-A", "B-F" (the letters after "B-" may
// go on: "B-READ"). The parameters follow a ":" or, without one, the command's letters.
TParsedCommand Identify(std::string_view command) {
    TParsedCommand parsed;
    size_t length = 0;
    if (command.size() >= 2 && command[0] == 'U') {
        const char which = command[1];
        if (which == '1' || which == 'A') parsed.Kind = TBlockCommand::ReadWhole;
        if (which == '2' || which == 'B') parsed.Kind = TBlockCommand::WriteWhole;
        length = 2;
    } else if (command.size() >= 3 && command.substr(0, 2) == "B-") {
        switch (command[2]) {
            case 'R': parsed.Kind = TBlockCommand::Read; break;
            case 'W': parsed.Kind = TBlockCommand::Write; break;
            case 'P': parsed.Kind = TBlockCommand::Pointer; break;
            case 'A': parsed.Kind = TBlockCommand::Allocate; break;
            case 'F': parsed.Kind = TBlockCommand::Free; break;
            default: break;
        }
        length = 3;
    }
    const size_t colon = command.find(':');
    parsed.Parameters = colon != std::string_view::npos ? command.substr(colon + 1) : command.substr(length);
    // Without a colon, the rest of a long command word ("B-READ") is not a parameter.
    if (colon == std::string_view::npos)
        while (!parsed.Parameters.empty() && parsed.Parameters.front() >= 'A' && parsed.Parameters.front() <= 'Z')
            parsed.Parameters.remove_prefix(1);
    return parsed;
}

// Decimal numbers separated by spaces, commas, colons or cursor-right codes (BASIC's PRINT#
// puts spaces around numbers). False when anything else stands between them or one is missing.
template <size_t Count>
bool ParseNumbers(std::string_view text, std::array<int32_t, Count>& numbers) {
    size_t found = 0;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ' || c == ',' || c == ':' || c == 0x1D) {
            ++i;
            continue;
        }
        if (c < '0' || c > '9' || found == Count) return false;
        // A long run of digits stands at 999 (a status holds three digits): no track, sector or
        // channel is that large.
        int32_t value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min(value * 10 + (text[i] - '0'), 999);
        numbers[found++] = value;
    }
    return found == Count;
}

}  // namespace

TDosStatus ExecuteBlockCommand(std::string_view command, TDosBackEnd& backEnd, const TBufferLookup& buffers) {
    const TParsedCommand parsed = Identify(command);
    // A medium without sectors knows no blocks, whatever the numbers.
    if (parsed.Kind == TBlockCommand::Unknown || !backEnd.HasSectors()) return {DosInvalidCommand};
    std::array<int32_t, 2> two{};
    std::array<int32_t, 3> three{};
    std::array<int32_t, 4> four{};
    switch (parsed.Kind) {
        case TBlockCommand::Allocate:
        case TBlockCommand::Free: {
            if (!ParseNumbers(parsed.Parameters, three)) return {DosSyntaxError};
            if (three[0] != 0) return {DosDriveNotReady};
            return parsed.Kind == TBlockCommand::Allocate ? backEnd.AllocateBlock(three[1], three[2])
                                                          : backEnd.FreeBlock(three[1], three[2]);
        }
        case TBlockCommand::Pointer: {
            if (!ParseNumbers(parsed.Parameters, two)) return {DosSyntaxError};
            TDataChannel* channel = buffers ? buffers(two[0]) : nullptr;
            if (!channel) return {DosNoChannel};
            channel->SetBufferPointer(two[1] & 0xFF);
            return {};
        }
        default:
            break;
    }
    // Reads and writes: channel, drive, track, sector.
    if (!ParseNumbers(parsed.Parameters, four)) return {DosSyntaxError};
    TDataChannel* channel = buffers ? buffers(four[0]) : nullptr;
    if (!channel) return {DosNoChannel};
    if (four[1] != 0) return {DosDriveNotReady};
    const int32_t track = four[2];
    const int32_t sector = four[3];
    uint8_t* block = channel->Block();
    switch (parsed.Kind) {
        case TBlockCommand::ReadWhole: {
            const TDosStatus status = backEnd.ReadBlock(track, sector, block);
            if (status.Code == DosOk) channel->SetBufferPointer(0);
            return status;
        }
        case TBlockCommand::Read: {
            // B-R: byte 0 holds the index of the block's last byte; reading starts at byte 1.
            const TDosStatus status = backEnd.ReadBlock(track, sector, block);
            if (status.Code == DosOk) channel->SetBufferPointer(1, block[0]);
            return status;
        }
        case TBlockCommand::Write: {
            // B-W: byte 0 becomes the index of the last byte written (at least 1).
            std::array<uint8_t, TDataChannel::BlockSize> copy;
            std::copy(block, block + TDataChannel::BlockSize, copy.begin());
            const int32_t pointer = channel->BufferPointer();
            copy[0] = uint8_t(pointer < 2 ? 1 : pointer - 1);
            const TDosStatus status = backEnd.WriteBlock(track, sector, copy.data());
            if (status.Code == DosOk) block[0] = copy[0];
            return status;
        }
        default:
            return backEnd.WriteBlock(track, sector, block);
    }
}
