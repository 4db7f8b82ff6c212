#pragma once
// The TED's per-clock work, included by ted.h. It is inline so that the frame loop runs it
// without a call; everything done once per line or rarer lives in ted.cpp.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__GNUC__)
#define TED_INLINE [[gnu::always_inline]] inline
#else
#define TED_INLINE inline
#endif

namespace TedPixels {
// Four pixel bytes, left to right, as one 32-bit group in memory order.
inline uint32_t Pack(uint8_t p0, uint8_t p1, uint8_t p2, uint8_t p3) {
    return std::bit_cast<uint32_t>(std::array<uint8_t, 4>{p0, p1, p2, p3});
}
}  // namespace TedPixels

inline void TTED::TickTimers() {
    for (int t = 0; t < 3; ++t) {
        TTedTimer& timer = Timer[t];
        // 0 counts down to $FFFF; only reaching 0 fires.
        if (timer.Running && --timer.Counter == 0) FireTimer(t);
    }
}

inline TTED::TCellContext TTED::CellContext() const {
    TCellContext context;
    // A high character base with high codes runs past $FFFF: the address wraps to 16 bits as
    // the TED's address lines do, and a ROM fetch wraps within bank 0's 32 KB, so no fetch
    // leaves the memory image.
    const bool rom = CharFromRom && Line.CharRomPossible, open = CharFromRom && Line.CharRomOpen;
    context.CharImage = rom ? Video + 0x10000 : open ? &Line.OpenBus : Line.Fetch;
    context.CharMask = rom ? 0x7FFF : open ? 0 : 0xFFFF;
    context.CharLine = Line.CharLineAddress;
    context.Attributes = Line.Fetch + Line.AttributeRow;
    context.Codes = Line.Fetch + Line.CodeRow;
    context.BitmapBytes = Line.Fetch + Line.BitmapRow;
    std::memcpy(context.Background, BackgroundColour, 4);
    context.MulticolourBitmap0 = Line.MulticolourBitmap0;
    context.MulticolourBitmap3 = Line.MulticolourBitmap3;
    context.Reverse = !Chars256;
    context.HideFlashing = !FlashOn;
    return context;
}

// Within a window line: the attribute and code rows (40 bytes each), and the character set in
// RAM (2 KB from the character line, wrapping at 64 KB as the fetch does) or the row's bitmap
// bytes at its character line. A line outside the character rows fetches blanks, not RAM.
template <TTedDisplayMode mode>
inline TWriteWatch TTED::CellSources(const TCellContext& context) const {
    if (Line.Fetch != Video) return TWriteWatch::Nothing();
    TWriteWatch watch{{Line.AttributeRow, Line.CodeRow, 0}, {40, 40, 0}};
    if constexpr (mode == TTedDisplayMode::Bitmap || mode == TTedDisplayMode::MulticolourBitmap) {
        watch.Start[2] = Line.BitmapRow;
        watch.Length[2] = 40 * 8;
    } else if (context.CharImage == Video) {
        watch.Start[2] = context.CharLine;
        watch.Length[2] = 256 * 8;
    }
    return watch;
}

inline uint8_t TTED::CharacterByte(const TCellContext& context, uint32_t code) {
    return context.CharImage[(context.CharLine + code * 8) & context.CharMask];
}

namespace TedPixels {
// For each pattern byte, its 8 pixel bytes (memory order, left to right): all ones where the
// pattern bit `bitOf(pixel)` is set.
template <class BitOf>
inline constexpr std::array<uint64_t, 256> PixelMasks(BitOf bitOf) {
    std::array<uint64_t, 256> masks{};
    for (uint32_t pattern = 0; pattern < 256; ++pattern) {
        std::array<uint8_t, 8> bytes{};
        for (int pixel = 0; pixel < 8; ++pixel) bytes[size_t(pixel)] = ((pattern >> bitOf(pixel)) & 1) ? 0xFF : 0x00;
        masks[pattern] = std::bit_cast<uint64_t>(bytes);
    }
    return masks;
}
// Hires: a bit a pixel. Multicolour: a bit pair a double-width pixel, its high and its low bit.
inline constexpr std::array<uint64_t, 256> BitMasks = PixelMasks([](int pixel) { return 7 - pixel; });
inline constexpr std::array<uint64_t, 256> HighBitMasks = PixelMasks([](int pixel) { return 7 - 2 * (pixel >> 1); });
inline constexpr std::array<uint64_t, 256> LowBitMasks = PixelMasks([](int pixel) { return 6 - 2 * (pixel >> 1); });

// A colour byte in all 8 lanes.
inline constexpr uint64_t Fill(uint8_t colour) { return colour * 0x0101010101010101ull; }
// The lanes of `front` where `mask` is all ones, of `back` elsewhere.
inline constexpr uint64_t Choose(uint64_t back, uint64_t front, uint64_t mask) { return back ^ ((back ^ front) & mask); }
}  // namespace TedPixels

