#include "host/app_paths.h"

#include <unistd.h>

#include <cstdlib>

#include "machine/paths.h"

namespace {

// $name when it is set to an absolute path (the XDG rule), else $HOME + fallback.
std::string XdgDirectory(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + fallback;
}

}  // namespace

std::string UserDataDirectory() {
    return XdgDirectory("XDG_DATA_HOME", "/.local/share") + "/varlume/";
}

std::string UserRomDirectory() {
    return UserDataDirectory() + "roms/";
}

std::vector<std::string> RomSearchDirectories() {
    return {ExecutableDirectory(), UserRomDirectory()};
}

std::string SettingsFilePathFor(const std::string& executableDirectory) {
    const std::string dir = executableDirectory.empty() ? "./" : executableDirectory;
    if (access(dir.c_str(), W_OK) == 0) return executableDirectory + "varlume.ini";
    return XdgDirectory("XDG_CONFIG_HOME", "/.config") + "/varlume/varlume.ini";
}

std::string SettingsFilePath() {
    return SettingsFilePathFor(ExecutableDirectory());
}
