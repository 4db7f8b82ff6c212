#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// Names for addresses, read from label files: the "al C:1234 .name" lines a linker's label
// output holds (the address may carry six digits and no "C:"), and plain "name = $1234" lines.
// Every name finds its address; an address shows one name, the first loaded that is not a
// linker's "__NAME__" constant (those are sizes and bounds more often than places).
class TSymbolTable {
public:
    static constexpr size_t MaxSymbols = 100000;
    static constexpr size_t MaxNameLength = 96;
    static constexpr uintmax_t MaxFileBytes = 16u << 20;

    // False when the name is not a valid label name or the table is full; a name already
    // known keeps its first address.
    bool Add(std::string_view name, uint16_t address);
    void Clear();
    size_t Size() const { return ByName.size(); }
    bool Empty() const { return ByName.empty(); }

    // The name shown for `address`, or null.
    const std::string* NameAt(uint16_t address) const;
    std::optional<uint16_t> Find(std::string_view name) const;
    // Every name in name order, for the symbol views.
    const std::map<std::string, uint16_t, std::less<>>& Names() const { return ByName; }

    // Adds the labels of a label file's text. Returns how many lines were taken; lines that are
    // neither form (blank lines and ';' comments aside) are counted in `skipped`.
    size_t Parse(std::string_view text, size_t& skipped);

private:
    std::map<std::string, uint16_t, std::less<>> ByName;
    std::unordered_map<uint16_t, std::string> ByAddress;
};

// Reads a label file into `table` (added to what it holds). False with a reason when the file
// cannot be read, is too large or holds no label at all.
bool LoadLabelFile(const std::string& path, TSymbolTable& table, std::string& error);

// An address as the user types it: a label name first, else hexadecimal with an optional '$'
// (at most four digits).
std::optional<uint16_t> ResolveAddress(std::string_view text, const TSymbolTable& symbols);
