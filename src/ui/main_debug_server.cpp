// Options › Debug server and --debug-server PORT: the debug adapter protocol server that lets an
// editor's debugger drive the machine.
#include <QAction>
#include <QMenu>

#include "ui/debug_server.h"
#include "ui/debugger/debug_windows.h"
#include "ui/debugger/debugger_window.h"
#include "ui/main_window.h"

namespace {

// The session runs and stops the machine as the debugger's Run/Stop does, so that the
// debugger's windows follow.
class TMainDapTarget : public TDapTarget {
public:
    explicit TMainDapTarget(TForm_Main& form) : Form(form) {}
    TMachine& Machine() override { return *Form.Machine; }
    bool Running() const override { return !Form.Machine->EmulationStopped; }
    void Resume() override {
        if (Form.DebugWindows) Form.DebugWindows->Debugger->Run();
        else Form.StartEmulation();
    }
    void Pause() override {
        if (Form.DebugWindows) Form.DebugWindows->Debugger->StopEmulation();
        else Form.StopEmulation();
    }

private:
    TForm_Main& Form;
};

}  // namespace

void TForm_Main::CreateDebugServerItem(QMenu* options) {
    Menu_DebugServer = options->addAction(QStringLiteral("&Debug server"));
    Menu_DebugServer->setCheckable(true);
    connect(Menu_DebugServer, &QAction::triggered, this, [this](bool on) { SetDebugServer(on); });
}

void TForm_Main::TakeDebugServerArgument() {
    const qsizetype at = Arguments.indexOf(QStringLiteral("--debug-server"));
    if (at < 0) return;
    bool ok = at + 1 < Arguments.size();
    const uint port = ok ? Arguments.at(at + 1).toUInt(&ok) : 0;
    Arguments.remove(at, ok ? 2 : 1);
    if (!ok || port == 0 || port > 65535) {
        StatusMessage("--debug-server needs a port number from 1 to 65535.");
        return;
    }
    DebugServerPort = uint16_t(port);
    SetDebugServer(true);
}

bool TForm_Main::SetDebugServer(bool on) {
    if (!on) {
        if (!DebugServer) return true;
        DebugServer.reset();  // its session takes its breakpoints out through the target
        DebugServerTarget.reset();
        if (Menu_DebugServer) Menu_DebugServer->setChecked(false);
        StatusMessage("Debug server stopped.");
        return true;
    }
    if (!DebugServer) {
        DebugServerTarget = std::make_unique<TMainDapTarget>(*this);
        DebugServer = std::make_unique<TDebugServer>(*DebugServerTarget);
        QString error;
        if (!DebugServer->Listen(DebugServerPort, error)) {
            DebugServer.reset();
            DebugServerTarget.reset();
            if (Menu_DebugServer) Menu_DebugServer->setChecked(false);
            const QByteArray text = QStringLiteral("The debug server cannot listen on port %1: %2")
                                        .arg(DebugServerPort).arg(error).toUtf8();
            ErrorBox(text.constData());
            return false;
        }
    }
    if (Menu_DebugServer) Menu_DebugServer->setChecked(true);
    const QByteArray text = QStringLiteral("Debug server listening on 127.0.0.1:%1.").arg(DebugServer->Port()).toUtf8();
    StatusMessage(text.constData());
    return true;
}
