#include "host/settings_file.h"

// Keys and values are plain bytes: no UTF conversion library is needed.
#define SI_NO_CONVERSION
// Debian's header keeps the template bodies behind this switch.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

constexpr const char* Section = "Varlume";

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

TSettings SettingsOf(const CSimpleIniA& ini) {
    TSettings settings;
    settings.MachineType = int32_t(ini.GetLongValue(Section, "MachineType", settings.MachineType));
    settings.ScreenMode = int32_t(ini.GetLongValue(Section, "ScreenMode", settings.ScreenMode));
    settings.Palette = int32_t(ini.GetLongValue(Section, "Palette", settings.Palette));
    return settings;
}

}  // namespace

TSettings ParseSettings(const std::string& text) {
    CSimpleIniA ini;
    ini.SetMultiKey(false);
    if (ini.LoadData(text.data(), text.size()) < 0) return {};
    return SettingsOf(ini);
}

TSettings ReadSettingsFile(const std::string& path) {
    if (!IsRegularFile(path)) return {};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ParseSettings(text);
}

bool WriteSettingsFile(const std::string& path, const TSettings& settings, std::string& error) {
    error = "Cannot write the settings file '" + path + "'.";
    std::error_code fsError;
    const bool exists = std::filesystem::exists(path, fsError);
    if (exists && !IsRegularFile(path)) return false;

    CSimpleIniA ini;
    ini.SetMultiKey(false);
    ini.SetSpaces(false);  // key=value, as the file has always been written
    if (exists && ini.LoadFile(path.c_str()) < 0) return false;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, fsError);

    ini.SetLongValue(Section, "MachineType", settings.MachineType);
    ini.SetLongValue(Section, "ScreenMode", settings.ScreenMode);
    ini.SetLongValue(Section, "Palette", settings.Palette);
    // Written aside and renamed over the old file, so a full disk never leaves half a file.
    const std::string temporary = path + ".new";
    if (ini.SaveFile(temporary.c_str(), false) < 0) {
        std::filesystem::remove(temporary, fsError);
        return false;
    }
    std::filesystem::rename(temporary, path, fsError);
    if (fsError) {
        std::filesystem::remove(temporary, fsError);
        return false;
    }
    error.clear();
    return true;
}
