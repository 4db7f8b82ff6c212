#pragma once
// The debugger windows around a ROM-less machine with a program in RAM, and a main window
// stand-in that records what the debugger asks of it.
#include <gtest/gtest.h>

#include <QWidget>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "gui/qt_application.h"
#include "machine/machine.h"
#include "ui/debugger/debug_windows.h"
#include "ui/debugger/debugger_host.h"
#include "ui/debugger/debugger_window.h"

class TRecordingDebuggerHost : public TDebuggerHost {
public:
    void StopFrameLoop() override { Machine->Stop(); }
    void StartFrameLoop() override { Machine->Start(); }
    void StatusText(const char* text) override { Status.push_back(text); }
    void FocusMainWindow() override { ++Focused; }

    TMachine* Machine = nullptr;
    std::vector<std::string> Status;
    int Focused = 0;
};

// What the machine reports: status texts, frames, and breakpoints passed on to the windows.
class TDebuggerCoreHost : public THost {
public:
    void StatusMessage(const char* text) override { Status.push_back(text); }
    void AppendLog(const char*) override {}
    void ErrorBox(const char*) override {}
    void BreakpointReached() override {
        if (Windows) Windows->BreakpointReached();
    }
    void EndOfFrame(bool) override { ++Frames; }

    TDebugWindows* Windows = nullptr;
    std::vector<std::string> Status;
    int Frames = 0;
};

class DebuggerTest : public ::testing::Test {
protected:
    DebuggerTest() {
        Machine->PowerUp(MachineCustom);
        Machine->Memory.SetRomEnabled(0);
        Machine->Cpu.PC = 0x2000;
        Machine->Cpu.SP = 0xF0;
        Machine->Cpu.I = 1;
        Host.Machine = Machine.get();
        Windows = std::make_unique<TDebugWindows>(*Machine, Host, &Main, QStringList());
        Core.Windows = Windows.get();
    }

    void Put(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) Machine->Memory.Image[address++] = b;
    }

    void Stop() { Windows->Debugger->StopEmulation(); }

    QApplication& Application = TestApplication();  // before any widget
    TDebuggerCoreHost Core;
    std::unique_ptr<TMachine> Machine = std::make_unique<TMachine>(Core, "/nonexistent/");
    TRecordingDebuggerHost Host;
    QWidget Main;
    std::unique_ptr<TDebugWindows> Windows;
};