// Each bit pair is one double-width pixel: the colour is picked for all 8 bytes at once by
// masks, without a lookup per pixel.
inline TTED::TCellPixels TTED::MulticolourPixels(const uint8_t (&colour)[4], uint8_t pattern) {
    using namespace TedPixels;
    const uint64_t high = HighBitMasks[pattern], low = LowBitMasks[pattern];
    const uint64_t lowHalf = Choose(Fill(colour[0]), Fill(colour[1]), low);
    const uint64_t highHalf = Choose(Fill(colour[2]), Fill(colour[3]), low);
    return std::bit_cast<TCellPixels>(Choose(lowHalf, highHalf, high));
}

// Each pattern bit picks the foreground or the background byte; all 8 at once by a mask.
inline TTED::TCellPixels TTED::Hires(uint8_t background, uint8_t foreground, uint8_t pattern) {
    using namespace TedPixels;
    return std::bit_cast<TCellPixels>(Choose(Fill(background), Fill(foreground), BitMasks[pattern]));
}

template <TTedDisplayMode mode>
inline TTED::TCellPixels TTED::RenderCell(const TCellContext& context, int32_t column) {
    return RenderCellOf<mode>(context, column, context.Attributes[column], context.Codes[column]);
}

template <TTedDisplayMode mode>
inline TTED::TCellPixels TTED::RenderCellOf(const TCellContext& context, int32_t column, uint8_t attribute,
                                            uint32_t code) {
    const uint8_t* background = context.Background;
    if constexpr (mode == TTedDisplayMode::Text) {
        // A hardware reversed cell swaps its colours: its mask inverted. A hidden flashing one
        // shows its (possibly swapped) background alone.
        uint64_t invert = 0;
        if ((code & 0x80) && context.Reverse) {
            invert = ~uint64_t(0);
            code &= 0x7F;
        }
        uint64_t mask = TedPixels::BitMasks[CharacterByte(context, code)] ^ invert;
        if ((attribute & 0x80) && context.HideFlashing) mask = invert;
        return std::bit_cast<TCellPixels>(TedPixels::Choose(TedPixels::Fill(background[0]), TedPixels::Fill(attribute), mask));
    } else if constexpr (mode == TTedDisplayMode::ExtendedColourText) {
        const uint8_t back = background[code >> 6];
        const uint8_t foreground = ((attribute & 0x80) && context.HideFlashing) ? back : attribute;
        return Hires(back, foreground, CharacterByte(context, code & 0x3F));
    } else if constexpr (mode == TTedDisplayMode::MulticolourText) {
        if (context.Reverse) code &= 0x7F;
        const uint8_t pattern = CharacterByte(context, code);
        // Attribute bit 3 clear: a plain hires cell, never reversed, never flashing.
        if (!(attribute & 0x08)) return Hires(background[0], attribute, pattern);
        const uint8_t colour[4] = {background[0], background[1], background[2], uint8_t(attribute & 0x77)};
        return MulticolourPixels(colour, pattern);
    } else {
        // Bitmap bytes always come from RAM, never from the character ROM.
        const uint8_t pattern = context.BitmapBytes[uint32_t(column) * 8];
        const uint8_t foreground = uint8_t(code >> 4 | attribute << 4);
        const uint8_t back = uint8_t((attribute & 0xF0) | (code & 0x0F));
        if constexpr (mode == TTedDisplayMode::Bitmap) return Hires(back, foreground, pattern);
        const uint8_t colour[4] = {context.MulticolourBitmap0, foreground, back, context.MulticolourBitmap3};
        return MulticolourPixels(colour, pattern);
    }
}

inline TTED::TCellPixels TTED::RenderColumn(int32_t column) const {
    const TCellContext context = CellContext();
    switch (Line.Mode) {
        case TTedDisplayMode::Text: return RenderCell<TTedDisplayMode::Text>(context, column);
        case TTedDisplayMode::ExtendedColourText:
            return RenderCell<TTedDisplayMode::ExtendedColourText>(context, column);
        case TTedDisplayMode::MulticolourText: return RenderCell<TTedDisplayMode::MulticolourText>(context, column);
        case TTedDisplayMode::Bitmap: return RenderCell<TTedDisplayMode::Bitmap>(context, column);
        case TTedDisplayMode::MulticolourBitmap:
            return RenderCell<TTedDisplayMode::MulticolourBitmap>(context, column);
    }
    return {};
}

