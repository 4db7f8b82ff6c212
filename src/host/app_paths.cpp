#include "host/app_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "machine/paths.h"

std::vector<std::string> RomSearchDirectories() {
    return {ExecutableDirectory(), UserRomDirectory()};
}

bool RomImagesMissing(const std::vector<std::string>& directories) {
    for (const char* rom : {"basic.bin", "kernal.bin"}) {
        bool found = false;
        for (const std::string& dir : directories) found = found || access((dir + rom).c_str(), R_OK) == 0;
        if (!found) return true;
    }
    return false;
}

std::string RomImagesHint() {
    // An installed program has the script in share/varlume beside its bin; a build tree has it
    // in its sources.
    const std::string installed =
        std::filesystem::path(ExecutableDirectory() + "../share/varlume/fetch-roms.sh").lexically_normal().string();
    const std::string script = access(installed.c_str(), R_OK) == 0 ? installed : VARLUME_SOURCE_DIR "/scripts/fetch-roms.sh";
    return "Varlume does not include the machine's ROM images (basic.bin, kernal.bin, 3plus1lo.rom, "
           "3plus1hi.rom). Put them in " + UserRomDirectory() + " or beside the program. The set-up "
           "script fetches them (it needs node and npm):\n\n    bash " + script + " " + UserRomDirectory();
}

std::string SettingsFilePathFor(const std::string& executableDirectory) {
    const std::string dir = executableDirectory.empty() ? "./" : executableDirectory;
    if (access(dir.c_str(), W_OK) == 0) return executableDirectory + "varlume.ini";
    return XdgDirectory("XDG_CONFIG_HOME", "/.config") + "/varlume/varlume.ini";
}

std::string SettingsFilePath() {
    return SettingsFilePathFor(ExecutableDirectory());
}
