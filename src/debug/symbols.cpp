#include "debug/symbols.h"

#include <cctype>
#include <charconv>
#include <vector>

#include "media/host_files.h"

namespace {

bool NameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '@'; }
bool NameChar(char c) { return NameStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

bool ValidName(std::string_view name) {
    if (name.empty() || name.size() > TSymbolTable::MaxNameLength || !NameStart(name[0])) return false;
    for (const char c : name)
        if (!NameChar(c)) return false;
    return true;
}

bool LinkerConstant(std::string_view name) { return name.size() > 4 && name.substr(0, 2) == "__"; }

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::optional<uint32_t> Number(std::string_view text, int base) {
    uint32_t value = 0;
    if (text.empty() || text.size() > 8) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "$1234", "0x1234" or decimal "4660".
std::optional<uint32_t> Value(std::string_view text) {
    if (!text.empty() && text[0] == '$') return Number(text.substr(1), 16);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return Number(text.substr(2), 16);
    return Number(text, 10);
}

// "al C:1234 .name" or "al 00C000 .name".
bool ParseAlLine(std::string_view line, std::string_view& name, uint32_t& address) {
    line = Trim(line.substr(2));
    const auto gap = line.find_first_of(" \t");
    if (gap == std::string_view::npos) return false;
    std::string_view number = line.substr(0, gap);
    if (number.size() > 2 && number[1] == ':') number.remove_prefix(2);
    const auto value = Number(number, 16);
    name = Trim(line.substr(gap));
    if (!name.empty() && name[0] == '.') name.remove_prefix(1);
    if (!value) return false;
    address = *value;
    return true;
}

// "name = $1234" or "name := $1234".
bool ParseAssignment(std::string_view line, std::string_view& name, uint32_t& address) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    std::string_view left = line.substr(0, equals);
    if (!left.empty() && left.back() == ':') left.remove_suffix(1);
    name = Trim(left);
    const auto value = Value(Trim(line.substr(equals + 1)));
    if (!value) return false;
    address = *value;
    return true;
}

}  // namespace

bool TSymbolTable::Add(std::string_view name, uint16_t address) {
    if (!ValidName(name) || ByName.size() >= MaxSymbols) return false;
    if (ByName.find(name) != ByName.end()) return true;
    ByName.emplace(std::string(name), address);
    auto shown = ByAddress.find(address);
    if (shown == ByAddress.end())
        ByAddress.emplace(address, std::string(name));
    else if (LinkerConstant(shown->second) && !LinkerConstant(name))
        shown->second = std::string(name);
    return true;
}

void TSymbolTable::Clear() {
    ByName.clear();
    ByAddress.clear();
}

const std::string* TSymbolTable::NameAt(uint16_t address) const {
    const auto it = ByAddress.find(address);
    return it == ByAddress.end() ? nullptr : &it->second;
}

std::optional<uint16_t> TSymbolTable::Find(std::string_view name) const {
    const auto it = ByName.find(name);
    if (it == ByName.end()) return std::nullopt;
    return it->second;
}

size_t TSymbolTable::Parse(std::string_view text, size_t& skipped) {
    size_t taken = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (const auto comment = line.find(';'); comment != std::string_view::npos) line = Trim(line.substr(0, comment));
        if (line.empty()) continue;
        std::string_view name;
        uint32_t address = 0;
        const bool al = line.size() > 3 && line.substr(0, 2) == "al" && (line[2] == ' ' || line[2] == '\t');
        const bool parsed = al ? ParseAlLine(line, name, address) : ParseAssignment(line, name, address);
        if (parsed && address <= 0xFFFF && Add(name, uint16_t(address)))
            ++taken;
        else
            ++skipped;
    }
    return taken;
}

bool LoadLabelFile(const std::string& path, TSymbolTable& table, std::string& error) {
    std::vector<uint8_t> bytes;
    const THostRead read = ReadHostFile(path, TSymbolTable::MaxFileBytes, bytes);
    if (read == THostRead::TooLarge) {
        error = "the label file '" + path + "' is larger than 16 MB";
        return false;
    }
    if (read != THostRead::Ok) {
        error = "cannot read the label file '" + path + "'";
        return false;
    }
    size_t skipped = 0;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (table.Parse(text, skipped) == 0) {
        error = "no labels in '" + path + "'";
        return false;
    }
    return true;
}

std::optional<uint16_t> ResolveAddress(std::string_view text, const TSymbolTable& symbols) {
    text = Trim(text);
    if (const auto found = symbols.Find(text)) return found;
    if (!text.empty() && text[0] == '$') text.remove_prefix(1);
    if (text.empty() || text.size() > 4) return std::nullopt;
    const auto value = Number(text, 16);
    if (!value) return std::nullopt;
    return uint16_t(*value);
}
