#pragma once
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

// Host file access for the drives. Only regular files are opened, and each file's type is
// checked before it is opened, so a named pipe or a device never blocks the machine. Writes go
// to a temporary file beside the target and replace it by a rename: a failed write leaves the
// old file whole and no half-written file behind.

enum class THostRead { Ok, NotRegular, TooLarge, Failed };

// Whether `path` is a regular file (a link is followed).
bool IsRegularHostFile(const std::filesystem::path& path);

// The whole contents of a regular file of at most `limit` bytes.
THostRead ReadHostFile(const std::filesystem::path& path, size_t limit, std::vector<uint8_t>& bytes);

// Writes the bytes to `path` through a temporary file in the same directory and a rename. A
// file already at `path` keeps its permissions; something there that is not a regular file (a
// directory, a pipe, a device) is never replaced. Returns the failure, or no error.
std::error_code WriteHostFileReplacing(const std::filesystem::path& path, const uint8_t* data, size_t size);
// The same for a file the user named: when `path` is a symbolic link, the file it leads to is
// written and the link stays.
std::error_code WriteHostFileThroughLinks(const std::filesystem::path& path, const uint8_t* data, size_t size);

// Whether an error of the host's file system means the medium refuses writes.
bool IsWriteProtection(const std::error_code& error);

// What the host's file system knows a file or directory by: its device and inode. Two paths
// name the same file (through a link, a hard link or another spelling) exactly when their
// identities are equal. A path that cannot be examined has no identity (Known is false).
struct THostFileId {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    bool Known = false;
    bool operator==(const THostFileId&) const = default;
};
THostFileId HostFileId(const std::filesystem::path& path);

// Whether the file's owner may write it: a file without the owner's write permission is
// treated as write-protected (locked) by the drives, whoever runs the program.
bool OwnerMayWrite(const std::filesystem::path& path);
