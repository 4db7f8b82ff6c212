#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "ted/keyboard.h"

namespace {

constexpr uint8_t ScanA = 0x1E;
constexpr uint8_t ScanLeftShift = 0x2A;
constexpr uint8_t ScanRightShift = 0x36;

// The matrix position of the machine key that typing `c` ends on (the last host key).
int TypedPosition(char c) {
    const auto codes = ScanCodesToType(c);
    return codes.empty() ? -1 : ScanCodeToMatrix[codes.back()];
}

bool TypedWithShift(char c) {
    const auto codes = ScanCodesToType(c);
    return codes.size() == 2 && codes[0] == ScanLeftShift;
}

}  // namespace

TEST(Keyboard, HeldKeyPullsItsColumnLowOnItsSelectLineOnly) {
    TKeyboard keyboard;
    keyboard.SetKey(ScanA, true);
    EXPECT_EQ(keyboard.ReadKeyboardRow(1), 0xFB);
    for (int row : {0, 2, 3, 4, 5, 6, 7}) EXPECT_EQ(keyboard.ReadKeyboardRow(row), 0xFF) << row;
    keyboard.SetKey(ScanA, false);
    EXPECT_EQ(keyboard.ReadKeyboardRow(1), 0xFF);
}

TEST(Keyboard, BothShiftKeysMustBeUpToReleaseShift) {
    TKeyboard keyboard;
    keyboard.SetKey(ScanLeftShift, true);
    keyboard.SetKey(ScanRightShift, true);
    keyboard.SetKey(ScanLeftShift, false);
    EXPECT_EQ(keyboard.ReadKeyboardRow(1), 0x7F);
    keyboard.SetKey(ScanRightShift, false);
    EXPECT_EQ(keyboard.ReadKeyboardRow(1), 0xFF);
}

TEST(Keyboard, SeveralKeysOnOneLineCombine) {
    TKeyboard keyboard;
    keyboard.SetKey(0x02, true);  // 1: column 0, line 7
    keyboard.SetKey(0x29, true);  // RUN/STOP: column 7, line 7
    keyboard.SetKey(0x10, true);  // Q: column 6, line 7
    EXPECT_EQ(keyboard.ReadKeyboardRow(7), 0x3E);
}

TEST(Keyboard, UnmappedKeysAreAbsorbedAndChangeNothing) {
    TKeyboard keyboard;
    // Tab, Alt, Caps Lock, F5-F10, Num Lock, Scroll Lock, keypad 9, keypad 5, keypad 3, F11, F12
    for (uint8_t code : {0x0F, 0x38, 0x3A, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x49,
                         0x4C, 0x51, 0x57, 0x58}) {
        EXPECT_EQ(ScanCodeToMatrix[code], NoMatrixKey) << int(code);
        keyboard.SetKey(code, true);
    }
    keyboard.KeyDown[0xFF] = 0x7F;
    for (int row = 0; row < 8; ++row) EXPECT_EQ(keyboard.ReadKeyboardRow(row), 0xFF) << row;
    EXPECT_EQ(keyboard.KeyMatrix[255], 0x80);
}

TEST(Keyboard, SelectedRowsReadTogetherEqualTheRowsReadOneByOne) {
    std::srand(3);
    TKeyboard together, oneByOne;
    for (int trial = 0; trial < 300; ++trial) {
        const uint8_t code = uint8_t(std::rand());
        const bool down = std::rand() % 3 != 0;
        together.SetKey(code, down);
        oneByOne.SetKey(code, down);
        const uint8_t select = uint8_t(std::rand() % 4 ? std::rand() : 0xFF);
        uint8_t expected = 0xFF;
        for (int line = 0; line < 8; ++line)
            if (!(select & (1 << line))) expected &= oneByOne.ReadKeyboardRow(line);
        ASSERT_EQ(together.ReadSelectedRows(select), expected) << trial;
        ASSERT_EQ(std::memcmp(together.KeyMatrix, oneByOne.KeyMatrix, 256), 0) << trial;
    }
    together.ClearKeys();
    EXPECT_EQ(together.ReadSelectedRows(0x00), 0xFF);
}

TEST(Keyboard, HostKeysStandingInForMachineKeys) {
    EXPECT_EQ(ScanCodeToMatrix[0x47], MatrixPosition(1, 7));  // Home / keypad 7: CLEAR/HOME
    EXPECT_EQ(ScanCodeToMatrix[0x52], MatrixPosition(4, 7));  // Insert: SPACE
    EXPECT_EQ(ScanCodeToMatrix[0x39], MatrixPosition(4, 7));
    EXPECT_EQ(ScanCodeToMatrix[0x53], MatrixPosition(2, 0));  // Delete: pound
    EXPECT_EQ(ScanCodeToMatrix[0x0C], MatrixPosition(7, 0));  // minus: @
    EXPECT_EQ(ScanCodeToMatrix[0x29], MatrixPosition(7, 7));  // backquote: RUN/STOP
    EXPECT_EQ(ScanCodeToMatrix[0x4F], MatrixPosition(5, 7));  // End: C=
    EXPECT_EQ(ScanCodeToMatrix[0x3E], MatrixPosition(3, 0));  // F4: HELP
    EXPECT_EQ(ScanCodeToMatrix[0x0E], MatrixPosition(0, 0));  // Backspace: INST/DEL
    EXPECT_EQ(ScanCodeToMatrix[0x01], MatrixPosition(4, 6));  // Esc
}

