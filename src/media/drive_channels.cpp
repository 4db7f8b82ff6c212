#include "media/drive_channels.h"

namespace {
constexpr uint8_t CarriageReturn = 0x0D;
}

void TDataChannel::OpenForReading(std::vector<uint8_t> contents) {
    Close();
    ChannelState = Reading;
    Bytes = std::move(contents);
}

void TDataChannel::OpenForWriting(std::string name, int32_t type, bool replace, std::vector<uint8_t> contents) {
    Close();
    ChannelState = Writing;
    FileName = std::move(name);
    FileType = type;
    ReplaceExisting = replace;
    Bytes = std::move(contents);
    Position = Bytes.size();
}

void TDataChannel::OpenBuffer(int32_t number) {
    Close();
    ChannelState = Buffer;
    Bytes.assign(BlockSize, 0);
    FileType = number;
    SetBufferPointer(0);
}

void TDataChannel::Close() {
    ChannelState = Closed;
    Bytes.clear();
    Bytes.shrink_to_fit();
    Position = 0;
    FileName.clear();
    Overflowed = false;
}

uint8_t TDataChannel::NextByte(bool& last) {
    if (ChannelState == Buffer) {
        last = int32_t(Position) == BufferLast;
        const uint8_t byte = Bytes[Position];
        Position = (Position + 1) % BlockSize;
        return byte;
    }
    if (ChannelState != Reading || Position >= Bytes.size()) {
        last = true;
        return CarriageReturn;
    }
    const uint8_t byte = Bytes[Position++];
    last = Position == Bytes.size();
    return byte;
}

void TDataChannel::Append(uint8_t byte) {
    if (ChannelState == Buffer) {
        Bytes[Position] = byte;
        Position = (Position + 1) % BlockSize;
        return;
    }
    if (ChannelState != Writing) return;
    if (Bytes.size() >= MaxFileSize) {
        Overflowed = true;
        return;
    }
    Bytes.push_back(byte);
}

void TCommandChannel::SetStatus(TDosStatus status) {
    Current = status;
    Line.clear();
    Position = 0;
}

uint8_t TCommandChannel::NextByte(bool& last) {
    if (Line.empty()) Line = Current.Line() + char(CarriageReturn);
    const uint8_t byte = uint8_t(Line[Position++]);
    last = Position == Line.size();
    // The whole line has been read: the drive has nothing more to report.
    if (last) SetStatus({});
    return byte;
}
