#include "debug/debug_info.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "media/host_files.h"

namespace {

// One record: its kind and its key=value fields (quoted values unquoted).
struct TRecord {
    std::string_view Kind;
    std::vector<std::pair<std::string_view, std::string_view>> Fields;

    std::string_view Get(std::string_view key) const {
        for (const auto& [k, v] : Fields)
            if (k == key) return v;
        return {};
    }
};

bool SplitRecord(std::string_view line, TRecord& record) {
    const auto tab = line.find_first_of("\t ");
    if (tab == std::string_view::npos) return false;
    record.Kind = line.substr(0, tab);
    std::string_view rest = line.substr(tab + 1);
    while (!rest.empty()) {
        const auto equals = rest.find('=');
        if (equals == std::string_view::npos || record.Fields.size() >= 32) return false;
        const std::string_view key = rest.substr(0, equals);
        rest.remove_prefix(equals + 1);
        std::string_view value;
        if (!rest.empty() && rest[0] == '"') {
            const auto close = rest.find('"', 1);
            if (close == std::string_view::npos) return false;
            value = rest.substr(1, close - 1);
            rest.remove_prefix(close + 1);
        } else {
            value = rest.substr(0, rest.find(','));
            rest.remove_prefix(value.size());
        }
        record.Fields.emplace_back(key, value);
        if (!rest.empty()) {
            if (rest[0] != ',') return false;
            rest.remove_prefix(1);
        }
    }
    return true;
}

std::optional<uint32_t> Number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "3+7+12": the ids of a list field, at most `limit` of them.
bool IdList(std::string_view text, size_t limit, std::vector<uint32_t>& ids) {
    while (!text.empty()) {
        const auto plus = text.find('+');
        const auto id = Number(text.substr(0, plus));
        if (!id || ids.size() >= limit) return false;
        ids.push_back(*id);
        text = plus == std::string_view::npos ? std::string_view() : text.substr(plus + 1);
    }
    return true;
}

bool EndsWithPath(std::string_view whole, std::string_view tail) {
    if (tail.size() > whole.size() || whole.substr(whole.size() - tail.size()) != tail) return false;
    return whole.size() == tail.size() || whole[whole.size() - tail.size() - 1] == '/' ||
           whole[whole.size() - tail.size() - 1] == '\\';
}

}  // namespace

bool TDebugInfo::Parse(std::string_view text) {
    struct TSpan {
        uint32_t Segment, Start, Size;
    };
    struct TLineRecord {
        uint32_t File, Line;
        int32_t Type;
        std::vector<uint32_t> Spans;
    };
    struct TSymbolRecord {
        std::string Name;
        uint32_t Value;
    };
    // Records refer to each other by id, in any order: gathered first, joined after.
    std::unordered_map<uint32_t, std::string> files;
    std::unordered_map<uint32_t, uint32_t> segments;  // id -> start address
    std::unordered_map<uint32_t, TSpan> spans;
    std::vector<TLineRecord> lines;
    std::vector<TSymbolRecord> symbols;
    size_t records = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        TRecord record;
        if (++records > 8 * MaxRecords || !SplitRecord(line, record)) {
            ++SkippedRecords;
            continue;
        }
        const auto id = Number(record.Get("id"));
        bool taken = false;
        if (record.Kind == "file") {
            if (id && files.size() < MaxRecords) taken = files.emplace(*id, std::string(record.Get("name"))).second;
        } else if (record.Kind == "seg") {
            const auto start = Number(record.Get("start"));
            if (id && start && *start <= 0xFFFF && segments.size() < MaxRecords)
                taken = segments.emplace(*id, *start).second;
        } else if (record.Kind == "span") {
            const auto seg = Number(record.Get("seg")), start = Number(record.Get("start")),
                       size = Number(record.Get("size"));
            if (id && seg && start && size && *start <= 0xFFFF && *size <= 0x10000 && spans.size() < MaxRecords)
                taken = spans.emplace(*id, TSpan{*seg, *start, *size}).second;
        } else if (record.Kind == "line") {
            const auto file = Number(record.Get("file")), number = Number(record.Get("line"));
            const auto type = record.Get("type").empty() ? std::optional<uint32_t>(0) : Number(record.Get("type"));
            TLineRecord entry{file.value_or(0), number.value_or(0), int32_t(type.value_or(0)), {}};
            if (file && number && type && lines.size() < MaxRecords &&
                IdList(record.Get("span"), MaxSpansPerLine, entry.Spans)) {
                if (!entry.Spans.empty()) lines.push_back(std::move(entry));
                taken = true;
            }
        } else if (record.Kind == "sym") {
            const auto value = Number(record.Get("val"));
            if (value && *value <= 0xFFFF && record.Get("type") == "lab" && symbols.size() < MaxRecords)
                symbols.push_back({std::string(record.Get("name")), *value});
            taken = value.has_value();
        } else {
            taken = true;  // kinds the debugger does not use: version, info, mod, scope, type, csym, lib
        }
        if (!taken) ++SkippedRecords;
    }

    // Two ids may name one file: they share its index, so a breakpoint by name finds every line.
    std::unordered_map<uint32_t, uint32_t> fileIndex;
    std::unordered_map<std::string, uint32_t> indexOfName;
    for (const auto& [fileId, name] : files) {
        const auto named = indexOfName.emplace(name, uint32_t(FileNames.size()));
        if (named.second) FileNames.push_back(name);
        fileIndex.emplace(fileId, named.first->second);
    }
    for (const TLineRecord& entry : lines) {
        const auto file = fileIndex.find(entry.File);
        TSourceLine source{file == fileIndex.end() ? 0 : file->second, entry.Line, entry.Type, {}};
        for (const uint32_t spanId : entry.Spans) {
            const auto span = spans.find(spanId);
            const auto segment = span == spans.end() ? segments.end() : segments.find(span->second.Segment);
            if (segment == segments.end() || segment->second + span->second.Start > 0xFFFF) continue;
            const uint32_t start = segment->second + span->second.Start;
            source.Ranges.push_back({uint16_t(start), start + span->second.Size});
        }
        if (file == fileIndex.end() || source.Ranges.empty())
            ++SkippedRecords;
        else
            Lines.push_back(std::move(source));
    }
    for (const TSymbolRecord& symbol : symbols) Labels.Add(symbol.Name, uint16_t(symbol.Value));
    IndexAddresses();
    return !Lines.empty();
}

