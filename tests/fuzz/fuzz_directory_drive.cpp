// A directory drive serving host files of fuzzed names, kinds and sizes, fed arbitrary port
// traffic.
//
// Input: flags, a file count (low 2 bits + 1 ... up to 4 files), per file a kind byte, a size
// word and a name (length byte + bytes), then a requested name (length byte + bytes), then
// traffic pairs to the end.
//   flags bit 0: device 9;  bit 1: protected;  bits 2-3: the machine's RAM;  bit 4: the
//   directory is moved away half-way through the traffic
//   kind (low 3 bits): 0-3 a regular file (.PRG, .prg, .SEQ, .USR), 4 a link to a file outside
//   the directory, 5 a link to /dev/zero, 6 a named pipe, 7 a directory
#include <sys/stat.h>

#include <array>
#include <map>
#include <tuple>

#include "drive_traffic.h"

namespace {

using namespace fuzz;

constexpr int32_t RamSizes[4] = {16384, 32768, 65536, 65536};
constexpr const char* Extensions[] = {".PRG", ".prg", ".SEQ", ".USR", ".prg", ".PRG", ".prg", ".PRG"};
const Bytes Secret = {0x01, 0x10, 'S', 'E', 'C', 'R', 'E', 'T'};

// A host name from fuzzed bytes: no separator and no NUL (the host allows nothing else), and
// no leading dot, which the writer's temporary files have.
std::string HostName(std::string_view bytes) {
    std::string name(bytes.substr(0, 40));
    for (char& c : name)
        if (c == '/' || c == '\0') c = '_';
    if (name.empty() || name[0] == '.') name.insert(0, "F");
    return name;
}

// The bytes of the `index`th file, a pattern of its own; made once for the whole run, as a
// byte loop over up to 67 KB per file would cost more than the drive's work.
Bytes FileContents(int index, size_t bytes) {
    static const auto patterns = [] {
        std::array<Bytes, 4> all;
        for (size_t i = 0; i < all.size(); ++i) {
            all[i].resize(65000 + 0x800);
            for (size_t b = 0; b < all[i].size(); ++b) all[i][b] = uint8_t(b * 13 + i);
        }
        return all;
    }();
    const Bytes& pattern = patterns[size_t(index)];
    return Bytes(pattern.begin(), pattern.begin() + std::ptrdiff_t(std::min(bytes, pattern.size())));
}

// Names and sizes of what the directory holds.
std::map<std::string, uintmax_t> Contents(const fs::path& directory) {
    std::map<std::string, uintmax_t> contents;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        std::error_code sizeError;
        const uintmax_t bytes = entry.is_regular_file(sizeError) && !entry.is_symlink(sizeError) ? entry.file_size(sizeError) : 0;
        contents[entry.path().filename().string()] = bytes;
    }
    return contents;
}

// The served directory and a file beside it that no request may reach, both empty.
void FreshDirectories(const fs::path& served, const fs::path& outside) {
    std::error_code error;
    fs::remove_all(served, error);
    fs::create_directories(served);
    if (!fs::exists(outside)) WriteFile(outside, Secret);
}

