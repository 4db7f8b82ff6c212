#pragma once
// The whole-instruction path against the micro-code. Random machines (RAM, ROM, RAM size, ROM
// switching and banks, registers, flags and a few breakpoints all random, so every opcode
// turns up at random addresses with random operands) run the same clocks twice: one Step per
// clock, and RunInstructions with a random budget, announcing its writes or not, then
// StepInRun to the next instruction boundary, with the breakpoint reports the frame loop makes
// (with the IRQ line up and I clear, StepInRun alone, as the frame loop does then);
// every clock that changed memory must have been announced.
// After every such batch the two must agree on every processor field, on the bus traffic access
// by access (address, value, direction and the clock it was made in), on the stack page and on
// the host reports; after every case on all of memory.
// Needs the bus-logging build (VARLUME_BUS_LOG). Shared by the processor tests (a bounded run)
// and varlume-differential (as long as asked).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/host.h"
#include "cpu/cpu.h"
#include "memory/memory.h"

namespace Differential {

class TReportLog : public THost {
public:
    void StatusMessage(const char* text) override { Reports.push_back(text); }
    void AppendLog(const char* line) override { Reports.push_back(line); }
    void ErrorBox(const char* text) override { Reports.push_back(text); }
    void BreakpointReached() override { Reports.push_back("breakpoint"); }
    void EndOfFrame(bool) override {}
    std::vector<std::string> Reports;
};

struct TSide {
    TMemory Memory{2};
    TCPU Cpu;
    TReportLog Host;
    std::vector<uint32_t> Announced;  // clocks before each announced write
    TSide() {
        Cpu.SetMemory(&Memory);
        Cpu.SetHost(&Host);
        Memory.LogCycle = &Cpu.Cycle;
    }
    static void Announce(void* side, uint32_t clocksBefore) { static_cast<TSide*>(side)->Announced.push_back(clocksBefore); }
};

// What the processor holds between two clocks; equal sides have equal snapshots.
inline std::array<uint32_t, 20> Registers(const TCPU& c) {
    return {c.PC,     c.A,      c.X,      c.Y,    c.SP,    c.StatusByte(false, false), c.B,
            c.Cycle,  c.Opcode, c.DataLo, c.DataHi, c.Temp, c.EffAddr, c.Result16,
            uint32_t(c.IrqLine), c.IrqSample, c.InterruptDue, c.InterruptEntry, c.BranchIrqSample, c.Bus};
}

struct TStatistics {
    uint64_t Instructions = 0;
    uint64_t Clocks = 0;
    uint64_t WholeClocks = 0;                  // taken by RunInstructions
    std::array<uint32_t, 256> MostClocks{};    // the micro-code's longest instance of each opcode
    std::array<uint32_t, 256> FirstWrite{};    // its earliest clock that changed memory (0: none seen)
    uint64_t InterruptEntries = 0;             // begun by the micro-code, the IRQ line being up
};

class TChecker {
public:
    explicit TChecker(uint32_t seed) : Random(seed), Whole(std::make_unique<TSide>()), Micro(std::make_unique<TSide>()) {
        // The ROM slots stay random for the whole run; both sides get the same.
        for (uint32_t i = TMemory::RamSize; i < TMemory::ImageSize; ++i) Micro->Memory.Image[i] = uint8_t(Random());
        std::memcpy(Whole->Memory.Image, Micro->Memory.Image, TMemory::ImageSize);
    }

    // Runs `cases` random machines for `batches` batches each; returns the first difference
    // found, empty when none.
    std::string Run(int cases, int batches) {
        for (int c = 0; c < cases; ++c) {
            NewCase();
            for (int i = 0; i < batches; ++i) {
                const std::string difference = Batch();
                if (!difference.empty()) return "case " + std::to_string(c) + ", batch " + std::to_string(i) + ": " + difference;
            }
            if (std::memcmp(Whole->Memory.Image, Micro->Memory.Image, TMemory::ImageSize) != 0)
                return "case " + std::to_string(c) + ": memory differs";
        }
        return {};
    }

    TStatistics Statistics;

private:
    uint32_t Below(uint32_t n) { return uint32_t(Random() % n); }

