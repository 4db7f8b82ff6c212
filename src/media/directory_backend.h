#pragma once
#include <filesystem>

#include "media/drive_dos.h"

// The command channel's and the data channels' operations on a host directory. Files are kept
// as NAME.PRG, NAME.SEQ and NAME.USR; a name is one file whatever its type, as on a disk. Only
// files the drive serves are ever replaced, renamed or removed, and every write goes through a
// temporary file and a rename.
class TDirectoryBackEnd : public TDosBackEnd {
public:
    // A write-protected back-end refuses every change.
    TDirectoryBackEnd(std::filesystem::path directory, bool writeProtected)
        : Directory(std::move(directory)), Protected(writeProtected) {}

    TDosStatus ReadFile(std::string_view pattern, int32_t type, std::vector<uint8_t>& bytes) override;
    TDosStatus CanWrite(std::string_view name, bool replace) override;
    TDosStatus WriteFile(std::string_view name, int32_t type, bool replace, const std::vector<uint8_t>& bytes) override;
    TDosStatus Scratch(std::string_view pattern, int32_t& count) override;
    TDosStatus Rename(std::string_view newName, std::string_view oldPattern) override;
    // A host directory cannot be formatted: refused as a command the drive does not know.
    TDosStatus Format(std::string_view diskName, std::string_view id, bool newId) override;
    // A host directory has no block map to rebuild.
    TDosStatus Validate() override { return {}; }

private:
    std::filesystem::path Directory;
    bool Protected;
};
