#pragma once
// Shared set-up for the processor tests: a 64 KB bus with ROM off, so $0002-$FCFF and
// $FF40-$FFFF (the vectors included) are plain RAM, and a host that records every report.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/host.h"
#include "cpu/cpu.h"
#include "memory/memory.h"

inline void PrintTo(const TBusAccess& access, std::ostream* os) {
    char text[24];
    std::snprintf(text, sizeof text, "%s $%.4X=$%.2X", access.IsWrite ? "W" : "R", unsigned(access.Address),
                  unsigned(access.Value));
    *os << text;
}

inline TBusAccess R(uint16_t address, uint8_t value) { return {address, value, false}; }
inline TBusAccess W(uint16_t address, uint8_t value) { return {address, value, true}; }

class TRecordingHost : public THost {
public:
    void StatusMessage(const char* text) override { Events.push_back(std::string("status:") + text); }
    void AppendLog(const char* line) override { Events.push_back(std::string("log:") + line); }
    void ErrorBox(const char* text) override { Events.push_back(std::string("error:") + text); }
    void BreakpointReached() override { Events.push_back("breakpoint"); }
    void EndOfFrame(bool) override {}
    std::vector<std::string> Events;
};

using TClockTrace = std::vector<std::vector<TBusAccess>>;

class CpuTest : public ::testing::Test {
protected:
    CpuTest() {
        Cpu.SetMemory(&Mem);
        Cpu.SetHost(&Host);
        Cpu.PowerOn();
    }

    void Poke(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) Mem.Image[address++] = b;
    }

    // Puts a program at `pc` and makes it the next instruction.
    void Place(uint16_t pc, std::initializer_list<uint8_t> program) {
        Poke(pc, program);
        Cpu.PC = pc;
        Cpu.Cycle = 1;
    }

    // Steps to the next instruction boundary and returns the clocks taken; checks that Cycle
    // counts up by one per clock on the way.
    int RunInstruction(int limit = 16) {
        int clocks = 0;
        do {
            Cpu.Step();
            ++clocks;
            if (Cpu.Cycle != 1) {
                EXPECT_EQ(Cpu.Cycle, uint32_t(clocks + 1));
            }
        } while (Cpu.Cycle != 1 && clocks < limit);
        return clocks;
    }

    // The bus accesses of each clock of one instruction.
    TClockTrace TraceInstruction(int limit = 16) {
        TClockTrace trace;
        do {
            Mem.AccessLog.clear();
            Cpu.Step();
            trace.push_back(Mem.AccessLog);
        } while (Cpu.Cycle != 1 && int(trace.size()) < limit);
        Mem.AccessLog.clear();
        return trace;
    }

    std::vector<TBusAccess> StepLogged() {
        Mem.AccessLog.clear();
        Cpu.Step();
        std::vector<TBusAccess> log = Mem.AccessLog;
        Mem.AccessLog.clear();
        return log;
    }

    uint8_t Stack(uint8_t sp) const { return Mem.Image[0x100 + sp]; }

    TMemory Mem{2};
    TCPU Cpu;
    TRecordingHost Host;
};
