// Synchronisation and warp: the frame loop held to 50 frames a second (or the screen's refresh),
// or run as fast as the host allows with the sound muted.
#include <QAction>

#include "ui/main_window.h"

void TForm_Main::SelectSyncMode(int32_t mode) {
    if (Warp) {
        // A mode chosen while warping ends warp and takes the place of the mode warp returns to.
        Warp = false;
        Menu_Warp->setChecked(false);
        ResumeSound();
    }
    SyncMode = mode;
    QAction* const items[] = {Menu_SyncNone, Menu_Sync50Hz, VerticalBlank1};
    if (mode >= 0 && mode <= 2) items[mode]->setChecked(true);
}

void TForm_Main::SetWarp(bool on) {
    Menu_Warp->setChecked(on);
    if (on == Warp) return;
    if (on) {
        SyncBeforeWarp = SyncMode;
        SelectSyncMode(TFrameSync::SyncNone);
        Warp = true;
        // A frame loop far faster than real time would squeeze the machine's sound into the
        // output's lead; the output stops and plays on from its cursors when warp ends, so the
        // notes come back in tune.
        if (SoundOutputKind == 2 && SoundDirectSound) SoundDirectSound->Pause();
        StatusMessage("Warp on");
    } else {
        // The vertical blank exists only in full screen.
        SelectSyncMode(SyncBeforeWarp == TFrameSync::SyncVerticalBlank && !InFullScreen ? TFrameSync::Sync50Hz
                                                                                       : SyncBeforeWarp);
        StatusMessage("Warp off");
    }
}
