#pragma once
#include <string>

class TMachine;

// The 40 x 25 text screen read from the current video matrix, screen codes as ASCII (reversed
// characters in their plain form), one line per row, trailing blanks trimmed.
std::string ScreenText(TMachine& machine);

// Writes the whole 456 x 312 raster through the frame buffer's colour table as an RGB PNG.
// Returns false with a reason in `error` when the file cannot be written.
bool WriteScreenshot(const TMachine& machine, const std::string& path, std::string& error);
