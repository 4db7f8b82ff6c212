// The TED's part of a machine snapshot. A snapshot may be taken between any two clock steps
// (the debugger stops anywhere), so what the current line latched at its first step is saved
// too: the registers may have changed since.
#include "core/state_stream.h"
#include "ted/ted.h"

namespace {

constexpr int32_t NoWindow = 1 << 20;

}  // namespace

void TTED::SaveState(TStateWriter& out) const {
    for (const TTedTimer& timer : Timer) {
        out.Put(timer.Running);
        out.Put(timer.Counter);
    }
    out.Put(Timer1Reload);
    for (bool bit : {TestBit, ExtendedColour, BitmapMode, DisplayEnable, Rows25}) out.Put(bit);
    out.Put(VerticalScroll);
    for (bool bit : {Chars256, Ntsc, TedOff, Multicolour, Columns40}) out.Put(bit);
    out.Put(HorizontalScroll);
    out.Put(KeyboardLatch);
    for (bool bit : {IrqSummary, IrqRasterFlag, IrqTimer1Flag, IrqTimer2Flag, IrqTimer3Flag, IrqRasterEnable,
                     IrqTimer1Enable, IrqTimer2Enable, IrqTimer3Enable})
        out.Put(bit);
    out.Put(RasterCompare);
    out.Put(CursorPosition);
    out.Put(Sound.Voice1Frequency);
    out.Put(Sound.Voice2Frequency);
    out.Put(Sound.Volume);
    // The last flag once said a sound write waited for the feed; writes are stamped now.
    for (bool bit : {Sound.Voice1On, Sound.Voice2On, Sound.Noise, Sound.DigitalAnalog, false}) out.Put(bit);
    out.Put(BitmapBase);
    out.Put(CharFromRom);
    out.Put(CharBase);
    out.Put(MatrixBase);
    out.PutBytes(BackgroundColour, sizeof BackgroundColour);
    out.Put(BorderColour);
    out.Put(FlashCounter);
    out.Put(FlashOn);
    out.Put(LineStep);
    out.Put(LineIndex);
    out.Put(DoubleClockAllowed);
    out.Put(InBorder);
    out.Put(SkipThisFrame);
    out.Put(ScheduleChanged);
    // The line latch and the second half of the cell being drawn.
    out.Put(uint8_t(Line.Mode));
    out.Put(Line.WindowFirst);
    out.Put(Line.WindowSpan);
    out.Put(Line.BorderGroup);
    out.Put(Line.MatrixAddress);
    out.Put(Line.CharLineAddress);
    out.Put(Line.CharRomPossible);
    out.Put(Line.Fetch != Video);  // a line outside the character rows fetches blanks
    out.Put(Line.AttributeRow);
    out.Put(Line.CodeRow);
    out.Put(Line.BitmapRow);
    out.Put(Line.MulticolourBitmap0);
    out.Put(Line.MulticolourBitmap3);
    out.Put(SecondHalf);
    // The counters and what the line latched of the processor's clocks.
    out.Put(RasterLine);
    out.Put(FrameLines);
    out.Put(RowLine);
    out.Put(CharPosition);
    out.Put(CharReload);
    out.Put(RowsActive);
    out.Put(PositionWritten);
    out.Put(Line.DisplayLine);
    out.Put(Line.BadLine);
}

