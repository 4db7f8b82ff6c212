#include "ted/ted.h"

#include "core/host.h"

// Placeholder raster: counts steps and lines and ends the frame; the full chip replaces it.
TTED::TTED() = default;

void TTED::SetFrameBuffer(uint8_t* pixels) { FrameStart = RenderPos = pixels; }

bool TTED::Step() {
    InBorder = true;
    RenderPos += 4;
    if (LineStep < StepsPerLine - 1) {
        ++LineStep;
        return false;
    }
    LineStep = 0;
    if (LineIndex < LinesPerFrame - 1) {
        ++LineIndex;
        return false;
    }
    LineIndex = 0;
    RenderPos = FrameStart;
    if (Host) Host->EndOfFrame(SkipThisFrame == 0);
    return false;
}

void TTED::Reset() {
    LineStep = 0;
    LineIndex = 0;
    DoubleClockAllowed = true;
    RenderPos = FrameStart;
}

uint8_t TTED::ReadRegister(uint16_t) { return 0; }
void TTED::WriteRegister(uint16_t, uint8_t) {}
