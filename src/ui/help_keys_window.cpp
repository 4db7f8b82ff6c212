#include "ui/help_keys_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>
#include <vector>

#include "ui/main_window.h"

namespace {

// One key of the picture: its caption on the machine, its width in key units and the hint.
struct TKeyImage {
    const char* Caption;
    int Width;
    const char* Hint;
};

constexpr int KeyUnit = 26;
constexpr uint8_t StarScanCode = 0x2B;

// The rows of the 264 keyboard, the function keys above.
const std::vector<std::vector<TKeyImage>> KeyRows = {
    {{"F1", 2, "F1"}, {"F2", 2, "F2"}, {"F3", 2, "F3"}, {"HELP", 2, "F4"}},
    {{"ESC", 1, "ESC"}, {"1", 1, ""}, {"2", 1, ""}, {"3", 1, ""}, {"4", 1, ""}, {"5", 1, ""},
     {"6", 1, ""}, {"7", 1, ""}, {"8", 1, ""}, {"9", 1, ""}, {"0", 1, ""},
     {"+", 1, "'[' or '+' on the numeric pad"}, {"-", 1, "']' or '-' on the numeric pad"},
     {"=", 1, "'='"}, {"CLR HOME", 2, "Home"}, {"INST DEL", 2, "Backspace"}},
    {{"CTRL", 2, "Ctrl"}, {"Q", 1, ""}, {"W", 1, ""}, {"E", 1, ""}, {"R", 1, ""}, {"T", 1, ""},
     {"Y", 1, ""}, {"U", 1, ""}, {"I", 1, ""}, {"O", 1, ""}, {"P", 1, ""}, {"@", 1, "'-'"},
     {"\u00A3", 1, "Delete"}, {"*", 1, "'\\' or '*' on the numeric pad"}},
    {{"RUN STOP", 2, "'Tilde' key"}, {"A", 1, ""}, {"S", 1, ""}, {"D", 1, ""}, {"F", 1, ""},
     {"G", 1, ""}, {"H", 1, ""}, {"J", 1, ""}, {"K", 1, ""}, {"L", 1, ""}, {":", 1, ""},
     {";", 1, ""}, {"RETURN", 2, "Enter"}},
    {{"C=", 1, "End"}, {"SHIFT", 2, ""}, {"Z", 1, ""}, {"X", 1, ""}, {"C", 1, ""}, {"V", 1, ""},
     {"B", 1, ""}, {"N", 1, ""}, {"M", 1, ""}, {",", 1, ""}, {".", 1, ""}, {"/", 1, ""},
     {"SHIFT", 2, ""}, {"\u2191", 1, ""}},
    {{"SPACE", 9, "Space"}, {"\u2190", 1, ""}, {"\u2192", 1, ""}, {"\u2193", 1, ""}},
};

// A key image that reports the mouse button held on it.
class TKeyLabel : public QLabel {
public:
    TKeyLabel(const QString& caption, QWidget* parent, std::function<void(bool)> onMouse)
        : QLabel(caption, parent), OnMouse(std::move(onMouse)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (OnMouse && event->button() == Qt::LeftButton) OnMouse(true);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (OnMouse && event->button() == Qt::LeftButton) OnMouse(false);
    }

private:
    std::function<void(bool)> OnMouse;
};

}  // namespace

TForm_HelpKeys::TForm_HelpKeys(TForm_Main& main) : QDialog(&main), Main(main) {
    setWindowTitle(QStringLiteral("Keyboard layout on PC"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(3);
    Label_Mapping = new QLabel(this);
    Label_Mapping->setWordWrap(true);
    column->addWidget(Label_Mapping);
    for (const auto& row : KeyRows) {
        auto* line = new QHBoxLayout;
        line->setSpacing(3);
        for (const TKeyImage& key : row) {
            const QString caption = QString::fromUtf8(key.Caption);
            std::function<void(bool)> onMouse;
            if (caption == QLatin1String("*")) onMouse = [this](bool down) { down ? Image8MouseDown() : Image8MouseUp(); };
            auto* image = new TKeyLabel(caption, this, onMouse);
            image->setObjectName(caption);
            image->setAlignment(Qt::AlignCenter);
            image->setFixedSize(key.Width * KeyUnit + (key.Width - 1) * 3, KeyUnit);
            image->setFrameStyle(QFrame::Panel | QFrame::Raised);
            image->setLineWidth(2);
            image->setWordWrap(true);
            QFont font = image->font();
            font.setPointSizeF(font.pointSizeF() * 0.75);
            image->setFont(font);
            if (onMouse) Image8 = image;
            image->setProperty("positionalHint", QString::fromUtf8(key.Hint));
            line->addWidget(image);
        }
        line->addStretch();
        column->addLayout(line);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    column->addWidget(ok, 0, Qt::AlignHCenter);
    column->setSizeConstraint(QLayout::SetFixedSize);
    ShowMapping();
}

void TForm_HelpKeys::showEvent(QShowEvent* event) {
    ShowMapping();
    QDialog::showEvent(event);
}

void TForm_HelpKeys::ShowMapping() {
    QString text = Main.SymbolicKeyboard
        ? QStringLiteral("Keys are mapped by the character they type: a host key that types * holds the machine's "
                         "* key, Shift+' types \" as Shift+2 does here. Letters, the space bar and the keys named "
                         "below act by their position.")
        : QStringLiteral("Keys are mapped by their position on a PC keyboard.");
    for (int port = 1; port <= 2; ++port)
        if (Main.JoystickMode[port - 1] == TForm_Main::JoystickKeyboard)
            text += QStringLiteral("\nJoystick port %1: the cursor keys (or the keypad's 8, 4, 6, 2) move, the right "
                                   "Ctrl key fires; the machine does not see these keys meanwhile.").arg(port);
    Label_Mapping->setText(text);
    for (QLabel* image : findChildren<QLabel*>()) {
        if (image == Label_Mapping) continue;
        const QString caption = image->objectName();
        const bool symbol = caption.size() == 1 && !caption.front().isLetterOrNumber();
        // Keys whose host key lies elsewhere are shown lighter and name it in their hint.
        const QString hint = Main.SymbolicKeyboard && symbol
            ? QStringLiteral("The host key that types '%1'").arg(caption)
            : image->property("positionalHint").toString();
        image->setToolTip(hint);
        image->setStyleSheet(hint.isEmpty() ? QString() : QStringLiteral("background: #d8d0b8;"));
    }
}

QLabel* TForm_HelpKeys::KeyImage(const QString& caption) const {
    return findChild<QLabel*>(caption);
}

void TForm_HelpKeys::Image8MouseDown() {
    if (Main.Machine) Main.Machine->Keyboard.KeyDown[StarScanCode] = 0x80;
}

void TForm_HelpKeys::Image8MouseUp() {
    if (Main.Machine) Main.Machine->Keyboard.KeyDown[StarScanCode] = 0;
}