bool TTED::RestoreState(TStateReader& in, uint16_t version) {
    const int64_t count = ClockCount();
    for (TTedTimer& timer : Timer) {
        in.Get(timer.Running);
        in.Get(timer.Counter);
    }
    in.Get(Timer1Reload);
    for (bool* bit : {&TestBit, &ExtendedColour, &BitmapMode, &DisplayEnable, &Rows25}) in.Get(*bit);
    in.GetIn(VerticalScroll, uint8_t(0), uint8_t(7));
    for (bool* bit : {&Chars256, &Ntsc, &TedOff, &Multicolour, &Columns40}) in.Get(*bit);
    in.GetIn(HorizontalScroll, uint8_t(0), uint8_t(7));
    in.Get(KeyboardLatch);
    for (bool* bit : {&IrqSummary, &IrqRasterFlag, &IrqTimer1Flag, &IrqTimer2Flag, &IrqTimer3Flag, &IrqRasterEnable,
                      &IrqTimer1Enable, &IrqTimer2Enable, &IrqTimer3Enable})
        in.Get(*bit);
    in.GetIn(RasterCompare, uint16_t(0), uint16_t(0x1FF));
    in.GetIn(CursorPosition, uint16_t(0), uint16_t(0x3FF));
    in.GetIn(Sound.Voice1Frequency, uint16_t(0), uint16_t(0x3FF));
    in.GetIn(Sound.Voice2Frequency, uint16_t(0), uint16_t(0x3FF));
    in.GetIn(Sound.Volume, uint8_t(0), uint8_t(15));
    bool soundWaited = false;  // no longer used
    for (bool* bit : {&Sound.Voice1On, &Sound.Voice2On, &Sound.Noise, &Sound.DigitalAnalog, &soundWaited})
        in.Get(*bit);
    in.GetIn(BitmapBase, uint8_t(0), uint8_t(7));
    in.Get(CharFromRom);
    in.GetIn(CharBase, uint8_t(0), uint8_t(63));
    in.GetIn(MatrixBase, uint8_t(0), uint8_t(31));
    in.GetBytes(BackgroundColour, sizeof BackgroundColour);
    in.Get(BorderColour);
    in.GetIn(FlashCounter, uint8_t(0), uint8_t(15));
    in.Get(FlashOn);
    in.GetIn(LineStep, 0, StepsPerLine - 1);
    in.GetIn(LineIndex, 0, LinesPerFrame - 1);
    in.Get(DoubleClockAllowed);
    in.Get(InBorder);
    in.GetIn(SkipThisFrame, 0, 3);
    in.Get(ScheduleChanged);
    uint8_t mode = 0;
    in.GetIn(mode, uint8_t(TTedDisplayMode::Text), uint8_t(TTedDisplayMode::MulticolourBitmap));
    Line.Mode = TTedDisplayMode(mode);
    in.Get(Line.WindowFirst);
    in.Get(Line.WindowSpan);
    // The window of a latched line, or none; the video addresses within the 64 KB a line can
    // reach, so that no fetch of the restored line leaves the memory image.
    if (Line.WindowFirst != NoWindow && (Line.WindowFirst < 17 || Line.WindowFirst > 19)) in.Fail();
    if (Line.WindowSpan > 96 - 17) in.Fail();
    in.Get(Line.BorderGroup);
    in.Get(Line.MatrixAddress);
    in.GetIn(Line.CharLineAddress, 0u, 0xFFFFu);
    in.Get(Line.CharRomPossible);
    bool blank = false;
    in.Get(blank);
    Line.Fetch = blank ? BlankFetch() : Video;
    in.GetIn(Line.AttributeRow, 0u, 0xFFFFu);
    in.GetIn(Line.CodeRow, 0u, 0xFFFFu);
    in.GetIn(Line.BitmapRow, 0u, 0xFFFFu);
    in.Get(Line.MulticolourBitmap0);
    in.Get(Line.MulticolourBitmap3);
    in.Get(SecondHalf);
    if (version >= 2) {
        in.GetIn(RasterLine, uint16_t(0), uint16_t(0x1FF));
        in.GetIn(FrameLines, 0, MostLinesPerFrame - 1);
        in.GetIn(RowLine, uint8_t(0), uint8_t(7));
        in.GetIn(CharPosition, uint16_t(0), uint16_t(0x3FF));
        in.GetIn(CharReload, uint16_t(0), uint16_t(0x3FF));
        in.Get(RowsActive);
        in.GetIn(PositionWritten, -1, StepsPerLine - 1);
        in.Get(Line.DisplayLine);
        in.Get(Line.BadLine);
        // The frame-buffer line follows from the raster line.
        if (RasterLine < LinesPerFrame && LineIndex != BufferLine(RasterLine)) in.Fail();
    } else {
        // The first format knew only the frame-buffer line; the rows followed from it.
        RasterLine = RasterTable[LineIndex];
        FrameLines = 0;
        const int32_t rowLine = int32_t(RasterLine) - FirstRowRaster();
        RowsActive = rowLine >= 0 && rowLine < 25 * 8;
        RowLine = uint8_t(RowsActive ? rowLine % 8 : 0);
        CharPosition = uint16_t(RowsActive ? rowLine / 8 * 40 : 0);
        CharReload = CharPosition;
        PositionWritten = -1;
        Line.DisplayLine = DisplayEnable && RasterLine <= LastDisplayRaster;
        Line.BadLine = false;
    }
    LatchClocks();
    // Where the next step draws follows from the raster position: 4 pixels a step.
    DrawLineFrom(LineStep);
    TicksPendingFrom = -1;
    KeepClockCount(count);  // no time passes at a restore
    return in.Ok();
}
