// The debugger and utility windows: the menu items that open them and what the debugger asks
// of this window.
#include <QAction>

#include "ui/debugger/debug_windows.h"
#include "ui/debugger/debugger_host.h"
#include "ui/main_window.h"
#include "ui/utility/game_database.h"

namespace {

class TMainDebuggerHost : public TDebuggerHost {
public:
    explicit TMainDebuggerHost(TForm_Main& form) : Form(form) {}
    void StopFrameLoop() override { Form.StopEmulation(); }
    void StartFrameLoop() override { Form.StartEmulation(); }
    void StatusText(const char* text) override { Form.StatusMessage(text); }
    void FocusMainWindow() override {
        Form.raise();
        Form.activateWindow();
        Form.setFocus();
    }

private:
    TForm_Main& Form;
};

}  // namespace

void TForm_Main::CreateDebugWindows() {
    DebuggerHost = std::make_unique<TMainDebuggerHost>(*this);
    DebugWindows = std::make_unique<TDebugWindows>(*Machine, *DebuggerHost, this, GameDatabaseDirectories());
    TDebugWindows* windows = DebugWindows.get();
    const std::pair<QAction*, void (TDebugWindows::*)()> items[] = {
        {Menu_Debugger, &TDebugWindows::ShowDebugger},
        {MicroCodeDebugger1, &TDebugWindows::ShowMicroCodeDebugger},
        {MemoryDump1, &TDebugWindows::ShowMemoryDump},
        {CPURegisters1, &TDebugWindows::ShowCpuRegisters},
        {CPUStack1, &TDebugWindows::ShowCpuStack},
        {TEDRegisters2, &TDebugWindows::ShowTedRegisters},
        {BreakPoints1, &TDebugWindows::ShowBreakPoints},
        {SystemInformaion1, &TDebugWindows::ShowSystemInformation},
        {GameDatabase1, &TDebugWindows::ShowGameDatabase},
    };
    for (const auto& [item, show] : items) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, windows, show);
    }
    Menu_QuickRegisters->setEnabled(true);
    connect(Menu_QuickRegisters, &QAction::triggered, this, [this](bool checked) {
        QuickRegistersShown = checked;
        DebugWindows->SetQuickRegistersShown(checked);
        if (checked) activateWindow();
    });
    connect(windows, &TDebugWindows::QuickRegistersClosed, this, [this] {
        QuickRegistersShown = false;
        Menu_QuickRegisters->setChecked(false);
    });
}

void TForm_Main::ShowMachineChange() {
    if (DebugWindows) DebugWindows->MachineChanged();
}

void TForm_Main::ReleaseDebugWindows() {
    DebugWindows.reset();
    DebuggerHost.reset();
}
