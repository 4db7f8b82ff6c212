// The drive's command channel on its own: command lines straight into ExecuteDosCommand, on a
// D64 disk held in memory or on a host directory.
//
// Input: flags, then commands (length byte + bytes) to the end.
//   flags bit 0: a host directory instead of the disk;  bit 1: write-protected
#include "d64_builder_seed.h"
#include "media/d64_backend.h"
#include "media/d64_checker.h"
#include "media/directory_backend.h"

namespace {

using namespace fuzz;

const Bytes Secret = {0x01, 0x10, 'S', 'E', 'C', 'R', 'E', 'T'};

Bytes Encode(uint8_t flags, const std::vector<std::string>& commands) {
    Bytes input{flags};
    for (const std::string& command : commands) {
        input.push_back(uint8_t(command.size()));
        input.insert(input.end(), command.begin(), command.end());
    }
    return input;
}

void CheckStatus(const TDosStatus& status) {
    FUZZ_CHECK(KnownDosCode(status.Code));
    // Only a scratch counts files; only a bad track or sector, and the next free block of B-A,
    // name a track and sector.
    const bool names = status.Code == DosIllegalTrackSector || status.Code == DosNoBlock;
    FUZZ_CHECK(status.Code == DosFilesScratched || names || status.Track == 0);
    FUZZ_CHECK(status.Track >= 0 && (names || status.Sector == 0));
}

void OnDisk(TInput& input, bool writeProtected) {
    // One image for the whole run (attaching replaces all it holds): a new one would cost a
    // whole image's allocation for each input.
    static TD64Image image;
    FUZZ_CHECK(image.AttachData(BaseDisk()) == TD64Attach::Attached);
    bool mapChangedByHand = false;
    while (input.Left() > 0) {
        TD64BackEnd backEnd(image, writeProtected);
        const std::string command(input.Text(input.Byte()));
        const TDosStatus status = ExecuteDosCommand(command, backEnd);
        CheckStatus(status);
        // B-A and B-F change the map as they are told, whatever the chains say.
        mapChangedByHand |= status.Code == DosOk && command.rfind("B-", 0) == 0;
    }
    if (writeProtected) FUZZ_CHECK(image.Bytes() == BaseDisk());
    if (mapChangedByHand) return;
    // Any other command on a consistent disk leaves it consistent.
    const media_test::TD64Check check = media_test::CheckD64(image.Bytes());
    for (const std::string& problem : check.Problems) std::fprintf(stderr, "%s\n", problem.c_str());
    FUZZ_CHECK(check.Consistent());
}

void OnDirectory(TInput& input, bool writeProtected) {
    const fs::path served = ScratchRoot() / "served";
    const fs::path outside = ScratchRoot() / "outside.prg";
    std::error_code error;
    fs::remove_all(served, error);
    fs::create_directories(served);
    WriteFile(outside, Secret);
    WriteFile(served / "game.prg", {0x01, 0x10, 1, 2, 3});
    WriteFile(served / "NOTES.SEQ", {'A', 0x0D});
    fs::create_symlink(outside, served / "link.prg", error);
    fs::create_directory(served / "folder.prg", error);
    while (input.Left() > 0) {
        TDirectoryBackEnd backEnd(served, writeProtected);
        CheckStatus(ExecuteDosCommand(input.Text(input.Byte()), backEnd));
    }
    // Only served files change: the file outside, the link to it and the directory stay, and
    // nothing appears outside the directory.
    FUZZ_CHECK(ReadFile(outside) == Secret);
    FUZZ_CHECK(fs::is_symlink(served / "link.prg"));
    FUZZ_CHECK(fs::is_directory(served / "folder.prg"));
    for (const auto& entry : fs::directory_iterator(ScratchRoot(), error))
        FUZZ_CHECK(entry.path() == served || entry.path() == outside);
    for (const auto& entry : fs::directory_iterator(served, error)) FUZZ_CHECK(!IsWritersTemporary(entry.path()));
    if (writeProtected) FUZZ_CHECK(ReadFile(served / "game.prg") == Bytes({0x01, 0x10, 1, 2, 3}));
}

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    return {{"disk", Encode(0, {"S0:HELLO", "R0:OLD=NOTES", "N0:FRESH,AB", "V0", "I0"})},
            {"disk-wildcards", Encode(0, {"S:*", "S0:B?G,NOTES", "R:A=*", "N:ONLY"})},
            {"disk-blocks", Encode(0, {"B-A 0 18 0", "B-A:0,1,0", "B-F 0 1 0", "U1 2 0 18 0", "B-P 2 1", "M-R"})},
            {"directory", Encode(1, {"S0:GAME", "R0:NEW=NOTES", "S:LINK", "R:X=FOLDER", "N0:X,Y", "V"})},
            {"protected", Encode(3, {"S0:*", "R0:NEW=GAME"})}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input(data, size);
    const uint8_t flags = input.Byte();
    if (flags & 0x01) OnDirectory(input, flags & 0x02);
    else OnDisk(input, flags & 0x02);
    return 0;
}
