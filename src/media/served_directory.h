#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The files a directory drive serves from its host directory: regular files named NAME.PRG,
// NAME.SEQ or NAME.USR (the extension in any letter case) that lie inside the directory. A
// symbolic link is served only when it leads to a regular file inside the directory; links
// that lead out of it, to devices, to directories or nowhere are not there for the drive.

struct TServedFile {
    std::string Name;  // the host's file name, extension included
    int32_t Type = 0;  // TFileType of the extension
    std::filesystem::path Path;

    std::string_view Stem() const { return std::string_view(Name).substr(0, Name.size() - 4); }
};

// The served files of one type (FileAnyType: all), sorted by host name: the host enumerates a
// directory in no defined order, so the listing and "*" are the same on every run.
std::vector<TServedFile> ServedFiles(const std::filesystem::path& directory, int32_t type);

// The extension a file type is kept under (".PRG", ".SEQ", ".USR").
std::string_view ExtensionOf(int32_t type);

// The first file a request names, as the drive matches it: the request with the file's
// extension against the host name with every code from 96 to 127 folded down by 32, then by
// the name whatever its letter case. nullptr when nothing matches.
const TServedFile* FindServedFile(const std::vector<TServedFile>& files, std::string_view request);
// Whether the request names this file in either of those ways.
bool ServedFileMatches(const TServedFile& file, std::string_view request);

// Whether a name sent by the machine would lead out of the directory.
bool LeavesDirectory(std::string_view name);

bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Whether the directory holds any entry (of whatever kind) named NAME.PRG, NAME.SEQ or
// NAME.USR in any letter case: a name the drive must not write over unless it serves it.
bool NameTaken(const std::filesystem::path& directory, std::string_view name);
