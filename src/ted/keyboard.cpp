#include "ted/keyboard.h"

#include <cstring>

const uint8_t ScanCodeToMatrix[256] = {};  // filled in with the TED

uint8_t TKeyboard::ReadKeyboardRow(int) { return 0xFF; }

void TKeyboard::ClearKeys() {
    std::memset(KeyDown, 0, sizeof KeyDown);
    std::memset(KeyMatrix, 0, sizeof KeyMatrix);
}
