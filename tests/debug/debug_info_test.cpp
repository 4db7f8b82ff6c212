#include <gtest/gtest.h>

#include "debug/dap_framing.h"
#include "debug/debug_info.h"

// A C line (type 1) made $1000-$1006; the assembler lines of its translation lie inside it.
const char* const CProgram =
    "version\tmajor=2,minor=0\n"
    "file\tid=0,name=\"main.s\",size=1,mtime=0x0,mod=0\n"
    "file\tid=2,name=\"main.c\",size=1,mtime=0x0,mod=0\n"
    "seg\tid=0,name=\"CODE\",start=0x001000,size=0x0010,addrsize=absolute,type=ro\n"
    "span\tid=4,seg=0,start=0,size=7\nspan\tid=5,seg=0,start=2,size=3\nspan\tid=6,seg=0,start=7,size=2\n"
    "line\tid=7,file=2,line=3,type=1,span=4\n"
    "line\tid=8,file=0,line=40,span=5\n"
    "line\tid=9,file=0,line=41,span=6\n"
    "line\tid=10,file=0,line=16,type=2,count=1\n"
    "line\tid=11,file=9,line=1,span=4\n"         // no such file
    "span\tid=12,seg=0,start=zz,size=1\n"        // not a number
    "scope\tid=1,name=\"_main\",mod=0,type=scope\n"
    "sym\tid=3,name=\"_main\",addrsize=absolute,scope=0,def=19,val=0x1000,seg=0,type=lab\n"
    "garbage\n";

TEST(DebugInfo, LinesAddressesAndSymbolsOfACompiledProgram) {
    TDebugInfo info;
    ASSERT_TRUE(info.Parse(CProgram));
    EXPECT_EQ(info.Skipped(), 3u);
    EXPECT_EQ(info.AddressOf("main.c", 3), 0x1000);
    EXPECT_EQ(info.AddressOf("/home/me/project/main.c", 3), 0x1000);  // as an editor names it
    EXPECT_EQ(info.AddressOf("notmain.c", 3), std::nullopt);
    EXPECT_EQ(info.AddressOf("main.s", 41), 0x1007);
    EXPECT_EQ(info.AddressOf("main.c", 4), std::nullopt);
    // The C line wins where both cover an address; past it the assembler line shows.
    EXPECT_EQ(info.LocationOf(0x1003)->File, "main.c");
    EXPECT_EQ(info.LocationOf(0x1008)->Line, 41u);
    EXPECT_FALSE(info.LocationOf(0x1009).has_value());
    EXPECT_EQ(info.Symbols().Find("_main"), 0x1000);
    // One file under two ids: a line under either is found by the file's name.
    TDebugInfo twice;
    ASSERT_TRUE(twice.Parse("file\tid=0,name=\"a.s\"\nfile\tid=1,name=\"a.s\"\nseg\tid=0,start=0x2000\n"
                            "span\tid=0,seg=0,start=0,size=1\nspan\tid=1,seg=0,start=1,size=1\n"
                            "line\tid=0,file=0,line=3,span=0\nline\tid=1,file=1,line=4,span=1\n"));
    EXPECT_EQ(twice.Files().size(), 1u);
    EXPECT_EQ(twice.AddressOf("a.s", 3), 0x2000);
    EXPECT_EQ(twice.AddressOf("a.s", 4), 0x2001);
    TDebugInfo empty;
    EXPECT_FALSE(empty.Parse("version\tmajor=2\nfile\tid=0,name=\"x\n"));
}

TEST(DapFraming, MessagesSplitJoinedAndRefused) {
    TDapReader reader;
    const std::string two = FrameMessage(R"({"a":1})") + FrameMessage("{}");
    reader.Feed(two.substr(0, 10));
    EXPECT_FALSE(reader.Next());
    reader.Feed(two.substr(10));
    EXPECT_EQ(reader.Next()->Body, R"({"a":1})");
    EXPECT_EQ(reader.Next()->Body, "{}");
    EXPECT_FALSE(reader.Next());
    // A header without a length is refused and the stream goes on after it.
    reader.Feed("Content-Type: json\r\n\r\n" + FrameMessage("[]"));
    EXPECT_FALSE(reader.Next()->Error.empty());
    EXPECT_EQ(reader.Next()->Body, "[]");
    // An oversized body is refused and skipped as it arrives.
    reader.Feed("Content-Length: " + std::to_string(TDapReader::MaxBodyBytes + 1) + "\r\n\r\n");
    EXPECT_FALSE(reader.Next()->Error.empty());
    reader.Feed(std::string(TDapReader::MaxBodyBytes + 1, 'x') + FrameMessage("1"));
    EXPECT_EQ(reader.Next()->Body, "1");
    // Header bytes without an end are bounded too.
    reader.Feed(std::string(TDapReader::MaxHeaderBytes + 1, 'h'));
    EXPECT_FALSE(reader.Next()->Error.empty());
}
