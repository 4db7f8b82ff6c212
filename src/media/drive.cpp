#include "media/drive.h"

#include <algorithm>

bool NameMatch(std::string_view pattern, std::string_view name) {
    const size_t longer = std::max(pattern.size(), name.size());
    for (size_t i = 0; i < longer; ++i) {
        if (i < pattern.size() && pattern[i] == '*') return true;
        if (i < pattern.size() && pattern[i] == '?') continue;
        // A literal character, or the pattern's end, must meet the same byte in the name.
        if (i >= pattern.size() || i >= name.size() || pattern[i] != name[i]) return false;
    }
    return pattern.size() == name.size();
}

int32_t DigitCount(int32_t n) {
    int64_t magnitude = n;
    int32_t digits = 1;
    if (magnitude < 0) {
        magnitude = -magnitude;
        ++digits;  // the minus sign
    }
    for (; magnitude >= 10; magnitude /= 10) ++digits;
    return digits;
}

TDrive::TDrive() : Disk(D64ImageSize, 0), DataBuffer(DataBufferSize, 0) {
    int32_t offset = 0;
    for (int32_t track = 1; track <= 36; ++track) {
        TrackOffset[track - 1] = offset;
        offset += 256 * SectorsPerTrack(track);
    }
}

void TDrive::SetDeviceNumber(int32_t n) { DeviceNumber = (n == 8 || n == 9) ? n : 8; }

void TDrive::SetMode(int32_t m) {
    DriveMode = (m == ModeDirectory || m == ModeD64) ? m : ModeNone;
    SetLamp(DriveMode != ModeNone ? LampIdle : LampOff);
}

void TDrive::Reset() {
    if (DriveMode != ModeNone) SetLamp(LampIdle);
    ProtocolState = 0;
    ClearName();
    ReadPosition = 0;
    DataLength = 0;
}

bool TDrive::TakeLampChange() {
    const bool changed = LampChanged != 0;
    LampChanged = 0;
    return changed;
}

void TDrive::SetLamp(int32_t lamp) {
    Lamp = lamp;
    LampChanged = 1;
}

void TDrive::ClearName() {
    NameBuffer.fill(0);
    NameLength = 0;
}

uint8_t TDrive::ReadPort(uint16_t address) const {
    if (DriveMode == ModeNone || (address & 0xFFF0) != BaseAddress()) return 0;
    switch (address & 0x0F) {
        case 0: return DataRegister;
        case 1: return StatusRegister;
        case 2: return HandshakeRegister;
        default: return 0;
    }
}

void TDrive::WritePort(uint16_t address, uint8_t value) {
    if (DriveMode == ModeNone || (address & 0xFFF0) != BaseAddress()) return;
    switch (address & 0x0F) {
        case 0:
            ProtocolByte(value);
            break;
        case 2:
            // The ROM's handshake: $00 asks the drive to take a byte, $40 acknowledges its answer.
            if (value == 0x00) HandshakeRegister = 0xFF;
            else if (value == 0x40) HandshakeRegister = 0x00;
            break;
        default:
            break;
    }
}

void TDrive::ProtocolByte(uint8_t value) {
    if (ProtocolState == 1) {
        // The name buffer holds 256 bytes; a longer name is cut there.
        if (NameLength < NameBufferSize) NameBuffer[size_t(NameLength++)] = value;
        ProtocolState = 0;
        return;
    }
    if (ProtocolState == 2) {
        BusCommand(value);
        return;
    }
    switch (value) {
        case 0x55:  // echo: the ROM probes whether a drive is attached
            DataRegister = 0x55;
            StatusRegister = StatusOk;
            ClearName();
            break;
        case 0x81:
            HandshakeRegister = 0x00;
            ProtocolState = 2;
            break;
        case 0x82:  // the secondary address itself follows as an ordinary code
            HandshakeRegister = 0x00;
            break;
        case 0x83:
            HandshakeRegister = 0x00;
            ProtocolState = 1;
            break;
        case 0x84:
            // Reading past the prepared data is not an error: the position wraps at 65536.
            DataRegister = DataBuffer[ReadPosition];
            ++ReadPosition;
            HandshakeRegister = 0x00;
            if (ReadPosition == DataLength) {
                StatusRegister = StatusLastByte;
                SetLamp(LampIdle);
            } else {
                StatusRegister = StatusOk;
            }
            break;
        case 0xE0:  // CLOSE of secondary address 0
            StatusRegister = StatusOk;
            HandshakeRegister = 0xFF;
            SetLamp(LampIdle);
            break;
        case 0xF0:  // OPEN of secondary address 0
            HandshakeRegister = 0xFF;
            break;
        default:
            break;
    }
}

void TDrive::BusCommand(uint8_t value) {
    switch (value) {
        case 0x20:  // LISTEN
            HandshakeRegister = 0xFF;
            ClearName();
            SetLamp(LampBusy);
            ProtocolState = 0;
            break;
        case 0x40:  // TALK
            HandshakeRegister = 0xFF;
            ReadPosition = 0;
            ProtocolState = 0;
            break;
        case 0x3F:  // UNLISTEN: the request is complete
            PrepareData();
            HandshakeRegister = 0xFF;
            ProtocolState = 0;
            break;
        case 0x5F:  // UNTALK
            HandshakeRegister = 0xFF;
            StatusRegister = StatusOk;
            ProtocolState = 0;
            break;
        default:  // still waiting for a bus command
            break;
    }
}

void TDrive::PrepareData() {
    std::string_view name = Name();
    if (name.empty()) {
        ReadPosition = 0;
        DataLength = 0;
        return;
    }
    // A drive prefix such as "0:" names the unit's only disk.
    if (name.size() > 2 && name[1] == ':') name.remove_prefix(2);
    if (DriveMode == ModeDirectory) PrepareFromDirectory(name);
    else if (DriveMode == ModeD64) PrepareFromDisk(name);
}
