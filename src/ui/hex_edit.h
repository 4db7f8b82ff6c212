#pragma once
#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <optional>

// A hexadecimal entry field of 2 or 4 digits: backspace and the digits 0-9, A-F, a-f are
// taken, every other character is discarded (editing keys such as the arrows and Delete work
// as usual). Enter is the line edit's own returnPressed, so a dialog's default button still
// sees it. Leaving the field for another control of its window is reported as Left.
class THexEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit THexEdit(int digits, QWidget* parent = nullptr);

    // The text read as hexadecimal; an empty text counts as 0.
    uint16_t Value() const;
    // Empty becomes "0", then the text is rewritten zero-padded in upper case ("%.4X" or
    // "%.2X"). Returns the value.
    uint16_t Normalise();
    // Just wide enough for its digits, for tool bars and compact forms.
    void FitWidthToDigits();
    // The field takes label names too: a text that `names` knows stays as typed and stands for
    // its address; any other text is read as hexadecimal as before.
    using TNames = std::function<std::optional<uint16_t>(const QString&)>;
    void AcceptNames(TNames names);

signals:
    void Left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int Digits;
    TNames Names;
};

// `value` in upper-case hexadecimal, zero-padded to `digits`.
QString HexText(uint32_t value, int digits);
