#include "host/sound_direct_sound.h"

#include <SDL.h>

#include <algorithm>

bool TSoundDirectSound::Open(std::string& error) {
    if (Device != 0) return true;
    // SDL's failures map to the messages of the steps they stand for: no audio system, no
    // device, no buffer size, no playback.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = "DirectSoundCreate failed";
        return false;
    }
    SubsystemStarted = true;

    SDL_AudioSpec wanted{};
    wanted.freq = SampleRate;
    wanted.format = AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = DeviceSamples;
    wanted.callback = [](void* self, Uint8* stream, int length) {
        DeviceCallback(self, stream, length);
    };
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware plays, so the ring stays
    // 8-bit 44100 Hz mono.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        error = "CreateSoundBuffer for primary failed";
        Close();
        return false;
    }
    if (obtained.samples == 0) {
        SDL_CloseAudioDevice(device);
        error = "Cannot get primary buffer size";
        Close();
        return false;
    }
    // The device opens paused, so the callback cannot see the ring before it exists. The
    // write cursor keeps one device read ahead of the play cursor: a feed never writes the
    // bytes the device is copying out.
    const uint32_t distance = std::max<uint32_t>(obtained.size, obtained.samples);
    Ring = std::make_unique<TSoundFeed>(Ted, 4 * TSoundFeed::MaxLeadBytes + distance, distance);
    Device = device;
    SDL_PauseAudioDevice(Device, 0);
    if (SDL_GetAudioDeviceStatus(Device) != SDL_AUDIO_PLAYING) {
        error = "Play primary failed";
        Close();
        return false;
    }
    return true;
}

void TSoundDirectSound::Close() {
    if (Device != 0) {
        // Closing waits for a running callback, so the ring is released after it.
        SDL_CloseAudioDevice(Device);
        Device = 0;
    }
    Ring.reset();
    if (SubsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SubsystemStarted = false;
    }
}

// While the device is stopped the machine's sound is not synthesized (warp runs at full speed).
void TSoundDirectSound::Pause() {
    if (Device != 0) SDL_PauseAudioDevice(Device, 1);
    if (Ring) Ring->SetMuted(true);
}

void TSoundDirectSound::Resume() {
    if (Ring) Ring->SetMuted(false);
    if (Device != 0) SDL_PauseAudioDevice(Device, 0);
}

void TSoundDirectSound::DeviceCallback(void* self, uint8_t* stream, int length) {
    auto* output = static_cast<TSoundDirectSound*>(self);
    if (length <= 0) return;
    if (!output->Ring) {
        std::fill(stream, stream + length, TSoundFeed::SilenceLevel);
        return;
    }
    output->Ring->AdvancePlayCursor(uint32_t(length), stream);
}
