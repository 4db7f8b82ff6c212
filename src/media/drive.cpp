#include "media/drive.h"

// Placeholder: a drive without back-end; the storage work replaces it.
TDrive::TDrive() = default;
void TDrive::SetDeviceNumber(int32_t n) { DeviceNumber = (n == 9) ? 9 : 8; }
void TDrive::SetMode(int32_t m) { DriveMode = m; Lamp = m ? 1 : 0; LampChanged = 1; }
void TDrive::Reset() {}
uint8_t TDrive::ReadPort(uint16_t) { return 0; }
void TDrive::WritePort(uint16_t, uint8_t) {}
bool TDrive::TakeLampChange() { bool changed = LampChanged; LampChanged = 0; return changed; }
