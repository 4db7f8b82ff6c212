// The TED's register file at $FF00-$FF1F: reads rebuild each byte from the decoded fields, with
// constant bits where the chip has no function.
#include "cpu/cpu.h"
#include "memory/memory.h"
#include "ted/keyboard.h"
#include "ted/sound_writes.h"
#include "ted/ted.h"

namespace {

constexpr uint8_t Bit(bool value, int position) { return uint8_t(value ? 1u << position : 0u); }
constexpr uint8_t Low(uint16_t value) { return uint8_t(value & 0xFF); }
constexpr uint8_t High(uint16_t value) { return uint8_t(value >> 8); }
constexpr uint16_t WithLow(uint16_t word, uint8_t value) { return uint16_t((word & 0xFF00) | value); }
constexpr uint16_t WithHigh(uint16_t word, uint8_t value) { return uint16_t((word & 0x00FF) | value << 8); }

// Writes that end a run of the frame loop's fast path: the timers (their expiry moves), what the
// picture reads live ($FF07: scroll, 256 characters; $FF12: character ROM; the background
// colours), $FF13's single clock bit, which decides the processor's clocks, and $FF1E, which
// moves the line. Sound writes do not: each is stamped with its clock step, and heard there.
// The registers the line's window, mode and fetch addresses come from.
constexpr uint32_t WindowRegisters = 1u << 0x06 | 1u << 0x07 | 0x7u << 0x12;

constexpr uint32_t RunEndingRegisters = 0x3Fu | 1u << 0x07 | 0x3u << 0x12 | 0x0Fu << 0x15 | 1u << 0x1E;

}  // namespace

uint8_t TTED::ReadRegister(uint16_t address) {
    SyncTimers();
    return PeekRegister(address);
}

uint8_t TTED::PeekRegister(uint16_t address) const {
    if (address < 0xFF00 || address > 0xFF1F) return 0;
    switch (address & 0x1F) {
        case 0x00: return Low(Timer[0].Counter);
        case 0x01: return High(Timer[0].Counter);
        case 0x02: return Low(Timer[1].Counter);
        case 0x03: return High(Timer[1].Counter);
        case 0x04: return Low(Timer[2].Counter);
        case 0x05: return High(Timer[2].Counter);
        case 0x06:
            return uint8_t(Bit(TestBit, 7) | Bit(ExtendedColour, 6) | Bit(BitmapMode, 5) | Bit(DisplayEnable, 4) |
                           Bit(Rows25, 3) | VerticalScroll);
        case 0x07:
            return uint8_t(Bit(Chars256, 7) | Bit(Ntsc, 6) | Bit(TedOff, 5) | Bit(Multicolour, 4) |
                           Bit(Columns40, 3) | HorizontalScroll);
        case 0x08: return KeyboardLatch;
        case 0x09:
            return uint8_t(Bit(IrqSummary, 7) | Bit(IrqTimer3Flag, 6) | Bit(IrqTimer2Flag, 4) | Bit(IrqTimer1Flag, 3) |
                           Bit(IrqRasterFlag, 1) | 0x25);
        case 0x0A:
            return uint8_t(0xA0 | Bit(IrqTimer3Enable, 6) | Bit(IrqTimer2Enable, 4) | Bit(IrqTimer1Enable, 3) |
                           Bit(IrqRasterEnable, 1) | (RasterCompare >> 8));
        case 0x0B: return Low(RasterCompare);
        case 0x0C: return uint8_t(0xFC | High(CursorPosition));
        case 0x0D: return Low(CursorPosition);
        case 0x0E: return Low(Sound.Voice1Frequency);
        case 0x0F: return Low(Sound.Voice2Frequency);
        case 0x10: return uint8_t(0x7C | High(Sound.Voice2Frequency));
        case 0x11:
            return uint8_t(Bit(Sound.DigitalAnalog, 7) | Bit(Sound.Noise, 6) | Bit(Sound.Voice2On, 5) |
                           Bit(Sound.Voice1On, 4) | Sound.Volume);
        case 0x12: return uint8_t(0xC0 | BitmapBase << 3 | Bit(CharFromRom, 2) | High(Sound.Voice1Frequency));
        case 0x13:
            return uint8_t(CharBase << 2 | Bit(!DoubleClockAllowed, 1) | Bit(Memory && Memory->RomEnabled(), 0));
        case 0x14: return uint8_t(MatrixBase << 3 | 0x07);
        case 0x15: case 0x16: case 0x17: case 0x18: return uint8_t(BackgroundColour[address - 0xFF15] | 0x80);
        case 0x19: return uint8_t(BorderColour | 0x80);
        case 0x1A: return uint8_t(0xFC | CharReload >> 8);
        case 0x1B: return Low(CharReload);
        case 0x1C: return uint8_t(0xFE | RasterLine >> 8);
        case 0x1D: return Low(RasterLine);
        case 0x1E: return HorizontalPosition(LineStep);
        case 0x1F: return uint8_t(0x80 | FlashCounter << 3 | RowLine);
        default: return 0;
    }
}

