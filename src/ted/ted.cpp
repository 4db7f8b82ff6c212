#include "ted/ted.h"

#include <algorithm>
#include <cstring>

#include "core/host.h"
#include "cpu/cpu.h"
#include "memory/memory.h"

namespace {

// Where the picture is fetched from while no memory is wired: all zero, as large as a memory
// image, so every fetch stays inside it.
const uint8_t BlankImage[TMemory::ImageSize] = {};

// Where the TED draws while no frame buffer is set. Shared: nobody looks at it.
uint8_t ScratchFrame[TTED::FrameBytes];

constexpr int32_t NoWindow = 1 << 20;  // a first window step that no step reaches

}  // namespace

TTED::TTED() : Video(BlankImage), FrameStart(ScratchFrame) {
    // The frame buffer starts 52 lines before raster 0: its first line is raster 260.
    for (int32_t line = 0; line < LinesPerFrame; ++line)
        RasterTable[line] = uint16_t(line < 52 ? line + 260 : line - 52);
    LineIndex = BufferLine(RasterLine);
    DrawLineFrom(0);
    Line.Fetch = Video;
}

const uint8_t* TTED::BlankFetch() { return BlankImage; }

void TTED::SetMemory(TMemory* memory) {
    Memory = memory;
    Video = memory ? memory->Image : BlankImage;
    Line.Fetch = Video;  // until the next line is latched
}

void TTED::SetFrameBuffer(uint8_t* pixels) {
    FrameStart = pixels ? pixels : ScratchFrame;
    DrawLineFrom(LineStep);
}

// The raster goes to the top of a frame: line 0, where the vertical counter wraps.
void TTED::Reset() {
    Timer1Reload = 0xFFFF;
    for (TTedTimer& timer : Timer) {
        timer.Counter = 0xFFFF;
        timer.Running = true;
    }
    const int64_t count = ClockCount();
    LineStep = 0;
    RasterLine = 0;
    LineIndex = BufferLine(0);
    FrameLines = 0;
    KeepClockCount(count);
    RowLine = 0;
    CharPosition = CharReload = 0;
    RowsActive = false;
    PositionWritten = -1;
    DoubleClockAllowed = true;
    CharBase = 0;
    DrawLineFrom(0);
    LatchClocks();
}

// The line's pixels go to its frame-buffer line; a line past 311 (a program set the counter
// there) is drawn nowhere anyone looks.
void TTED::DrawLineFrom(int32_t step) {
    LineBegin = RasterLine < LinesPerFrame ? FrameStart + LineIndex * PixelsPerLine : ScratchFrame;
    RenderPos = LineBegin + 4 * step;
    LongLineOf = nullptr;
}

// A write to $FF1E moves the counter, and with it every event of the rest of the line. The
// picture goes on where the beam is (a monitor follows the TED's sync), so the rest of the line
// shows shifted: left after a jump forward (the line ends early, its tail blank), right after a
// jump back, cut where the line's dots end (the rest is drawn in LongLine, of which the line
// keeps its first PixelsPerLine dots).
void TTED::MoveTo(int32_t step) {
    const int64_t count = ClockCount();
    LineStep = step;
    KeepClockCount(count);
    const int32_t x = std::min(int32_t(RenderPos - (LongLineOf ? LongLine : LineBegin)), PixelsPerLine);
    if (!LongLineOf && x + 4 * (StepsPerLine - step) > PixelsPerLine) {
        std::memcpy(LongLine, LineBegin, size_t(x));
        LongLineOf = LineBegin;
    }
    RenderPos = (LongLineOf ? LongLine : LineBegin) + x;
}

void TTED::LatchClocks() { Line.Clocks = &TedClocks::LineClocks(DoubleClockAllowed, Line.DisplayLine, Line.BadLine); }

void TTED::SyncToProcessorClock() {
    if (WholeInstructionFrom >= 0 && Cpu) SyncToClock(Cpu->ClocksIntoRunInstructions());
}

// In the window of a line that shows character rows the TED reads each cell's pattern byte
// (the character's line, or the bitmap byte); in the border it leaves the bus to the processor.
int32_t TTED::BusFetch() const {
    if (Line.Fetch != Video || !InWindow(LineStep)) return -1;
    const int32_t column = std::clamp((LineStep - 17) >> 1, 0, 39);
    const TCellContext context = CellContext();
    if (Line.Mode == TTedDisplayMode::Bitmap || Line.Mode == TTedDisplayMode::MulticolourBitmap)
        return context.BitmapBytes[uint32_t(column) * 8];
    uint32_t code = context.Codes[column];
    if (Line.Mode == TTedDisplayMode::ExtendedColourText) code &= 0x3F;
    else if (context.Reverse) code &= 0x7F;
    return CharacterByte(context, code);
}

