#pragma once
#include <string>
#include <vector>

#include "machine/paths.h"  // UserDataDirectory, UserRomDirectory

// Where the desktop program finds its files. The executable's directory comes first, so a
// build tree or an unpacked copy keeps everything beside the binary; an installed program,
// whose directory is not writable, uses the XDG directories of the user.

// The directories searched for ROM images, in order: the executable's, then UserRomDirectory.
std::vector<std::string> RomSearchDirectories();

// Whether basic.bin or kernal.bin is in none of `directories`: the ROM images have not been
// installed (the package leaves them out).
bool RomImagesMissing(const std::vector<std::string>& directories);
// Where the ROM images go and how the set-up script fetches them, for the box that reports
// them missing.
std::string RomImagesHint();

// varlume.ini beside the executable when that directory is writable, else
// $XDG_CONFIG_HOME/varlume/varlume.ini (default ~/.config/varlume/varlume.ini).
std::string SettingsFilePath();
// The same choice for a given executable directory (with its trailing separator).
std::string SettingsFilePathFor(const std::string& executableDirectory);
