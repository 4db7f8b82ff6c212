#pragma once
#include <cstdint>
#include <vector>

struct _SDL_GameController;

// What one game controller shows at a moment: the d-pad, the left stick and button A.
struct TGamepadReading {
    bool Up = false, Down = false, Left = false, Right = false;
    int16_t StickX = 0, StickY = 0;  // SDL's axis range, negative left and up
    bool ButtonA = false;
};

// A joystick's switches (TKeyboard::TJoystickLine bits) for a reading: the d-pad, or the stick
// past a third of its travel, and button A as fire.
uint8_t GamepadLines(const TGamepadReading& reading);

// The host's SDL2 game controllers, in the order they were plugged in. They are opened as SDL
// reports them, so a controller plugged in or pulled out while the program runs is taken or
// let go at the next Poll.
class TGamepads {
public:
    static constexpr int16_t StickThreshold = 32767 / 3;

    TGamepads() = default;
    ~TGamepads() { Close(); }
    TGamepads(const TGamepads&) = delete;
    TGamepads& operator=(const TGamepads&) = delete;

    // Starts SDL's game-controller support; false when the host has none.
    bool Open();
    void Close();
    bool IsOpen() const { return Started; }
    // Takes the plug-in and removal reports and reads every controller. Called once a frame.
    void Poll();
    int Count() const { return int(Controllers.size()); }
    // The switches of controller `index` as last polled; 0 when there is no such controller.
    uint8_t Lines(int index) const;

private:
    struct TController {
        _SDL_GameController* Handle;
        int32_t InstanceId;
        uint8_t Lines;
    };
    void Add(int deviceIndex);
    void Remove(int32_t instanceId);

    std::vector<TController> Controllers;
    bool Started = false;
};
