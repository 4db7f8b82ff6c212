#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "debug/symbols.h"
#include "joystick_script.h"

// Everything varlume-run was asked to do, parsed and checked before the machine starts.
struct TRunOptions {
    struct TLoad {
        uint16_t Address;
        std::string File;
    };
    struct TDump {
        uint16_t Address;
        uint32_t Length;
    };

    int32_t MachineType = 0;
    std::string RomDirectory;  // with a trailing separator; empty: the binary's directory
    std::optional<int64_t> Frames;
    bool RomOff = false;
    std::vector<TLoad> Loads;
    std::optional<uint16_t> Pc;
    std::optional<uint16_t> UntilPc;
    // The frames --until-pc alone may take: ten minutes of the machine's time, so a lost
    // program still ends.
    static constexpr int64_t UntilPcFrames = 30000;
    std::optional<uint64_t> MaxCycles;
    std::vector<uint16_t> Breaks;  // at most 16, no duplicates, in the order given
    std::vector<TDump> Dumps;
    bool Trace = false;
    std::string Screenshot;
    int32_t Palette = 1;
    bool ScreenText = false;
    std::string TypeText;  // escapes already resolved
    std::string Keys;      // --keys: typed on the matrix from frame KeysFrame on
    int64_t KeysFrame = 0;
    std::string KeyBuffer;  // --keybuf
    std::optional<TJoystickScript> Joystick1;
    std::optional<TJoystickScript> Joystick2;
    std::string Wav;
    std::string Drive8;  // a directory, or a .d64 image
    std::string Drive9;
    bool WriteProtect = false;
    std::string Prg;
    std::string Cartridge;  // attached to banks 1 and 2 after power-up
    std::string Tap;
    bool Play = false;
    std::string RecordTap;
    struct TSavePrg {
        uint16_t Start;
        uint16_t End;
        std::string File;
    };
    std::optional<TSavePrg> SavePrg;
    bool Force = false;  // --save-prg and --record-tap may replace an existing file
    struct TReset {
        int64_t AfterFrame;
        enum { Soft, Hard, Special } Kind;
    };
    std::vector<TReset> Resets;
    std::string Snapshot;      // start from this snapshot
    std::string SaveSnapshot;  // write one at the end
    // Ends decided by the program under test (stop_conditions.h).
    std::string UntilText;
    std::optional<uint16_t> UntilWrite;
    std::optional<int64_t> TimeoutFrames;
    bool DebugRegister = true;  // a write to $FDCF ends the run with the value as status
    TSymbolTable Symbols;       // from --labels; addresses of --pc, --until-pc, --break may be names
    std::optional<uint16_t> DebugServerPort;  // serve a debug adapter protocol client instead of a run
    bool Bench = false;
    bool Help = false;
};

// Parses argv. On bad usage returns nothing and puts a one-line reason in `error`.
std::optional<TRunOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const UsageText;
