#include "options.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "machine/machine_types.h"
#include "machine/typist.h"

const char* const UsageText =
    "Usage: varlume-run [options]\n"
    "Runs the emulated machine with no window: for tests, scripted runs of 6502 programs and\n"
    "benchmarks.\n"
    "Exit status:\n"
    "  0    success: the frames ran, or --until-pc / --until-text was reached\n"
    "  1    bad usage or unreadable input\n"
    "  2    cycle budget used up, --until-pc or a breakpoint not reached, or --until-text /\n"
    "       --until-write not reached within --frames\n"
    "  3    --timeout-frames reached\n"
    "  N    the program wrote N to the debug register $FDCF (or the --until-write address):\n"
    "       0 pass, anything else fail\n"
    "When a run fails with 2 or more by these stop conditions, the 40 x 25 text screen is\n"
    "printed to stderr (to stdout with --screen-text) so that a build log shows it.\n"
    "\n"
    "Machine:\n"
    "  --machine c16|c232|plus4|c16-64k|custom   machine type (default c16)\n"
    "  --rom-dir DIR          directory of the ROM images (default: the binary's directory,\n"
    "                         then ~/.local/share/varlume/roms)\n"
    "  --frames N             run N frames of 35568 clock steps (default 50, or until a\n"
    "                         stop condition when --until-pc or --max-cycles is given;\n"
    "                         --until-pc alone runs at most 30000 frames, ten minutes)\n"
    "  --reset N:soft|hard|special  press that reset after frame N (repeatable)\n"
    "Program:\n"
    "  --rom-off              switch the ROM off after reset, as a write to $FF3F does\n"
    "  --load ADDR:FILE       put the raw bytes of FILE into RAM at hex ADDR (repeatable)\n"
    "  --pc ADDR              set the program counter after reset\n"
    "  --labels FILE          read labels (ld65 -Ln \"al C:1234 .name\" lines or \"name = $1234\"\n"
    "                         lines; repeatable): every ADDR of --pc, --until-pc, --break and\n"
    "                         --until-write may then be a label name\n"
    "  --until-pc ADDR        stop with status 0 when an instruction boundary reaches ADDR;\n"
    "                         status 2 when the run ends before\n"
    "  --max-cycles N         stop with status 2 after N processor clocks\n"
    "  --until-text TEXT      stop with status 0 at the end of the first frame whose text\n"
    "                         screen shows TEXT (letters compared in upper case)\n"
    "  --until-write ADDR     stop when the processor writes to ADDR ($0200-$FFFF); the value\n"
    "                         written is the exit status\n"
    "  --no-debug-register    a write to $FDCF does not end the run (by default it does,\n"
    "                         with the value written as the exit status)\n"
    "  --timeout-frames N     stop with status 3 after N frames\n"
    "  --break ADDR           breakpoint at hex ADDR (repeatable, up to 16): when an\n"
    "                         instruction boundary reaches one, stop and print the register\n"
    "                         line and the 16-line listing from PC as the debugger shows\n"
    "                         them; status 2 when the run ends without reaching one\n"
    "Output:\n"
    "  --dump ADDR:LEN        print LEN (decimal) RAM bytes from hex ADDR at the end\n"
    "                         (repeatable)\n"
    "  --trace                one disassembled line per instruction, with registers, to stderr\n"
    "  --screenshot FILE.png  write the final frame, the whole 456 x 312 raster, as a PNG\n"
    "  --palette 0|1|2        colour table of the screenshot: calculated, digitized 1 (default)\n"
    "                         or digitized 2\n"
    "  --screen-text          print the 40 x 25 text screen at the end\n"
    "  --wav FILE             record the sound of the whole run (44100 Hz, 8-bit mono)\n"
    "Input:\n"
    "  --type TEXT            once the ROM waits for keyboard input, type TEXT through the\n"
    "                         keyboard matrix; \\n is RETURN, and each line after a RETURN waits\n"
    "                         until the ROM asks for input again\n"
    "  --keys FRAME:TEXT      after frame FRAME, type TEXT through the keyboard matrix at a\n"
    "                         steady rate (each key held 2 frames, let go 1), whatever the\n"
    "                         program is doing: for programs that read the keyboard\n"
    "                         themselves; escapes as for --type\n"
    "  --keybuf TEXT          put TEXT into the KERNAL's keyboard buffer, 10 keys at a time,\n"
    "                         refilled as the program empties it (from when the ROM first\n"
    "                         waits for keys; after --prg's RUN); escapes as for --type\n"
    "  --joy1 SCRIPT          move joystick 1: FRAME:DIRECTIONS entries separated by commas,\n"
    "                         DIRECTIONS none or up, down, left, right, fire joined by +;\n"
    "                         each holds from its frame (the first is 0) until the next,\n"
    "                         e.g. 100:right,150:up+fire,160:none\n"
    "  --joy2 SCRIPT          the same for joystick 2\n"
    "Storage:\n"
    "  --drive8 PATH          drive 8 serves a host directory, or a .d64 image file; SAVE,\n"
    "                         data files and DOS commands write to it\n"
    "  --drive9 PATH          the same for drive 9\n"
    "  --write-protect        both drives refuse every write (\"26,WRITE PROTECT ON\")\n"
    "  --prg FILE             once the ROM waits for keyboard input, load FILE as a PRG and\n"
    "                         type RUN; --type and --keybuf text follows the RUN\n"
    "  --cart FILE            attach a cartridge to banks 1 and 2: a CRT file, or a raw image\n"
    "                         of 16 KB (C1LO) or 32 KB (C1LO, C1HI); \"c2\" in the name puts it\n"
    "                         in bank 2, \"c1hi\"/\"c2hi\" a 16 KB image in HI. A cartridge with\n"
    "                         the autostart signature starts after the reset\n"
    "  --tap FILE             insert a TAP tape image\n"
    "  --play                 press Play after reset\n"
    "  --record-tap FILE      press Record and Play from reset; the recorded tape is written\n"
    "                         to FILE at the end (nothing is written when nothing was recorded)\n"
    "  --save-prg START:END:FILE  at the end, save RAM START..END (hex, inclusive) as a PRG\n"
    "  --force                --save-prg, --record-tap and --save-snapshot may replace an\n"
    "                         existing file (never one this run reads: a drive's image,\n"
    "                         the tape, --prg, --load, --snapshot)\n"
    "Snapshots:\n"
    "  --snapshot FILE        start from the machine state in FILE (the machine type and the\n"
    "                         cartridge are the snapshot's; the other options apply on top)\n"
    "  --save-snapshot FILE   at the end, write the whole machine state to FILE\n"
    "Run:\n"
    "  --debug-server PORT    after the set-up, wait for one debug adapter protocol client\n"
    "                         (an editor's debugger) on 127.0.0.1:PORT and run the machine as\n"
    "                         it asks until it disconnects; --frames N runs N frames first\n"
    "                         (150 boot the ROM, so that a program the client loads stays)\n"
    "  --bench                run the frames as fast as possible; print frames per second\n"
    "                         and the speed in % of real time (50 frames = 1 s)\n"
    "  --help                 this text\n";