void TDebugInfo::IndexAddresses() {
    LineAt.assign(0x10000, -1);
    std::vector<uint32_t> sizeAt(0x10000, 0);
    size_t budget = MaxIndexedBytes;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const TSourceLine& source = Lines[i];
        if (source.Type == 2) continue;
        for (const TRange& range : source.Ranges) {
            const uint32_t end = std::min<uint32_t>(range.End, 0x10000);
            const uint32_t size = range.End - range.Start;
            if (end - range.Start > budget) return;
            budget -= end - range.Start;
            for (uint32_t a = range.Start; a < end; ++a) {
                const int32_t held = LineAt[a];
                const int32_t heldType = held < 0 ? -1 : Lines[size_t(held)].Type;
                const bool better = held < 0 || (source.Type == 1 && heldType != 1) ||
                                    (source.Type == heldType && size < sizeAt[a]);
                if (!better) continue;
                LineAt[a] = int32_t(i);
                sizeAt[a] = size;
            }
        }
    }
}

std::optional<uint32_t> TDebugInfo::FileIndex(std::string_view file) const {
    for (uint32_t i = 0; i < FileNames.size(); ++i)
        if (FileNames[i] == file) return i;
    // An editor names files by their full path, the debug file as the assembler was given them.
    std::optional<uint32_t> found;
    size_t longest = 0;
    for (uint32_t i = 0; i < FileNames.size(); ++i)
        if (EndsWithPath(file, FileNames[i]) && FileNames[i].size() > longest) {
            found = i;
            longest = FileNames[i].size();
        }
    return found;
}

std::optional<uint16_t> TDebugInfo::AddressOf(std::string_view file, uint32_t line) const {
    const auto index = FileIndex(file);
    if (!index) return std::nullopt;
    std::optional<uint16_t> first;
    for (const TSourceLine& source : Lines) {
        if (source.File != *index || source.Line != line || source.Type == 2) continue;
        for (const TRange& range : source.Ranges)
            if (!first || range.Start < *first) first = range.Start;
    }
    return first;
}

std::optional<TDebugInfo::TLocation> TDebugInfo::LocationOf(uint16_t address) const {
    const int32_t index = LineAt.empty() ? -1 : LineAt[address];
    if (index < 0) return std::nullopt;
    return TLocation{FileNames[Lines[size_t(index)].File], Lines[size_t(index)].Line};
}

bool LoadDebugInfo(const std::string& path, TDebugInfo& info, std::string& error) {
    std::vector<uint8_t> bytes;
    const THostRead read = ReadHostFile(path, TDebugInfo::MaxFileBytes, bytes);
    if (read != THostRead::Ok) {
        error = read == THostRead::TooLarge ? "the debug file '" + path + "' is larger than 64 MB"
                                            : "cannot read the debug file '" + path + "'";
        return false;
    }
    if (!info.Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
        error = "no line information in '" + path + "'";
        return false;
    }
    return true;
}
