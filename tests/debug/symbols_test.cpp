#include <gtest/gtest.h>

#include "debug/symbolic_listing.h"
#include "debug/symbols.h"
#include "memory/memory.h"

TEST(Symbols, LabelFilesOfBothFormsWithTheirEdges) {
    TSymbolTable table;
    size_t skipped = 0;
    const size_t taken = table.Parse("al 00C000 .__MAIN_START__\n"
                                     "al C:c000 .main\r\n"
                                     "al 010000 .too_far\n"
                                     "  ; comment only\n\n"
                                     "beef = $1234 ; a name that reads as hex\n"
                                     "ptr := $10\n"
                                     "count = 42\n"
                                     "main = $2000\n"  // a known name keeps its first address
                                     "9lives = $10\n"
                                     "what is this\n",
                                     skipped);
    EXPECT_EQ(taken, 6u);
    EXPECT_EQ(skipped, 3u);
    EXPECT_EQ(table.Find("main"), 0xC000);
    EXPECT_EQ(table.Find("count"), 42);
    ASSERT_NE(table.NameAt(0xC000), nullptr);
    EXPECT_EQ(*table.NameAt(0xC000), "main");  // a place's name before the linker's constant
    EXPECT_EQ(*table.NameAt(0x0010), "ptr");

    struct {
        const char* Text;
        std::optional<uint16_t> Address;
    } const typed[] = {{"beef", 0x1234}, {"$beef", 0xBEEF}, {"c000", 0xC000}, {" main ", 0xC000},
                       {"12345", std::nullopt}, {"nowhere", std::nullopt}, {"", std::nullopt}};
    for (const auto& t : typed) EXPECT_EQ(ResolveAddress(t.Text, table), t.Address) << t.Text;
}

TEST(Symbols, TheListingNamesLabelsAndAddressOperandsButNotImmediates) {
    TMemory memory(2);
    // $1000: JSR $2000; LDA $10; BNE $1000; LDA #$10
    const uint8_t code[] = {0x20, 0x00, 0x20, 0xA5, 0x10, 0xD0, 0xF9, 0xA9, 0x10};
    std::copy(std::begin(code), std::end(code), memory.Ram() + 0x1000);
    TSymbolTable table;
    for (const auto& [name, address] : {std::pair<const char*, uint16_t>{"main", 0x1000}, {"sub", 0x2000}, {"ptr", 0x10}})
        table.Add(name, address);
    const TSymbolListing listing = DisassembleWithSymbols(memory, 0x1000, table);
    const char* const expected[] = {"main:", "1000  20 00 20  JSR sub", "1003  A5 10     LDA ptr", "1005  D0 F9     BNE main",
                                    "1007  A9 10     LDA #$10"};
    for (size_t i = 0; i < std::size(expected); ++i) {
        const std::string& line = listing.Text[i];
        EXPECT_EQ(line.substr(0, line.find_last_not_of(' ') + 1), expected[i]) << i;
    }
    EXPECT_TRUE(listing.IsLabel[0]);
    EXPECT_EQ(listing.LineAddress[0], 0x1000);
    EXPECT_EQ(listing.LineAddress[1], 0x1000);
    EXPECT_FALSE(listing.IsLabel[1]);
    // Without labels the listing is the plain one.
    EXPECT_EQ(DisassembleWithSymbols(memory, 0x1000, {}).Text, Disassemble(memory, 0x1000).Text);
}
