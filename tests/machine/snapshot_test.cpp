#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/snapshot.h"
#include "media/d64_builder.h"
#include "media/prg_file.h"
#include "ted/sound_synth.h"
#include "ted/sound_capture.h"

// Snapshots of a machine running BASIC on the real ROMs: restored, it goes on exactly as the
// machine it was taken from; every bad file is refused and leaves the machine as it was.

namespace {

const std::string RomDir = std::string(VARLUME_BIN_DIR) + "/";

// 10 A=A+1:PRINT A;:POKE 65305,A:GOTO 10 (the border colour follows the count).
const std::vector<uint8_t> CountingProgram = {
    0x01, 0x10, 0x1A, 0x10, 0x0A, 0x00, 'A', 0xB2, 'A', 0xAA, '1', ':', 0x99, 'A', ';', ':',
    0x97, '6', '5', '3', '0', '5', ',', 'A', ':', 0x89, '1', '0', 0x00, 0x00, 0x00};

std::unique_ptr<TMachine> NewMachine(int32_t type = MachineC16) {
    auto machine = std::make_unique<TMachine>(TNullHost::Instance(), RomDir);
    machine->PowerUp(type);
    return machine;
}

void Frames(TMachine& machine, int count) {
    for (int i = 0; i < count; ++i) machine.RunFrame();
}

// Boots, then runs the counting program for a while.
std::unique_ptr<TMachine> RunningBasic() {
    auto machine = NewMachine();
    for (int i = 0; i < 400 && !AutoLoadReady(machine->Cpu.PC, machine->Cpu.Cycle); ++i) machine->RunFrame();
    EXPECT_TRUE(AutoLoadReady(machine->Cpu.PC, machine->Cpu.Cycle)) << "the ROM never waited for keys: are the ROM images in " << RomDir << "?";
    LoadPrgData(machine->Memory, CountingProgram, true);
    Frames(*machine, 30);
    return machine;
}

void ExpectSameMachine(const TMachine& a, const TMachine& b) {
    EXPECT_EQ(std::memcmp(a.Memory.Ram(), b.Memory.Ram(), TMemory::RamSize), 0) << "RAM";
    EXPECT_EQ(std::memcmp(a.Frame.Pixels, b.Frame.Pixels, sizeof a.Frame.Pixels), 0) << "frame buffer";
    EXPECT_EQ(a.Cpu.PC, b.Cpu.PC);
    EXPECT_EQ(a.Cpu.A, b.Cpu.A);
    EXPECT_EQ(a.Cpu.Cycle, b.Cpu.Cycle);
    EXPECT_EQ(a.Ted.LineIndex, b.Ted.LineIndex);
    EXPECT_EQ(a.Ted.LineStep, b.Ted.LineStep);
    // Every other field: both snapshots hold the same bytes.
    EXPECT_EQ(SaveSnapshot(a), SaveSnapshot(b));
}

std::vector<uint8_t> Restored(const std::vector<uint8_t>& snapshot, std::unique_ptr<TMachine>& into) {
    std::string error;
    EXPECT_TRUE(LoadSnapshot(*into, snapshot.data(), snapshot.size(), error)) << error;
    return SaveSnapshot(*into);
}

// The checksum at the end made right again after a change to the bytes before it.
void Reseal(std::vector<uint8_t>& file) {
    const size_t end = file.size() - 12;
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < end; ++i) {
        crc ^= file[i];
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    crc ^= 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i) file[file.size() - 4 + size_t(i)] = uint8_t(crc >> (8 * i));
}

// Where a section's bytes start.
size_t SectionAt(const std::vector<uint8_t>& file, const char* tag) {
    for (size_t at = 12; at + 8 <= file.size();) {
        const uint32_t length = uint32_t(file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 | uint32_t(file[at + 7]) << 24);
        if (std::memcmp(&file[at], tag, 4) == 0) return at;
        at += 8 + length;
    }
    return std::string::npos;
}

}  // namespace

TEST(Snapshot, TwoMachinesFromOneSnapshotRunTwoHundredFramesAlike) {
    auto original = RunningBasic();
    const std::vector<uint8_t> snapshot = SaveSnapshot(*original);
    auto first = NewMachine(MachinePlus4);  // another type: the snapshot brings its own
    auto second = NewMachine();
    EXPECT_EQ(Restored(snapshot, first), snapshot);
    EXPECT_EQ(Restored(snapshot, second), snapshot);
    EXPECT_EQ(first->MachineType, MachineC16);
    EXPECT_EQ(first->Memory.RamSizeCode(), 0);
    Frames(*original, 200);
    Frames(*first, 200);
    Frames(*second, 200);
    ExpectSameMachine(*first, *second);
    ExpectSameMachine(*first, *original);
}

