#include "debug/dap_session.h"

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "machine/machine.h"
#include "media/prg_file.h"

using nlohmann::json;

namespace {

enum : int64_t { RegistersRef = 1, StackRef = 2, SymbolsRef = 3 };
constexpr int ThreadId = 1;

// The deepest nesting of arrays and objects in a JSON text, strings skipped: refused before
// the parser sees it, so that no request can exhaust the stack.
size_t Nesting(std::string_view text) {
    size_t depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

std::string Hex(unsigned value, int digits) {
    char text[8];
    std::snprintf(text, sizeof text, "$%0*X", digits, value);
    return text;
}

std::string Base64(const uint8_t* data, size_t size) {
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const uint32_t n = uint32_t(data[i]) << 16 | (i + 1 < size ? uint32_t(data[i + 1]) << 8 : 0) |
                           (i + 2 < size ? data[i + 2] : 0);
        out += Alphabet[n >> 18 & 63];
        out += Alphabet[n >> 12 & 63];
        out += i + 1 < size ? Alphabet[n >> 6 & 63] : '=';
        out += i + 2 < size ? Alphabet[n & 63] : '=';
    }
    return out;
}

json Variable(const std::string& name, const std::string& value) {
    return {{"name", name}, {"value", value}, {"variablesReference", 0}};
}

// A request that cannot be carried out: its message goes back in the error response.
struct TRefused {
    std::string Message;
};

const json& Need(const json& object, const char* key) {
    if (!object.is_object() || !object.contains(key)) throw TRefused{std::string("missing '") + key + "'"};
    return object.at(key);
}

// One instruction, or with `over` a whole subroutine call; false when the budget of clocks ran
// out first (a program that never returns must not hold the session).
bool StepBounded(TMachine& machine, bool over, uint32_t& budget) {
    constexpr uint8_t Jsr = 0x20;
    const bool call = over && machine.Cpu.Cycle == 1 && machine.Memory.Peek(machine.Cpu.PC) == Jsr;
    const uint8_t stack = machine.Cpu.SP;
    do {
        if (budget == 0) return false;
        machine.StepClock();
        --budget;
    } while (machine.Cpu.Cycle != 1 || (call && machine.Cpu.SP != stack));
    return true;
}

// An integer argument; a float (which may not fit) or any other type is refused.
int64_t Integer(const json& value, const char* key) {
    if (!value.is_number_integer()) throw TRefused{std::string("'") + key + "' must be an integer"};
    return value.get<int64_t>();
}

}  // namespace

TDapSession::TDapSession(TDapTarget& target, TSend send) : Target(target), Send(std::move(send)) {}

TDapSession::~TDapSession() {
    // Breakpoints of a session that went away must not stop the machine any more.
    for (const uint16_t address : Applied) Target.Machine().Cpu.RemoveBreakpoint(address);
}

void TDapSession::Receive(std::string_view bytes) {
    Reader.Feed(bytes);
    while (!Finished) {
        auto message = Reader.Next();
        if (!message) break;
        if (!message->Error.empty())
            Respond(json{{"seq", 0}, {"command", ""}}, false, nullptr, message->Error);
        else
            Handle(message->Body);
    }
}

void TDapSession::Handle(const std::string& text) {
    if (Nesting(text) > MaxNesting) {
        Respond(json{{"seq", 0}, {"command", ""}}, false, nullptr, "message nested too deeply");
        return;
    }
    const json request = json::parse(text, nullptr, false);
    if (request.is_discarded() || !request.is_object()) {
        Respond(json{{"seq", 0}, {"command", ""}}, false, nullptr, "malformed message: not a JSON object");
        return;
    }
    const json header{{"seq", request.contains("seq") && request["seq"].is_number_integer() ? request["seq"] : json(0)},
                      {"command", request.contains("command") && request["command"].is_string() ? request["command"]
                                                                                                 : json("")}};
    if (request.value("type", json()) != "request" || header["command"] == "") {
        Respond(header, false, nullptr, "not a request");
        return;
    }
    try {
        Dispatch(request);
    } catch (const TRefused& refused) {
        Respond(header, false, nullptr, refused.Message);
    } catch (const json::exception& error) {
        Respond(header, false, nullptr, std::string("bad arguments: ") + error.what());
    }
}

void TDapSession::Respond(const json& request, bool success, const json& body, const std::string& message) {
    json response{{"seq", Seq++},
                  {"type", "response"},
                  {"request_seq", request.value("seq", json(0))},
                  {"success", success},
                  {"command", request.value("command", json(""))}};
    if (!body.is_null()) response["body"] = body;
    if (!message.empty()) response["message"] = message;
    Send(FrameMessage(response.dump(-1, ' ', false, json::error_handler_t::replace)));
}

