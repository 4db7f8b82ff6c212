#pragma once
#include <cstdint>
#include <string>

// One disk drive on the parallel drive port, emulated at the level of the ROM's byte protocol.
class TDrive {
public:
    enum Mode : int32_t { ModeNone = 0, ModeDirectory = 1, ModeD64 = 2 };

    TDrive();
    void SetDeviceNumber(int32_t n);
    void SetMode(int32_t m);
    void Reset();
    uint8_t ReadPort(uint16_t address);
    void WritePort(uint16_t address, uint8_t value);
    bool TakeLampChange();

    int32_t DeviceNumber = 8;
    int32_t DriveMode = ModeNone;
    int32_t Lamp = 0;  // 0 off, 1 idle, 2 busy
    int32_t LampChanged = 0;
};
