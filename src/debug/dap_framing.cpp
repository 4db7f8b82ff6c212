#include "debug/dap_framing.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

// The Content-Length field of a header block; other fields are allowed and ignored.
std::optional<size_t> ContentLength(std::string_view header) {
    std::optional<size_t> length;
    while (!header.empty()) {
        const auto end = header.find("\r\n");
        const std::string_view field = header.substr(0, end);
        header = end == std::string_view::npos ? std::string_view() : header.substr(end + 2);
        const auto colon = field.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        std::string name(field.substr(0, colon));
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (name != "content-length") continue;
        std::string_view value = field.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        size_t n = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (value.empty() || ec != std::errc() || ptr != value.data() + value.size()) return std::nullopt;
        length = n;
    }
    return length;
}

}  // namespace

void TDapReader::Feed(std::string_view bytes) {
    if (SkipLeft > 0) {
        const size_t dropped = std::min(SkipLeft, bytes.size());
        SkipLeft -= dropped;
        bytes.remove_prefix(dropped);
    }
    Buffer.append(bytes);
}

std::optional<TDapReader::TMessage> TDapReader::Next() {
    if (SkipLeft > 0) return std::nullopt;
    const auto headerEnd = Buffer.find("\r\n\r\n");
    if (headerEnd == std::string::npos) {
        if (Buffer.size() <= MaxHeaderBytes) return std::nullopt;
        Buffer.clear();
        return TMessage{{}, "message header too long"};
    }
    if (headerEnd > MaxHeaderBytes) {
        Buffer.erase(0, headerEnd + 4);
        return TMessage{{}, "message header too long"};
    }
    const auto length = ContentLength(std::string_view(Buffer).substr(0, headerEnd));
    if (!length) {
        Buffer.erase(0, headerEnd + 4);
        return TMessage{{}, "malformed message header (no valid Content-Length)"};
    }
    const size_t bodyStart = headerEnd + 4;
    if (*length > MaxBodyBytes) {
        const size_t here = Buffer.size() - bodyStart;
        SkipLeft = *length > here ? *length - here : 0;
        Buffer.erase(0, std::min(Buffer.size(), bodyStart + *length));
        return TMessage{{}, "message larger than " + std::to_string(MaxBodyBytes) + " bytes"};
    }
    if (Buffer.size() - bodyStart < *length) return std::nullopt;
    TMessage message{Buffer.substr(bodyStart, *length), {}};
    Buffer.erase(0, bodyStart + *length);
    return message;
}

std::string FrameMessage(std::string_view body) {
    std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    framed.append(body);
    return framed;
}