    void NewCase() {
        TSide& m = *Micro;
        for (uint32_t i = 0; i < TMemory::RamSize; i += 8) {
            const uint64_t bytes = Random();
            std::memcpy(m.Memory.Image + i, &bytes, 8);
        }
        m.Memory.SetRamSize(int32_t(Below(3)));
        m.Memory.SetRomEnabled(int32_t(Below(2)));
        m.Memory.SetRomBanks(uint16_t(Below(4)), uint16_t(Below(4)));
        TCPU& cpu = m.Cpu;
        cpu.PowerOn();
        cpu.PC = uint16_t(Random());
        cpu.A = uint8_t(Random());
        cpu.X = uint8_t(Random());
        cpu.Y = uint8_t(Random());
        cpu.SP = uint8_t(Random());
        const uint8_t p = uint8_t(Random());
        cpu.N = p & 0x80, cpu.V = p & 0x40, cpu.B = p & 0x10, cpu.D = p & 0x08;
        cpu.I = p & 0x04, cpu.Z = p & 0x02, cpu.C = p & 0x01;
        // In a quarter of the cases the IRQ line is up for the whole case: the runs take whole
        // instructions then only while I masks it, and clock by clock otherwise, as the frame
        // loop does. Interrupts are taken there, so those cases keep out of the statistics.
        cpu.IrqLine = Below(4) == 0 ? 1 : 0;
        NoteInstructions = cpu.IrqLine == 0;
        // Breakpoints just after the start, where the random code is likely to pass.
        cpu.BreakpointCount = int32_t(Below(4));
        for (int i = 0; i < cpu.BreakpointCount; ++i) cpu.Breakpoints[i] = uint16_t(cpu.PC + 1 + Below(8));
        CopySide(*Whole, m);
    }

    static void CopySide(TSide& to, const TSide& from) {
        std::memcpy(to.Memory.Image, from.Memory.Image, TMemory::RamSize);
        to.Memory.SetRamSize(from.Memory.RamSizeCode());
        to.Memory.SetRomEnabled(from.Memory.RomEnabled());
        to.Memory.SetRomBanks(from.Memory.LowRomBank(), from.Memory.HighRomBank());
        const TCPU& c = from.Cpu;
        TCPU& d = to.Cpu;
        d.PowerOn();  // the undocumented opcodes' log starts afresh on both sides
        d.PC = c.PC, d.A = c.A, d.X = c.X, d.Y = c.Y, d.SP = c.SP;
        d.N = c.N, d.V = c.V, d.B = c.B, d.D = c.D, d.I = c.I, d.Z = c.Z, d.C = c.C;
        d.Cycle = c.Cycle, d.Opcode = c.Opcode, d.DataLo = c.DataLo, d.DataHi = c.DataHi, d.Temp = c.Temp;
        d.EffAddr = c.EffAddr, d.Result16 = c.Result16, d.IrqLine = c.IrqLine;
        d.IrqSample = c.IrqSample, d.InterruptDue = c.InterruptDue, d.InterruptEntry = c.InterruptEntry;
        d.BranchIrqSample = c.BranchIrqSample, d.Bus = c.Bus;
        d.BreakpointCount = c.BreakpointCount;
        std::memcpy(d.Breakpoints, c.Breakpoints, sizeof d.Breakpoints);
    }

    static std::string Describe(const std::vector<TBusAccess>& log) {
        std::string text;
        char item[32];
        for (const TBusAccess& a : log) {
            std::snprintf(item, sizeof item, " %c%04X=%02X@%u", a.IsWrite ? 'W' : 'R', unsigned(a.Address),
                          unsigned(a.Value), unsigned(a.Cycle));
            text += item;
        }
        return text;
    }

