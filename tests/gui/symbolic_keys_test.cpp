#include <QCheckBox>
#include <QKeyEvent>
#include <algorithm>

#include "gui/form_fixture.h"
#include "host/symbolic_keys.h"
#include "ted/keyboard.h"
#include "ui/help_keys_window.h"
#include "ui/properties_dialog.h"

namespace {

constexpr uint8_t LeftShift = 0x2A;

// The matrix positions of host keys, in order.
std::vector<int> PositionsOf(std::vector<uint8_t> codes) {
    std::vector<int> positions;
    for (uint8_t code : codes) positions.push_back(ScanCodeToMatrix[code]);
    std::sort(positions.begin(), positions.end());
    return positions;
}

class SymbolicKeysTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Form = MakeForm();
    }
    void Key(bool down, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(Form.get(), &event);
        // As if the frames each key event lasts had passed.
        while (!Form->KeyQueue.Idle()) Form->KeyQueue.FrameEnded();
    }
    // The machine keys held: matrix positions of every line's low bits.
    std::vector<int> HeldPositions() {
        std::vector<int> held;
        for (int line = 0; line < 8; ++line) {
            const uint8_t row = Form->Machine->Keyboard.ReadKeyboardRow(line);
            for (int column = 0; column < 8; ++column)
                if (!(row & (1 << column))) held.push_back(MatrixPosition(column, line));
        }
        std::sort(held.begin(), held.end());
        return held;
    }
    // What typing `c` holds on the machine.
    std::vector<int> Positions(char c) { return PositionsOf(ScanCodesToType(c)); }
    // Shift held, then the key that types `typed` under a US layout, as a PC user types it.
    std::vector<int> TypeShifted(int key, const QString& typed) {
        Key(true, Qt::Key_Shift, Qt::ShiftModifier, QString());
        Key(true, key, Qt::ShiftModifier, typed);
        const std::vector<int> held = HeldPositions();
        Key(false, key, Qt::ShiftModifier, typed);
        Key(false, Qt::Key_Shift, Qt::NoModifier, QString());
        EXPECT_TRUE(HeldPositions().empty());
        return held;
    }

    std::unique_ptr<TForm_Main> Form;
};

}  // namespace

TEST_F(SymbolicKeysTest, ByPositionShift8IsShiftAnd8AsTheKeyboardIsLaidOut) {
    EXPECT_EQ(TypeShifted(Qt::Key_Asterisk, "*"), PositionsOf({LeftShift, 0x09}));
}

TEST_F(SymbolicKeysTest, ByCharacterStarQuoteAndParenthesesTypeWhatTheyShow) {
    Form->Form_Properties->show();
    Form->Form_Properties->CheckBox_SymbolicKeys->click();
    Form->Form_Properties->hide();
    ASSERT_TRUE(Form->SymbolicKeyboard);
    EXPECT_EQ(TypeShifted(Qt::Key_Asterisk, "*"), Positions('*'));  // the machine's own * key, no SHIFT
    EXPECT_EQ(TypeShifted(Qt::Key_QuoteDbl, "\""), Positions('"'));  // SHIFT and 2
    EXPECT_EQ(TypeShifted(Qt::Key_ParenLeft, "("), Positions('('));  // SHIFT and 8
    EXPECT_EQ(TypeShifted(Qt::Key_ParenRight, ")"), Positions(')'));  // SHIFT and 9
    // Letters keep their key and the host's Shift; Return and the cursor keys their position.
    EXPECT_EQ(TypeShifted(Qt::Key_A, "A"), PositionsOf({0x1E, LeftShift}));
    Key(true, Qt::Key_Up, Qt::NoModifier, QString());
    EXPECT_EQ(HeldPositions(), std::vector<int>{ScanCodeToMatrix[0x48]});
    Key(false, Qt::Key_Up, Qt::NoModifier, QString());
    // The keyboard layout window tells which mapping is on.
    Form->Form_HelpKeys->ShowMapping();
    EXPECT_TRUE(Form->Form_HelpKeys->Label_Mapping->text().startsWith("Keys are mapped by the character"));
    EXPECT_EQ(Form->Form_HelpKeys->KeyImage("*")->toolTip(), "The host key that types '*'");
}

TEST(SymbolicKeys, ReleasingShiftBeforeTheKeyKeepsTheCharacterAndReleasingItLetsGo) {
    TKeyboard keyboard;
    TSymbolicKeys keys;
    keys.KeyDown(keyboard, LeftShift, 0);
    keys.KeyDown(keyboard, 0x09, U'*');
    keys.KeyUp(keyboard, LeftShift);
    EXPECT_EQ(keyboard.KeyDown[0x2B], 0x7F);  // the '*' key
    EXPECT_EQ(keyboard.KeyDown[LeftShift], 0);
    // A second key while '*' is held: '(' needs SHIFT, the last one pressed decides.
    keys.KeyDown(keyboard, 0x0A, U'(');
    EXPECT_EQ(keyboard.KeyDown[LeftShift], 0x7F);
    keys.KeyUp(keyboard, 0x0A);
    EXPECT_EQ(keyboard.KeyDown[LeftShift], 0);
    keys.KeyUp(keyboard, 0x09);
    for (uint8_t down : keyboard.KeyDown) EXPECT_EQ(down, 0);
    // The pound sign of a UK layout reaches the machine's pound key.
    keys.KeyDown(keyboard, 0x04, U'\u00A3');
    EXPECT_EQ(keyboard.KeyDown[0x53], 0x7F);
}
