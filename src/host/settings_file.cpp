#include "host/settings_file.h"

// Keys and values are plain bytes: no UTF conversion library is needed.
#define SI_NO_CONVERSION
// Debian's header keeps the template bodies behind this switch.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

constexpr const char* Section = "Varlume";
constexpr const char* RecentSection = "RecentFiles";

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The whole file; empty when it is missing, unreadable or not a regular file.
std::string ReadText(const std::string& path) {
    if (!IsRegularFile(path)) return {};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
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
    return ParseSettings(ReadText(path));
}

namespace {

// Reads the file (when there is one), lets `edit` change it and writes it back whole: every key,
// section and comment that `edit` leaves alone stays.
bool UpdateIniFile(const std::string& path, const std::function<void(CSimpleIniA&)>& edit, std::string& error) {
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

    edit(ini);
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

std::string RecentKey(size_t index) { return "File" + std::to_string(index + 1); }

}  // namespace

bool WriteSettingsFile(const std::string& path, const TSettings& settings, std::string& error) {
    return UpdateIniFile(path, [&](CSimpleIniA& ini) {
        ini.SetLongValue(Section, "MachineType", settings.MachineType);
        ini.SetLongValue(Section, "ScreenMode", settings.ScreenMode);
        ini.SetLongValue(Section, "Palette", settings.Palette);
    }, error);
}

std::vector<std::string> ParseRecentFiles(const std::string& text) {
    CSimpleIniA ini;
    ini.SetMultiKey(false);
    std::vector<std::string> files;
    if (ini.LoadData(text.data(), text.size()) < 0) return files;
    for (size_t i = 0; i < RecentFilesLimit; ++i) {
        const char* file = ini.GetValue(RecentSection, RecentKey(i).c_str(), nullptr);
        if (file && *file) files.push_back(file);
    }
    return files;
}

std::vector<std::string> ReadRecentFiles(const std::string& path) {
    return ParseRecentFiles(ReadText(path));
}

bool WriteRecentFiles(const std::string& path, const std::vector<std::string>& files, std::string& error) {
    return UpdateIniFile(path, [&](CSimpleIniA& ini) {
        ini.Delete(RecentSection, nullptr);
        for (size_t i = 0; i < files.size() && i < RecentFilesLimit; ++i)
            ini.SetValue(RecentSection, RecentKey(i).c_str(), files[i].c_str());
    }, error);
}

void AddRecentFile(std::vector<std::string>& files, const std::string& file) {
    // A line break would end the value in the file: such a name cannot be kept.
    if (file.empty() || file.find_first_of("\r\n") != std::string::npos) return;
    files.erase(std::remove(files.begin(), files.end(), file), files.end());
    files.insert(files.begin(), file);
    if (files.size() > RecentFilesLimit) files.resize(RecentFilesLimit);
}