inline uint32_t TTED::RenderFirstHalf(int32_t column) {
    const TCellPixels pixels = RenderColumn(column);
    SecondHalf = pixels.Second;
    return pixels.First;
}

inline void TTED::Step() {
    const int32_t step = LineStep;
    if (step & 1) TickTimers();
    if (step == 0) LatchLine();
    if (uint32_t(step - Line.WindowFirst) <= Line.WindowSpan) {
        InBorder = false;
        if (SkipThisFrame == 0) {
            // A cell is two steps; its first (odd) step works out both halves. The group lands
            // shifted by the horizontal scroll, and the next step's group overwrites the overlap.
            uint32_t pixels = SecondHalf;
            if (step & 1) {
                if (step == Line.WindowFirst && HorizontalScroll != 0) FillScrollGap();
                pixels = RenderFirstHalf((step - 17) >> 1);
            }
            std::memcpy(RenderPos + HorizontalScroll, &pixels, 4);
        }
    } else {
        InBorder = true;
        std::memcpy(RenderPos, &Line.BorderGroup, 4);
    }
    RenderPos += 4;
    if (step < StepsPerLine - 1) LineStep = step + 1;
    else EndOfLine();
    if (PositionWritten >= 0) [[unlikely]] {
        MoveTo(PositionWritten);
        PositionWritten = -1;
    }
}

inline int32_t TTED::RunEnd(int32_t maxSteps) const {
    const int32_t step = LineStep;
    // Step 0 latches the line, step 113 ends it.
    if (step == 0 || step >= StepsPerLine - 1) return step;
    int32_t end = StepsPerLine - 1;
    const int32_t windowEnd = Line.WindowFirst + int32_t(Line.WindowSpan) + 1;
    if (step < Line.WindowFirst) end = Line.WindowFirst < end ? Line.WindowFirst : end;
    // The first window step fills what a horizontal scroll leaves in front of it, on the plain path.
    else if (step == Line.WindowFirst && HorizontalScroll != 0) return step;
    else if (step < windowEnd) {
        end = windowEnd;
    }
    // A window run keeps one pattern of processor clocks: the odd steps, or none (stopped for a
    // bad line); a border run takes the stretches as they come up to a stop, where the frame
    // loop sends a write the processor is doing to the plain path.
    const TClockClass clocks = Line.Clocks->Class[size_t(step)];
    if (InWindow(step)) {
        if (clocks == TClockClass::Every) return step;
        if (Line.Clocks->SegmentEnd[size_t(step)] < end) end = Line.Clocks->SegmentEnd[size_t(step)];
    } else if (clocks != TClockClass::Stopped) {
        for (int32_t next = Line.Clocks->SegmentEnd[size_t(step)]; next < end; next = Line.Clocks->SegmentEnd[size_t(next)])
            if (Line.Clocks->Class[size_t(next)] == TClockClass::Stopped) end = next;
    } else if (Line.Clocks->SegmentEnd[size_t(step)] < end) {
        end = Line.Clocks->SegmentEnd[size_t(step)];
    }
    if (maxSteps < end - step) end = step + maxSteps;
    // A timer at n ticks from 0 fires in the odd step that gives its n-th tick; 0 is 65536 ticks
    // off. The nearest timer is the one with the fewest ticks left.
    int32_t ticks = 0x20000;  // with none running: a step beyond any line
    for (const TTedTimer& timer : Timer) {
        if (!timer.Running) continue;
        const int32_t left = timer.Counter ? timer.Counter : 0x10000;
        ticks = left < ticks ? left : ticks;
    }
    const int32_t fireStep = 2 * ((step >> 1) + ticks) - 1;
    if (fireStep < end) end = fireStep;
    return end;
}

