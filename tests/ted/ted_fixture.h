#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/host.h"
#include "cpu/cpu.h"
#include "memory/memory.h"
#include "ted/ted.h"

// Counts the end-of-frame calls and whether each frame was drawn.
class TRecordingHost : public TNullHost {
public:
    void EndOfFrame(bool drawn) override {
        ++Frames;
        if (drawn) ++DrawnFrames;
    }
    int Frames = 0;
    int DrawnFrames = 0;
};

// A TED wired to 64 KB of memory, a processor (for its IRQ line), a recording host and a
// 456 x 312 frame buffer filled with a marker byte, reset to the top of a frame: raster 0,
// which the frame buffer shows on line 52 (FrameStartLine).
class TedTest : public ::testing::Test {
protected:
    static constexpr uint8_t Marker = 0xEE;  // never written by the tests' colour choices
    static constexpr int Width = TTED::PixelsPerLine;
    static constexpr int FrameStartLine = 52;

    TedTest() {
        Ted.SetMemory(&Memory);
        Ted.SetCPU(&Cpu);
        Ted.SetHost(&Host);
        Ted.SetFrameBuffer(Frame.data());
        Ted.Reset();
    }

    void Write(uint16_t address, uint8_t value) { Ted.WriteRegister(address, value); }
    uint8_t Read(uint16_t address) { return Ted.ReadRegister(address); }
    void Run(int steps) {
        for (int i = 0; i < steps; ++i) Ted.Step();
    }
    void RunFrame() { Run(TTED::StepsPerFrame); }
    // Runs until the next step to run is (line, step).
    void RunTo(int line, int step) {
        while (Ted.LineIndex != line || Ted.LineStep != step) Ted.Step();
    }
    // Runs at least one step, to the next frame start.
    void RunToFrameStart() {
        do Ted.Step();
        while (Ted.LineIndex != FrameStartLine || Ted.LineStep != 0);
    }
    uint8_t Pixel(int line, int x) const { return Frame[size_t(line) * Width + x]; }
    // Pixel x (0..7) of character line y (0..7) of the text cell at (row, column).
    uint8_t CellPixel(int row, int column, int y, int x) const {
        return Pixel(TTED::FirstWindowLine + row * 8 + y, TTED::FirstWindowPixel + column * 8 + x);
    }

    // Standard text screen: display on, 40 columns, codes at $0C00, attributes at $0800,
    // characters in RAM at $2000, border $12, background 0 $31, cursor off the screen.
    void SetUpTextScreen() {
        Write(0xFF0C, 0x03);
        Write(0xFF0D, 0xFF);
        Write(0xFF06, 0x1B);
        Write(0xFF07, 0x08);
        Write(0xFF14, 0x08);
        Write(0xFF13, 0x20);
        Write(0xFF19, 0x12);
        Write(0xFF15, 0x31);
    }
    void PutCell(int row, int column, uint8_t code, uint8_t attribute) {
        Memory.Image[0x0C00 + row * 40 + column] = code;
        Memory.Image[0x0800 + row * 40 + column] = attribute;
    }
    void PutCharLine(uint32_t base, int code, int line, uint8_t pattern) {
        Memory.Image[base + code * 8 + line] = pattern;
    }

    TMemory Memory{2};
    TCPU Cpu;
    TTED Ted;
    TRecordingHost Host;
    std::vector<uint8_t> Frame = std::vector<uint8_t>(TTED::FrameBytes, Marker);
};
