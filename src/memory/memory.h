#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#ifdef VARLUME_BUS_LOG
#include <vector>
#endif

#ifdef VARLUME_BUS_LOG
// Test builds record every decoded processor access, to check the bus traffic clock by clock.
// With LogCycle set, each access also carries the processor clock number it was made in.
struct TBusAccess {
    uint16_t Address;
    uint8_t Value;
    bool IsWrite;
    uint32_t Cycle = 0;
    bool operator==(const TBusAccess&) const = default;
};
#endif

// The bus accesses sit in the processor's per-clock path: they must be folded into it, which
// the compiler's own size limits do not always do for a function as large as the micro-code.
#if defined(__GNUC__)
#define BUS_INLINE [[gnu::always_inline]] inline
#else
#define BUS_INLINE inline
#endif

class TTED;
class TDrive;
class TTape;
class TStateReader;
class TStateWriter;

// The machine's bus: 64 KB of RAM, eight 16 KB ROM slots and the address decoder that routes
// every processor access to RAM, ROM or an I/O device.
//
// Every access first folds the address into the installed RAM, then decodes the folded
// address. Both steps depend only on RamSizeCode, RomEnabled and the two bank latches, so
// they are precomputed per 256-byte page: a page that is plain RAM or ROM maps straight to
// its bytes in the image, every other page (the I/O pages $FD00-$FFFF, and page 0 and its
// mirrors, which hold the processor port) takes the full decoder, so a plain access is one
// test. The processor's zero-page accesses have their own path with the port as its one test.
class TMemory {
public:
    static constexpr uint32_t RamSize = 0x10000;
    static constexpr uint32_t SlotSize = 0x4000;
    static constexpr uint32_t ImageSize = RamSize + 8 * SlotSize;  // 196608

    explicit TMemory(int32_t ramSizeCode);

    // Decoded processor accesses, with every I/O side effect.
    BUS_INLINE uint8_t Read(uint16_t address);
    BUS_INLINE void Write(uint16_t address, uint8_t value);
    // The same for an address in page 0, which is RAM on every machine but for the port at $0001.
    BUS_INLINE uint8_t ReadZeroPage(uint8_t address);
    BUS_INLINE void WriteZeroPage(uint8_t address, uint8_t value);
    // The byte a processor read would return, without any side effect: the port does not
    // latch the tape level and the TED's timers stay as they are. The debugger's views read
    // through it, so looking at memory never changes what the program later sees.
    uint8_t Peek(uint16_t address) const;
    // For the processor's whole instructions, taken at once where all their accesses are plain:
    // where a read of `address` finds its byte and where a write puts it, or null where the
    // full decoder handles the page. LogPlain records such an access in the test build's log.
    BUS_INLINE const uint8_t* PlainReadAt(uint16_t address) const {
        const ptrdiff_t base = ReadPage[ReadMapStart + (address >> 8)];
        return base >= 0 ? Image + base + (address & 0xFF) : nullptr;
    }
    BUS_INLINE uint8_t* PlainWriteAt(uint16_t address) {
        const ptrdiff_t base = WritePage[address >> 8];
        return base >= 0 ? Image + base + (address & 0xFF) : nullptr;
    }
    // The RAM offset a write of `address` lands in, or -1 where the full decoder takes it. Zero
    // page is RAM but for the port at $0001, as WriteZeroPage has it.
    int32_t PlainWriteOffset(uint16_t address) const {
        if (address < 0x100) return address != 0x01 ? int32_t(address) : -1;
        const ptrdiff_t base = WritePage[address >> 8];
        return base >= 0 ? int32_t(base + (address & 0xFF)) : -1;
    }
    // The processor's stack accesses: RAM page 1 whatever the decoder would show there, never a
    // device, but bus cycles all the same.
    BUS_INLINE uint8_t StackRead(uint8_t sp);
    BUS_INLINE void StackWrite(uint8_t sp, uint8_t value);
    // A read of the port at $0001 inside a whole instruction, in the clock that follows
    // `clocksBefore` clocks of TCPU::RunInstructions: what Read does for it, without the
    // decoding, and without the log entry.
    uint8_t ReadPortInClock(uint32_t clocksBefore);
    // For how many processor clocks after such a read a read of the port gives the same value:
    // only the tape's level can change it within a run (a write to the port ends the call).
    uint32_t ClocksPortHolds() const;
#ifdef VARLUME_BUS_LOG
    void LogPlain(uint16_t address, uint8_t value, bool isWrite, uint32_t cycle) {
        AccessLog.push_back({address, value, isWrite, LogCycle ? cycle : 0});
    }
#else
    void LogPlain(uint16_t, uint8_t, bool, uint32_t) {}
#endif
    // Two decoded reads, low byte first; the second address wraps from $FFFF to $0000.
    uint16_t ReadWord(uint16_t address) {
        const uint8_t low = Read(address);
        return uint16_t(low | Read(uint16_t(address + 1)) << 8);
    }

