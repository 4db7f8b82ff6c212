// A D64 drive fed a crafted disk and arbitrary port traffic.
//
// Input: flags, a file name (length byte + bytes), a count of traffic pairs (2 bytes) and the
// pairs, then sector records (track, sector, 256 bytes; a short last record is padded with
// zeros) laid over a small consistent disk.
//   flags bit 0: first try images that must be refused, and check that the disk stays whole
//   flags bit 1: device 9;  bits 2-3: the machine's RAM (16K, 32K, 64K, 64K);  bit 4: protected;
//   bit 5: the disk is a host file that another program changes half-way through the traffic
#include "d64_builder_seed.h"
#include "drive_traffic.h"
#include "media/d64_checker.h"
#include "media/d64_disk.h"

namespace {

using namespace fuzz;

constexpr int32_t RamSizes[4] = {16384, 32768, 65536, 65536};

Bytes Encode(uint8_t flags, std::string_view name, const Bytes& traffic, const Bytes& image) {
    Bytes input{flags, uint8_t(name.size())};
    input.insert(input.end(), name.begin(), name.end());
    const size_t pairs = traffic.size() / 2;
    input.push_back(uint8_t(pairs));
    input.push_back(uint8_t(pairs >> 8));
    input.insert(input.end(), traffic.begin(), traffic.end());
    const Bytes records = SectorRecords(BaseDisk(), image);
    input.insert(input.end(), records.begin(), records.end());
    return input;
}

}  // namespace

fuzz::TSeeds fuzz::Seeds() {
    TSeeds seeds;
    seeds.emplace_back("base", Encode(0, "HELLO", {}, BaseDisk()));
    seeds.emplace_back("listing-c16", Encode(0x01, "$", {}, BaseDisk()));
    seeds.emplace_back("wildcard-drive9", Encode(0x02 | 0x08, "0:N*", {}, BaseDisk()));
    seeds.emplace_back("many-files", Encode(0x0C, "F?LE1*", {}, ManyFilesDisk()));
    TTrafficWriter save;
    save.Save("NEW", std::string("\x01\x10hello", 7));
    save.Listen(0xFF, "S0:HELLO");
    save.Listen(0xFF, "R0:OLD=NOTES");
    save.Talk(15, 40);
    save.Listen(0xF2, "NEW,P,R");
    save.Talk(2, 12);
    seeds.emplace_back("save-scratch-rename", Encode(0, "NEW", save.Bytes, BaseDisk()));
    TTrafficWriter format;
    format.Listen(0xFF, "N0:FRESH,AB");
    format.Listen(0xFF, "V0");
    format.Talk(15, 40);
    seeds.emplace_back("format-protected", Encode(0x10, "*", format.Bytes, BaseDisk()));
    seeds.emplace_back("changed-outside", Encode(0x20, "NEW", save.Bytes, BaseDisk()));
    TTrafficWriter blocks;
    blocks.Listen(0xF2, "#");
    blocks.Listen(0xFF, "U1 2 0 18 0");
    blocks.Listen(0xFF, "B-P 2 1");
    blocks.Talk(2, 8);
    blocks.Listen(0xFF, "B-A 0 1 0");
    blocks.Listen(0xFF, "U2 2 0 1 1");
    blocks.Talk(15, 40);
    seeds.emplace_back("blocks", Encode(0, "*", blocks.Bytes, BaseDisk()));
    return seeds;
}

