#include "memory/memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "media/drive.h"
#include "media/tape.h"
#include "ted/ted.h"

namespace {

// Address mask of the installed RAM: a 16 KB or 32 KB machine sees its RAM repeated.
constexpr uint16_t RamMask(int32_t ramSizeCode) {
    switch (ramSizeCode) {
        case 0: return 0x3FFF;
        case 1: return 0x7FFF;
        default: return 0xFFFF;
    }
}

// The TED and the I/O pages sit at $F000-$FF1F on every machine, so these never fold.
constexpr bool NeverFolds(uint16_t address) { return address >= 0xF000 && address <= 0xFF1F; }

}  // namespace

TMemory::TMemory(int32_t ramSizeCode) : RamCode(ramSizeCode) {
    ClearRoms();
    Motor = 0;
    PlayKey = 0;
    RebuildPageMaps();
}

// With ROM visible the upper half reaches the ROM, whatever RAM is installed.
static uint16_t FoldForRead(uint16_t address, int32_t ramSizeCode, bool romEnabled) {
    if (NeverFolds(address) || (romEnabled && address >= 0x8000)) return address;
    return address & RamMask(ramSizeCode);
}

uint16_t TMemory::FoldRead(uint16_t address) const { return FoldForRead(address, RamCode, RomVisible != 0); }

uint16_t TMemory::FoldWrite(uint16_t address) const {
    if (NeverFolds(address)) return address;
    return address & RamMask(RamCode);
}

// Image index of a folded address that is plain RAM or ROM for reads ($FD00-$FF1F excluded).
static uint32_t PlainReadIndex(uint16_t a, bool romEnabled, uint16_t lowBank, uint16_t highBank) {
    if (!romEnabled || a < 0x8000) return a;
    if (a < 0xC000) return TMemory::RomIndex(lowBank, a);
    // The KERNAL's bank switching code lives at $FC00-$FCFF and must stay visible in every bank.
    if (a >= 0xFC00 && a < 0xFD00) return TMemory::RomIndex(0, a);
    return TMemory::RomIndex(highBank, a);
}

void TMemory::RebuildPageMaps(int firstPage) {
    for (int page = firstPage; page < 256; ++page) {
        // Page $FF starts in the never-folded TED area, so it always takes the decoder, which
        // also folds $FF20-$FFFF.
        // Page 0 and its mirrors hold the processor port at their byte 1.
        // A ROM page of a bank no image fills leaves the bus open, which the decoder reads.
        const uint16_t start = uint16_t(page << 8);
        for (const bool rom : {false, true}) {
            const uint16_t at = FoldForRead(start, RamCode, rom);
            const uint32_t index = PlainReadIndex(at, rom, LowBank, HighBank);
            ReadPage[(rom ? 256 : 0) + page] =
                at >= 0xFD00 || at == 0x0000 || OpenRomIndex(index) ? DecodePage : ptrdiff_t(index);
        }
        const uint16_t writeAt = FoldWrite(start);
        WritePage[page] = writeAt >= 0xFD00 || writeAt == 0x0000 ? DecodePage : ptrdiff_t(writeAt);
    }
    for (const int32_t trap : WriteTraps)
        if (trap >= 0) WritePage[trap >> 8] = DecodePage;
    ReadMapStart = RomVisible ? 256 : 0;
}

// Whether an image index lies in a ROM slot that no image fills, where the bus stays open.
bool TMemory::OpenRomIndex(uint32_t index) const {
    return EmptyRomOpen && index >= RamSize && !SlotFilled[(index - RamSize) / SlotSize];
}

void TMemory::SetIoModel(TIoModel model, bool emptyRomReadsOpenBus) {
    Io = model;
    EmptyRomOpen = emptyRomReadsOpenBus;
    RebuildPageMaps();
}

uint8_t TMemory::OpenBus() const {
    const int32_t fetched = Ted ? Ted->BusFetch() : -1;
    return fetched >= 0 ? uint8_t(fetched) : BusLatch ? *BusLatch : BusValue;
}

void TMemory::SetRamSize(int32_t code) {
    RamCode = code;
    RebuildPageMaps();
}

void TMemory::SetRomEnabled(int32_t enabled) {
    RomVisible = enabled ? 1 : 0;
    ReadMapStart = RomVisible ? 256 : 0;
}

void TMemory::SetRomBanks(uint16_t low, uint16_t high) {
    // Four banks exist; the latch has two bits each.
    low &= 3;
    high &= 3;
    if (low == LowBank && high == HighBank) return;
    LowBank = low;
    HighBank = high;
    // Below $8000 no bank is ever visible.
    RebuildPageMaps(0x80);
}

