#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "debug/symbols.h"

// The source-level view of a program that ca65/cc65 and ld65 describe with --dbgfile: its source
// files, which bytes each source line made (its spans within the segments) and its symbols.
class TDebugInfo {
public:
    static constexpr uintmax_t MaxFileBytes = 64u << 20;
    static constexpr size_t MaxRecords = 1u << 20;  // per kind of line
    static constexpr size_t MaxSpansPerLine = 256;
    // Bytes of line ranges the address index visits at most (overlaps included).
    static constexpr size_t MaxIndexedBytes = 32u << 20;

    struct TRange {
        uint16_t Start;
        uint32_t End;  // one past the last byte
    };
    struct TSourceLine {
        uint32_t File;
        uint32_t Line;
        int32_t Type;  // 0 assembler, 1 C source, 2 macro expansion
        std::vector<TRange> Ranges;
    };
    struct TLocation {
        std::string File;
        uint32_t Line;
    };

    // Reads the text of a debug file. Records that are not understood, or that name ids out
    // of range, are skipped and counted; false when no source line at all could be read.
    bool Parse(std::string_view text);

    const std::vector<std::string>& Files() const { return FileNames; }
    size_t Skipped() const { return SkippedRecords; }
    const TSymbolTable& Symbols() const { return Labels; }
    // The first address of the code that line `line` of the file made, for a breakpoint.
    // The file matches by its full name or by its last path components.
    std::optional<uint16_t> AddressOf(std::string_view file, uint32_t line) const;
    // The source line whose code covers `address`: a C line before an assembler line, the
    // shortest before a longer one; macro expansions are not locations.
    std::optional<TLocation> LocationOf(uint16_t address) const;

private:
    std::optional<uint32_t> FileIndex(std::string_view file) const;
    void IndexAddresses();

    std::vector<std::string> FileNames;
    std::vector<TSourceLine> Lines;
    // For each address the index of the line LocationOf gives, or -1; built once by Parse.
    std::vector<int32_t> LineAt;
    TSymbolTable Labels;
    size_t SkippedRecords = 0;
};

// Reads a debug file. False with a reason when it cannot be read or holds no line information.
bool LoadDebugInfo(const std::string& path, TDebugInfo& info, std::string& error);