TEST(Keyboard, ExtendedCodesMapLikeTheirTwins) {
    for (uint8_t code : {0x1C, 0x35, 0x47, 0x48, 0x4B, 0x4D, 0x50}) {
        EXPECT_NE(ScanCodeToMatrix[code], NoMatrixKey) << int(code);
        EXPECT_EQ(ScanCodeToMatrix[code | 0x80], ScanCodeToMatrix[code]) << int(code);
    }
    // No other code with bit 7 set reaches the matrix.
    int mapped = 0;
    for (int code = 0x80; code < 0x100; ++code) mapped += ScanCodeToMatrix[code] != NoMatrixKey;
    EXPECT_EQ(mapped, 7);
}

TEST(Keyboard, EveryMachineKeyHasAHostKey) {
    std::set<int> positions;
    for (uint8_t position : ScanCodeToMatrix)
        if (position != NoMatrixKey) positions.insert(position);
    EXPECT_EQ(positions.size(), 64u);
    EXPECT_EQ(*positions.rbegin(), 63);
}

TEST(KeyboardTyping, LettersDigitsAndControlCharacters) {
    EXPECT_EQ(ScanCodesToType('a'), std::vector<uint8_t>{ScanA});
    EXPECT_EQ(ScanCodesToType('A'), std::vector<uint8_t>{ScanA});
    EXPECT_EQ(TypedPosition('q'), MatrixPosition(6, 7));
    EXPECT_EQ(TypedPosition('z'), MatrixPosition(4, 1));
    EXPECT_EQ(TypedPosition('0'), MatrixPosition(3, 4));
    EXPECT_EQ(TypedPosition('9'), MatrixPosition(0, 4));
    EXPECT_EQ(TypedPosition(' '), MatrixPosition(4, 7));
    EXPECT_EQ(TypedPosition('\n'), MatrixPosition(1, 0));
    // Every letter and digit is its own unshifted key.
    std::set<int> keys;
    for (char c = 'a'; c <= 'z'; ++c) keys.insert(TypedPosition(c));
    for (char c = '0'; c <= '9'; ++c) keys.insert(TypedPosition(c));
    EXPECT_EQ(keys.size(), 36u);
    EXPECT_EQ(keys.count(-1), 0u);
}

TEST(KeyboardTyping, PunctuationOnItsOwnKeys) {
    EXPECT_EQ(TypedPosition('*'), MatrixPosition(1, 6));
    EXPECT_EQ(TypedPosition(':'), MatrixPosition(5, 5));
    EXPECT_EQ(TypedPosition('+'), MatrixPosition(6, 6));
    EXPECT_EQ(TypedPosition('='), MatrixPosition(5, 6));
    EXPECT_EQ(TypedPosition(','), MatrixPosition(7, 5));
    EXPECT_EQ(TypedPosition('.'), MatrixPosition(4, 5));
    EXPECT_EQ(TypedPosition('/'), MatrixPosition(7, 6));
    EXPECT_EQ(TypedPosition(';'), MatrixPosition(2, 6));
    EXPECT_EQ(TypedPosition('@'), MatrixPosition(7, 0));
    EXPECT_EQ(TypedPosition('-'), MatrixPosition(6, 5));
    for (char c : std::string("*:+=,./;@- ")) EXPECT_FALSE(TypedWithShift(c)) << c;
}

TEST(KeyboardTyping, ShiftedPunctuation) {
    const struct {
        char Character;
        char Base;
    } shifted[] = {{'!', '1'}, {'"', '2'}, {'#', '3'}, {'$', '4'}, {'%', '5'},
                   {'&', '6'}, {'\'', '7'}, {'(', '8'}, {')', '9'}, {'<', ','},
                   {'>', '.'}, {'?', '/'}, {'[', ':'}, {']', ';'}};
    for (const auto& s : shifted) {
        EXPECT_TRUE(TypedWithShift(s.Character)) << s.Character;
        EXPECT_EQ(TypedPosition(s.Character), TypedPosition(s.Base)) << s.Character;
    }
}

TEST(KeyboardTyping, CharactersTheMachineCannotType) {
    for (char c : std::string("~`{}|\\^_\t\x7F"))
        EXPECT_TRUE(ScanCodesToType(c).empty()) << int(c);
    EXPECT_TRUE(ScanCodesToType('\0').empty());
    EXPECT_TRUE(ScanCodesToType(static_cast<char>(0xA3)).empty());
}
