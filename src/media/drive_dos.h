#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The disk operating system's side of a drive: the status line of the command channel, the
// commands written to it, and the file names given when a channel is opened. The drive's two
// back-ends (a host directory, a D64 image) carry the commands out.

// Status codes of the drive's error channel, as the Commodore DOS numbers them.
enum TDosCode : int32_t {
    DosOk = 0,
    DosFilesScratched = 1,
    DosWriteError = 25,
    DosWriteProtect = 26,
    DosSyntaxError = 30,        // a command that cannot be parsed
    DosInvalidCommand = 31,     // an unknown command
    DosLineTooLong = 32,
    DosInvalidName = 33,        // wildcards or forbidden characters where a plain name is needed
    DosNoName = 34,             // a command without its file name
    DosFileTooLarge = 52,
    DosWriteFileOpen = 60,      // reading a file that was never closed
    DosFileNotFound = 62,
    DosFileExists = 63,
    DosFileTypeMismatch = 64,
    DosNoBlock = 65,            // B-A of a block in use: the next free block follows
    DosIllegalTrackSector = 66,
    DosNoChannel = 70,
    DosDiskFull = 72,
    DosVersion = 73,            // after power-on or reset
    DosDriveNotReady = 74,
};

// One status of the error channel: "NN,TEXT,TT,SS".
struct TDosStatus {
    int32_t Code = DosOk;
    int32_t Track = 0;   // for 01 FILES SCRATCHED: the number of files
    int32_t Sector = 0;

    // Codes 20 and above report a fault; the drive's lamp flashes while one is pending.
    bool IsError() const { return Code >= 20 && Code != DosVersion; }
    bool operator==(const TDosStatus&) const = default;
    // The line the error channel sends, without its carriage return.
    std::string Line() const;
};

const char* DosMessage(int32_t code);

// File types of the directory, as the low bits of a D64 entry's type byte give them.
enum TFileType : int32_t { FileDel = 0, FileSeq = 1, FilePrg = 2, FileUsr = 3, FileRel = 4, FileAnyType = -1 };

// What the name given with OPEN asks for: "[@][0]:NAME[,TYPE[,MODE]]", "$" or "#".
struct TOpenRequest {
    enum TMode { Read, Write, Append };
    enum TKind { File, Directory, DirectBuffer };
    TKind Kind = File;
    std::string Name;        // without the replace mark, the drive prefix and the options
    int32_t Type = FileAnyType;
    TMode Mode = Read;
    bool Replace = false;    // "@": a write replaces a file of the same name
    int32_t Buffer = -1;     // "#k": the buffer asked for (-1: any)
    TDosStatus Status;       // not OK when the name cannot be used
};

// Parses the name of an OPEN on `secondary` (1 SAVE, 2-14 data files). Secondary 1 writes a
// program file unless the name says otherwise; data files are read unless the name says
// otherwise, and written as sequential files by default.
TOpenRequest ParseOpenName(std::string_view name, int32_t secondary);

// A plain file name for writing: no wildcards, no separators, 1 to 16 bytes.
bool IsPlainName(std::string_view name);

// What a back-end does for the command channel and for data channels. Every operation is
// complete when it returns: a write either reaches the medium whole or not at all.
class TDosBackEnd {
public:
    virtual ~TDosBackEnd() = default;
    // The whole contents of the first file matching `pattern` (of `type`, or any type).
    virtual TDosStatus ReadFile(std::string_view pattern, int32_t type, std::vector<uint8_t>& bytes) = 0;
    // Whether a file may be written under this name now (checked when the channel opens).
    virtual TDosStatus CanWrite(std::string_view name, bool replace) = 0;
    // Writes the file when its channel closes.
    virtual TDosStatus WriteFile(std::string_view name, int32_t type, bool replace, const std::vector<uint8_t>& bytes) = 0;
    // Removes every file matching `pattern`; `count` grows by the files removed.
    virtual TDosStatus Scratch(std::string_view pattern, int32_t& count) = 0;
    virtual TDosStatus Rename(std::string_view newName, std::string_view oldPattern) = 0;
    // "N0:NAME,ID": a new empty disk; without an ID the disk keeps its own.
    virtual TDosStatus Format(std::string_view diskName, std::string_view id, bool newId) = 0;
    // "V0": rebuilds the block availability map from the directory.
    virtual TDosStatus Validate() = 0;
    // Adds to the end of a file whose first `existing` bytes `bytes` begins with. A back-end
    // that cannot add in place writes the whole file again.
    virtual TDosStatus AppendFile(std::string_view name, int32_t type, const std::vector<uint8_t>& bytes, size_t existing) {
        (void)existing;
        return WriteFile(name, type, true, bytes);
    }
    // Direct access to the sectors of a disk (block commands). A medium without sectors
    // refuses them as commands it does not know.
    virtual bool HasSectors() const { return false; }
    virtual TDosStatus ReadBlock(int32_t, int32_t, uint8_t*) { return {DosInvalidCommand}; }
    virtual TDosStatus WriteBlock(int32_t, int32_t, const uint8_t*) { return {DosInvalidCommand}; }
    // Marks a block used in the map; one in use answers 65 with the next free block.
    virtual TDosStatus AllocateBlock(int32_t, int32_t) { return {DosInvalidCommand}; }
    virtual TDosStatus FreeBlock(int32_t, int32_t) { return {DosInvalidCommand}; }
};

class TDataChannel;
// The buffer channel open on a secondary address, for the block commands (nullptr: none).
using TBufferLookup = std::function<TDataChannel*(int32_t channel)>;

// The buffer number after "#" in an OPEN name: empty for any buffer (-1), else 0 to 4.
TDosStatus ParseBufferNumber(std::string_view digits, int32_t& buffer);

// Carries out one command written to the command channel (trailing carriage returns are
// dropped). Callable on its own: every byte string gives a status and touches the medium only
// through the back-end.
// Block commands (U1, U2, B-R, B-W, B-P, B-A, B-F) find their buffer channels through
// `buffers`; without it they answer 70,NO CHANNEL.
TDosStatus ExecuteDosCommand(std::string_view command, TDosBackEnd& backEnd, const TBufferLookup& buffers = {});

// The block and memory commands ("U", "B-", "M-"): drive_blocks.cpp.
TDosStatus ExecuteBlockCommand(std::string_view command, TDosBackEnd& backEnd, const TBufferLookup& buffers);
