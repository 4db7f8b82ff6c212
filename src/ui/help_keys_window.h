#pragma once
#include <QDialog>
#include <QLabel>

class TForm_Main;

// "Keyboard layout on PC": the emulated keyboard drawn key by key; the keys that lie elsewhere
// on a PC keyboard carry the host key's name as their hint. A line above the keys names the
// active mapping (by position or by character) and the keyboard joystick's keys when a port
// uses it; with the mapping by character the punctuation keys name the character instead.
class TForm_HelpKeys : public QDialog {
    Q_OBJECT
public:
    explicit TForm_HelpKeys(TForm_Main& main);

    // The key image of a machine key by its caption, or null.
    QLabel* KeyImage(const QString& caption) const;
    // Shows the main window's current mapping and joystick choices.
    void ShowMapping();
    // Holding the mouse button on the '*' key holds the machine's '*' key.
    void Image8MouseDown();
    void Image8MouseUp();

    QLabel* Image8 = nullptr;
    QLabel* Label_Mapping = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TForm_Main& Main;
};
