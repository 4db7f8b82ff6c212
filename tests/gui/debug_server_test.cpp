// Options › Debug server: an editor's debugger connected to the desktop program.
#include <gtest/gtest.h>

#include <QAction>
#include <QTcpSocket>
#include <QTest>
#include <nlohmann/json.hpp>

#include "debug/dap_framing.h"
#include "gui/form_fixture.h"
#include "ui/debug_server.h"
#include "ui/debugger/debug_windows.h"
#include "ui/debugger/debugger_window.h"

using nlohmann::json;

namespace {

class DebugServerTest : public FormFixture {
protected:
    // The next message from the server that is the event `event` (or any response when empty).
    json Await(const std::string& event) {
        for (int round = 0; round < 200; ++round) {
            while (auto message = Reader.Next()) Received.push_back(json::parse(message->Body));
            for (auto m = Received.begin(); m != Received.end(); ++m)
                if (event.empty() ? (*m)["type"] == "response" : (*m)["event"] == event) {
                    const json found = *m;
                    Received.erase(m);
                    return found;
                }
            if (Socket.waitForReadyRead(50)) Reader.Feed(Socket.readAll().toStdString());
            QCoreApplication::processEvents();
            if (Form && RunFrames) Form->RunFrame();
        }
        return nullptr;
    }
    json Call(const std::string& command, const json& arguments = json::object()) {
        Socket.write(QByteArray::fromStdString(
            FrameMessage(json{{"seq", ++Seq}, {"type", "request"}, {"command", command}, {"arguments", arguments}}.dump())));
        return Await("");
    }

    std::unique_ptr<TForm_Main> Form;
    QTcpSocket Socket;
    TDapReader Reader;
    std::vector<json> Received;
    int Seq = 0;
    bool RunFrames = false;
};

}  // namespace

TEST_F(DebugServerTest, TheMenuItemServesAClientThatStopsTheMachineAtABreakpoint) {
    Form = MakeForm(Options({"--debug-server", "0"}));  // port 0 is refused and reported
    EXPECT_FALSE(Form->DebugServerShown());
    Form->DebugServerPort = 0;  // any free port, for the test
    Form->Menu_DebugServer->trigger();
    ASSERT_TRUE(Form->DebugServerShown());
    EXPECT_TRUE(Form->Menu_DebugServer->isChecked());
    Socket.connectToHost(QHostAddress::LocalHost, Form->DebugServerShown()->Port());
    ASSERT_TRUE(Socket.waitForConnected(5000));
    for (int i = 0; i < 20 && !Form->DebugServerShown()->ClientConnected(); ++i) QCoreApplication::processEvents();

    TMachine& machine = *Form->Machine;
    Form->StopEmulation();
    while (!machine.Cpu.AtOpcodeFetch()) machine.StepClock();  // a new PC counts at a boundary
    const uint8_t program[] = {0xEA, 0xEA, 0x4C, 0x00, 0x20};
    std::copy(std::begin(program), std::end(program), machine.Memory.Image + 0x2000);
    machine.Cpu.PC = 0x2000;
    machine.Cpu.I = 1;
    EXPECT_EQ(Call("initialize")["success"], true);
    EXPECT_EQ(Call("setFunctionBreakpoints", {{"breakpoints", {{{"name", "2002"}}}}})["body"]["breakpoints"][0]["verified"],
              true);
    EXPECT_EQ(Call("continue")["success"], true);
    RunFrames = true;  // the idle timer runs them too
    EXPECT_EQ(Await("stopped")["body"]["reason"], "breakpoint");
    EXPECT_EQ(machine.Cpu.PC, 0x2002);
    EXPECT_TRUE(Form->DebugWindows->Debugger->isVisible());

    // Off again: the session's breakpoints leave with it.
    Form->Menu_DebugServer->trigger();
    EXPECT_FALSE(Form->DebugServerShown());
    EXPECT_FALSE(machine.Cpu.HasBreakpoint(0x2002));
}
