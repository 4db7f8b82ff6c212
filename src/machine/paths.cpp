#include "machine/paths.h"

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