void TTED::RaiseSource(bool& flag, bool enable) {
    flag = true;
    if (!enable) return;
    IrqSummary = true;
    if (Cpu) Cpu->RaiseIrq();
}

// One tick per odd step in [TicksPendingFrom, LineStep); the run was planned so that no timer
// reaches 0 in them, so plain subtraction is exact (a counter at 0 wraps to $FFFF unfired).
void TTED::ApplyPendingTicks() {
    const uint16_t ticks = uint16_t((LineStep >> 1) - (TicksPendingFrom >> 1));
    for (TTedTimer& timer : Timer)
        if (timer.Running) timer.Counter = uint16_t(timer.Counter - ticks);
    TicksPendingFrom = LineStep;
}

void TTED::FireTimer(int timer) {
    switch (timer) {
        case 0:
            Timer[0].Counter = Timer1Reload;
            RaiseSource(IrqTimer1Flag, IrqTimer1Enable);
            break;
        case 1:
            Timer[1].Counter = 0xFFFF;
            RaiseSource(IrqTimer2Flag, IrqTimer2Enable);
            break;
        default:
            Timer[2].Counter = 0xFFFF;
            RaiseSource(IrqTimer3Flag, IrqTimer3Enable);
            break;
    }
}

// At step 0 the line's kind (display area, bad line: the processor's clocks), its row and its
// border colour are settled; the mode, bases and window width are read once per line, before
// the window opens (LatchWindow), so a change after that shows from the next line; colours and
// the horizontal scroll are read live.
void TTED::LatchLine() {
    const int32_t raster = RasterLine;
    // Lines 0-203 are the display area while the display is enabled: the TED fetches there, and
    // the processor runs at single clock across its fetches. The bad lines fetch a row's
    // attributes on the line before it and its character codes on its first line; the rows
    // follow the vertical scroll.
    const bool displayArea = DisplayEnable && raster <= LastDisplayRaster;
    const int32_t fromScroll = raster - VerticalScroll;
    const bool codeLine = displayArea && fromScroll >= 1 && fromScroll <= 24 * 8 + 1 && (fromScroll & 7) == 1;
    const bool attributeLine = displayArea && fromScroll >= 0 && fromScroll <= 24 * 8 && (fromScroll & 7) == 0;
    Line.DisplayLine = displayArea;
    Line.BadLine = codeLine || attributeLine;
    LatchClocks();
    // A code line starts a row at the reload value; a row that ends without one ends the rows.
    if (codeLine) {
        RowsActive = true;
        RowLine = 0;
        CharPosition = CharReload;
    } else if (RowsActive && RowLine == 0) {
        RowsActive = false;
    }

    Line.BorderGroup = TedPixels::Pack(BorderColour, BorderColour, BorderColour, BorderColour);
    if (CharFromRom && Memory) Line.OpenBus = Memory->OpenBus();  // read only with ROM fetches on
    LatchWindow();
}

// The line's window, mode and fetch addresses, from the registers as they are at step 0 or
// as a write changes them before the window opens.
void TTED::LatchWindow() {
    const int32_t raster = RasterLine;
    // The window: 25 rows span lines 4-203; 24 rows cover four more lines of border at the top
    // and four at the bottom.
    const int32_t inset = Rows25 ? 0 : Rows24Inset;
    const int32_t firstWindowRaster = FirstWindowLine + FirstBufferRaster - LinesPerFrame;
    const bool windowLine = DisplayEnable && raster >= firstWindowRaster + inset && raster <= LastDisplayRaster - inset;
    Line.WindowFirst = windowLine ? (Columns40 ? 17 : 19) : NoWindow;
    Line.WindowSpan = Columns40 ? 96 - 17 : 94 - 19;

    // A window line outside every row shows the background.
    const bool inRows = windowLine && RowsActive;
    Line.Fetch = inRows ? Video : BlankImage;
    if (BitmapMode && inRows)
        Line.Mode = Multicolour ? TTedDisplayMode::MulticolourBitmap : TTedDisplayMode::Bitmap;
    else if (Multicolour)
        Line.Mode = TTedDisplayMode::MulticolourText;
    else
        Line.Mode = ExtendedColour ? TTedDisplayMode::ExtendedColourText : TTedDisplayMode::Text;

    const uint32_t position = inRows ? CharPosition : 0, characterLine = inRows ? RowLine : 0;
    // Up to $FC00 + 1023: the row's 40 cells stay inside the memory image.
    Line.MatrixAddress = uint16_t(MatrixBase * 2048 + 1024);
    Line.AttributeRow = Line.MatrixAddress - 1024 + position;
    Line.CodeRow = Line.MatrixAddress + position;
    Line.BitmapRow = (uint32_t(BitmapBase) * 8192 + position * 8 + characterLine) & 0xFFFF;
    uint32_t charBase = uint32_t(CharBase) * 1024;
    if (Chars256) charBase &= 0xF800;  // 256 characters fill 2 KB
    Line.CharLineAddress = charBase + characterLine;
    Line.CharRomPossible = inRows && charBase >= 0x8000;
    Line.CharRomOpen = inRows && charBase < 0x8000 && Memory && Memory->EmptyRomReadsOpenBus();
    Line.MulticolourBitmap0 = BackgroundColour[0];
    Line.MulticolourBitmap3 = BackgroundColour[1];
}