// The border pixels of a run are stored after it: nothing can read them in between. The run's
// processor clocks (every step or the odd ones, stretch by stretch: a border run ends before a
// stop) go to the processor in one call, the line's plan telling the step of each.
template <class Clock>
bool TTED::RunBorder(int32_t end, Clock&& clock) {
    const int32_t start = LineStep;
    const TLineClocks& plan = *Line.Clocks;
    RunPlan = &plan;
    TicksPendingFrom = start;
    const uint32_t last = plan.ClocksBefore[size_t(end)];  // the first clock after the run
    uint32_t next = plan.ClocksBefore[size_t(start)];
    int32_t step = end;
    bool stopped = false;
    while (next < last) {
        LineStep = plan.StepOfClock[next];
        const TRunClocks taken = clock(last - next, TDrawAhead{nullptr, nullptr, nullptr});
        next += taken.Clocks;
        if (taken.EndRun) {
            step = plan.StepOfClock[next - 1];  // the clock's step, whose TED part Step() does
            stopped = true;
            break;
        }
    }
    const int32_t done = step - start;  // steps whose TED part is done
    if (done > 0) {
        // The group is the border colour four times.
        std::memset(RenderPos, uint8_t(Line.BorderGroup), size_t(4 * done));
        RenderPos += 4 * done;
        InBorder = true;
    }
    LineStep = step;
    ApplyPendingTicks();
    TicksPendingFrom = -1;
    return stopped;
}

template <class Clock>
bool TTED::RunWindow(int32_t end, Clock&& clock) {
    if (SkipThisFrame != 0) return RunWindowIn<TTedDisplayMode::Text, false>(end, clock);
    switch (Line.Mode) {
        case TTedDisplayMode::Text:
            // With the characters in ROM a text cell's pixels follow from its attribute and
            // code alone within a run (a character set in RAM can be rewritten by the processor
            // between two cells). The last-cell memo pays on screens with runs of like cells
            // (blank areas) and costs where every cell differs: it is used while it keeps
            // paying, and tried again on every eighth run otherwise.
            if (CharFromRom && Line.CharRomPossible && (TextMemoPays || (++TextMemoProbe & 7) == 0))
                return RunWindowIn<TTedDisplayMode::Text, true, true>(end, clock);
            return RunWindowIn<TTedDisplayMode::Text, true>(end, clock);
        case TTedDisplayMode::ExtendedColourText:
            return RunWindowIn<TTedDisplayMode::ExtendedColourText, true>(end, clock);
        case TTedDisplayMode::MulticolourText:
            return RunWindowIn<TTedDisplayMode::MulticolourText, true>(end, clock);
        case TTedDisplayMode::Bitmap: return RunWindowIn<TTedDisplayMode::Bitmap, true>(end, clock);
        case TTedDisplayMode::MulticolourBitmap:
            return RunWindowIn<TTedDisplayMode::MulticolourBitmap, true>(end, clock);
    }
    return false;
}

// A window run's cells, drawn behind the processor: each cell is fetched from memory as it is
// after the processor clock of its first step. The processor's whole instructions announce
// every clock that may change memory (TCPU::WriteAhead), and the cells of the clocks before it
// are drawn first; the rest follow when the call returns. No processor clock falls between a
// cell's two steps (the even one follows a window step), so both halves are stored at once; a
// run that ends on a cell's first half stores that half alone.
template <TTedDisplayMode mode, bool draw, bool memo>
struct TTED::TWindowCells {
    const TCellContext Context;
    uint8_t* Pos;         // where the next cell's pixels go, the scroll included
    int32_t Step;         // the next cell's first step (odd), or End
    const int32_t End;
    int32_t ClockZero;    // the step of the current processor call's first clock
    uint32_t SecondHalf;
    uint32_t LastKey = ~0u;  // no cell has this attribute and code
    TCellPixels Pixels{};
    int32_t Cells = 0, Rendered = 0;

