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

TTED::TTED() : Video(BlankImage), FrameStart(ScratchFrame), RenderPos(ScratchFrame) {
    // The frame buffer starts 52 lines before raster 0: its first line is raster 260.
    for (int32_t line = 0; line < LinesPerFrame; ++line)
        RasterTable[line] = uint16_t(line < 52 ? line + 260 : line - 52);
    Line.Fetch = Video;
}

const uint8_t* TTED::BlankFetch() { return BlankImage; }

void TTED::SetMemory(TMemory* memory) {
    Memory = memory;
    Video = memory ? memory->Image : BlankImage;
    Line.Fetch = Video;  // until the next line is latched
}

void TTED::SetFrameBuffer(uint8_t* pixels) {
    FrameStart = RenderPos = pixels ? pixels : ScratchFrame;
}

void TTED::Reset() {
    Timer1Reload = 0xFFFF;
    for (TTedTimer& timer : Timer) {
        timer.Counter = 0xFFFF;
        timer.Running = true;
    }
    const int64_t count = ClockCount();
    LineStep = 0;
    LineIndex = 0;
    KeepClockCount(count);
    DoubleClockAllowed = true;
    CharBase = 0;
    RenderPos = FrameStart;
}

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

// The TED reads its mode, bases, window width and border colour once per line, so a change to
// any of them shows from the next line; colours and scroll are read live.
void TTED::LatchLine() {
    // The window: 25 rows span lines 56-255; 24 rows cover four more lines of border at the top
    // and four at the bottom.
    const int32_t inset = Rows25 ? 0 : Rows24Inset;
    const bool windowLine =
        DisplayEnable && LineIndex >= FirstWindowLine + inset && LineIndex <= LastWindowLine - inset;
    Line.WindowFirst = windowLine ? (Columns40 ? 17 : 19) : NoWindow;
    Line.WindowSpan = Columns40 ? 96 - 17 : 94 - 19;
    Line.BorderGroup = TedPixels::Pack(BorderColour, BorderColour, BorderColour, BorderColour);

    // The 25 character rows start VerticalScroll lines below line 53, so the ROM's scroll of 3
    // puts row 0 on the window's first line. A window line outside every row shows the
    // background.
    const int32_t rowLine = LineIndex - FirstRowLine();
    const bool inRows = windowLine && rowLine >= 0 && rowLine < 25 * 8;
    Line.Fetch = inRows ? Video : BlankImage;
    if (BitmapMode && inRows)
        Line.Mode = Multicolour ? TTedDisplayMode::MulticolourBitmap : TTedDisplayMode::Bitmap;
    else if (Multicolour)
        Line.Mode = TTedDisplayMode::MulticolourText;
    else
        Line.Mode = ExtendedColour ? TTedDisplayMode::ExtendedColourText : TTedDisplayMode::Text;

    const uint32_t row = inRows ? uint32_t(rowLine) / 8 : 0, characterLine = inRows ? uint32_t(rowLine) % 8 : 0;
    // $FC00 at most, so the attribute row ($F800 + 999 at most) and the code row stay in RAM.
    Line.MatrixAddress = uint16_t(MatrixBase * 2048 + 1024);
    Line.AttributeRow = Line.MatrixAddress - 1024 + row * 40;
    Line.CodeRow = Line.MatrixAddress + row * 40;
    Line.BitmapRow = uint32_t(BitmapBase) * 8192 + row * 320 + characterLine;  // $FF3F at most
    uint32_t charBase = uint32_t(CharBase) * 1024;
    if (Chars256) charBase &= 0xF800;  // 256 characters fill 2 KB
    Line.CharLineAddress = charBase + characterLine;
    Line.CharRomPossible = inRows && charBase >= 0x8000;
    Line.MulticolourBitmap0 = BackgroundColour[0];
    Line.MulticolourBitmap3 = BackgroundColour[1];
}

void TTED::EndOfLine() {
    const int64_t next = ClockCount() + 1;  // the next line's step 0 follows this step
    LineStep = 0;
    KeepClockCount(next);
    const bool frameEnds = LineIndex == LinesPerFrame - 1;
    LineIndex = frameEnds ? 0 : LineIndex + 1;
    // The compare fires as the raster counter takes the compared value, at the start of that
    // line, so that a handler runs in the line it asked for (a split screen switches modes in
    // time). Once per line, so a value matches once per frame; 312-511 never match.
    if (RasterTable[LineIndex] == RasterCompare) RaiseSource(IrqRasterFlag, IrqRasterEnable);
    if (frameEnds) EndOfFrame();
}

void TTED::EndOfFrame() {
    // Flashing characters and the cursor change phase every 16 frames.
    if (++FlashCounter == 16) FlashOn = !FlashOn;
    FlashCounter &= 15;
    if (SkipThisFrame == 0 && FlashOn && CursorPosition < 1000) DrawCursor();
    RenderPos = FrameStart;
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
    const int32_t top = FirstRowLine() + row * 8;
    uint8_t* left = FrameStart + FirstWindowPixel + column * 8 + HorizontalScroll;
    for (int32_t line = top; line < top + 8; ++line)
        if (line >= FirstWindowLine + inset && line <= LastWindowLine - inset)
            std::memset(left + line * PixelsPerLine, colour, 8);
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
