#pragma once
#include <cstdint>

// Where a screen mode puts the picture: the part of the 456 x 312 frame buffer that is shown
// (Source) and where it lands in the mode's picture area (Destination). Rectangles are
// x, y, width, height.
struct TDisplayRect {
    int32_t X, Y, Width, Height;
};

struct TDisplayMode {
    const char* Caption;
    int32_t Width, Height;  // the picture area (window client or full-screen display)
    TDisplayRect Source;
    TDisplayRect Destination;
    bool FullScreen;
};

// Source x 68, y 56 is the first pixel of the 40-column display window, so the 320 x 200 modes
// show the text screen without border.
inline constexpr TDisplayMode DisplayModes[] = {
    {"320x200 - Windowed GDI", 320, 200, {68, 56, 320, 200}, {0, 0, 320, 200}, false},
    {"360x240 - Windowed GDI", 360, 240, {48, 36, 360, 240}, {0, 0, 360, 240}, false},
    {"400x300 - Windowed GDI", 400, 300, {28, 6, 400, 300}, {0, 0, 400, 300}, false},
    {"456x312 - Windowed GDI", 456, 312, {0, 0, 456, 312}, {0, 0, 456, 312}, false},
    {"320x200 - Double Windowed GDI", 640, 400, {68, 56, 320, 200}, {0, 0, 640, 400}, false},
    {"360x240 - Double Windowed GDI", 720, 480, {48, 36, 360, 240}, {0, 0, 720, 480}, false},
    {"320x200 - Full Screen DirectX", 320, 200, {68, 56, 320, 200}, {0, 0, 320, 200}, true},
    {"320x240 - Full Screen DirectX", 320, 240, {68, 56, 320, 240}, {0, 0, 320, 240}, true},
    {"400x300 - Full Screen DirectX", 400, 300, {28, 6, 400, 300}, {0, 0, 400, 300}, true},
    {"512x384 - Full Screen DirectX", 512, 384, {0, 0, 456, 312}, {28, 36, 456, 312}, true},
    {"640x480 - Full Screen DirectX", 640, 480, {0, 0, 456, 312}, {92, 84, 456, 312}, true},
};
inline constexpr int32_t DisplayModeCount = int32_t(sizeof DisplayModes / sizeof DisplayModes[0]);
// "360x240 - Windowed GDI": the mode without a settings file.
inline constexpr int32_t DefaultDisplayMode = 1;
