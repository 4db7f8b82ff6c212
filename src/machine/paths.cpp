#include "machine/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string ExecutableDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.has_parent_path()) return {};
    std::string dir = exe.parent_path().string();
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string XdgDirectory(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + fallback;
}

std::string UserDataDirectory() {
    return XdgDirectory("XDG_DATA_HOME", "/.local/share") + "/varlume/";
}

std::string UserRomDirectory() {
    return UserDataDirectory() + "roms/";
}