TEST(Snapshot, ASnapshotBetweenTwoClocksOfALineGoesOnExactly) {
    auto original = RunningBasic();
    // The debugger's single clocks leave the machine inside a line and an instruction.
    for (int i = 0; i < 12345; ++i) original->StepClock();
    ASSERT_NE(original->Ted.LineStep, 0);
    const std::vector<uint8_t> snapshot = SaveSnapshot(*original);
    auto copy = NewMachine();
    Restored(snapshot, copy);
    // The rest of the frame, drawn by both from what the line latched: compared before the next
    // frame draws over it.
    while (original->Ted.LineIndex != 0 || original->Ted.LineStep != 0) {
        original->StepClock();
        copy->StepClock();
    }
    ExpectSameMachine(*original, *copy);
    Frames(*original, 20);
    Frames(*copy, 20);
    ExpectSameMachine(*original, *copy);
}

TEST(Snapshot, ALoadFromDiskInProgressFinishesAlikeAndTheSynthesizerGoesOnInPhase) {
    media_test::TD64Builder disk;
    // Loaded at $1001; its first bytes end the BASIC program at once, so BASIC's relinking after
    // the load leaves the rest as it came.
    std::vector<uint8_t> program(12000);
    for (size_t i = 4; i < program.size(); ++i) program[i] = uint8_t(i * 7);
    program[0] = 0x01, program[1] = 0x10;
    disk.AddFile("BIG", program);
    auto original = RunningBasic();
    original->Drive8.AttachImageData(disk.Image);
    original->Drive8.SetMode(TDrive::ModeD64);
    // RUN/STOP breaks the program; then LOAD"BIG",8 through the keyboard buffer.
    original->Keyboard.SetKey(0x29, true);
    Frames(*original, 3);
    original->Keyboard.SetKey(0x29, false);
    Frames(*original, 10);
    const char load[] = "LOAD\"BIG\",8\r";
    std::memcpy(original->Memory.Ram() + 0x0527, load, 10);
    original->Memory.Ram()[0xEF] = 10;
    Frames(*original, 2);
    std::memcpy(original->Memory.Ram() + 0x0527, load + 10, 2);
    original->Memory.Ram()[0xEF] = 2;
    int frames = 0;
    while (original->Drive8.ReadPosition < 2000 && frames++ < 200) original->RunFrame();
    ASSERT_LT(original->Drive8.ReadPosition, 11000) << "the load should be under way";

    // A chord with noise in the making when the snapshot is taken.
    TSoundCapture sound, copySound;
    original->SetSoundSink(&sound);
    for (auto [address, value] : {std::pair{0xFF0E, 0x40}, {0xFF12, 0x02}, {0xFF0F, 0xF0}, {0xFF10, 0x03}, {0xFF11, 0x58}})
        original->Ted.WriteRegister(uint16_t(address), uint8_t(value));
    Frames(*original, 7);
    const std::vector<uint8_t> snapshot = SaveSnapshot(*original, &sound.Synth);
    auto copy = NewMachine();
    copy->SetSoundSink(&copySound);
    Frames(*copy, 3);
    std::string error;
    ASSERT_TRUE(LoadSnapshot(*copy, snapshot.data(), snapshot.size(), error, &copySound.Synth)) << error;
    sound.Samples.clear();
    copySound.Samples.clear();
    Frames(*original, 150);
    Frames(*copy, 150);
    ExpectSameMachine(*original, *copy);
    EXPECT_EQ(std::memcmp(original->Memory.Ram() + 0x1001, program.data() + 2, program.size() - 2), 0);
    // The same samples, from the first on: the oscillators, the noise and the samples in the
    // making went on where they were.
    ASSERT_GT(sound.Samples.size(), 100000u);
    EXPECT_EQ(sound.Samples, copySound.Samples);
    original->SetSoundSink(nullptr);
    copy->SetSoundSink(nullptr);
}