void TTED::WriteRegister(uint16_t address, uint8_t value) {
    if (address < 0xFF00 || address > 0xFF1F) return;
    SyncTimers();
    if (RunEndingRegisters >> (address & 0x1F) & 1) ScheduleChanged = true;
    switch (address & 0x1F) {
        case 0x00:
            Timer[0].Running = false;
            Timer1Reload = WithLow(Timer1Reload, value);
            Timer[0].Counter = WithLow(Timer[0].Counter, value);
            break;
        case 0x01:
            Timer1Reload = WithHigh(Timer1Reload, value);
            Timer[0].Counter = Timer1Reload;
            Timer[0].Running = true;
            break;
        case 0x02: case 0x04: {
            TTedTimer& timer = Timer[(address & 0x1F) >> 1];
            timer.Running = false;
            timer.Counter = WithLow(timer.Counter, value);
            break;
        }
        case 0x03: case 0x05: {
            TTedTimer& timer = Timer[(address & 0x1F) >> 1];
            timer.Counter = WithHigh(timer.Counter, value);
            timer.Running = true;
            break;
        }
        case 0x06:
            TestBit = value & 0x80;
            ExtendedColour = value & 0x40;
            BitmapMode = value & 0x20;
            DisplayEnable = value & 0x10;
            Rows25 = value & 0x08;
            VerticalScroll = value & 0x07;
            break;
        case 0x07:
            Chars256 = value & 0x80;
            Ntsc = value & 0x40;
            TedOff = value & 0x20;
            Multicolour = value & 0x10;
            Columns40 = value & 0x08;
            HorizontalScroll = value & 0x07;
            break;
        case 0x08: LatchKeyboard(value); break;  // the value drives the joysticks' select lines
        case 0x09:
            // Acknowledge: a 1 bit clears its flag. The line drops on every write, even when
            // enabled flags stay set.
            if (value & 0x80) IrqSummary = false;
            if (value & 0x40) IrqTimer3Flag = false;
            if (value & 0x10) IrqTimer2Flag = false;
            if (value & 0x08) IrqTimer1Flag = false;
            if (value & 0x02) IrqRasterFlag = false;
            if (Cpu) Cpu->ClearIrq();
            break;
        case 0x0A:
            // Enabling a source whose flag is already set does not raise the line.
            IrqTimer3Enable = value & 0x40;
            IrqTimer2Enable = value & 0x10;
            IrqTimer1Enable = value & 0x08;
            IrqRasterEnable = value & 0x02;
            RasterCompare = uint16_t((RasterCompare & 0xFF) | (value & 1) << 8);
            break;
        case 0x0B: RasterCompare = WithLow(RasterCompare, value); break;
        case 0x0C: CursorPosition = uint16_t((CursorPosition & 0xFF) | (value & 3) << 8); break;
        case 0x0D: CursorPosition = WithLow(CursorPosition, value); break;
        case 0x0E:
            Sound.Voice1Frequency = WithLow(Sound.Voice1Frequency, value);
            NoteSoundWrite();
            break;
        case 0x0F:
            Sound.Voice2Frequency = WithLow(Sound.Voice2Frequency, value);
            NoteSoundWrite();
            break;
        case 0x10:
            Sound.Voice2Frequency = uint16_t((Sound.Voice2Frequency & 0xFF) | (value & 3) << 8);
            NoteSoundWrite();
            break;
        case 0x11:
            Sound.Volume = value & 0x0F;
            Sound.Voice1On = value & 0x10;
            Sound.Voice2On = value & 0x20;
            Sound.Noise = value & 0x40;
            Sound.DigitalAnalog = value & 0x80;
            NoteSoundWrite();
            break;
        case 0x12:
            BitmapBase = (value >> 3) & 7;
            CharFromRom = value & 0x04;
            Sound.Voice1Frequency = uint16_t((Sound.Voice1Frequency & 0xFF) | (value & 3) << 8);
            NoteSoundWrite();
            break;
        case 0x13:
            CharBase = value >> 2;
            // The clock mode takes effect at once, for the rest of the line too.
            DoubleClockAllowed = !(value & 0x02);
            LatchClocks();
            break;  // bit 0 reads the ROM switch, which only $FF3E/$FF3F set
        case 0x14: MatrixBase = value >> 3; break;
        case 0x15: case 0x16: case 0x17: case 0x18: BackgroundColour[address - 0xFF15] = value; break;
        case 0x19: BorderColour = value; break;
        // The counters: the next row's start, the raster line (the current line goes on where it
        // is drawn; the next one follows the new count), the horizontal position (the rest of
        // the line moves, from the next step), the row's line and the flash counter.
        case 0x1A: CharReload = uint16_t((CharReload & 0xFF) | (value & 3) << 8); break;
        case 0x1B: CharReload = WithLow(CharReload, value); break;
        case 0x1C: RasterLine = uint16_t((RasterLine & 0xFF) | (value & 1) << 8); break;
        case 0x1D: RasterLine = WithLow(RasterLine, value); break;
        case 0x1E: PositionWritten = StepOfPosition(value); break;
        case 0x1F:
            RowLine = value & 7;
            FlashCounter = (value >> 3) & 15;
            break;
        default: break;
    }
    // Until the window opens, the line's mode, window and addresses follow a write.
    if ((WindowRegisters >> (address & 0x1F) & 1) && LineStep < Line.WindowFirst) LatchWindow();
}

// The step whose horizontal position a $FF1E write names (HorizontalPosition's inverse): the
// counter is set in steps of 4 dots, a processor clock in double-clock timing, so the written
// value's lowest bit makes no difference; 228-255 name the same steps as 0-27.
int32_t TTED::StepOfPosition(uint8_t value) {
    return ((2 * value + PixelsPerLine - LineStartDot) % PixelsPerLine) / 4;
}

// A synthesizer listening hears the write at this clock step: the processor's access has brought
// LineStep to its own clock.
void TTED::NoteSoundWrite() {
    if (SoundWrites) SoundWrites->Add(ClockCount(), Sound);
}

// The latch ANDs the active-low columns of every select line whose bit is 0 in $FD30, and the
// joysticks that the written value selects.
void TTED::LatchKeyboard(uint8_t joystickSelect) {
    uint8_t latch = 0xFF;
    if (Keyboard && Memory) latch = Keyboard->ReadSelectedRows(Memory->Image[0xFD30]);
    if (Keyboard) latch &= Keyboard->ReadJoysticks(joystickSelect);
    KeyboardLatch = latch;
}
