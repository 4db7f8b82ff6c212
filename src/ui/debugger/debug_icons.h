#pragma once
#include <QIcon>
#include <QPixmap>

// The debugger windows' image list, drawn here rather than loaded: tool bar pictures and the
// markers of the listing, stack and micro-code views. The numbers are the list's indices.
enum class TDebugImage {
    Run = 0,         // Run/Stop while stopped
    StepIn = 1,
    StepOver = 2,
    Stop = 3,        // Run/Stop while running
    StepCycle = 4,
    CursorToPc = 5,
    PcToCursor = 6,
    JumpToAddress = 7,
    JumpToPc = 8,
    JumpToTed = 9,
    Marker = 10,     // the program counter's line
    JumpToSp = 11,
    JumpToTop = 12,
    JumpToBottom = 13,
};

class QToolBar;
class QToolButton;

// A 16 x 16 picture, drawn at the screen's pixel density so it stays sharp.
QPixmap DebugPixmap(TDebugImage image);
QIcon DebugIcon(TDebugImage image);
// A tool button with that picture and its hint, added at the end of the bar.
QToolButton* AddToolButton(QToolBar* bar, TDebugImage image, const char* hint);