TEST(Snapshot, EveryDamagedTruncatedOrForeignFileIsRefusedAndTheMachineIsUntouched) {
    auto source = RunningBasic();
    const std::vector<uint8_t> good = SaveSnapshot(*source);
    auto machine = NewMachine();
    Frames(*machine, 5);
    const std::vector<uint8_t> before = SaveSnapshot(*machine);
    auto refused = [&](std::vector<uint8_t> bytes, const char* message, const std::string& what) {
        std::string error;
        EXPECT_FALSE(LoadSnapshot(*machine, bytes.data(), bytes.size(), error)) << what;
        EXPECT_EQ(error, message) << what;
        EXPECT_TRUE(SaveSnapshot(*machine) == before) << what << ": the machine changed";
    };
    refused({}, SnapshotForeign, "empty");
    refused({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}, SnapshotForeign, "a PNG");
    for (size_t length : {size_t(8), size_t(11), size_t(12), size_t(20), good.size() / 2, good.size() - 1})
        refused(std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(length)), SnapshotDamaged,
                "cut to " + std::to_string(length));
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    refused(longer, SnapshotDamaged, "a byte after the end");
    for (size_t at : {size_t(13), size_t(5000), good.size() / 3, good.size() - 5}) {
        std::vector<uint8_t> flipped = good;
        flipped[at] ^= 0x10;
        refused(flipped, SnapshotDamaged, "a bit flipped at " + std::to_string(at));
    }
    std::vector<uint8_t> newer = good;
    newer[8] = uint8_t(SnapshotVersion + 1);
    refused(newer, SnapshotNewer, "a newer version");

    // Sealed again after the change, so only the layout or the values tell.
    std::vector<uint8_t> unknown = good;
    std::memcpy(&unknown[SectionAt(unknown, "KEYS")], "JOYS", 4);
    Reseal(unknown);
    refused(unknown, SnapshotDamaged, "an unknown section in place of one that must be there");
    std::vector<uint8_t> badValue = good;
    badValue[SectionAt(badValue, "TED ") + 8 + 3 * 3 + 2 + 5] = 9;  // a vertical scroll of 9
    Reseal(badValue);
    refused(badValue, SnapshotDamaged, "a value out of range");
    std::vector<uint8_t> badCycle = good;
    badCycle[SectionAt(badCycle, "CPU ") + 8 + 2 + 4 + 7] = 0;  // sequencer step 0
    Reseal(badCycle);
    refused(badCycle, SnapshotDamaged, "a sequencer step no clock leaves");
    std::vector<uint8_t> pastTheEnd = good;
    const size_t cpu = SectionAt(pastTheEnd, "CPU ") + 8;
    pastTheEnd[cpu + 2 + 4 + 7] = 3;   // clock 3 of
    pastTheEnd[cpu + 2 + 4 + 7 + 4] = 0xEA;  // NOP, which has 2
    Reseal(pastTheEnd);
    refused(pastTheEnd, SnapshotDamaged, "a sequencer step past its instruction's last clock");

    // The same machine with other ROM images: a Plus4's snapshot needs the Plus4 images, which a
    // machine whose ROM directory is empty cannot find.
    auto plus4 = NewMachine(MachinePlus4);
    Frames(*plus4, 3);
    const std::vector<uint8_t> plus4Snapshot = SaveSnapshot(*plus4);
    TMachine romless(TNullHost::Instance(), "/nonexistent/");
    romless.PowerUp(MachineCustom);
    const std::vector<uint8_t> romlessBefore = SaveSnapshot(romless);
    std::string error;
    EXPECT_FALSE(LoadSnapshot(romless, plus4Snapshot.data(), plus4Snapshot.size(), error));
    EXPECT_EQ(error, SnapshotOtherRoms);
    EXPECT_EQ(SaveSnapshot(romless), romlessBefore);

    // Random bytes of every length up to a header and a bit: never accepted, never a crash.
    for (size_t length = 0; length < 64; ++length) {
        std::vector<uint8_t> noise(good.begin(), good.begin() + std::ptrdiff_t(length));
        for (size_t i = 8; i < noise.size(); ++i) noise[i] = uint8_t(i * 37 + length);
        EXPECT_FALSE(CheckSnapshot(noise.data(), noise.size(), error)) << length;
    }
    EXPECT_TRUE(CheckSnapshot(SaveSnapshot(romless).data(), SaveSnapshot(romless).size(), error)) << error;
}

