#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ted/sound_feed.h"

class TTED;

// The looping sound output: the TED's samples go into a TSoundFeed ring that an SDL2 audio
// device (44100 Hz, unsigned 8-bit mono) plays from on its own thread. The frame loop feeds
// the ring; the device callback only moves the play cursor.
class TSoundDirectSound {
public:
    static constexpr int32_t SampleRate = 44100;
    // Samples per device read: about 23 ms.
    static constexpr uint16_t DeviceSamples = 1024;

    explicit TSoundDirectSound(TTED& ted) : Ted(ted) {}
    ~TSoundDirectSound() { Close(); }
    TSoundDirectSound(const TSoundDirectSound&) = delete;
    TSoundDirectSound& operator=(const TSoundDirectSound&) = delete;

    // Opens the default device and starts it playing. On failure nothing stays open and
    // `error` holds the message to show.
    bool Open(std::string& error);
    void Close();
    // Stops and restarts playback; the ring and its cursors stay as they are.
    void Pause();
    void Resume();

    bool IsOpen() const { return Device != 0; }
    // Bytes kept ahead of the write cursor, 1024..4096; 4096 when opened.
    void SetLeadBytes(int32_t bytes) { if (Ring) Ring->SetLeadBytes(bytes); }
    int32_t LeadBytes() const { return Ring ? Ring->GetLeadBytes() : 0; }
    // What the machine feeds; null while closed.
    TSoundFeed* Sink() { return Ring.get(); }

private:
    static void DeviceCallback(void* self, uint8_t* stream, int length);

    TTED& Ted;
    std::unique_ptr<TSoundFeed> Ring;
    uint32_t Device = 0;
    bool SubsystemStarted = false;
};
