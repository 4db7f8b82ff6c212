#include "media/drive_listing.h"

#include "media/drive.h"

void TListingWriter::Header(std::string_view diskName16, std::string_view id2, std::string_view dos2) {
    Used = 0;
    PutWord(LoadAddress);
    PutWord(AddressOf(Used + HeaderLineSize));
    PutWord(0);
    Put(0x12);  // reverse on: the title line shows inverted
    Put('"');
    PutText(diskName16.substr(0, 16));
    PutSpaces(16 - int32_t(diskName16.substr(0, 16).size()));
    Put('"');
    Put(' ');
    PutText(id2.substr(0, 2));
    Put(' ');
    PutText(dos2.substr(0, 2));
    Put(0);
}

bool TListingWriter::Entry(int32_t blocks, std::string_view name, std::string_view suffix6) {
    if (Used + EntryLineSize + LastLineSize + 2 > Capacity) return false;
    const int32_t lineStart = Used;
    name = name.substr(0, 16);
    PutWord(AddressOf(lineStart + EntryLineSize));
    PutWord(uint16_t(blocks));
    const int32_t digits = DigitCount(blocks);
    if (digits < 4) PutSpaces(4 - digits);
    Put('"');
    PutText(name);
    Put('"');
    PutSpaces(16 - int32_t(name.size()));
    PutText(suffix6.substr(0, 6));
    // Wider block counts push the marks right; the padding keeps every line at 32 bytes.
    PutSpaces(lineStart + EntryLineSize - 1 - Used);
    Put(0);
    return true;
}

int32_t TListingWriter::Finish(int32_t blocksFree) {
    PutWord(AddressOf(Used + LastLineSize));
    PutWord(uint16_t(blocksFree));
    PutText("BLOCKS FREE.");
    PutSpaces(13);
    Put(0);
    PutWord(0);
    return Used;
}
