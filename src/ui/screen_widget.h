#pragma once
#include <QImage>
#include <QWidget>

#include "host/display_modes.h"

// The main window's picture area: shows the last presented frame through the current screen
// mode's source and destination rectangles, scaled to the widget without smoothing.
class TScreenWidget : public QWidget {
    Q_OBJECT
public:
    explicit TScreenWidget(QWidget* parent = nullptr);

    void SetDisplayMode(const TDisplayMode& mode);
    const TDisplayMode& DisplayMode() const { return *Mode; }
    // The converted frame; the owner fills it, then calls update().
    QImage& Picture() { return Frame; }

    QSize sizeHint() const override { return {Mode->Width, Mode->Height}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TDisplayMode* Mode = &DisplayModes[DefaultDisplayMode];
    QImage Frame;
};