void TDapSession::Event(const std::string& name, const json& body) {
    json event{{"seq", Seq++}, {"type", "event"}, {"event", name}};
    if (!body.is_null()) event["body"] = body;
    Send(FrameMessage(event.dump(-1, ' ', false, json::error_handler_t::replace)));
}

void TDapSession::Stopped(const std::string& reason) {
    Event("stopped", {{"reason", reason}, {"threadId", ThreadId}, {"allThreadsStopped", true}});
}

void TDapSession::BreakpointReached() { Stopped("breakpoint"); }

void TDapSession::Dispatch(const json& request) {
    const std::string command = request["command"];
    const json arguments = request.value("arguments", json::object());
    TMachine& machine = Target.Machine();
    if (command == "initialize") {
        Respond(request, true,
                {{"supportsConfigurationDoneRequest", true}, {"supportsSteppingGranularity", true},
                 {"supportsFunctionBreakpoints", true}, {"supportsReadMemoryRequest", true},
                 {"supportsEvaluateForHovers", true}, {"supportsTerminateRequest", false}},
                {});
        Event("initialized", nullptr);
    } else if (command == "launch" || command == "attach") {
        Launch(arguments);
        Respond(request, true, nullptr, {});
    } else if (command == "configurationDone") {
        Respond(request, true, nullptr, {});
        if (StopOnEntry) {
            Target.Pause();
            Stopped("entry");
        } else {
            Target.Resume();
        }
    } else if (command == "setBreakpoints") {
        Respond(request, true, SetBreakpoints(arguments), {});
    } else if (command == "setFunctionBreakpoints") {
        Respond(request, true, SetFunctionBreakpoints(arguments), {});
    } else if (command == "setExceptionBreakpoints") {
        Respond(request, true, {{"breakpoints", json::array()}}, {});
    } else if (command == "threads") {
        Respond(request, true, {{"threads", json::array({{{"id", ThreadId}, {"name", "6502"}}})}}, {});
    } else if (command == "stackTrace") {
        Respond(request, true, StackTrace(), {});
    } else if (command == "scopes") {
        json scopes = json::array({{{"name", "Registers"}, {"variablesReference", RegistersRef}, {"expensive", false}},
                                   {{"name", "Stack"}, {"variablesReference", StackRef}, {"expensive", false}}});
        if (!Labels.Empty())
            scopes.push_back({{"name", "Symbols"}, {"variablesReference", SymbolsRef}, {"expensive", true}});
        Respond(request, true, {{"scopes", scopes}}, {});
    } else if (command == "variables") {
        Respond(request, true, Variables(Integer(Need(arguments, "variablesReference"), "variablesReference")), {});
    } else if (command == "continue") {
        Respond(request, true, {{"allThreadsContinued", true}}, {});
        Target.Resume();
    } else if (command == "pause") {
        Respond(request, true, nullptr, {});
        if (Target.Running()) {
            Target.Pause();
            Stopped("pause");
        }
    } else if (command == "next" || command == "stepIn" || command == "stepOut") {
        if (Target.Running()) throw TRefused{"the machine is running: pause it first"};
        Respond(request, true, nullptr, {});
        Step(command, arguments);
    } else if (command == "readMemory") {
        Respond(request, true, ReadMemory(arguments), {});
    } else if (command == "evaluate") {
        Respond(request, true, Evaluate(arguments), {});
    } else if (command == "disconnect") {
        for (const uint16_t address : Applied) machine.Cpu.RemoveBreakpoint(address);
        Applied.clear();
        Breakpoints.clear();
        Respond(request, true, nullptr, {});
        Finished = true;
    } else {
        throw TRefused{"unsupported request '" + command + "'"};
    }
}

