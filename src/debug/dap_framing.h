#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The debug adapter protocol's framing: each message is "Content-Length: N\r\n\r\n" and N bytes
// of JSON. Bytes come in as the connection delivers them; whole bodies go out one at a time.
// Headers and bodies are bounded, so a client cannot make the reader hold more than about
// MaxBodyBytes: a larger message is skipped and reported, a malformed header drops what came
// before the next blank line.
class TDapReader {
public:
    static constexpr size_t MaxHeaderBytes = 1024;
    static constexpr size_t MaxBodyBytes = 1u << 20;

    struct TMessage {
        std::string Body;   // the JSON text (empty when Error is set)
        std::string Error;  // why the message was refused
    };

    void Feed(std::string_view bytes);
    // The next complete message, or nothing until more bytes come.
    std::optional<TMessage> Next();

private:
    std::string Buffer;
    size_t SkipLeft = 0;  // bytes of an oversized body still to drop
};

// A body with its header.
std::string FrameMessage(std::string_view body);