    // Draws the cells whose first step is below `until`. The loop works on local copies: a
    // pixel store may alias anything, and would make the compiler reload every field. Inlined
    // into the run's loop, which calls it after every processor call.
    TED_INLINE void DrawUntil(int32_t until) {
        if (until > End) until = End;
        int32_t step = Step;
        if (step >= until) return;
        if (!draw) {
            // Nothing drawn: the position moves on, 8 bytes a whole cell, 4 a last first half.
            const int32_t steps = until - step;
            Pos += 4 * (steps + (steps & 1));
            Step = (steps & 1) ? until + 1 : until;
            if (Step > End) {
                Pos -= 4;
                Step = End;
            }
            return;
        }
        const TCellContext context = Context;
        uint8_t* pos = Pos;
        uint32_t lastKey = LastKey;
        TCellPixels pixels = Pixels;
        uint64_t both = std::bit_cast<uint64_t>(pixels);
        int32_t cells = Cells, rendered = Rendered;
        int32_t column = (step - 17) >> 1;
        // Whole cells: both steps inside the run.
        const int32_t wholeUntil = until < End - 1 ? until : End - 1;
        for (; step < wholeUntil; step += 2, ++column, pos += 8) {
            if constexpr (memo) {
                // A cell like the one before it keeps its pixels.
                const uint8_t attribute = context.Attributes[column];
                const uint8_t code = context.Codes[column];
                const uint32_t key = uint32_t(attribute) | uint32_t(code) << 8;
                ++cells;
                if (key != lastKey) {
                    lastKey = key;
                    pixels = RenderCellOf<mode>(context, column, attribute, code);
                    both = std::bit_cast<uint64_t>(pixels);
                    ++rendered;
                } else {
                    // A stretch of like cells (a blank area): the next eight compared at once.
                    std::memcpy(pos, &both, 8);
                    while (wholeUntil - step > 16 && EightLike(context, column + 1, attribute, code)) {
                        for (int cell = 1; cell <= 8; ++cell) std::memcpy(pos + 8 * cell, &both, 8);
                        step += 16;
                        column += 8;
                        pos += 64;
                        cells += 8;
                    }
                    continue;
                }
            } else {
                pixels = RenderCell<mode>(context, column);
                both = std::bit_cast<uint64_t>(pixels);
            }
            std::memcpy(pos, &both, 8);
        }
        // A run that ends on a cell's first half stores that half alone.
        if (step < until) {
            pixels = RenderCell<mode>(context, column);
            std::memcpy(pos, &pixels.First, 4);
            pos += 4;
            step = End;
        }
        Step = step;
        Pos = pos;
        LastKey = lastKey;
        Pixels = pixels;
        SecondHalf = pixels.Second;
        Cells = cells;
        Rendered = rendered;
    }
    // Whether the eight cells from `column` all have this attribute and code.
    static bool EightLike(const TCellContext& context, int32_t column, uint8_t attribute, uint8_t code) {
        uint64_t attributes, codes;
        std::memcpy(&attributes, context.Attributes + column, 8);
        std::memcpy(&codes, context.Codes + column, 8);
        return ((attributes ^ TedPixels::Fill(attribute)) | (codes ^ TedPixels::Fill(code))) == 0;
    }
    static void DrawAhead(void* cells, uint32_t clocksBefore) {
        auto& self = *static_cast<TWindowCells*>(cells);
        self.DrawUntil(self.ClockZero + 2 * int32_t(clocksBefore));
    }
};

// The colours, scroll and character source are taken once for the run: a write to any of the
// registers they come from ends the run (ScheduleChanged). A skipped frame draws nothing.
template <TTedDisplayMode mode, bool draw, bool memo, class Clock>
bool TTED::RunWindowIn(int32_t end, Clock& clock) {
    const int32_t start = LineStep;
    TicksPendingFrom = start;
    RunPlan = Line.Clocks;
    const uint8_t scroll = HorizontalScroll;
    TWindowCells<mode, draw, memo> cells{CellContext(), RenderPos + scroll, start, end, start, SecondHalf};
    bool stopped = false;
    // A cell's first step is odd. Starting on its second half: that step alone (RunEnd sends
    // an even step that would give the processor a clock to the plain path).
    if (!(start & 1) && start < end) {
        if (draw) std::memcpy(cells.Pos, &cells.SecondHalf, 4);
        cells.Pos += 4;
        ++cells.Step;
    }
    // A skipped frame draws nothing, so no write need be announced.
    const TWriteWatch watch = draw ? CellSources<mode>(cells.Context) : TWriteWatch::Nothing();
    const TDrawAhead drawAhead{&TWindowCells<mode, draw, memo>::DrawAhead, &cells, &watch};
    // Stopped for a bad line's fetch, the processor takes no clock in the run.
    if (Line.Clocks->Class[size_t(start)] == TClockClass::Stopped) cells.DrawUntil(end);
    while (cells.Step < end) {
        const int32_t step = cells.Step;
        LineStep = step;
        cells.ClockZero = step;
        const TRunClocks taken = clock(uint32_t(end - step + 1) >> 1, drawAhead);
        const int32_t last = step + 2 * int32_t(taken.Clocks - 1);  // the step of the last clock
        // A clock that ends the run leaves its step's TED work, its cell, to Step().
        cells.DrawUntil(taken.EndRun ? last : last + 1);
        if (taken.EndRun) {
            stopped = true;
            break;
        }
    }
    // The memo pays when at least a third of the cells reuse their neighbour's pixels.
    if constexpr (memo) {
        if (cells.Cells >= 8) TextMemoPays = 3 * (cells.Cells - cells.Rendered) >= cells.Cells;
    }
    LineStep = cells.Step;
    RenderPos = cells.Pos - scroll;
    SecondHalf = cells.SecondHalf;
    if (cells.Step > start) InBorder = false;
    ApplyPendingTicks();
    TicksPendingFrom = -1;
    return stopped;
}