// Inlined in the port's paths: a tape loader polls the port thousands of times a frame.
BUS_INLINE void TMemory::AdvanceTape() {
    if (TapeStepsFrom < 0 || !Ted) return;
    const int32_t now = Ted->LineStep;
    if (Tape) Tape->Advance(now - TapeStepsFrom);
    TapeStepsFrom = now;
}

void TMemory::CatchUpTape() { AdvanceTape(); }

BUS_INLINE uint8_t TMemory::ReadPort() {
    AdvanceTape();
    // Without a tape the cassette read line keeps its last level.
    if (Tape) TapeLevelLatch = Tape->Level();
    return PortValue(TapeLevelLatch);
}

// The output lines (bits 0-3: serial lines, cassette write, motor) read back as last written,
// as a port latch does: the KERNAL's tape SAVE toggles the write line and keeps the motor on
// with read-modify-write sequences on $01.
uint8_t TMemory::PortValue(int32_t tapeLevel) const {
    return uint8_t(0xC0 | (Image[0x0001] & 0x0F) | (tapeLevel ? 0x10 : 0x00));
}

void TMemory::WritePort(uint8_t value) {
    AdvanceTape();
    Image[0x0001] = value;
    // The motor line is active low.
    Motor = (value & 0x08) ? 0 : 1;
    // The tape may start or stop stepping with this clock.
    if (Ted) Ted->ScheduleChanged = true;
    if (Tape) Tape->WriteLine((value >> 1) & 1);
}

// A processor clock inside a whole instruction: the TED first catches up with it.
void TMemory::SyncClock() {
    if (Ted && Ted->WholeInstructionFrom >= 0) [[unlikely]] Ted->SyncToProcessorClock();
}

uint8_t TMemory::ReadPortInClock(uint32_t clocksBefore) {
    if (Ted && Ted->WholeInstructionFrom >= 0) Ted->SyncToClock(clocksBefore);
    return ReadPort();
}

uint32_t TMemory::ClocksPortHolds() const {
    // Without a stepping tape, or outside a run (where the TED's step stays put), it cannot move.
    if (!Tape || !Ted || TapeStepsFrom < 0 || Ted->WholeInstructionFrom < 0) return UINT32_MAX;
    return Ted->ClocksInStepsAfter(Tape->StepsWithSameLevel());
}

uint8_t TMemory::DecodeRead(uint16_t address) {
    SyncClock();
    const uint16_t a = FoldRead(address);
    // The two reads that change something: the port latches the tape level, and a TED read
    // first applies the timer ticks a run of the frame loop has kept back.
    if (a == 0x0001) return ReadPort();
    if (a >= 0xFF00 && a < 0xFF20) return Ted ? Ted->ReadRegister(a) : 0x00;
    return DecodedValue(a);
}

uint8_t TMemory::Peek(uint16_t address) const {
    const uint16_t a = FoldRead(address);
    if (a == 0x0001) return PortValue(Tape ? Tape->Level() : TapeLevelLatch);
    if (a >= 0xFF00 && a < 0xFF20) return Ted ? Ted->PeekRegister(a) : 0x00;
    return DecodedValue(a);
}

// Everything but the port and the TED: reading any of it changes nothing.
uint8_t TMemory::DecodedValue(uint16_t a) const {
    if (a < 0xFD00 || a >= 0xFF20) {
        const uint32_t index = PlainReadIndex(a, RomVisible != 0, LowBank, HighBank);
        return OpenRomIndex(index) ? OpenBus() : Image[index];
    }
    // The cassette sense line: bit 2, low while Play is down.
    const uint8_t sense = PlayKey ? 0x00 : 0x04;
    const bool plus4 = Io == TIoModel::Plus4;
    switch (a & 0xFFF0) {
        case 0xFD00:
            if (!plus4) break;
            // The serial chip, idle: nothing received, the transmit register empty.
            switch (a & 0x03) {
                case 0: return 0x00;
                case 1: return 0x10;
                case 2: return AciaCommand;
                default: return AciaControl;
            }
        case 0xFD10:
            // The user port's pins are pulled up where the latch does not drive them low.
            if (plus4) return uint8_t((UserPortLatch & ~0x04) | (UserPortLatch & sense));
            return uint8_t((OpenBus() & ~0x04) | sense);
        case 0xFD20:
            if (a == 0xFD21) return 0xFF;
            break;
        case 0xFD30: return Image[0xFD30];
        case 0xFEC0:
            if (Drive9 && Drive9->DriveMode != TDrive::ModeNone) return Drive9->ReadPort(a);
            break;
        case 0xFEF0:
            if (Drive8 && Drive8->DriveMode != TDrive::ModeNone) return Drive8->ReadPort(a);
            break;
        default: break;
    }
    return OpenBus();
}

