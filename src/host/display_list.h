#pragma once
#include <cstdint>
#include <vector>

struct TDisplayModeInfo {
    int32_t Width, Height, BitsPerPixel;
};

// The host's display modes of every screen, from SDL2's enumeration. False when the video
// subsystem cannot be started (no display reachable).
bool ListDisplayModes(std::vector<TDisplayModeInfo>& modes);
