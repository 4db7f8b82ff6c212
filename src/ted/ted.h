#pragma once
#include <cstdint>

#include "memory/write_watch.h"
#include "ted/ted_clocks.h"

class TMemory;
class TCPU;
class THost;
class TKeyboard;
class TStateReader;
class TStateWriter;
class TSoundWriteLog;

// The decoded sound fields of $FF0E-$FF12 and $FF11, read by the sound synthesizer.
struct TTedSound {
    uint16_t Voice1Frequency = 0;  // 10 bits: $FF0E and $FF12 bits 0-1
    uint16_t Voice2Frequency = 0;  // 10 bits: $FF0F and $FF10 bits 0-1
    uint8_t Volume = 0;            // $FF11 bits 0-3
    bool Voice1On = false;         // $FF11 bit 4
    bool Voice2On = false;         // $FF11 bit 5
    bool Noise = false;            // $FF11 bit 6
    bool DigitalAnalog = false;    // $FF11 bit 7
};

// One of the TED's three 16-bit down counters.
struct TTedTimer {
    bool Running = false;
    uint16_t Counter = 0;
};

// What the renderer does with the window area of a line, chosen at the start of each line.
enum class TTedDisplayMode : uint8_t {
    Text,
    ExtendedColourText,
    MulticolourText,
    Bitmap,
    MulticolourBitmap,
};

// The TED chip: registers $FF00-$FF1F, three timers, raster interrupts, the picture, the sound
// registers and the keyboard latch. Registers are kept decoded; reads rebuild the byte.
class TTED {
public:
    static constexpr int StepsPerLine = 114;
    static constexpr int LinesPerFrame = 312;
    static constexpr int StepsPerFrame = StepsPerLine * LinesPerFrame;  // 35568
    static constexpr int PixelsPerLine = 456;
    static constexpr int FrameBytes = PixelsPerLine * LinesPerFrame;
    static constexpr int FirstWindowLine = 56;   // raster 4
    static constexpr int LastWindowLine = 255;   // raster 203
    static constexpr int FirstWindowPixel = 68;  // step 17, 40 columns
    static constexpr int Rows24Inset = 4;        // 24 rows: lines of border added at top and bottom
    // The frame buffer's first line shows raster line 260: the top border above the display.
    static constexpr int FirstBufferRaster = 260;
    static constexpr int LastDisplayRaster = 203;  // lines 0-203 are the display area
    // The vertical counter counts 0-311 and wraps to 0, where a frame ends; a program that set it
    // past 311 has it count on to 511. Should a program keep it from wrapping, a frame still ends
    // after this many lines, as a monitor that loses the sync runs on by itself.
    static constexpr int MostLinesPerFrame = 512;

    TTED();
    TTED(const TTED&) = delete;
    TTED& operator=(const TTED&) = delete;

    void SetMemory(TMemory* memory);
    void SetCPU(TCPU* cpu) { Cpu = cpu; }
    void SetHost(THost* host) { Host = host; }
    void SetKeyboard(TKeyboard* keyboard) { Keyboard = keyboard; }
    // The 456 x 312 pixel area; null detaches it (the TED then draws into a private scratch area).
    void SetFrameBuffer(uint8_t* pixels);

    // One clock step.
    inline void Step();