    // Reads at most 16384 bytes of the file into ROM slot 0..7; true when at least one byte was
    // read. Anything but a regular file is refused before it is opened.
    bool LoadRom(const std::string& path, int slot);
    // Zeroes every slot but those a cartridge chip holds.
    void ClearRoms();
    // Cartridge chips C1LO, C1HI, C2LO, C2HI in ROM slots 2-5 (banks 1 and 2): an attached chip
    // keeps its slot through ClearRoms and LoadRom (the machine's own image for that slot, the
    // Plus4's built-in software, stays out) until DetachCartridge, which empties the slots; the
    // owner then reloads the machine's ROMs. At most 16 KB a chip; a shorter one is padded
    // with $FF.
    static constexpr int CartridgeFirstSlot = 2;
    static constexpr int CartridgeChips = 4;
    void AttachCartridgeChip(int chip, const uint8_t* data, size_t size);
    void DetachCartridge();
    bool CartridgeChipAttached(int chip) const { return chip >= 0 && chip < CartridgeChips && ChipAttached[chip]; }
    // The ROM slots, their fill marks and the cartridge of `other` (a snapshot's rehearsal).
    void CopyRomsFrom(const TMemory& other);
    // Power-on pattern: $FF at even, $00 at odd addresses; both bank latches to 0.
    void FillRam();
    void EnableRom() { SetRomEnabled(1); }

    // RamSizeCode, RomEnabled and the bank latches shape the page maps, so they are read here
    // and changed only through the setters (the bus writes to $FF3E/$FF3F and $FDD0-$FDDF use
    // them too), which keep the maps in step.
    int32_t RamSizeCode() const { return RamCode; }     // 0 = 16 KB, 1 = 32 KB, 2 = 64 KB
    int32_t RomEnabled() const { return RomVisible; }   // ROM shown in the upper half
    uint16_t LowRomBank() const { return LowBank; }     // bank seen at $8000-$BFFF
    uint16_t HighRomBank() const { return HighBank; }   // bank seen at $C000-$FBFF, $FF20-$FFFF
    void SetRamSize(int32_t code);
    void SetRomEnabled(int32_t enabled);
    void SetRomBanks(uint16_t low, uint16_t high);

    // Snapshots (memory_state.cpp): the 64 KB of RAM, the RAM size, the ROM switch and banks,
    // the cassette lines. The ROM images are the machine type's and are not part of it.
    // Restore is false for bytes that no memory state gives.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in, uint16_t version);

    // The frame loop's runs step the tape after the run; a port access inside one first brings
    // the tape up to the TED's current step. TapeStepsFrom is the first step not yet taken, or
    // -1 outside such a run.
    void CatchUpTape();
    int32_t TapeStepsFrom = -1;

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
    static constexpr uint32_t SlotIndex(int slot) { return RamSize + uint32_t(slot) * SlotSize; }

#ifdef VARLUME_BUS_LOG
    std::vector<TBusAccess> AccessLog;
    const uint32_t* LogCycle = nullptr;  // the processor's Cycle, to tag each access with
    uint32_t LoggedCycle() const { return LogCycle ? *LogCycle : 0; }
#endif

    // Writes that took the full decoder (I/O pages, the port, page $FF): the processor's
    // whole-instruction path stops after a clock that made one, so that the frame loop sees
    // its effects at that clock.
    uint32_t DecodedWrites = 0;

    // Writes that end a headless run: the debug register at $FDCF, or an address a test names.
    // The processor's write of address WriteTraps[i] (>= $0200; -1 watches nothing) leaves the
    // value in TrappedValue (-1 until one comes). The pages watched take the full decoder.
    static constexpr int TrapCount = 2;
    void SetWriteTrap(int index, int32_t address);
    int32_t TrappedValue = -1;
    int32_t TrappedAddress = -1;

    // The last byte the processor moved on the data bus: an address that no chip answers reads
    // what the TED fetched in the same clock or, where it fetched nothing, this (OpenBus). The
    // processor keeps it (TCPU::Bus) and points BusLatch there; a bus on its own keeps it here.
    uint8_t BusValue = 0xFF;
    const uint8_t* BusLatch = nullptr;
    uint8_t OpenBus() const;

