#pragma once
#include <QImage>
#include <QWidget>

#include "host/display_modes.h"

// The main window's picture area: shows the last presented frame through the current screen
// mode's source and destination rectangles, scaled without smoothing. A windowed mode fills
// the widget; a full-screen mode is a canvas of the mode's size, scaled uniformly into the
// widget with black bars, on which the speed text is drawn at the top left.
class TScreenWidget : public QWidget {
    Q_OBJECT
public:
    explicit TScreenWidget(QWidget* parent = nullptr);

    void SetDisplayMode(const TDisplayMode& mode);
    const TDisplayMode& DisplayMode() const { return *Mode; }
    // The converted frame; the owner fills it, then calls update().
    QImage& Picture() { return Frame; }
    // Drawn at the canvas's top left in full-screen modes; empty for none.
    void SetOverlayText(const QString& text);
    // Where the mode's canvas lies in the widget.
    QRectF CanvasRect() const;

    QSize sizeHint() const override { return {Mode->Width, Mode->Height}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TDisplayMode* Mode = &DisplayModes[DefaultDisplayMode];
    QImage Frame;
    QString Overlay;
};
