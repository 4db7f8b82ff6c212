#pragma once
#include <cstdint>

class TMemory;
class TCPU;
class THost;
class TKeyboard;

// The decoded sound fields of $FF0E-$FF12 and $FF11, read by the sound synthesizer.
struct TTedSound {
    uint16_t Voice1Frequency = 0;  // 10 bits: $FF0E and $FF12 bits 0-1
    uint16_t Voice2Frequency = 0;  // 10 bits: $FF0F and $FF10 bits 0-1
    uint8_t Volume = 0;            // $FF11 bits 0-3
    bool Voice1On = false;         // $FF11 bit 4
    bool Voice2On = false;         // $FF11 bit 5
    bool Noise = false;            // $FF11 bit 6
    bool DigitalAnalog = false;    // $FF11 bit 7
};

// The TED chip: registers $FF00-$FF1F, three timers, raster interrupts, the picture, the sound
// registers and the keyboard latch.
class TTED {
public:
    static constexpr int StepsPerLine = 114;
    static constexpr int LinesPerFrame = 312;
    static constexpr int StepsPerFrame = StepsPerLine * LinesPerFrame;  // 35568
    static constexpr int PixelsPerLine = 456;

    TTED();

    void SetMemory(TMemory* memory) { Memory = memory; }
    void SetCPU(TCPU* cpu) { Cpu = cpu; }
    void SetHost(THost* host) { Host = host; }
    void SetKeyboard(TKeyboard* keyboard) { Keyboard = keyboard; }
    void SetFrameBuffer(uint8_t* pixels);

    // One clock step. Returns true when a sound register was written since the previous step.
    bool Step();
    void Reset();

    uint8_t ReadRegister(uint16_t address);
    void WriteRegister(uint16_t address, uint8_t value);

    // Read by the frame loop before each step to decide whether the processor gets the clock.
    int32_t LineStep = 0;        // 0..113
    int32_t LineIndex = 0;       // 0..311
    bool DoubleClockAllowed = false;
    bool InBorder = false;       // the previous step drew border
    // Nonzero while the current frame is neither rendered nor shown (set by the frame loop).
    int32_t SkipThisFrame = 0;
    TTedSound Sound;

private:
    TMemory* Memory = nullptr;
    TCPU* Cpu = nullptr;
    THost* Host = nullptr;
    TKeyboard* Keyboard = nullptr;
    uint8_t* FrameStart = nullptr;
    uint8_t* RenderPos = nullptr;
};