void TDapSession::Launch(const json& arguments) {
    StopOnEntry = arguments.value("stopOnEntry", false);
    SourceRoot = arguments.value("sourceRoot", std::string());
    std::string error;
    if (arguments.contains("dbgFile")) {
        const std::string path = arguments["dbgFile"];
        auto info = std::make_unique<TDebugInfo>();
        if (!LoadDebugInfo(path, *info, error)) throw TRefused{error};
        if (SourceRoot.empty()) SourceRoot = std::filesystem::path(path).parent_path().string();
        for (const auto& [name, address] : info->Symbols().Names()) Labels.Add(name, address);
        Info = std::move(info);
    }
    if (arguments.contains("labels") && !LoadLabelFile(arguments["labels"].get<std::string>(), Labels, error))
        throw TRefused{error};
    if (arguments.contains("program")) {
        const std::string program = arguments["program"];
        const TPrgLoadResult loaded = LoadPrgFile(Target.Machine().Memory, program, arguments.value("run", false));
        if (loaded.Status == TPrgLoadStatus::CannotRead || loaded.Status == TPrgLoadStatus::Dropped)
            throw TRefused{"cannot load the program '" + program + "'"};
    }
    if (arguments.contains("start")) {
        const auto start = Resolve(arguments["start"].get<std::string>());
        if (!start) throw TRefused{"unknown start address or label"};
        Target.Machine().Cpu.PC = *start;
    }
}

std::optional<uint16_t> TDapSession::Resolve(std::string_view text) const { return ResolveAddress(text, Labels); }

std::string TDapSession::SourcePath(const std::string& file) const {
    const std::filesystem::path path(file);
    if (path.is_absolute() || SourceRoot.empty()) return file;
    return (std::filesystem::path(SourceRoot) / path).lexically_normal().string();
}

json TDapSession::SetBreakpoints(const json& arguments) {
    const std::string path = Need(Need(arguments, "source"), "path");
    const json asked = arguments.value("breakpoints", json::array());
    if (!asked.is_array() || asked.size() > MaxBreakpointsAsked) throw TRefused{"too many breakpoints"};
    std::set<uint16_t>& addresses = Breakpoints[path];
    addresses.clear();
    std::vector<std::optional<uint16_t>> found;
    for (const json& breakpoint : asked) {
        const int64_t line = Integer(Need(breakpoint, "line"), "line");
        found.push_back(Info && line > 0 && line <= INT32_MAX ? Info->AddressOf(path, uint32_t(line)) : std::nullopt);
        if (found.back()) addresses.insert(*found.back());
    }
    ApplyBreakpoints();
    json result = json::array();
    for (size_t i = 0; i < found.size(); ++i) {
        const bool set = found[i] && Target.Machine().Cpu.HasBreakpoint(*found[i]);
        json entry{{"verified", set}, {"line", asked[i]["line"]}};
        if (!set) entry["message"] = found[i] ? "no more than 16 breakpoints" : "no code on this line";
        result.push_back(entry);
    }
    return {{"breakpoints", result}};
}

json TDapSession::SetFunctionBreakpoints(const json& arguments) {
    const json asked = arguments.value("breakpoints", json::array());
    if (!asked.is_array() || asked.size() > MaxBreakpointsAsked) throw TRefused{"too many breakpoints"};
    std::set<uint16_t>& addresses = Breakpoints[""];
    addresses.clear();
    std::vector<std::optional<uint16_t>> found;
    for (const json& breakpoint : asked) {
        found.push_back(Resolve(Need(breakpoint, "name").get<std::string>()));
        if (found.back()) addresses.insert(*found.back());
    }
    ApplyBreakpoints();
    json result = json::array();
    for (const auto& address : found)
        result.push_back({{"verified", address && Target.Machine().Cpu.HasBreakpoint(*address)}});
    return {{"breakpoints", result}};
}

void TDapSession::ApplyBreakpoints() {
    TCPU& cpu = Target.Machine().Cpu;
    for (const uint16_t address : Applied) cpu.RemoveBreakpoint(address);
    Applied.clear();
    for (const auto& [source, addresses] : Breakpoints)
        for (const uint16_t address : addresses)
            if (!cpu.HasBreakpoint(address) && cpu.AddBreakpoint(address)) Applied.insert(address);
}

json TDapSession::StackTrace() {
    const TMachine& machine = Target.Machine();
    const uint16_t pc = machine.Cpu.PC;
    // The frame is named by the nearest label at or below PC.
    std::string name = Hex(pc, 4);
    for (uint32_t back = 0; back < 0x1000 && back <= pc; ++back)
        if (const std::string* label = Labels.NameAt(uint16_t(pc - back))) {
            name = *label;
            if (back) name.append(1, '+').append(std::to_string(back));
            break;
        }
    json frame{{"id", 0}, {"name", name}, {"line", 0}, {"column", 0},
               {"instructionPointerReference", "0x" + Hex(pc, 4).substr(1)}};
    if (Info)
        if (const auto where = Info->LocationOf(pc)) {
            const std::string path = SourcePath(where->File);
            frame["source"] = {{"name", std::filesystem::path(path).filename().string()}, {"path", path}};
            frame["line"] = where->Line;
            frame["column"] = 1;
        }
    return {{"stackFrames", json::array({frame})}, {"totalFrames", 1}};
}