    // The frame loop's fast path: runs of like steps (border or window) within a line, with
    // the processor clock rule, the pixel stores and the timer ticks specialised per run. A run
    // holds no TED event: it ends before step 0 and step 113 of a line, before a window edge,
    // before the step at which a timer reaches 0 and after `maxSteps` steps, and a line's first
    // window step takes the plain path while the horizontal scroll is nonzero.
    // The step at which the run from LineStep ends (exclusive); LineStep itself when the
    // current step must take the plain path.
    inline int32_t RunEnd(int32_t maxSteps) const;
    bool InWindow(int32_t step) const { return uint32_t(step - Line.WindowFirst) <= Line.WindowSpan; }
    // Run the steps from LineStep to `end`, calling `clock(budget, drawAhead)` with LineStep at
    // the step of the next processor clock. The call takes one or more processor clocks (whole
    // instructions), at most `budget`; where the TED draws the window, whole instructions
    // announce their writes to `drawAhead` (TCPU::WriteAhead), since each cell is fetched after
    // its clock. The call returns the clocks it took and whether the run must end after
    // the last: then the run ends at once, with LineStep at that clock's step and the step's
    // own TED work left to Step(). Every field is then exactly as the plain loop leaves it
    // between the processor clock and the TED step. Returns true when a clock ended the run.
    struct TRunClocks {
        uint32_t Clocks;
        bool EndRun;
    };
    // What a window run gives the clock call: the processor calls Draw(Cells, clocks before)
    // ahead of every clock that may change the RAM in Watch, which the run's cells read. Null
    // in border runs.
    struct TDrawAhead {
        void (*Draw)(void* cells, uint32_t clocksBefore);
        void* Cells;
        const TWriteWatch* Watch;
    };
    template <class Clock> bool RunBorder(int32_t end, Clock&& clock);
    template <class Clock> bool RunWindow(int32_t end, Clock&& clock);
    template <TTedDisplayMode mode, bool draw, bool memo = false, class Clock>
    bool RunWindowIn(int32_t end, Clock& clock);
    // While a clock call runs whole instructions, LineStep stays at the step of its first clock
    // (WholeInstructionFrom, else -1) and the processor counts the clocks; a decoded access,
    // the only kind that can see the TED's position (its registers, the port with the tape),
    // first brings LineStep to its own clock, which the run's plan of the line (RunPlan) tells.
    int32_t WholeInstructionFrom = -1;
    const TLineClocks* RunPlan = nullptr;
    void SyncToProcessorClock();
    // The same where the caller knows the clocks the processor's call has taken before it.
    void SyncToClock(uint32_t clocksBefore) {
        LineStep = RunPlan->StepOfClock[RunPlan->ClocksBefore[size_t(WholeInstructionFrom)] + clocksBefore];
    }
    // The processor clocks in the `steps` steps after the current one inside a run; more than
    // any run takes where they reach past the line.
    uint32_t ClocksInStepsAfter(int32_t steps) const {
        const int32_t from = LineStep + 1;
        if (steps <= 0) return 0;
        if (steps >= TLineClocks::Steps - from) return UINT32_MAX;
        return uint32_t(RunPlan->ClocksBefore[size_t(from + steps)] - RunPlan->ClocksBefore[size_t(from)]);
    }
    // Set by a write that a run cannot take in its stride: a timer (its expiry moves), a sound
    // register, a register the picture reads live, the processor port's motor line. The frame
    // loop ends the run after that clock's step and plans the next one.
    bool ScheduleChanged = false;
    void Reset();

    // Snapshots (ted_state.cpp): every register field, the timers, the raster position, what
    // the current line latched and the cell being drawn. Restore is false for bytes that no
    // TED state gives.
    void SaveState(TStateWriter& out) const;
    bool RestoreState(TStateReader& in, uint16_t version);

    uint8_t ReadRegister(uint16_t address);
    // The same value without touching anything, for the debugger's views. Reading a TED
    // register has no side effect on the chip; this one also leaves the timer ticks that a
    // run of the frame loop keeps back where they are, so it is exact between frame calls.
    uint8_t PeekRegister(uint16_t address) const;
    void WriteRegister(uint16_t address, uint8_t value);

    // The byte the TED fetched on the data bus in the current step, in the half of the clock
    // before the processor's, or -1 where it fetched nothing; what a read of an address that no
    // chip answers returns.
    int32_t BusFetch() const;

    // The raster value programs see ($FF1C/$FF1D) for a frame-buffer line.
    uint16_t RasterNumber(int32_t lineIndex) const { return RasterTable[lineIndex]; }
    // The frame-buffer line of a raster line 0-311 (the lines past 311 are drawn nowhere).
    static int32_t BufferLine(uint32_t raster) {
        return raster < uint32_t(FirstBufferRaster) ? int32_t(raster) + LinesPerFrame - FirstBufferRaster
                                                    : int32_t(raster) - FirstBufferRaster;
    }
    // What the processor does in the step about to run (TedClocks): the frame loop gives it
    // the clock, or, for WriteOnly, only when its next clock writes.
    TCpuClock ClockAt() const { return Line.Clocks->At(LineStep); }
    // Whether the processor is stopped for a bad line's fetch in the step about to run.
    bool ProcessorStopped() const { return Line.Clocks->Class[size_t(LineStep)] == TClockClass::Stopped; }
    // The horizontal position $FF1E reads at a step: the dot counter divided by 2, so even
    // values 0-226. The frame buffer's line begins at dot LineStartDot of the chip's 456: the
    // vertical counter advances and the raster compare fires there ($FF1E = $C0), and the
    // 40-column window opens 68 dots later.
    static constexpr int32_t LineStartDot = 384;
    static uint8_t HorizontalPosition(int32_t step) { return uint8_t(((4 * step + LineStartDot) % PixelsPerLine) / 2); }
    // Where the next step draws, in bytes from the start of the frame buffer.
    int32_t RenderOffset() const { return int32_t(RenderPos - FrameStart); }