    // What answers in the I/O area and in the ROM banks: the Plus4 has the serial chip at
    // $FD00-$FD0F and the user port latch at $FD10-$FD1F, a C16 neither. With
    // `emptyRomReadsOpenBus` a ROM bank that no image fills leaves the bus open; otherwise (the
    // machine without ROMs, and a bus on its own) the slots read as they are.
    enum class TIoModel : uint8_t { C16, Plus4 };
    void SetIoModel(TIoModel model, bool emptyRomReadsOpenBus);
    TIoModel IoModel() const { return Io; }
    bool EmptyRomReadsOpenBus() const { return EmptyRomOpen; }
    bool SlotLoaded(int slot) const { return slot >= 0 && slot < 8 && SlotFilled[slot]; }
    // The user port latch (Plus4): a write sets the pins it drives low; a read gives the pins.
    uint8_t UserPortLatch = 0xFF;
    // The serial chip's command and control registers (Plus4), which read back as written.
    uint8_t AciaCommand = 0, AciaControl = 0;

    uint8_t Image[ImageSize] = {};
    int32_t PlayKey = 0;         // the cassette Play key is down
    int32_t Motor = 0;           // 1 when the last value written to $0001 had bit 3 clear
    int32_t TapeLevelLatch = 0;  // tape level taken at the last read of $0001

private:
    uint16_t LowBank = 0;
    uint16_t HighBank = 0;
    TIoModel Io = TIoModel::C16;
    bool EmptyRomOpen = false;
    bool SlotFilled[8] = {};
    int32_t WriteTraps[TrapCount] = {-1, -1};
    bool ChipAttached[CartridgeChips] = {};
    int32_t RomVisible = 0;
    int32_t RamCode = 2;

    // Marks a page that the full decoder handles.
    static constexpr ptrdiff_t DecodePage = -1;

    // The full fold and decode, for the I/O pages and the processor port.
    uint8_t DecodeRead(uint16_t address);
    void DecodeWrite(uint16_t address, uint8_t value);
    uint16_t FoldRead(uint16_t address) const;
    uint16_t FoldWrite(uint16_t address) const;
    bool OpenRomIndex(uint32_t index) const;
    uint8_t DecodedValue(uint16_t folded) const;
    void SyncClock();
    void AdvanceTape();
    uint8_t ReadPort();
    uint8_t PortValue(int32_t tapeLevel) const;
    void WritePort(uint8_t value);
    void RebuildPageMaps(int firstPage = 0x00);

    TTED* Ted = nullptr;
    TTape* Tape = nullptr;
    TDrive* Drive8 = nullptr;
    TDrive* Drive9 = nullptr;

    // Image index of byte 0 of each page as reads and writes see it, or DecodePage. Indices,
    // not pointers, so a copied TMemory still maps into its own image.
    ptrdiff_t WritePage[256];
    // Programs switch ROM off and on around single reads of the RAM under it, so the read map
    // is kept for both states (ROM off at 0, ROM on at 256) and switching selects one.
    ptrdiff_t ReadPage[512];
    size_t ReadMapStart = 0;
};

BUS_INLINE uint8_t TMemory::Read(uint16_t address) {
    const ptrdiff_t base = ReadPage[ReadMapStart + (address >> 8)];
    uint8_t value;
    if (base >= 0) [[likely]]
        value = Image[base + (address & 0xFF)];
    else
        value = DecodeRead(address);
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({address, value, false, LoggedCycle()});
#endif
    return value;
}

BUS_INLINE void TMemory::Write(uint16_t address, uint8_t value) {
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({address, value, true, LoggedCycle()});
#endif
    const ptrdiff_t base = WritePage[address >> 8];
    if (base >= 0) [[likely]]
        Image[base + (address & 0xFF)] = value;
    else
        DecodeWrite(address, value);
}

BUS_INLINE uint8_t TMemory::ReadZeroPage(uint8_t address) {
    uint8_t value;
    if (address != 0x01) [[likely]]
        value = Image[address];
    else
        value = DecodeRead(address);
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({address, value, false, LoggedCycle()});
#endif
    return value;
}

BUS_INLINE void TMemory::WriteZeroPage(uint8_t address, uint8_t value) {
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({address, value, true, LoggedCycle()});
#endif
    if (address != 0x01) [[likely]]
        Image[address] = value;
    else
        DecodeWrite(address, value);
}

BUS_INLINE uint8_t TMemory::StackRead(uint8_t sp) {
    const uint8_t value = Image[0x100 + sp];
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({uint16_t(0x100 + sp), value, false, LoggedCycle()});
#endif
    return value;
}

BUS_INLINE void TMemory::StackWrite(uint8_t sp, uint8_t value) {
#ifdef VARLUME_BUS_LOG
    AccessLog.push_back({uint16_t(0x100 + sp), value, true, LoggedCycle()});
#endif
    Image[0x100 + sp] = value;
}