json TDapSession::Variables(int64_t reference) {
    const TMachine& machine = Target.Machine();
    const TCPU& cpu = machine.Cpu;
    json list = json::array();
    if (reference == RegistersRef) {
        const char flags[] = {cpu.N ? 'N' : '.', cpu.V ? 'V' : '.', '-', cpu.B ? 'B' : '.',
                              cpu.D ? 'D' : '.', cpu.I ? 'I' : '.', cpu.Z ? 'Z' : '.', cpu.C ? 'C' : '.', 0};
        list = json::array({Variable("PC", Hex(cpu.PC, 4)), Variable("A", Hex(cpu.A, 2)), Variable("X", Hex(cpu.X, 2)),
                            Variable("Y", Hex(cpu.Y, 2)), Variable("SP", Hex(cpu.SP, 2)), Variable("P", flags)});
    } else if (reference == StackRef) {
        for (unsigned at = 0x1FF; at > 0x100u + cpu.SP; --at)
            list.push_back(Variable(Hex(at, 4), Hex(machine.Memory.Peek(uint16_t(at)), 2)));
    } else if (reference == SymbolsRef) {
        for (const auto& [name, address] : Labels.Names()) {
            if (list.size() >= MaxSymbolsShown) break;
            list.push_back(Variable(name, Hex(address, 4) + ": " + Hex(machine.Memory.Peek(address), 2)));
        }
    } else {
        throw TRefused{"unknown variables reference"};
    }
    return {{"variables", list}};
}

json TDapSession::ReadMemory(const json& arguments) {
    std::string reference = Need(arguments, "memoryReference");
    if (reference.rfind("0x", 0) == 0) reference.replace(0, 2, "$");
    const auto base = Resolve(reference);
    if (!base) throw TRefused{"unknown memory reference"};
    const int64_t offset = arguments.contains("offset") ? Integer(arguments["offset"], "offset") : 0;
    const int64_t count = Integer(Need(arguments, "count"), "count");
    if (count < 0 || count > MaxReadBytes || offset < -0xFFFF || offset > 0xFFFF)
        throw TRefused{"readMemory reads at most 65536 bytes within the address space"};
    const int64_t start = int64_t(*base) + offset;
    if (start < 0 || start > 0xFFFF) throw TRefused{"address outside $0000-$FFFF"};
    const int64_t readable = std::min<int64_t>(count, 0x10000 - start);
    std::vector<uint8_t> bytes(static_cast<size_t>(readable));
    for (int64_t i = 0; i < readable; ++i) bytes[size_t(i)] = Target.Machine().Memory.Peek(uint16_t(start + i));
    return {{"address", "0x" + Hex(unsigned(start), 4).substr(1)},
            {"data", Base64(bytes.data(), bytes.size())},
            {"unreadableBytes", count - readable}};
}

json TDapSession::Evaluate(const json& arguments) {
    const std::string expression = Need(arguments, "expression");
    const auto address = Resolve(expression);
    if (!address) throw TRefused{"'" + expression.substr(0, 64) + "' is not a label or an address"};
    return {{"result", Hex(*address, 4) + ": " + Hex(Target.Machine().Memory.Peek(*address), 2)},
            {"variablesReference", 0},
            {"memoryReference", "0x" + Hex(*address, 4).substr(1)}};
}

void TDapSession::Step(const std::string& command, const json& arguments) {
    TMachine& machine = Target.Machine();
    const bool byInstruction = arguments.value("granularity", std::string()) == "instruction" || !Info;
    const bool over = command != "stepIn";
    uint32_t budget = StepClocks;
    if (command == "stepOut") {
        // Until an RTS or RTI takes the stack above where it is now.
        const uint8_t stackNow = machine.Cpu.SP;
        for (;;) {
            const uint8_t opcode = machine.Memory.Peek(machine.Cpu.PC);
            if (!StepBounded(machine, true, budget)) break;
            if ((opcode == 0x60 || opcode == 0x40) && machine.Cpu.SP > stackNow) break;
        }
    } else if (byInstruction) {
        StepBounded(machine, over, budget);
    } else {
        const auto from = Info->LocationOf(machine.Cpu.PC);
        while (StepBounded(machine, over, budget)) {
            const auto now = Info->LocationOf(machine.Cpu.PC);
            if (now && (!from || now->Line != from->Line || now->File != from->File)) break;
        }
    }
    machine.EndOfFrame();
    Stopped("step");
}
