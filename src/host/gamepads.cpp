#include "host/gamepads.h"

#include <SDL.h>

#include <algorithm>

#include "ted/keyboard.h"

uint8_t GamepadLines(const TGamepadReading& reading) {
    constexpr int threshold = TGamepads::StickThreshold;
    uint8_t lines = 0;
    if (reading.Up || reading.StickY < -threshold) lines |= TKeyboard::JoyUp;
    if (reading.Down || reading.StickY > threshold) lines |= TKeyboard::JoyDown;
    if (reading.Left || reading.StickX < -threshold) lines |= TKeyboard::JoyLeft;
    if (reading.Right || reading.StickX > threshold) lines |= TKeyboard::JoyRight;
    if (reading.ButtonA) lines |= TKeyboard::JoyFire;
    return lines;
}

bool TGamepads::Open() {
    if (Started) return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
    Started = true;
    // The controllers already attached are reported as plugged in at the first Poll.
    return true;
}

void TGamepads::Close() {
    if (!Started) return;
    for (const TController& controller : Controllers) SDL_GameControllerClose(controller.Handle);
    Controllers.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    Started = false;
}

void TGamepads::Add(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (const TController& controller : Controllers)
        if (controller.InstanceId == id) return;  // reported twice: at start-up and as attached
    if (SDL_GameController* handle = SDL_GameControllerOpen(deviceIndex))
        Controllers.push_back({handle, id, 0});
}

void TGamepads::Remove(int32_t instanceId) {
    auto it = std::find_if(Controllers.begin(), Controllers.end(),
                           [&](const TController& controller) { return controller.InstanceId == instanceId; });
    if (it == Controllers.end()) return;
    SDL_GameControllerClose(it->Handle);
    Controllers.erase(it);
}

void TGamepads::Poll() {
    if (!Started) return;
    SDL_PumpEvents();
    // Only the controllers' own reports are taken: the sound output's device reports stay.
    SDL_Event events[16];
    int count;
    while ((count = SDL_PeepEvents(events, 16, SDL_GETEVENT, SDL_CONTROLLERDEVICEADDED,
                                   SDL_CONTROLLERDEVICEREMOVED)) > 0) {
        for (int i = 0; i < count; ++i) {
            if (events[i].type == SDL_CONTROLLERDEVICEADDED) Add(events[i].cdevice.which);
            if (events[i].type == SDL_CONTROLLERDEVICEREMOVED) Remove(events[i].cdevice.which);
        }
    }
    // The joystick events that SDL queues beside them are not read by anyone.
    SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1);
    for (TController& controller : Controllers) {
        SDL_GameController* pad = controller.Handle;
        TGamepadReading reading;
        reading.Up = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP);
        reading.Down = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        reading.Left = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        reading.Right = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        reading.StickX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
        reading.StickY = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
        reading.ButtonA = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_A);
        controller.Lines = GamepadLines(reading);
    }
}

uint8_t TGamepads::Lines(int index) const {
    return index >= 0 && index < Count() ? Controllers[size_t(index)].Lines : 0;
}
