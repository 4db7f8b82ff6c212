#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The three choices that survive a restart, section [Varlume] of varlume.ini.
struct TSettings {
    int32_t MachineType = 0;  // Commodore 16
    int32_t ScreenMode = 1;   // "360x240 - Windowed GDI"
    int32_t Palette = 1;      // "Digitized 1"
};

// Reads the file at `path`. A missing, unreadable or non-regular file (a FIFO would block the
// start) gives the defaults, and so does each key that is missing or not a number.
TSettings ReadSettingsFile(const std::string& path);
// Parses settings text as the file would hold it; the fuzz target's entry.
TSettings ParseSettings(const std::string& text);

// Writes the three keys into the file, creating it (and its directory) when absent; every other
// key, section and comment in it stays. False with `error` naming the path when it cannot be
// written.
bool WriteSettingsFile(const std::string& path, const TSettings& settings, std::string& error);

// The PRG, D64 and TAP files used last, most recent first, in a section of their own
// ([RecentFiles], keys File1 to File8), so the three settings above stay as they are.
inline constexpr size_t RecentFilesLimit = 8;
std::vector<std::string> ReadRecentFiles(const std::string& path);
std::vector<std::string> ParseRecentFiles(const std::string& text);
// Replaces the section; every other key, section and comment stays.
bool WriteRecentFiles(const std::string& path, const std::vector<std::string>& files, std::string& error);
// `file` to the top of the list, once; the oldest beyond the limit drops off.
void AddRecentFile(std::vector<std::string>& files, const std::string& file);