void TMemory::SetWriteTrap(int index, int32_t address) {
    if (index < 0 || index >= TrapCount) return;
    // Pages 0 and 1 have their own write paths, which no trap reaches.
    WriteTraps[index] = address >= 0x200 && address <= 0xFFFF ? address : -1;
    RebuildPageMaps();
}

void TMemory::DecodeWrite(uint16_t address, uint8_t value) {
    ++DecodedWrites;
    if (address == WriteTraps[0] || address == WriteTraps[1]) [[unlikely]] {
        TrappedValue = value;
        TrappedAddress = address;
    }
    SyncClock();
    const uint16_t a = FoldWrite(address);
    if (a == 0x0001) {
        WritePort(value);
        return;
    }
    // RAM lies under the ROM too: writes always land in RAM.
    if (a < 0xFD00) {
        Image[a] = value;
        return;
    }
    switch (a >> 8) {
        case 0xFD:
            // The keyboard select latch answers on all sixteen addresses; the TED reads it at $FD30.
            if ((a & 0xFFF0) == 0xFD30) {
                Image[0xFD30] = value;
                return;
            }
            Image[a] = value;
            // The bank latch takes its bits from the address lines, not the data.
            if ((a & 0xFFF0) == 0xFDD0) SetRomBanks(a & 0x03, (a & 0x0C) >> 2);
            if (Io == TIoModel::Plus4) {
                if ((a & 0xFFF0) == 0xFD10) UserPortLatch = value;
                if ((a & 0xFFF3) == 0xFD02) AciaCommand = value;
                if ((a & 0xFFF3) == 0xFD03) AciaControl = value;
            }
            return;
        case 0xFE:
            if ((a & 0xFFF0) == 0xFEC0) {
                if (Drive9) Drive9->WritePort(a, value);
            } else if ((a & 0xFFF0) == 0xFEF0) {
                if (Drive8) Drive8->WritePort(a, value);
            }
            return;
        default:
            if (a < 0xFF20) {
                if (Ted) Ted->WriteRegister(a, value);
            } else if (a == 0xFF3E) {
                SetRomEnabled(1);
            } else if (a == 0xFF3F) {
                SetRomEnabled(0);
            } else {
                Image[a] = value;
            }
            return;
    }
}

bool TMemory::LoadRom(const std::string& path, int slot) {
    if (slot < 0 || slot > 7) return false;
    // A cartridge chip holds the slot: the machine's image is not missing, only kept out.
    if (CartridgeChipAttached(slot - CartridgeFirstSlot)) return true;
    // Only a regular file is opened: a named pipe or a device of that name would block.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    const size_t count = std::fread(Image + SlotIndex(slot), 1, SlotSize, file);
    std::fclose(file);
    if (count > 0 && !SlotFilled[slot]) {
        SlotFilled[slot] = true;
        RebuildPageMaps(0x80);
    }
    return count > 0;
}

void TMemory::ClearRoms() {
    for (int slot = 0; slot < 8; ++slot) {
        if (CartridgeChipAttached(slot - CartridgeFirstSlot)) continue;
        std::memset(Image + SlotIndex(slot), 0, SlotSize);
        SlotFilled[slot] = false;
    }
    RebuildPageMaps(0x80);
}

void TMemory::AttachCartridgeChip(int chip, const uint8_t* data, size_t size) {
    if (chip < 0 || chip >= CartridgeChips) return;
    const int slot = CartridgeFirstSlot + chip;
    std::memset(Image + SlotIndex(slot), 0xFF, SlotSize);
    std::memcpy(Image + SlotIndex(slot), data, std::min<size_t>(size, SlotSize));
    ChipAttached[chip] = true;
    SlotFilled[slot] = true;
    RebuildPageMaps(0x80);
}

void TMemory::DetachCartridge() {
    for (int chip = 0; chip < CartridgeChips; ++chip) {
        if (!ChipAttached[chip]) continue;
        ChipAttached[chip] = false;
        std::memset(Image + SlotIndex(CartridgeFirstSlot + chip), 0, SlotSize);
        SlotFilled[CartridgeFirstSlot + chip] = false;
    }
    RebuildPageMaps(0x80);
}

void TMemory::CopyRomsFrom(const TMemory& other) {
    std::memcpy(Image + RamSize, other.Image + RamSize, ImageSize - RamSize);
    std::copy(std::begin(other.SlotFilled), std::end(other.SlotFilled), SlotFilled);
    std::copy(std::begin(other.ChipAttached), std::end(other.ChipAttached), ChipAttached);
    RebuildPageMaps(0x80);
}

void TMemory::FillRam() {
    for (uint32_t a = 0; a < RamSize; a += 2) {
        Image[a] = 0xFF;
        Image[a + 1] = 0x00;
    }
    LowBank = 0;
    HighBank = 0;
    RebuildPageMaps();
}
