#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "debug/dap_framing.h"
#include "run_tool.h"

// An editor's debug session with the runner's debug server, driven over a socket as a debug
// adapter protocol client does.

using nlohmann::json;

namespace {

// $0400 prog.s lines 1-5: start: LDX #3 / loop: DEX / BNE loop / STX $10 / done: JMP done
const std::vector<uint8_t> CountDown = {0xA2, 0x03, 0xCA, 0xD0, 0xFD, 0x86, 0x10, 0x4C, 0x07, 0x04};

const char* const DebugFile =
    "version\tmajor=2,minor=0\n"
    "file\tid=0,name=\"prog.s\",size=100,mtime=0x0,mod=0\n"
    "seg\tid=0,name=\"CODE\",start=0x000400,size=0x000A,addrsize=absolute,type=ro\n"
    "span\tid=0,seg=0,start=0,size=2\nspan\tid=1,seg=0,start=2,size=1\nspan\tid=2,seg=0,start=3,size=2\n"
    "span\tid=3,seg=0,start=5,size=2\nspan\tid=4,seg=0,start=7,size=3\n"
    "line\tid=0,file=0,line=1,span=0\nline\tid=1,file=0,line=2,span=1\nline\tid=2,file=0,line=3,span=2\n"
    "line\tid=3,file=0,line=4,span=3\nline\tid=4,file=0,line=5,span=4\n"
    "sym\tid=0,name=\"start\",addrsize=absolute,scope=0,def=0,val=0x0400,seg=0,type=lab\n";

uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

class TClient {
public:
    explicit TClient(uint16_t port) : Fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        Connected = connect(Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~TClient() { close(Fd); }

    void SendRaw(const std::string& bytes) { ASSERT_EQ(send(Fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }
    int Request(const std::string& command, const json& arguments = json::object()) {
        SendRaw(FrameMessage(json{{"seq", Seq}, {"type", "request"}, {"command", command}, {"arguments", arguments}}.dump()));
        return Seq++;
    }
    // The next message that is the event `name`, or the response to request `seq`; null when the
    // server sends nothing more (the 10 s bound only keeps a broken server from hanging the test).
    json Await(const std::string& event, int seq = -1) {
        for (;;) {
            while (auto message = Reader.Next()) {
                const json m = json::parse(message->Body);
                if (event.empty() ? m["type"] == "response" && m["request_seq"] == seq : m["event"] == event) return m;
            }
            pollfd wait{Fd, POLLIN, 0};
            char buffer[4096];
            if (poll(&wait, 1, 10000) <= 0) return nullptr;
            const ssize_t n = recv(Fd, buffer, sizeof buffer, 0);
            if (n <= 0) return nullptr;
            Reader.Feed(std::string_view(buffer, size_t(n)));
        }
    }
    json Call(const std::string& command, const json& arguments = json::object()) {
        return Await("", Request(command, arguments));
    }

    int Fd;
    bool Connected = false;

private:
    TDapReader Reader;
    int Seq = 1;
};

}  // namespace

TEST(DebugServer, ASessionStopsAtASourceLineAndStepsToTheNext) {
    TScratchDir dir;
    const auto prog = dir.Write("prog.bin", CountDown);
    const auto dbg = dir.Write("prog.dbg", std::vector<uint8_t>(DebugFile, DebugFile + std::strlen(DebugFile)));
    const uint16_t port = FreePort();
    FILE* server = popen((BinDir() + "/varlume-run --machine custom --rom-off --load 0400:" + prog +
                          " --pc 0400 --debug-server " + std::to_string(port))
                             .c_str(),
                         "r");
    ASSERT_NE(server, nullptr);
    char line[128] = {};
    ASSERT_NE(fgets(line, sizeof line, server), nullptr);
    EXPECT_EQ(std::string(line), "debug server listening on 127.0.0.1:" + std::to_string(port) + "\n");
    {
        TClient client(port);
        ASSERT_TRUE(client.Connected);
        EXPECT_TRUE(client.Call("initialize", {{"adapterID", "varlume"}})["success"].get<bool>());
        EXPECT_FALSE(client.Await("initialized").is_null());
        EXPECT_TRUE(client.Call("launch", {{"dbgFile", dbg}})["success"].get<bool>());
        const json set = client.Call("setBreakpoints", {{"source", {{"path", dir / "prog.s"}}},
                                                        {"breakpoints", {{{"line", 4}}, {{"line", 99}}}}});
        EXPECT_EQ(set["body"]["breakpoints"][0]["verified"], true) << set;
        EXPECT_EQ(set["body"]["breakpoints"][1]["verified"], false) << set;
        client.Call("configurationDone");

        const json stopped = client.Await("stopped");
        EXPECT_EQ(stopped["body"]["reason"], "breakpoint") << stopped;
        json frame = client.Call("stackTrace", {{"threadId", 1}})["body"]["stackFrames"][0];
        EXPECT_EQ(frame["line"], 4) << frame;
        EXPECT_EQ(frame["source"]["path"], dir / "prog.s");
        EXPECT_EQ(frame["name"], "start+5");
        const json scopes = client.Call("scopes", {{"frameId", 0}})["body"]["scopes"];
        ASSERT_GE(scopes.size(), 2u);
        const json registers = client.Call("variables", {{"variablesReference", scopes[0]["variablesReference"]}});
        EXPECT_EQ(registers["body"]["variables"][0], json({{"name", "PC"}, {"value", "$0405"}, {"variablesReference", 0}}));
        EXPECT_EQ(registers["body"]["variables"][2]["value"], "$00");  // X counted down

        client.Call("next", {{"threadId", 1}});
        EXPECT_EQ(client.Await("stopped")["body"]["reason"], "step");
        frame = client.Call("stackTrace", {{"threadId", 1}})["body"]["stackFrames"][0];
        EXPECT_EQ(frame["line"], 5) << frame;

        // Refused, answered and survived: a malformed body, a bad header, an oversized message,
        // nesting beyond the bound, a bad argument and an unknown request.
        for (const std::string& bad :
             {FrameMessage("{not json"), std::string("Content-Length: x\r\n\r\n"),
              FrameMessage(std::string(TDapReader::MaxBodyBytes + 1, ' ')), FrameMessage(std::string(100, '[')),
              FrameMessage(R"({"seq":50,"type":"request","command":"variables","arguments":{"variablesReference":"x"}})"),
              FrameMessage(R"({"seq":51,"type":"request","command":"fly"})")}) {
            client.SendRaw(bad);
            const json error = client.Await("", bad.find("\"seq\":5") != std::string::npos
                                                    ? std::stoi(bad.substr(bad.find("\"seq\":5") + 6, 2))
                                                    : 0);
            ASSERT_FALSE(error.is_null()) << bad.substr(0, 60);
            EXPECT_EQ(error["success"], false) << error;
        }
        EXPECT_TRUE(client.Call("evaluate", {{"expression", "start"}})["success"].get<bool>());
        EXPECT_TRUE(client.Call("disconnect")["success"].get<bool>());
    }
    const int status = pclose(server);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
