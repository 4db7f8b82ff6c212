#pragma once
#include <string>

// The directory of the running binary with a trailing separator: the ROM images and the
// settings files lie there. Empty (the current directory) when the host cannot tell.
std::string ExecutableDirectory();
