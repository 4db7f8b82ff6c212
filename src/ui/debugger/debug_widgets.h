#pragma once
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QPainter;
class QStatusBar;

// The debugger windows' text font: the system's fixed-pitch font, 12 pixels high, which fills
// the windows' 12- and 14-pixel lines as the bitmap font they were laid out for did. Qt scales
// it with the screen, so it stays crisp on a high-density display.
QFont DebugFont();
// One character cell of DebugFont().
int DebugCharWidth();

// Text drawn white with its top-left corner at (x, y).
void DrawDebugText(QPainter& painter, int x, int y, const QString& text);

// A status bar panel `width` pixels wide, or as wide as `widest` needs in the bar's font.
QLabel* AddStatusPanel(QStatusBar* bar, int width, const QString& widest);

// A black drawing area of fixed height, painted by its window on demand.
class TDrawingArea : public QWidget {
    Q_OBJECT
public:
    TDrawingArea(QSize size, QWidget* parent);
    // Draws the content after the area has been filled black; none: the area stays black.
    std::function<void(QPainter&)> Draw;
    // A right-button click at a point of the area.
    std::function<void(QPoint)> ContextMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
