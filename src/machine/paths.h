#pragma once
#include <string>

// The directory of the running binary with a trailing separator: the ROM images and the
// settings files lie there. Empty (the current directory) when the host cannot tell.
std::string ExecutableDirectory();

// $name when it is set to an absolute path (the XDG rule), else $HOME + fallback.
std::string XdgDirectory(const char* name, const char* fallback);
// $XDG_DATA_HOME/varlume/ (default ~/.local/share/varlume/), with a trailing separator.
std::string UserDataDirectory();
// Its roms/ subdirectory: where an installed program finds the ROM images.
std::string UserRomDirectory();
