#pragma once
// The machines the benchmark measures, each brought to the state it is measured in. The frame
// loop tests run the same workloads, so they live in one header.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "machine/machine.h"

namespace Workload {

// Just enough of a 6502 assembler for the programs below: bytes, labels, relative branches
// and absolute label addresses, resolved by Finish.
class TMiniAsm {
public:
    explicit TMiniAsm(uint16_t origin) : Origin(origin) {}

    TMiniAsm& Bytes(std::initializer_list<int> bytes) {
        for (int b : bytes) Code.push_back(uint8_t(b));
        return *this;
    }
    TMiniAsm& Label(const std::string& name) {
        Labels[name] = uint16_t(Origin + Code.size());
        return *this;
    }
    // A branch opcode with its target.
    TMiniAsm& Branch(int opcode, const std::string& target) {
        Code.push_back(uint8_t(opcode));
        Fixups.push_back({Code.size(), target, TFixup::Relative});
        Code.push_back(0);
        return *this;
    }
    // An opcode with a 16-bit label operand (JMP, JSR, absolute modes).
    TMiniAsm& Absolute(int opcode, const std::string& target) {
        Code.push_back(uint8_t(opcode));
        Fixups.push_back({Code.size(), target, TFixup::Word});
        Code.push_back(0);
        Code.push_back(0);
        return *this;
    }
    TMiniAsm& LowByteOf(int opcode, const std::string& target) { return Part(opcode, target, TFixup::Low); }
    TMiniAsm& HighByteOf(int opcode, const std::string& target) { return Part(opcode, target, TFixup::High); }

    // The assembled bytes; an unknown label assembles as 0.
    std::vector<uint8_t> Finish() const {
        std::vector<uint8_t> out = Code;
        for (const TFixup& f : Fixups) {
            const auto it = Labels.find(f.Target);
            const uint16_t target = it == Labels.end() ? 0 : it->second;
            switch (f.Kind) {
                case TFixup::Relative: out[f.At] = uint8_t(target - (Origin + f.At + 1)); break;
                case TFixup::Word:
                    out[f.At] = uint8_t(target);
                    out[f.At + 1] = uint8_t(target >> 8);
                    break;
                case TFixup::Low: out[f.At] = uint8_t(target); break;
                case TFixup::High: out[f.At] = uint8_t(target >> 8); break;
            }
        }
        return out;
    }
    uint16_t AddressOf(const std::string& label) const { return Labels.at(label); }
    uint16_t Origin;

private:
    struct TFixup {
        size_t At;
        std::string Target;
        enum { Relative, Word, Low, High } Kind;
    };
    TMiniAsm& Part(int opcode, const std::string& target, decltype(TFixup::Kind) kind) {
        Code.push_back(uint8_t(opcode));
        Fixups.push_back({Code.size(), target, kind});
        Code.push_back(0);
        return *this;
    }
    std::vector<uint8_t> Code;
    std::map<std::string, uint16_t> Labels;
    std::vector<TFixup> Fixups;
};

inline void Place(TMemory& memory, uint16_t address, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) memory.Image[uint16_t(address + i)] = bytes[i];
}

// A CPU-bound loop that touches most addressing modes: a checksum over a 256-byte table read
// through (zp),Y and abs,X, ADC/SBC/EOR/ROL on the way, a subroutine with stack traffic, a
// read-modify-write per pass and a 16-bit counter. It never ends and never touches I/O.
inline std::vector<uint8_t> CpuLoop(uint16_t origin) {
    TMiniAsm a(origin);
    a.Bytes({0xA2, 0xFF, 0x9A})                    // LDX #$FF; TXS
        .Bytes({0xA9, 0x00, 0x85, 0xFB})           // LDA #$00; STA $FB
        .Bytes({0xA9, 0x30, 0x85, 0xFC})           // LDA #$30; STA $FC   table at $3000
        .Label("pass")
        .Bytes({0xA0, 0x00, 0xA9, 0x00, 0x18})     // LDY #0; LDA #0; CLC
        .Label("sum")
        .Bytes({0x71, 0xFB})                       // ADC ($FB),Y
        .Bytes({0x59, 0x00, 0x30})                 // EOR $3000,Y
        .Bytes({0x2A})                             // ROL A
        .Bytes({0x99, 0x00, 0x31})                 // STA $3100,Y
        .Bytes({0xC8})                             // INY
        .Branch(0xD0, "sum")                       // BNE sum
        .Bytes({0x85, 0xFD})                       // STA $FD
        .Absolute(0x20, "mix")                     // JSR mix
        .Bytes({0xE6, 0xFE})                       // INC $FE
        .Branch(0xD0, "pass")                      // BNE pass
        .Bytes({0xEE, 0x00, 0x32})                 // INC $3200
        .Absolute(0x4C, "pass")                    // JMP pass
        .Label("mix")
        .Bytes({0x48, 0x8A, 0x48})                 // PHA; TXA; PHA
        .Bytes({0xA2, 0x10})                       // LDX #16
        .Label("mixLoop")
        .Bytes({0xBD, 0x00, 0x31})                 // LDA $3100,X
        .Bytes({0x38, 0xE5, 0xFD})                 // SEC; SBC $FD
        .Bytes({0x9D, 0x00, 0x30})                 // STA $3000,X
        .Bytes({0x1E, 0x00, 0x30})                 // ASL $3000,X
        .Bytes({0xCA})                             // DEX
        .Branch(0x10, "mixLoop")                   // BPL mixLoop
        .Bytes({0x68, 0xAA, 0x68, 0x60});          // PLA; TAX; PLA; RTS
    return a.Finish();
}

