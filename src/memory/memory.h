#pragma once
#include <cstdint>
#include <string>
#ifdef VARLUME_BUS_LOG
#include <vector>
#endif

#ifdef VARLUME_BUS_LOG
// Test builds record every decoded processor access, to check the bus traffic clock by clock.
struct TBusAccess {
    uint16_t Address;
    uint8_t Value;
    bool IsWrite;
    bool operator==(const TBusAccess&) const = default;
};
#endif

class TTED;
class TDrive;
class TTape;

// The machine's bus: 64 KB of RAM, eight 16 KB ROM slots and the address decoder that routes
// every processor access to RAM, ROM or an I/O device.
class TMemory {
public:
    static constexpr uint32_t RamSize = 0x10000;
    static constexpr uint32_t SlotSize = 0x4000;
    static constexpr uint32_t ImageSize = RamSize + 8 * SlotSize;  // 196608

    explicit TMemory(int32_t ramSizeCode);

    // Decoded processor accesses, with every I/O side effect.
    uint8_t Read(uint16_t address);
    void Write(uint16_t address, uint8_t value);
    // Two decoded reads, low byte first; the second address wraps from $FFFF to $0000.
    uint16_t ReadWord(uint16_t address);

    // Reads at most 16384 bytes of the file into ROM slot 0..7; true when at least one byte was read.
    bool LoadRom(const std::string& path, int slot);
    void ClearRoms();
    // Power-on pattern: $FF at even, $00 at odd addresses; both bank latches to 0.
    void FillRam();
    void EnableRom() { RomEnabled = 1; }
    void SetRamSize(int32_t code) { RamSizeCode = code; }

    void SetTED(TTED* ted) { Ted = ted; }
    void SetTape(TTape* tape) { Tape = tape; }
    void SetDrive8(TDrive* drive) { Drive8 = drive; }
    void SetDrive9(TDrive* drive) { Drive9 = drive; }

    // RAM at $00000-$0FFFF, ROM slot n at $10000 + n * $4000. Video fetches, PRG loading and the
    // information windows use this array directly, without decoding.
    uint8_t* Ram() { return Image; }
    const uint8_t* Ram() const { return Image; }
    // The byte that ROM bank b shows at address A ($8000-$FFFF) lies at A + (b + 1) * $8000.
    static constexpr uint32_t RomIndex(int bank, uint16_t address) { return address + (bank + 1) * 0x8000u; }

#ifdef VARLUME_BUS_LOG
    std::vector<TBusAccess> AccessLog;
#endif

    uint8_t Image[ImageSize] = {};
    uint16_t LowRomBank = 0;
    uint16_t HighRomBank = 0;
    int32_t PlayKey = 0;         // the cassette Play key is down
    int32_t Motor = 0;           // 1 when the last value written to $0001 had bit 3 clear
    int32_t TapeLevelLatch = 0;  // tape level taken at the last read of $0001
    int32_t RomEnabled = 0;
    int32_t RamSizeCode = 2;     // 0 = 16 KB, 1 = 32 KB, 2 = 64 KB

private:
    TTED* Ted = nullptr;
    TTape* Tape = nullptr;
    TDrive* Drive8 = nullptr;
    TDrive* Drive9 = nullptr;
};
