#pragma once
#include <QDialog>
#include <QLabel>

class TForm_Main;

// "Keyboard layout on PC": the emulated keyboard drawn key by key; the keys that lie elsewhere
// on a PC keyboard carry the host key's name as their hint.
class TForm_HelpKeys : public QDialog {
    Q_OBJECT
public:
    explicit TForm_HelpKeys(TForm_Main& main);

    // The key image of a machine key by its caption, or null.
    QLabel* KeyImage(const QString& caption) const;
    // Holding the mouse button on the '*' key holds the machine's '*' key.
    void Image8MouseDown();
    void Image8MouseUp();

    QLabel* Image8 = nullptr;

private:
    TForm_Main& Main;
};