namespace {

template <class T>
bool ParseNumber(const std::string& text, int base, T& out) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out, base);
    return ec == std::errc() && ptr == end;
}

bool ParseAddress(std::string text, uint16_t& out) {
    if (!text.empty() && text[0] == '$') text.erase(0, 1);
    uint32_t value = 0;
    if (text.size() > 4 || !ParseNumber(text, 16, value)) return false;
    out = uint16_t(value);
    return true;
}

// Splits "ADDR:REST" at the first colon.
bool SplitAddress(const std::string& text, uint16_t& address, std::string& rest) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || !ParseAddress(text.substr(0, colon), address)) return false;
    rest = text.substr(colon + 1);
    return true;
}

const std::map<std::string, int32_t> MachineNames = {
    {"c16", MachineC16}, {"c232", MachineC232}, {"plus4", MachinePlus4},
    {"c16-64k", MachineC16With64K}, {"custom", MachineCustom}};

}  // namespace

std::optional<TRunOptions> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    TRunOptions o;
    size_t i = 0;
    auto fail = [&](const std::string& why) {
        error = why;
        return std::optional<TRunOptions>();
    };
    // The value of the option at args[i], or nothing when it is missing.
    auto value = [&](std::string& out) {
        if (i + 1 >= args.size()) return false;
        out = args[++i];
        return true;
    };

    // Labels first, so that an address anywhere on the line may name one.
    for (size_t k = 0; k + 1 < args.size(); ++k) {
        if (args[k] != "--labels") continue;
        if (!LoadLabelFile(args[++k], o.Symbols, error)) return {};
    }
    auto address = [&](const std::string& text, uint16_t& out) {
        const auto resolved = ResolveAddress(text, o.Symbols);
        if (resolved) out = *resolved;
        return resolved.has_value();
    };

    for (; i < args.size(); ++i) {
        const std::string& opt = args[i];
        std::string v;
        auto needValue = [&]() {
            if (value(v)) return true;
            error = opt + " needs a value";
            return false;
        };
        if (opt == "--help" || opt == "-h") {
            o.Help = true;
        } else if (opt == "--rom-off") {
            o.RomOff = true;
        } else if (opt == "--trace") {
            o.Trace = true;
        } else if (opt == "--bench") {
            o.Bench = true;
        } else if (opt == "--play") {
            o.Play = true;
        } else if (opt == "--write-protect") {
            o.WriteProtect = true;
        } else if (opt == "--force") {
            o.Force = true;
        } else if (opt == "--drive8" || opt == "--drive9" || opt == "--prg" || opt == "--tap" ||
                   opt == "--record-tap" || opt == "--cart") {
            if (!needValue()) return {};
            if (v.empty()) return fail(opt + " needs a path");
            (opt == "--drive8" ? o.Drive8 : opt == "--drive9" ? o.Drive9 : opt == "--prg" ? o.Prg
                                              : opt == "--tap"  ? o.Tap : opt == "--cart" ? o.Cartridge : o.RecordTap) = v;
        } else if (opt == "--save-prg") {
            TRunOptions::TSavePrg save{};
            std::string rest;
            if (!needValue()) return {};
            if (!SplitAddress(v, save.Start, rest) || !SplitAddress(rest, save.End, save.File) || save.File.empty())
                return fail("bad --save-prg '" + v + "' (expected START:END:FILE, addresses in hex)");
            o.SavePrg = save;
        } else if (opt == "--screen-text") {
            o.ScreenText = true;
        } else if (opt == "--snapshot" || opt == "--save-snapshot") {
            if (!needValue()) return {};
            if (v.empty()) return fail(opt + " needs a file name");
            (opt == "--snapshot" ? o.Snapshot : o.SaveSnapshot) = v;
        } else if (opt == "--screenshot" || opt == "--wav") {
            if (!needValue()) return {};
            if (v.empty()) return fail(opt + " needs a file name");
            (opt == "--wav" ? o.Wav : o.Screenshot) = v;
        } else if (opt == "--palette") {
            if (!needValue()) return {};
            if (v != "0" && v != "1" && v != "2") return fail("bad palette '" + v + "' (0, 1 or 2)");
            o.Palette = v[0] - '0';
        } else if (opt == "--type") {
            if (!needValue()) return {};
            o.TypeText = UnescapeTypedText(v);
            if (const char c = TTypist::Untypable(o.TypeText))
                return fail(std::string("the keyboard cannot type '") + c + "'");
        } else if (opt == "--keys") {
            if (!needValue()) return {};
            const auto colon = v.find(':');
            if (colon == std::string::npos || !ParseNumber(v.substr(0, colon), 10, o.KeysFrame) || o.KeysFrame < 0)
                return fail("bad --keys '" + v + "' (expected FRAME:TEXT)");
            o.Keys = UnescapeTypedText(v.substr(colon + 1));
            if (const char c = TTypist::Untypable(o.Keys))
                return fail(std::string("the keyboard cannot type '") + c + "'");
        } else if (opt == "--keybuf") {
            if (!needValue()) return {};
            o.KeyBuffer = UnescapeTypedText(v);
        } else if (opt == "--joy1" || opt == "--joy2") {
            if (!needValue()) return {};
            std::string why;
            auto script = ParseJoystickScript(v, why);
            if (!script) return fail(opt + ": " + why);
            (opt == "--joy1" ? o.Joystick1 : o.Joystick2) = std::move(script);
        } else if (opt == "--machine") {
            if (!needValue()) return {};
            auto it = MachineNames.find(v);
            if (it == MachineNames.end()) return fail("unknown machine '" + v + "' (c16, c232, plus4, c16-64k or custom)");
            o.MachineType = it->second;
        } else if (opt == "--rom-dir") {
            if (!needValue()) return {};
            if (v.empty()) return fail("--rom-dir needs a directory");
            if (v.back() != '/') v += '/';
            o.RomDirectory = v;
        } else if (opt == "--frames") {
            int64_t n = 0;
            if (!needValue()) return {};
            if (!ParseNumber(v, 10, n) || n < 0) return fail("bad frame count '" + v + "'");
            o.Frames = n;
        } else if (opt == "--reset") {
            TRunOptions::TReset reset{};
            if (!needValue()) return {};
            const auto colon = v.find(':');
            const std::string kind = colon == std::string::npos ? "" : v.substr(colon + 1);
            if (colon == std::string::npos || !ParseNumber(v.substr(0, colon), 10, reset.AfterFrame) ||
                reset.AfterFrame < 0 || (kind != "soft" && kind != "hard" && kind != "special"))
                return fail("bad --reset '" + v + "' (expected N:soft, N:hard or N:special)");
            reset.Kind = kind == "soft" ? TRunOptions::TReset::Soft
                         : kind == "hard" ? TRunOptions::TReset::Hard : TRunOptions::TReset::Special;
            o.Resets.push_back(reset);
        } else if (opt == "--load") {
            TRunOptions::TLoad load{};
            if (!needValue()) return {};
            if (!SplitAddress(v, load.Address, load.File) || load.File.empty())
                return fail("bad --load '" + v + "' (expected ADDR:FILE, ADDR in hex)");
            o.Loads.push_back(load);
        } else if (opt == "--labels") {
            if (!needValue()) return {};  // read before the loop
        } else if (opt == "--pc" || opt == "--until-pc" || opt == "--until-write") {
            uint16_t at = 0;
            if (!needValue()) return {};
            if (!address(v, at)) return fail("bad address or unknown label '" + v + "' for " + opt);
            if (opt == "--until-write" && at < 0x200)
                return fail("--until-write needs an address from $0200 (pages 0 and 1 are not watched)");
            (opt == "--pc" ? o.Pc : opt == "--until-pc" ? o.UntilPc : o.UntilWrite) = at;
        } else if (opt == "--until-text") {
            if (!needValue()) return {};
            if (v.empty()) return fail("--until-text needs a text");
            o.UntilText = v;
        } else if (opt == "--debug-server") {
            uint32_t port = 0;
            if (!needValue()) return {};
            if (!ParseNumber(v, 10, port) || port == 0 || port > 65535) return fail("bad port '" + v + "'");
            o.DebugServerPort = uint16_t(port);
        } else if (opt == "--no-debug-register") {
            o.DebugRegister = false;
        } else if (opt == "--timeout-frames") {
            int64_t n = 0;
            if (!needValue()) return {};
            if (!ParseNumber(v, 10, n) || n <= 0) return fail("bad frame count '" + v + "' for --timeout-frames");
            o.TimeoutFrames = n;
        } else if (opt == "--break") {
            uint16_t at = 0;
            if (!needValue()) return {};
            if (!address(v, at)) return fail("bad address or unknown label '" + v + "' for --break");
            if (std::find(o.Breaks.begin(), o.Breaks.end(), at) != o.Breaks.end()) continue;
            if (o.Breaks.size() == 16) return fail("at most 16 breakpoints can be set");
            o.Breaks.push_back(at);
        } else if (opt == "--max-cycles") {
            uint64_t n = 0;
            if (!needValue()) return {};
            if (!ParseNumber(v, 10, n)) return fail("bad cycle count '" + v + "'");
            o.MaxCycles = n;
        } else if (opt == "--dump") {
            TRunOptions::TDump dump{};
            std::string length;
            if (!needValue()) return {};
            if (!SplitAddress(v, dump.Address, length) || !ParseNumber(length, 10, dump.Length) ||
                dump.Length == 0 || dump.Address + dump.Length > 0x10000)
                return fail("bad --dump '" + v + "' (expected ADDR:LEN, ADDR in hex, LEN in decimal, within 64 KB)");
            o.Dumps.push_back(dump);
        } else {
            return fail("unknown option '" + opt + "' (see --help)");
        }
    }
    if (!o.Tap.empty() && !o.RecordTap.empty()) return fail("--tap and --record-tap exclude each other");
    // A run that waits for a text or a write must have a bound, or a lost program runs forever.
    if ((o.UntilWrite || !o.UntilText.empty()) && !o.MaxCycles && !o.Frames && !o.TimeoutFrames)
        return fail("--until-text and --until-write need --timeout-frames, --frames or --max-cycles");
    return o;
}
