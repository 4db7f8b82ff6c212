#include "host/key_event_queue.h"

void TKeyEventQueue::Push(const TEvent& event) {
    if (Queue.empty() && FramesToHold == 0)
        ApplyNow(event);
    else
        Queue.push_back(event);
}

void TKeyEventQueue::FrameEnded() {
    if (FramesToHold > 0) --FramesToHold;
    while (FramesToHold == 0 && !Queue.empty()) {
        const TEvent event = Queue.front();
        Queue.pop_front();
        ApplyNow(event);
    }
}

void TKeyEventQueue::Clear() {
    Queue.clear();
    FramesToHold = 0;
}

void TKeyEventQueue::ApplyNow(const TEvent& event) {
    FramesToHold = event.Down ? PressFrames : ReleaseFrames;
    Apply(event);
}