TEST(Snapshot, FilesAreWrittenWholeAndOnlyRegularFilesAreOpened) {
    const auto dir = std::filesystem::temp_directory_path() / ("varlume-snapshot-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto machine = RunningBasic();
    const std::string path = (dir / "state.vsn").string();
    std::string error;
    ASSERT_TRUE(SaveSnapshotFile(*machine, path, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    auto copy = NewMachine();
    ASSERT_TRUE(LoadSnapshotFile(*copy, path, error)) << error;
    EXPECT_EQ(SaveSnapshot(*copy), SaveSnapshot(*machine));

    const std::string fifo = (dir / "fifo.vsn").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(LoadSnapshotFile(*copy, fifo, error));  // must not block
    EXPECT_EQ(error, SnapshotCannotOpen);
    EXPECT_FALSE(SaveSnapshotFile(*machine, fifo, error));
    EXPECT_EQ(error, SnapshotCannotWrite);
    EXPECT_FALSE(LoadSnapshotFile(*copy, dir.string(), error));
    EXPECT_FALSE(SaveSnapshotFile(*machine, (dir / "missing" / "state.vsn").string(), error));
    EXPECT_EQ(error, SnapshotCannotWrite);
    std::filesystem::remove_all(dir);
}

TEST(Snapshot, ADiskFileThatChangedSinceIsNotOverwrittenByTheSnapshotsOlderDisk) {
    const auto dir = std::filesystem::temp_directory_path() / ("varlume-snapdisk-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string image = (dir / "disk.d64").string();
    media_test::TD64Builder disk;
    auto write = [&](uint8_t marker) {
        disk.Image[0x100] = marker;
        std::ofstream(image, std::ios::binary).write(reinterpret_cast<const char*>(disk.Image.data()), std::streamsize(disk.Image.size()));
    };
    write(1);
    auto machine = NewMachine();
    ASSERT_EQ(machine->Drive9.AttachImage(image), TD64Attach::Attached);
    machine->Drive9.SetMode(TDrive::ModeD64);
    const std::vector<uint8_t> snapshot = SaveSnapshot(*machine);

    auto copy = NewMachine();
    std::string error;
    std::vector<std::string> notes;
    ASSERT_TRUE(LoadSnapshot(*copy, snapshot.data(), snapshot.size(), error, nullptr, &notes));
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(copy->Drive9.ImageFile(), machine->Drive9.ImageFile());  // the same file, still the same disk

    write(2);
    ASSERT_TRUE(LoadSnapshot(*copy, snapshot.data(), snapshot.size(), error, nullptr, &notes));
    EXPECT_TRUE(copy->Drive9.ImageFile().empty());
    EXPECT_EQ(copy->Drive9.DiskImage()[0x100], 1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("drive 9"), std::string::npos) << notes[0];
    EXPECT_TRUE(copy->Drive9.WriteProtected());  // its writes could not be kept

    // A snapshot in which both drives hold the file: drive 8 keeps it, drive 9 lets go of it.
    write(3);
    ASSERT_EQ(machine->Drive8.AttachImage(image), TD64Attach::Attached);
    ASSERT_EQ(machine->Drive9.AttachImage(image), TD64Attach::Attached);  // no other drive named
    const std::vector<uint8_t> both = SaveSnapshot(*machine);
    notes.clear();
    ASSERT_TRUE(LoadSnapshot(*copy, both.data(), both.size(), error, nullptr, &notes));
    EXPECT_EQ(copy->Drive8.ImageFile(), machine->Drive8.ImageFile());
    EXPECT_TRUE(copy->Drive9.ImageFile().empty());
    EXPECT_TRUE(copy->Drive9.WriteProtected());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("held the same disk image file"), std::string::npos) << notes[0];
    std::filesystem::remove_all(dir);
}

TEST(Snapshot, ADriveWithoutADiskOrWithAnEmptyOneTakesAFewBytesAndComesBackBlank) {
    auto machine = NewMachine();
    const std::vector<uint8_t> snapshot = SaveSnapshot(*machine);
    const size_t drive8 = SectionAt(snapshot, "DRV8");
    ASSERT_NE(drive8, std::string::npos);
    EXPECT_LT(snapshot[drive8 + 4] | snapshot[drive8 + 5] << 8 | snapshot[drive8 + 6] << 16, 4096);

    // Restored over a drive that holds a disk, the drive holds a blank one again.
    auto copy = NewMachine();
    ASSERT_EQ(copy->Drive8.AttachImageData(media_test::TD64Builder().Image), TD64Attach::Attached);
    EXPECT_EQ(Restored(snapshot, copy), snapshot);
    EXPECT_EQ(copy->Drive8.DiskImage(), std::vector<uint8_t>(size_t(TD64Image::ImageSize), 0));

    // A host file of zeros is saved as the blank disk, and the restored drive is its file again.
    const auto dir = std::filesystem::temp_directory_path() / ("varlume-snapblank-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string image = (dir / "zeros.d64").string();
    const std::vector<uint8_t> zeros(size_t(TD64Image::ImageSize), 0);
    std::ofstream(image, std::ios::binary).write(reinterpret_cast<const char*>(zeros.data()), std::streamsize(zeros.size()));
    ASSERT_EQ(machine->Drive8.AttachImage(image), TD64Attach::Attached);
    const std::vector<uint8_t> withFile = SaveSnapshot(*machine);
    std::string error;
    std::vector<std::string> notes;
    ASSERT_TRUE(LoadSnapshot(*copy, withFile.data(), withFile.size(), error, nullptr, &notes)) << error;
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(copy->Drive8.ImageFile(), image);
    EXPECT_EQ(SaveSnapshot(*copy), withFile);
    std::filesystem::remove_all(dir);
}
