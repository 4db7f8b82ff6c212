#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TMemory;

// PRG program files: a 2-byte load address (low byte first) and the bytes that go there. They
// are copied straight between a host file and the RAM array, bypassing drive and tape, and a
// load then sets BASIC's pointers so that the program can be listed and run.

// Messages the callers show for the outcomes below.
inline constexpr const char* MessageCannotLoadSelected = "Cannot load selected file.";  // menu load
inline constexpr const char* MessageCannotLoadGiven = "Cannot load the given file.";    // command line
inline constexpr const char* MessageCannotSaveArea = "Cannot save the specified RAM area.";
inline constexpr const char* MessageFileExists = "File already exists. Overwrite it?";
inline constexpr const char* MessageCannotSaveFile = "Cannot save the specified file.";

enum class TPrgLoadStatus {
    Loaded,                 // data in RAM, pointers set (and RUN typed when asked)
    LoadedWithoutPointers,  // data in RAM, but it runs past 60000: no pointer set, no RUN
    Dropped,                // shorter than 2 bytes or beyond $FFFE: nothing changed, no message
    CannotRead,             // not a regular file, or it cannot be read: nothing changed
};

struct TPrgLoadResult {
    TPrgLoadStatus Status = TPrgLoadStatus::CannotRead;
    uint16_t LoadAddress = 0;
    int32_t BytesLoaded = 0;
    uint16_t EndPointer = 0;  // $1001 + bytes loaded, whatever the load address
};

// The end pointer is stored at $002D, $002F, $0031 and $009D. RUN is typed by putting
// "RUN" and Return into the ROM's keyboard buffer at $0527 with the count 4 at $00EF.
TPrgLoadResult LoadPrgFile(TMemory& memory, const std::string& path, bool typeRun);
TPrgLoadResult LoadPrgData(TMemory& memory, const std::vector<uint8_t>& file, bool typeRun);

enum class TPrgSaveStatus { Saved, BadArea, CannotWrite };
// Writes RAM start..end inclusive with start as the load address, through a temporary file
// beside the target, so a failed write leaves an old file whole. start >= end is refused
// (BadArea) before anything is opened; so is a target that exists but is not a regular file.
TPrgSaveStatus SavePrgFile(const TMemory& memory, uint16_t start, uint16_t end, const std::string& path);

// The command-line auto-load waits until the ROM sits in its keyboard wait loop: LDA $EF,
// ORA $055D, BEQ back at $D90A-$D910. Inside the branch (`cycle` past its fetch) PC already
// points past it, at $D911; at an instruction boundary $D911 means the loop has ended.
constexpr bool AutoLoadReady(uint16_t pc, uint32_t cycle = 1) {
    return (pc >= 0xD90A && pc <= 0xD910) || (pc == 0xD911 && cycle != 1);
}

// "Loaded area" of the save dialog: the last load's start ($00B4/$00B5) up to its end
// pointer ($009D/$009E) minus one.
struct TRamArea {
    uint16_t Start;
    uint16_t End;
};
TRamArea LoadedArea(const TMemory& memory);