    // The raster position: the step in the line, the vertical counter ($FF1C/$FF1D) and the
    // frame-buffer line it draws (kept at the last one while the counter is past 311).
    int32_t LineStep = 0;        // 0..113
    int32_t LineIndex = 0;       // 0..311
    uint16_t RasterLine = 0;     // 0..511
    // The lines since the frame began: a frame ends at MostLinesPerFrame at the latest.
    int32_t FrameLines = 0;
    bool DoubleClockAllowed = false;
    bool InBorder = false;       // the previous step drew border
    // The character rows: the line within the row ($FF1F bits 0-2), where the row's cells start
    // in the video matrix, and the reload value a row takes them from ($FF1A/$FF1B, 10 bits).
    // Rows are active from the first bad line that fetches character codes until a row ends
    // without one.
    uint8_t RowLine = 0;
    uint16_t CharPosition = 0;
    uint16_t CharReload = 0;
    bool RowsActive = false;
    // A write to $FF1E takes effect after the step it was made in: the step it moves to.
    int32_t PositionWritten = -1;
    // Nonzero while the current frame is neither rendered nor shown (set by the frame loop).
    int32_t SkipThisFrame = 0;
    TTedSound Sound;
    // Where sound-register writes are noted with their clock steps while a synthesizer listens
    // (sound_writes.h); null otherwise, so nothing is kept.
    TSoundWriteLog* SoundWrites = nullptr;

    // Clock steps since this TED was made; it never goes back, whatever moves the raster. Sound
    // writes are stamped with it. The one definition: the count at the current line's step 0
    // plus LineStep. Whatever moves LineStep other than stepping (a reset, a restored snapshot,
    // a write to the raster counters) calls KeepClockCount with the count from before the move.
    int64_t ClockCount() const { return LineStartCount + LineStep; }
    void KeepClockCount(int64_t count) { LineStartCount = count - LineStep; }

    // Timers: $FF00-$FF05. Only timer 1 has a reload value; timers 2 and 3 restart from $FFFF.
    TTedTimer Timer[3];
    uint16_t Timer1Reload = 0;

    // $FF06
    bool TestBit = false;
    bool ExtendedColour = false;
    bool BitmapMode = false;
    bool DisplayEnable = false;
    bool Rows25 = false;
    uint8_t VerticalScroll = 0;
    // $FF07
    bool Chars256 = false;
    bool Ntsc = false;
    bool TedOff = false;
    bool Multicolour = false;
    bool Columns40 = false;
    uint8_t HorizontalScroll = 0;

    uint8_t KeyboardLatch = 0;  // $FF08

    // $FF09 flags and $FF0A enables.
    bool IrqSummary = false;
    bool IrqRasterFlag = false, IrqTimer1Flag = false, IrqTimer2Flag = false, IrqTimer3Flag = false;
    bool IrqRasterEnable = false, IrqTimer1Enable = false, IrqTimer2Enable = false, IrqTimer3Enable = false;
    uint16_t RasterCompare = 0;   // 9 bits: $FF0A bit 0, $FF0B
    uint16_t CursorPosition = 0;  // 10 bits: $FF0C bits 0-1, $FF0D

    uint8_t BitmapBase = 0;       // $FF12 bits 3-5: address bits 13-15
    bool CharFromRom = false;     // $FF12 bit 2
    uint8_t CharBase = 0;         // $FF13 bits 2-7: address bits 10-15
    uint8_t MatrixBase = 0;       // $FF14 bits 3-7: address bits 11-15
    uint8_t BackgroundColour[4] = {};  // $FF15-$FF18, as written
    uint8_t BorderColour = 0;          // $FF19, as written

    uint8_t FlashCounter = 0;  // frames, 0..15
    bool FlashOn = false;

private:
    // Everything taken from the registers at the start of a line. The window bounds are set so
    // that no step falls inside them on border lines or with the display disabled.
    struct TLineLatch {
        TTedDisplayMode Mode = TTedDisplayMode::Text;
        // The processor's clocks along the line, and what made them so.
        const TLineClocks* Clocks = &TedClocks::LineClocks(false, false, false);
        bool DisplayLine = false, BadLine = false;
        int32_t WindowFirst = 1 << 20;  // first window step
        uint32_t WindowSpan = 0;        // last window step - first
        uint32_t BorderGroup = 0;       // four border pixels
        uint16_t MatrixAddress = 0;     // character codes; attributes 1024 below
        uint32_t CharLineAddress = 0;   // character base + character line
        bool CharRomPossible = false;   // character base at $8000 or above
        // A ROM fetch below $8000, where no ROM answers: the TED reads the open data bus, as it
        // was when the line began (OpenBus).
        bool CharRomOpen = false;
        uint8_t OpenBus = 0xFF;
        // Where the cells fetch from: the memory image, or, on a window line outside the
        // character rows, a blank image, so that the line shows background colour 0.
        const uint8_t* Fetch = nullptr;
        // RAM addresses of the current text row; all stay below $10000.
        uint32_t AttributeRow = 0;
        uint32_t CodeRow = 0;
        uint32_t BitmapRow = 0;         // bitmap base + row * 320 + character line
        uint8_t MulticolourBitmap0 = 0;      // $FF15
        uint8_t MulticolourBitmap3 = 0;      // $FF16
    };

