#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "debug/dap_framing.h"
#include "debug/debug_info.h"
#include "debug/symbols.h"

class TMachine;

// What a debug session needs of the program that runs the machine: the desktop's frame loop or
// the headless runner's.
class TDapTarget {
public:
    virtual ~TDapTarget() = default;
    virtual TMachine& Machine() = 0;
    virtual bool Running() const = 0;
    // Runs the frame loop until a breakpoint (reported through TDapSession::Stopped) or Pause.
    virtual void Resume() = 0;
    virtual void Pause() = 0;
};

// One client's debug adapter protocol session: requests in, responses and events out. It sets
// breakpoints by source line through the program's --dbgfile information or by label, steps by
// instruction and by source line, and shows registers, stack, memory and symbols. Every request
// that cannot be carried out, malformed or too large ones included, gets an error response.
class TDapSession {
public:
    using TSend = std::function<void(const std::string& framed)>;
    static constexpr size_t MaxNesting = 64;          // JSON depth of a request
    static constexpr size_t MaxBreakpointsAsked = 1000;  // per setBreakpoints request
    static constexpr uint32_t MaxReadBytes = 0x10000;
    static constexpr size_t MaxSymbolsShown = 2000;
    // Bound of one step (by source line, over a call, out of one): two seconds of machine time.
    static constexpr uint32_t LineStepClocks = 100 * 35568;

    TDapSession(TDapTarget& target, TSend send);
    ~TDapSession();

    // Bytes from the client: every complete message in them is handled.
    void Receive(std::string_view bytes);
    // The frame loop stopped at a breakpoint.
    void BreakpointReached();
    // The client said disconnect: the owner closes the connection.
    bool Ended() const { return Finished; }
    // Clocks a step may take at most (LineStepClocks unless a test asks for fewer).
    uint32_t StepClocks = LineStepClocks;

private:
    void Handle(const std::string& body);
    void Dispatch(const nlohmann::json& request);
    void Respond(const nlohmann::json& request, bool success, const nlohmann::json& body, const std::string& message);
    void Event(const std::string& name, const nlohmann::json& body);
    void Stopped(const std::string& reason);

    void Launch(const nlohmann::json& arguments);
    nlohmann::json SetBreakpoints(const nlohmann::json& arguments);
    nlohmann::json SetFunctionBreakpoints(const nlohmann::json& arguments);
    nlohmann::json StackTrace();
    nlohmann::json Variables(int64_t reference);
    nlohmann::json ReadMemory(const nlohmann::json& arguments);
    nlohmann::json Evaluate(const nlohmann::json& arguments);
    void Step(const std::string& command, const nlohmann::json& arguments);
    // The CPU's breakpoints: every address a source or function breakpoint asks for.
    void ApplyBreakpoints();
    std::optional<uint16_t> Resolve(std::string_view text) const;
    std::string SourcePath(const std::string& file) const;

    TDapTarget& Target;
    TSend Send;
    TDapReader Reader;
    int64_t Seq = 1;
    bool Finished = false;
    bool StopOnEntry = false;
    std::unique_ptr<TDebugInfo> Info;
    TSymbolTable Labels;
    std::string SourceRoot;
    std::map<std::string, std::set<uint16_t>> Breakpoints;  // by source path, "" for functions
    std::set<uint16_t> Applied;                            // what this session put into the CPU
};