Bytes Encode(uint8_t flags, const std::vector<std::tuple<uint8_t, uint16_t, std::string>>& files,
             std::string_view request, const Bytes& traffic) {
    Bytes input{flags, uint8_t(files.empty() ? 0 : files.size() - 1)};
    for (const auto& [kind, size, name] : files) {
        input.push_back(kind);
        input.push_back(uint8_t(size));
        input.push_back(uint8_t(size >> 8));
        input.push_back(uint8_t(name.size()));
        input.insert(input.end(), name.begin(), name.end());
    }
    input.push_back(uint8_t(request.size()));
    input.insert(input.end(), request.begin(), request.end());
    input.insert(input.end(), traffic.begin(), traffic.end());
    return input;
}

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    TSeeds seeds;
    seeds.emplace_back("one-program", Encode(0, {{0, 14, "hello"}}, "HELLO", {}));
    seeds.emplace_back("kinds", Encode(0x04, {{1, 300, "game"}, {4, 0, "link"}, {5, 0, "zero"}, {6, 0, "pipe"}},
                                       "*", {}));
    TTrafficWriter traffic;
    traffic.Save("NEW", std::string("\x01\x10hi", 4));
    traffic.Listen(0xFF, "S0:GAME");
    traffic.Listen(0xFF, "R0:OLD=NEW");
    traffic.Listen(0xF2, "DATA,S,W");
    traffic.Listen(0x62, "TEXT\r");
    traffic.Listen(0xE2, {});
    traffic.Talk(15, 40);
    seeds.emplace_back("writes", Encode(0x01, {{0, 900, "game"}, {7, 0, "folder"}}, "0:G*", traffic.Bytes));
    seeds.emplace_back("vanishing", Encode(0x10, {{0, 900, "game"}}, "GAME", traffic.Bytes));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path served = ScratchRoot() / "served";
    const fs::path outside = ScratchRoot() / "outside.prg";
    FreshDirectories(served, outside);

    TInput input(data, size);
    const uint8_t flags = input.Byte();
    const int files = (input.Byte() & 3) + 1;
    for (int i = 0; i < files && input.Left() > 0; ++i) {
        const uint8_t kind = input.Byte() & 7;
        // Mostly small files; the top bit of the size reaches past the 64 KB a load can take.
        const uint16_t word = input.Word();
        const size_t bytes = (word & 0x8000) ? 65000 + (word & 0x7FF) : (word & 0x0FFF);
        const fs::path path = served / (HostName(input.Text(input.Byte())) + Extensions[kind]);
        std::error_code error;
        if (fs::exists(fs::symlink_status(path, error))) continue;
        if (kind < 4) {
            WriteFile(path, FileContents(i, bytes));
        } else if (kind == 4) {
            fs::create_symlink(outside, path, error);
        } else if (kind == 5) {
            fs::create_symlink("/dev/zero", path, error);
        } else if (kind == 6) {
            ::mkfifo(path.c_str(), 0600);
        } else {
            fs::create_directory(path, error);
        }
    }
    const std::string request(input.Text(input.Byte()));

    auto drive = std::make_unique<TDrive>();
    drive->SetDeviceNumber((flags & 0x01) ? 9 : 8);
    drive->SetWriteProtected(flags & 0x02);
    drive->SetMachineRam(RamSizes[(flags >> 2) & 3]);
    drive->SetDirectoryPath(served.string());
    drive->SetMode(TDrive::ModeDirectory);

    media_test::TDriveClient client(*drive);
    CheckListing(client.Load("$"), RamSizes[(flags >> 2) & 3]);
    for (const std::string& name : {std::string("*"), request}) {
        if (name.empty()) continue;
        const Bytes loaded = client.Load(name);
        FUZZ_CHECK(loaded.size() <= size_t(TDrive::MaxDataLength));
        FUZZ_CHECK(loaded != Secret);
        CheckDriveState(*drive);
    }
    const auto before = Contents(served);
    const size_t pairs = input.Left() / 2;
    if (flags & 0x10) {
        // The directory goes away half-way (moved aside): from then on the drive reads and
        // writes nothing, neither there nor anywhere else.
        PlayTraffic(*drive, input, pairs / 2);
        const fs::path moved = ScratchRoot() / "moved";
        fs::rename(served, moved);
        const auto atMove = Contents(moved);
        PlayTraffic(*drive, input, pairs - pairs / 2);
        FUZZ_CHECK(Contents(moved) == atMove);
        FUZZ_CHECK(!fs::exists(served));
        fs::rename(moved, served);
    } else {
        PlayTraffic(*drive, input, pairs);
    }
    if (flags & 0x02) FUZZ_CHECK(Contents(served) == before);

    // Nothing outside the directory was touched, and no temporary file was left behind.
    FUZZ_CHECK(ReadFile(outside) == Secret);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(ScratchRoot(), error))
        FUZZ_CHECK(entry.path() == served || entry.path() == outside);
    for (const auto& entry : fs::directory_iterator(served, error)) FUZZ_CHECK(!IsWritersTemporary(entry.path()));
    return 0;
}