namespace {

// The disk as a host file: the other drive may not take the same file; half-way through the
// traffic another program changes the file, and from then on nothing the drive does writes over
// that change.
void PlayFromHostFile(TDrive& drive, TInput& played, size_t pairs) {
    const fs::path file = ScratchRoot() / "disk.d64";
    WriteFile(file, drive.DiskImage());
    FUZZ_CHECK(drive.AttachImage(file.string()) == TD64Attach::Attached);
    TDrive other;
    FUZZ_CHECK(other.AttachImage((ScratchRoot() / "." / "disk.d64").string(), &drive) == TD64Attach::InUse);
    PlayTraffic(drive, played, pairs / 2);
    Bytes changed = ReadFile(file);
    FUZZ_CHECK(changed.size() == size_t(TDrive::D64ImageSize));
    changed[0] ^= 0xFF;
    WriteFile(file, changed);
    PlayTraffic(drive, played, pairs - pairs / 2);
    FUZZ_CHECK(ReadFile(file) == changed);
}

// Whether a data byte sent to the drive ($83, then the byte) is the first letter of a block
// command: such traffic may change sectors and the map as it pleases.
bool MaySendBlockCommand(const Bytes& traffic) {
    for (size_t i = 3; i < traffic.size(); i += 2)
        if (traffic[i - 2] == 0x83 && (traffic[i] == 'U' || traffic[i] == 'B')) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TInput input(data, size);
    const uint8_t flags = input.Byte();
    const std::string name(input.Text(input.Byte()));
    const size_t pairs = std::min<size_t>(input.Word(), 2048);
    const Bytes traffic = input.Take(2 * pairs);
    // One buffer for the whole run: a whole image is more than the allocator keeps at hand.
    static Bytes image;
    image = BaseDisk();
    const bool crafted = ApplySectorRecords(input, image);

    auto drive = std::make_unique<TDrive>();
    drive->SetDeviceNumber((flags & 0x02) ? 9 : 8);
    drive->SetMachineRam(RamSizes[(flags >> 2) & 3]);
    drive->SetWriteProtected(flags & 0x10);
    FUZZ_CHECK(drive->AttachImageData(BaseDisk()) == TD64Attach::Attached);
    if (flags & 0x01) {
        // A refused image leaves the attached disk as it was, byte for byte.
        FUZZ_CHECK(drive->AttachImageData(Bytes(name.begin(), name.end())) == TD64Attach::NotAnImage);
        FUZZ_CHECK(drive->AttachImage((ScratchRoot() / "no such disk.d64").string()) == TD64Attach::CannotOpen);
        FUZZ_CHECK(drive->DiskImage() == BaseDisk());
    }
    FUZZ_CHECK(drive->AttachImageData(image) == TD64Attach::Attached);
    drive->SetMode(TDrive::ModeD64);

    media_test::TDriveClient client(*drive);
    const Bytes listing = client.Load("$");
    CheckListing(listing, RamSizes[(flags >> 2) & 3]);
    for (const std::string& request : {std::string("*"), name}) {
        if (request.empty()) continue;
        // The last-byte status comes with the file's last byte: LOAD never runs on into stale data.
        FUZZ_CHECK(client.Load(request).size() <= size_t(TDrive::MaxDataLength));
        CheckDriveState(*drive);
    }

    TInput played(traffic.data(), traffic.size());
    if (flags & 0x20) {
        PlayFromHostFile(*drive, played, pairs);
        return 0;
    }
    PlayTraffic(*drive, played, pairs);
    if (flags & 0x10) FUZZ_CHECK(drive->DiskImage() == image);
    // Whatever the machine asked of a consistent disk, it stays consistent, unless it wrote
    // sectors or map bits by hand with the block commands (U2, B-W, B-A, B-F).
    if (!crafted && !MaySendBlockCommand(traffic)) {
        const media_test::TD64Check check = media_test::CheckD64(drive->DiskImage());
        if (!check.Consistent()) {
            for (const std::string& problem : check.Problems) std::fprintf(stderr, "%s\n", problem.c_str());
            FUZZ_CHECK(check.Consistent());
        }
        // Every write the drive answers with OK is in the image: with the traffic's channels
        // closed and its status read, a file saved now loads back whole.
        for (int secondary = 0; secondary < 15; ++secondary) client.CloseChannel(secondary);
        client.StatusLine();
        const Bytes payload = {0x01, 0x10, uint8_t(pairs), flags, 0xEA};
        if (client.Save("OKCHECK", payload).rfind("00,", 0) == 0) FUZZ_CHECK(client.Load("OKCHECK") == payload);
    }
    return 0;
}