    void LatchLine();
    void LatchWindow();
    void LatchClocks();  // Line.Clocks from the line kind and the clock mode
    void EndOfLine();   // the rows and the raster counter advance; the compare; a frame's end
    void MoveTo(int32_t step);  // a $FF1E write: the rest of the line from `step`
    static int32_t StepOfPosition(uint8_t value);
    void DrawLineFrom(int32_t step);  // LineBegin and RenderPos for the current raster line
    void EndOfFrame();
    void DrawCursor();
    void FillScrollGap();
    // What a window line outside the character rows fetches from: zeros, as large as a memory
    // image.
    static const uint8_t* BlankFetch();
    // The first raster line of character row 0: the vertical scroll moves the rows down.
    int32_t FirstRowRaster() const { return 1 + VerticalScroll; }
    void TickTimers();
    // Inside a run the timer ticks are kept back and applied when the run ends, or earlier when
    // the processor reads or writes a TED register.
    void SyncTimers() {
        if (TicksPendingFrom >= 0) [[unlikely]] ApplyPendingTicks();
    }
    void ApplyPendingTicks();
    void FireTimer(int timer);
    void RaiseSource(bool& flag, bool enable);
    void LatchKeyboard(uint8_t joystickSelect);
    void NoteSoundWrite();

    // What a cell's pixels depend on: the line latch, video memory and the registers the TED
    // reads live, gathered once.
    struct TCellContext {
        const uint8_t* CharImage;    // RAM, ROM bank 0's 32 KB, or the open bus's byte
        uint32_t CharMask;           // the character address wraps within it
        uint32_t CharLine;           // character base + character line
        const uint8_t* Attributes;   // the current text row's attributes
        const uint8_t* Codes;        // and character codes (or bitmap colours)
        const uint8_t* BitmapBytes;  // the row's bitmap bytes at its character line
        uint8_t Background[4];
        uint8_t MulticolourBitmap0, MulticolourBitmap3;
        bool Reverse;                // 128 characters: code bit 7 reverses
        bool HideFlashing;           // flashing characters show their background in this phase
    };
    // A cell's two 4-pixel groups.
    struct TCellPixels {
        uint32_t First, Second;
    };
    static_assert(sizeof(TCellPixels) == 8, "a cell's pixels are stored as one block");
    template <TTedDisplayMode mode, bool draw, bool memo> struct TWindowCells;
    TCellContext CellContext() const;
    // The RAM that a run's cells of `mode` may read.
    template <TTedDisplayMode mode> TWriteWatch CellSources(const TCellContext& context) const;
    // The 4 pixels of a step in the window; sets SecondHalf for the next step of the cell.
    uint32_t RenderFirstHalf(int32_t column);
    TCellPixels RenderColumn(int32_t column) const;  // a cell in the line's mode
    template <TTedDisplayMode mode> static TCellPixels RenderCell(const TCellContext& context, int32_t column);
    template <TTedDisplayMode mode>
    static TCellPixels RenderCellOf(const TCellContext& context, int32_t column, uint8_t attribute, uint32_t code);
    static uint8_t CharacterByte(const TCellContext& context, uint32_t code);
    static TCellPixels Hires(uint8_t background, uint8_t foreground, uint8_t pattern);
    static TCellPixels MulticolourPixels(const uint8_t (&colour)[4], uint8_t pattern);

    TMemory* Memory = nullptr;
    TCPU* Cpu = nullptr;
    THost* Host = nullptr;
    TKeyboard* Keyboard = nullptr;
    const uint8_t* Video = nullptr;  // the memory image the picture is fetched from
    uint8_t* FrameStart = nullptr;
    uint8_t* RenderPos = nullptr;
    // A line a $FF1E write made longer than the frame buffer's line is drawn here, and copied
    // to LongLineOf when it ends; null while no line is.
    uint8_t LongLine[2 * PixelsPerLine] = {};
    uint8_t* LongLineOf = nullptr;
    uint8_t* LineBegin = nullptr;  // where the current line's pixels begin
    uint16_t RasterTable[LinesPerFrame] = {};
    TLineLatch Line;
    int64_t LineStartCount = 0;  // ClockCount() at step 0 of the current line
    uint32_t SecondHalf = 0;  // the pixels of the second step of the current cell
    // The step from which timer ticks are kept back (none fires before LineStep), or -1.
    int32_t TicksPendingFrom = -1;
    // Whether text runs reuse a cell's pixels for a like neighbour (speed only, never output).
    bool TextMemoPays = true;
    uint32_t TextMemoProbe = 0;
};

#include "ted/ted_step.h"