// The ROM-less machine running CpuLoop at $1000 with ROM off.
inline void SetUpCpuLoop(TMachine& machine) {
    machine.PowerUp(MachineCustom);
    machine.Memory.Write(0xFF3F, 0);
    Place(machine.Memory, 0x1000, CpuLoop(0x1000));
    machine.Cpu.PC = 0x1000;
}

// Number crunching in RAM, round and round: a sieve of the primes below 2048 at $2000 (8 pages
// cleared and counted through (zp),Y, multiples marked with 16-bit pointer arithmetic), a
// CRC-16 over its first page (shifts, rotates, EOR), 64 products by shift-and-add stored
// through abs,X, a decimal counter (SED, ADC, SBC), and the results written to the screen as
// hex digits looked up through (zp,X), with PHP/PHA/PLA/PLP on the way. Zero page $10-$22
// (BASIC's, unused while this runs); the KERNAL's interrupt keeps running.
inline std::vector<uint8_t> CrunchProgram(uint16_t origin) {
    TMiniAsm a(origin);
    a.Bytes({0xD8, 0xA9, 0x00, 0x85, 0x20})                 // CLD; pass = 0
        .LowByteOf(0xA9, "digits").Bytes({0x85, 0x21})
        .HighByteOf(0xA9, "digits").Bytes({0x85, 0x22})     // ($21) = digit table
        .Label("main")
        .Absolute(0x20, "sieve").Absolute(0x20, "count").Absolute(0x20, "crc")
        .Absolute(0x20, "multiply").Absolute(0x20, "decimal").Absolute(0x20, "show")
        .Bytes({0xE6, 0x20})                                // INC pass
        .Absolute(0x4C, "main")
        // The flags of 0..2047 cleared, then every multiple of 2..45 from its double marked.
        .Label("sieve")
        .Bytes({0xA9, 0x00, 0x85, 0x10, 0xA9, 0x20, 0x85, 0x11})  // ptr = $2000
        .Bytes({0xA2, 0x08, 0xA0, 0x00, 0x98})
        .Label("clear")
        .Bytes({0x91, 0x10, 0xC8}).Branch(0xD0, "clear")    // STA (ptr),Y; INY
        .Bytes({0xE6, 0x11, 0xCA}).Branch(0xD0, "clear")
        .Bytes({0xA9, 0x02, 0x85, 0x12})                    // n = 2
        .Label("outer")
        .Bytes({0xA6, 0x12, 0xBD, 0x00, 0x20}).Branch(0xD0, "next")  // n marked: not a prime
        .Bytes({0xA5, 0x12, 0x0A, 0x85, 0x13, 0xA9, 0x00, 0x2A, 0x85, 0x14})  // m = 2n
        .Label("mark")
        .Bytes({0xA5, 0x13, 0x85, 0x10, 0xA5, 0x14, 0x18, 0x69, 0x20, 0x85, 0x11})  // ptr = $2000 + m
        .Bytes({0xA0, 0x00, 0xA9, 0x01, 0x91, 0x10})        // flag it
        .Bytes({0x18, 0xA5, 0x13, 0x65, 0x12, 0x85, 0x13, 0xA5, 0x14, 0x69, 0x00, 0x85, 0x14})  // m += n
        .Bytes({0xC9, 0x08}).Branch(0x90, "mark")           // while m < 2048
        .Label("next")
        .Bytes({0xE6, 0x12, 0xA5, 0x12, 0xC9, 0x2E}).Branch(0x90, "outer")
        .Bytes({0x60})
        // The primes counted into cnt ($15/$16).
        .Label("count")
        .Bytes({0xA9, 0x00, 0x85, 0x15, 0x85, 0x16, 0x85, 0x10, 0xA9, 0x20, 0x85, 0x11})
        .Bytes({0xA2, 0x08, 0xA0, 0x02})
        .Label("countLoop")
        .Bytes({0xB1, 0x10}).Branch(0xD0, "composite")      // LDA (ptr),Y
        .Bytes({0xE6, 0x15}).Branch(0xD0, "composite").Bytes({0xE6, 0x16})
        .Label("composite")
        .Bytes({0xC8}).Branch(0xD0, "countLoop")
        .Bytes({0xE6, 0x11, 0xCA}).Branch(0xD0, "countLoop")
        .Bytes({0x60})
        // CRC-16 (polynomial $1021) of $2000-$20FF into crc ($17/$18).
        .Label("crc")
        .Bytes({0xA9, 0xFF, 0x85, 0x17, 0x85, 0x18, 0xA0, 0x00})
        .Label("crcByte")
        .Bytes({0xB9, 0x00, 0x20, 0x45, 0x20, 0x45, 0x18, 0x85, 0x18, 0xA2, 0x08})  // hi ^= byte ^ pass
        .Label("crcBit")
        .Bytes({0x06, 0x17, 0x26, 0x18}).Branch(0x90, "crcNoPoly")  // ASL lo; ROL hi
        .Bytes({0xA5, 0x17, 0x49, 0x21, 0x85, 0x17, 0xA5, 0x18, 0x49, 0x10, 0x85, 0x18})
        .Label("crcNoPoly")
        .Bytes({0xCA}).Branch(0xD0, "crcBit")
        .Bytes({0xC8}).Branch(0xD0, "crcByte")
        .Bytes({0x60})
        // (pass + i) * $9D for i = 0..63, 16 bits each, into $2800,X.
        .Label("multiply")
        .Bytes({0xA2, 0x00})
        .Label("product")
        .Bytes({0x8A, 0x4A, 0x18, 0x65, 0x20, 0x85, 0x1B})   // multiplier = pass + i/2
        .Bytes({0xA9, 0x9D, 0x85, 0x1C, 0xA9, 0x00, 0x85, 0x1D, 0x85, 0x1E, 0x85, 0x1F})
        .Label("shiftAdd")
        .Bytes({0x46, 0x1B}).Branch(0x90, "noAdd")          // LSR multiplier
        .Bytes({0x18, 0xA5, 0x1E, 0x65, 0x1C, 0x85, 0x1E, 0xA5, 0x1F, 0x65, 0x1D, 0x85, 0x1F})
        .Label("noAdd")
        .Bytes({0x06, 0x1C, 0x26, 0x1D, 0xA5, 0x1B}).Branch(0xD0, "shiftAdd")
        .Bytes({0xA5, 0x1E, 0x9D, 0x00, 0x28, 0xE8, 0xA5, 0x1F, 0x9D, 0x00, 0x28, 0xE8})
        .Bytes({0xE0, 0x80}).Branch(0xD0, "product")
        .Bytes({0x60})
        // A decimal counter bcd ($19/$1A): 40 additions of the pass, one subtraction of 1 each.
        .Label("decimal")
        .Bytes({0x08, 0x78, 0xF8, 0xA0, 0x28})              // PHP; SEI; SED (the interrupt keeps D)
        .Label("decimalLoop")
        .Bytes({0x18, 0xA5, 0x19, 0x65, 0x20, 0x85, 0x19, 0xA5, 0x1A, 0x69, 0x00, 0x85, 0x1A})
        .Bytes({0x38, 0xA5, 0x19, 0xE9, 0x01, 0x85, 0x19, 0xA5, 0x1A, 0xE9, 0x00, 0x85, 0x1A})
        .Bytes({0x88}).Branch(0xD0, "decimalLoop")
        .Bytes({0x28, 0x60})                                // PLP
        // cnt, crc and bcd as hex digits at the top left of the screen.
        .Label("show")
        .Bytes({0xA0, 0x00, 0xA2, 0x15})
        .Label("showByte")
        .Bytes({0xB5, 0x00, 0x48, 0x4A, 0x4A, 0x4A, 0x4A})   // LDA 0,X; PHA; the high digit
        .Absolute(0x20, "digit")
        .Bytes({0x68, 0x29, 0x0F}).Absolute(0x20, "digit")
        .Bytes({0xE8, 0xE0, 0x1B}).Branch(0xD0, "showByte")
        .Bytes({0x60})
        .Label("digit")                                     // digit A at column Y
        .Bytes({0x86, 0x1B, 0x18, 0x65, 0x21, 0x85, 0x1C, 0xA9, 0x00, 0x65, 0x22, 0x85, 0x1D})
        .Bytes({0xA2, 0x00, 0xA1, 0x1C})                    // LDA ($1C,X)
        .Bytes({0x99, 0x00, 0x0C, 0xA9, 0x71, 0x99, 0x00, 0x08, 0xC8, 0xA6, 0x1B, 0x60})
        .Label("digits")
        .Bytes({0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    return a.Finish();
}

// Multicolour bitmap at $2000 with its colours at $0800-$0FFF, four raster interrupts a frame
// that change the background and border colours, and a main loop that keeps rewriting the
// colour matrix, so the processor is busy in every cycle the TED leaves it. ROM off; the
// interrupt vector is in the RAM under it.
inline std::vector<uint8_t> BitmapRasterProgram(uint16_t origin) {
    TMiniAsm a(origin);
    a.Bytes({0x78, 0xA2, 0xFF, 0x9A})                      // SEI; LDX #$FF; TXS
        .Bytes({0xA9, 0x00, 0x85, 0xFB, 0xA9, 0x20, 0x85, 0xFC})  // ($FB) = $2000
        .Bytes({0xA0, 0x00, 0xA2, 0x20})                   // LDY #0; LDX #32 pages
        .Label("fillBitmap")
        .Bytes({0x98, 0x45, 0xFC, 0x91, 0xFB, 0xC8})      // TYA; EOR $FC; STA ($FB),Y; INY
        .Branch(0xD0, "fillBitmap")
        .Bytes({0xE6, 0xFC, 0xCA})                         // INC $FC; DEX
        .Branch(0xD0, "fillBitmap")
        .Bytes({0xA9, 0x08, 0x85, 0xFC, 0xA2, 0x08})      // ($FB) = $0800; LDX #8 pages
        .Label("fillMatrix")
        .Bytes({0x98, 0x91, 0xFB, 0xC8})                   // TYA; STA ($FB),Y; INY
        .Branch(0xD0, "fillMatrix")
        .Bytes({0xE6, 0xFC, 0xCA})
        .Branch(0xD0, "fillMatrix")
        .Bytes({0xA9, 0x3B, 0x8D, 0x06, 0xFF})             // bitmap, display on, 25 rows
        .Bytes({0xA9, 0x18, 0x8D, 0x07, 0xFF})             // multicolour, 40 columns
        .Bytes({0xA9, 0x08, 0x8D, 0x12, 0xFF})             // bitmap at $2000
        .Bytes({0x8D, 0x14, 0xFF})                         // matrix at $0800
        .LowByteOf(0xA9, "irq").Bytes({0x8D, 0xFE, 0xFF})
        .HighByteOf(0xA9, "irq").Bytes({0x8D, 0xFF, 0xFF})
        .Bytes({0xA9, 0x02, 0x8D, 0x0A, 0xFF})             // raster interrupt on
        .Bytes({0xA9, 0x10, 0x8D, 0x0B, 0xFF})             // at raster 16
        .Bytes({0x58})                                     // CLI
        .Label("main")
        .Bytes({0xA2, 0x00})
        .Label("rewrite")
        .Bytes({0xFE, 0x00, 0x0C})                         // INC $0C00,X
        .Bytes({0xBD, 0x00, 0x08, 0x49, 0x11, 0x9D, 0x00, 0x08})  // $0800,X ^= $11
        .Bytes({0xE8})
        .Branch(0xD0, "rewrite")
        .Absolute(0x4C, "main")
        .Label("irq")
        .Bytes({0x48})                                     // PHA
        .Bytes({0xAD, 0x0B, 0xFF, 0x18, 0x69, 0x40, 0x8D, 0x0B, 0xFF})  // next compare 64 lines on
        .Bytes({0xAD, 0x15, 0xFF, 0x69, 0x13, 0x8D, 0x15, 0xFF, 0x8D, 0x19, 0xFF})
        .Bytes({0xA9, 0xFF, 0x8D, 0x09, 0xFF})             // acknowledge
        .Bytes({0x68, 0x40});                              // PLA; RTI
    return a.Finish();
}

// The program above at $1000, run for `frames` frames so that it has set the picture up.
inline void SetUpBitmapRaster(TMachine& machine, int frames = 10) {
    machine.PowerUp(MachineCustom);
    machine.Memory.Write(0xFF3F, 0);
    Place(machine.Memory, 0x1000, BitmapRasterProgram(0x1000));
    machine.Cpu.PC = 0x1000;
    for (int i = 0; i < frames; ++i) machine.RunFrame();
}

// The KERNAL's LOAD entry, which a machine at the prompt never reaches: a breakpoint there costs
// its checks and never stops the machine.
inline constexpr uint16_t KernalLoadEntry = 0xFFD5;

// A machine with ROMs booted to the BASIC prompt.
inline void BootToPrompt(TMachine& machine, int32_t type, int frames = 300) {
    machine.PowerUp(type);
    for (int i = 0; i < frames; ++i) machine.RunFrame();
}

// A C16 at the BASIC prompt that then runs CrunchProgram at $1000, as after SYS 4096.
inline constexpr uint16_t CrunchOrigin = 0x1000;
inline void SetUpCrunch(TMachine& machine, int bootFrames = 300) {
    BootToPrompt(machine, MachineC16, bootFrames);
    Place(machine.Memory, CrunchOrigin, CrunchProgram(CrunchOrigin));
    machine.Cpu.PC = CrunchOrigin;
    machine.Cpu.Cycle = 1;  // the instruction in progress is abandoned, as a reset would
}

// 10 PRINT"SCROLLING TEXT ";:GOTO 10, stored as BASIC keeps it at $1001, then RUN typed
// through the keyboard buffer: the screen fills and scrolls for ever.
inline void StartPrintLoop(TMachine& machine) {
    const std::string text = "SCROLLING TEXT ";
    std::vector<uint8_t> line = {0x0A, 0x00, 0x99, '"'};  // line 10, PRINT
    line.insert(line.end(), text.begin(), text.end());
    line.insert(line.end(), {'"', ';', ':', 0x89, '1', '0', 0x00});  // GOTO 10
    const uint16_t start = 0x1001;
    const uint16_t next = uint16_t(start + 2 + line.size());
    std::vector<uint8_t> program = {uint8_t(next), uint8_t(next >> 8)};
    program.insert(program.end(), line.begin(), line.end());
    program.insert(program.end(), {0x00, 0x00});
    Place(machine.Memory, start, program);
    const uint16_t end = uint16_t(start + program.size());
    for (uint16_t pointer : {0x2D, 0x2F, 0x31}) {  // start of variables, arrays, free memory
        machine.Memory.Image[pointer] = uint8_t(end);
        machine.Memory.Image[pointer + 1] = uint8_t(end >> 8);
    }
    Place(machine.Memory, 0x0527, {'R', 'U', 'N', 0x0D});  // keyboard buffer
    machine.Memory.Image[0xEF] = 4;                         // its length
}

// A half-wave TAP image of short pulses with a long one every 97: not a recording, but the
// tape moves and its level changes all the time.
inline std::vector<uint8_t> PulseTape(int pulses = 4000) {
    std::vector<uint8_t> image(TTape::HeaderSize, 0);
    const std::string signature = "C16-TAPE-RAW";
    std::copy(signature.begin(), signature.end(), image.begin());
    image[0x0C] = 2;
    image[0x0D] = TTape::MachineByte;
    for (int i = 0; i < pulses; ++i) {
        if (i % 97 == 0) image.insert(image.end(), {0x00, uint8_t(i), 0x03, 0x00});
        else image.push_back(uint8_t(1 + i % 13));
    }
    return image;
}

// LOAD typed at the prompt with Play down: the KERNAL's tape loader runs, motor on, looking
// for a header in the pulses.
inline void StartTapeLoad(TMachine& machine) {
    machine.Tape.LoadImage(PulseTape(3000000));
    machine.Memory.PlayKey = 1;
    Place(machine.Memory, 0x0527, {'L', 'O', 'A', 'D', 0x0D});
    machine.Memory.Image[0xEF] = 5;
}

}  // namespace Workload