// After the last step of a line: the row's line advances (a row's last line leaves the next
// row's start in the reload value), then the vertical counter; the compare fires as the
// counter takes the compared value, at the start of that line, so that a handler runs in the
// line it asked for. The counter wraps to 0 after line 311 (after 511 where a program set it
// past 311), and a frame ends there.
void TTED::EndOfLine() {
    // A line a $FF1E write cut short shows blank dots after its end; one it made longer shows
    // its first PixelsPerLine dots.
    uint8_t* const lineEnd = (LongLineOf ? LongLine : LineBegin) + PixelsPerLine;
    if (RenderPos < lineEnd) [[unlikely]] std::memset(RenderPos, 0, size_t(lineEnd - RenderPos));
    if (LongLineOf) [[unlikely]] std::memcpy(LongLineOf, LongLine, PixelsPerLine);
    const int64_t next = ClockCount() + 1;  // the next line's step 0 follows this step
    LineStep = 0;
    KeepClockCount(next);
    if (RowsActive) {
        if (RowLine == 7) CharReload = uint16_t((CharPosition + 40) & 0x3FF);
        RowLine = (RowLine + 1) & 7;
    }
    RasterLine = RasterLine == LinesPerFrame - 1 ? 0 : (RasterLine + 1) & 0x1FF;
    ++FrameLines;
    const bool frameEnds = RasterLine == 0 || FrameLines >= MostLinesPerFrame;
    if (RasterLine == 0) {
        // Each frame's rows start at the top of the video matrix.
        CharReload = 0;
        RowsActive = false;
    }
    if (RasterLine < LinesPerFrame) LineIndex = BufferLine(RasterLine);
    DrawLineFrom(0);
    if (RasterLine == RasterCompare) RaiseSource(IrqRasterFlag, IrqRasterEnable);
    if (frameEnds) EndOfFrame();
}

void TTED::EndOfFrame() {
    FrameLines = 0;
    // Flashing characters and the cursor change phase every 16 frames.
    if (++FlashCounter == 16) FlashOn = !FlashOn;
    FlashCounter &= 15;
    if (SkipThisFrame == 0 && FlashOn && CursorPosition < 1000) DrawCursor();
    if (Host) Host->EndOfFrame(SkipThisFrame == 0);
}

// The cursor is an 8 x 8 block in the colour of its cell's attribute, drawn over the finished
// frame whatever the mode, the column width or the display enable say.
// It moves with the vertical scroll, and the top and bottom borders cover it as they cover its
// row.
void TTED::DrawCursor() {
    const int32_t row = CursorPosition / 40, column = CursorPosition % 40;
    const uint8_t colour = Video[Line.MatrixAddress - 1024u + CursorPosition];
    const int32_t inset = Rows25 ? 0 : Rows24Inset;
    const int32_t top = FirstRowRaster() + row * 8;
    const int32_t firstWindowRaster = FirstWindowLine + FirstBufferRaster - LinesPerFrame;
    for (int32_t raster = top; raster < top + 8; ++raster)
        if (raster >= firstWindowRaster + inset && raster <= LastDisplayRaster - inset)
            std::memset(FrameStart + BufferLine(uint32_t(raster)) * PixelsPerLine + FirstWindowPixel + column * 8 +
                            HorizontalScroll,
                        colour, 8);
}

// What a horizontal scroll of s leaves in front of the first cell: with 40 columns s pixels of
// background; with 38 columns, whose border hides column 0, the last s pixels of column 0
// slide in, as a smooth scroller expects.
void TTED::FillScrollGap() {
    const uint32_t scroll = HorizontalScroll;
    if (Line.WindowFirst == 17) {
        std::memset(RenderPos, BackgroundColour[0], scroll);
        return;
    }
    const TCellPixels pixels = RenderColumn(0);
    uint8_t cell[8];
    std::memcpy(cell, &pixels.First, 4);
    std::memcpy(cell + 4, &pixels.Second, 4);
    std::memcpy(RenderPos, cell + 8 - scroll, scroll);
}
