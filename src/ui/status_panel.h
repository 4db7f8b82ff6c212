#pragma once
#include <QColor>
#include <QFrame>
#include <functional>

// A status-bar panel that the window draws itself: filled with its colour (the button face
// when none is set) and its text centred: half the text width left of the middle and one
// pixel below the top.
class TStatusPanel : public QFrame {
    Q_OBJECT
public:
    TStatusPanel(const QString& text, int width, QWidget* parent = nullptr);

    // The text as it is drawn: from the source when one is set.
    QString Text() const { return TextSource ? TextSource() : FixedText; }
    void SetText(const QString& text);
    // An invalid colour is the button face.
    void SetFill(const QColor& colour);
    QColor Fill() const { return FillColour; }

    std::function<QString()> TextSource;
    // Panels 2 to 4 centre their text; the others are left-aligned like plain panels.
    bool Centred = true;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FixedText;
    QColor FillColour;
};