    // One batch on both sides, from the same instruction boundary.
    std::string Batch() {
        TSide& m = *Micro;
        TSide& w = *Whole;
        const uint16_t pc = m.Cpu.PC;
        m.Memory.AccessLog.clear();
        w.Memory.AccessLog.clear();
        m.Host.Reports.clear();
        w.Host.Reports.clear();
        w.Announced.clear();
        const uint64_t stackBefore = StackSum(w.Memory);

        // The whole path, then clock by clock to the next boundary, reporting a breakpoint there
        // as the frame loop does once the call has returned.
        const bool announce = Below(2) == 0;
        const uint32_t budget = Below(4) == 0 ? 1 + Below(8) : 1 + Below(40);
        uint32_t taken = 0;  // by RunInstructions
        if (w.Cpu.AtOpcodeFetch() && (w.Cpu.IrqLine == 0 || w.Cpu.I != 0)) {
            taken = announce ? w.Cpu.RunInstructions(budget, &TSide::Announce, &w) : w.Cpu.RunInstructions(budget);
            if (taken == 0 || taken > budget)
                return "took " + std::to_string(taken) + " clocks on a budget of " + std::to_string(budget);
        } else {
            w.Cpu.StepInRun();
        }
        uint32_t clocks = taken ? taken : 1;
        if (w.Cpu.Cycle == 1 && w.Cpu.AtBreakpoint()) w.Cpu.ReportBreakpoint();
        while (w.Cpu.Cycle != 1 && clocks < taken + 64) {
            w.Cpu.StepInRun();
            ++clocks;
            if (w.Cpu.Cycle == 1 && w.Cpu.AtBreakpoint()) w.Cpu.ReportBreakpoint();
        }
        Statistics.Clocks += clocks;
        Statistics.WholeClocks += taken;

        // The reference, as many clocks, noting each instruction's length and first write, and
        // that each clock of the whole path's call that changed memory was announced.
        uint32_t instructionClocks = 0, firstWrite = 0;
        uint64_t stackSum = stackBefore;
        for (uint32_t clock = 0; clock < clocks; ++clock) {
            const size_t logged = m.Memory.AccessLog.size();
            m.Cpu.Step();
            ++instructionClocks;
            if (m.Cpu.InterruptEntry && m.Cpu.Cycle == 2) ++Statistics.InterruptEntries;
            const bool wrote = HasWrite(m.Memory.AccessLog, logged);
            const uint64_t newSum = StackSum(m.Memory);
            const bool changed = wrote || newSum != stackSum;
            if (firstWrite == 0 && changed) firstWrite = instructionClocks;
            stackSum = newSum;
            if (announce && changed && clock < taken &&
                std::find(w.Announced.begin(), w.Announced.end(), clock) == w.Announced.end())
                return "from $" + Hex(pc, 4) + ": the write in clock " + std::to_string(clock + 1) + " was not announced";
            if (m.Cpu.Cycle != 1) continue;
            if (NoteInstructions) Note(m.Cpu.Opcode, instructionClocks, firstWrite);
            instructionClocks = firstWrite = 0;
        }

        const std::string at = "from $" + Hex(pc, 4) + " (opcode $" + Hex(m.Cpu.Opcode, 2) + "), " +
                               std::to_string(clocks) + " clocks: ";
        if (m.Cpu.Cycle != 1) return at + "the micro-code is inside an instruction";
        if (m.Memory.AccessLog != w.Memory.AccessLog)
            return at + "bus" + Describe(m.Memory.AccessLog) + " against" + Describe(w.Memory.AccessLog);
        if (Registers(m.Cpu) != Registers(w.Cpu)) return at + "registers";
        if (std::memcmp(m.Memory.Image + 0x100, w.Memory.Image + 0x100, 256) != 0) return at + "stack";
        if (m.Memory.RomEnabled() != w.Memory.RomEnabled() || m.Memory.LowRomBank() != w.Memory.LowRomBank() ||
            m.Memory.HighRomBank() != w.Memory.HighRomBank())
            return at + "ROM switching";
        if (m.Host.Reports != w.Host.Reports) {
            std::string reports = at + "reports";
            for (const std::string& r : m.Host.Reports) reports += " [" + r + "]";
            reports += " against";
            for (const std::string& r : w.Host.Reports) reports += " [" + r + "]";
            return reports;
        }
        // A jam opcode, or a jump or branch to itself, would hold the rest of the case there.
        if (m.Cpu.PC == pc) m.Cpu.PC = w.Cpu.PC = uint16_t(Random());
        return {};
    }

    void Note(uint8_t opcode, uint32_t clocks, uint32_t firstWrite) {
        ++Statistics.Instructions;
        Statistics.MostClocks[opcode] = std::max(Statistics.MostClocks[opcode], clocks);
        if (firstWrite && (Statistics.FirstWrite[opcode] == 0 || firstWrite < Statistics.FirstWrite[opcode]))
            Statistics.FirstWrite[opcode] = firstWrite;
    }

    static bool HasWrite(const std::vector<TBusAccess>& log, size_t from = 0) {
        for (size_t i = from; i < log.size(); ++i)
            if (log[i].IsWrite) return true;
        return false;
    }

    // Stack pushes bypass the bus log: a sum over page 1 shows them.
    static uint64_t StackSum(const TMemory& memory) {
        uint64_t sum = 0;
        for (int i = 0; i < 256; ++i) sum = sum * 31 + memory.Image[0x100 + i];
        return sum;
    }

    static std::string Hex(uint32_t value, int digits) {
        char text[8];
        std::snprintf(text, sizeof text, "%0*X", digits, unsigned(value));
        return text;
    }

    std::mt19937_64 Random;
    std::unique_ptr<TSide> Whole, Micro;
    bool NoteInstructions = true;
};

}  // namespace Differential
