// The debug server's input: any bytes from a client, framed or not, read by a debug session of
// a machine without ROMs. Every answer must be a framed JSON message.
//
// Input: the bytes the client sends, delivered in pieces whose sizes the first byte sets.
#include <nlohmann/json.hpp>

#include "debug/dap_session.h"
#include "fuzz_support.h"
#include "machine/machine.h"

namespace {

using namespace fuzz;

class TStillTarget : public TDapTarget {
public:
    TMachine& Machine() override {
        static const auto machine = [] {
            auto made = std::make_unique<TMachine>(TNullHost::Instance(), std::string("/nonexistent/"));
            made->PowerUp(0);
            return made;
        }();
        return *machine;
    }
    bool Running() const override { return Runs; }
    void Resume() override { Runs = true; }
    void Pause() override { Runs = false; }
    bool Runs = false;
};

std::string Framed(const std::string& body) { return FrameMessage(body); }

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    const std::string session =
        Framed(R"({"seq":1,"type":"request","command":"initialize","arguments":{}})") +
        Framed(R"({"seq":2,"type":"request","command":"setFunctionBreakpoints","arguments":{"breakpoints":[{"name":"$1000"}]}})") +
        Framed(R"({"seq":3,"type":"request","command":"readMemory","arguments":{"memoryReference":"0xFFF0","count":32}})") +
        Framed(R"({"seq":4,"type":"request","command":"next","arguments":{"threadId":1}})") +
        Framed(R"({"seq":5,"type":"request","command":"variables","arguments":{"variablesReference":2}})");
    Bytes bytes{7};
    bytes.insert(bytes.end(), session.begin(), session.end());
    return {{"session", bytes}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input(data, size);
    const size_t piece = input.Byte() % 64 + 1;
    TStillTarget target;
    TDapReader answers;
    size_t sent = 0;
    {
        TDapSession session(target, [&](const std::string& framed) {
            answers.Feed(framed);
            ++sent;
        });
        session.StepClocks = 2000;
        while (input.Left() > 0 && !session.Ended()) session.Receive(input.Text(piece));
    }
    size_t read = 0;
    while (auto message = answers.Next()) {
        FUZZ_CHECK(message->Error.empty());
        const auto json = nlohmann::json::parse(message->Body, nullptr, false);
        FUZZ_CHECK(json.is_object() && json.contains("type"));
        ++read;
    }
    FUZZ_CHECK(read == sent);
    // The session's breakpoints leave with it.
    FUZZ_CHECK(target.Machine().Cpu.ValidBreakpointCount() == 0);
    return 0;
}
