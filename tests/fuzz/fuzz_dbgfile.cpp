// Debug files (ca65/cc65 --dbgfile): any text read as one, then every address and a few source
// lines looked up.
//
// Input: the file's text.
#include "debug/debug_info.h"
#include "fuzz_support.h"

fuzz::TSeeds fuzz::Seeds() {
    const std::string program =
        "version\tmajor=2,minor=0\nfile\tid=0,name=\"main.c\",size=1,mtime=0x0,mod=0\n"
        "seg\tid=0,name=\"CODE\",start=0x001000,size=0x0010,addrsize=absolute,type=ro\n"
        "span\tid=0,seg=0,start=0,size=7\nspan\tid=1,seg=0,start=2,size=3\n"
        "line\tid=0,file=0,line=3,type=1,span=0+1\nline\tid=1,file=0,line=4,span=1\n"
        "sym\tid=0,name=\"_main\",addrsize=absolute,scope=0,def=1,val=0x1000,seg=0,type=lab\n";
    return {{"program", Bytes(program.begin(), program.end())}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDebugInfo info;
    const bool lines = info.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (uint32_t address = 0; address < 0x10000; address += 7) {
        const auto where = info.LocationOf(uint16_t(address));
        FUZZ_CHECK(!where || lines);
        // A line that covers an address names a file of the debug file, and has an address.
        if (where) FUZZ_CHECK(info.AddressOf(where->File, where->Line).has_value());
    }
    for (const std::string& file : info.Files()) (void)info.AddressOf(file, 3);
    return 0;
}
