#include "machine/snapshot.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "core/crc32.h"
#include "core/state_stream.h"
#include "machine/machine.h"
#include "media/host_files.h"
#include "ted/sound_synth.h"

namespace {

constexpr char Magic[8] = {'V', 'R', 'L', 'M', 'S', 'N', 'A', 'P'};
constexpr size_t HeaderSize = 12;  // magic, version, machine type, a byte kept 0
constexpr size_t SectionHead = 8;  // tag, length
// The largest file read: a snapshot holds at most two disks, a tape of any length and 350 KB of
// machine, so this only keeps a foreign file from filling the memory.
constexpr size_t MaxFileSize = size_t(1) << 31;

using TTag = std::array<char, 4>;
constexpr TTag MachineTag{'M', 'A', 'C', 'H'}, CpuTag{'C', 'P', 'U', ' '}, MemoryTag{'M', 'E', 'M', ' '},
    TedTag{'T', 'E', 'D', ' '}, KeysTag{'K', 'E', 'Y', 'S'}, Drive8Tag{'D', 'R', 'V', '8'},
    Drive9Tag{'D', 'R', 'V', '9'}, TapeTag{'T', 'A', 'P', 'E'}, FrameTag{'F', 'R', 'A', 'M'},
    SynthTag{'S', 'Y', 'N', 'T'}, CartridgeTag{'C', 'A', 'R', 'T'}, EndTag{'E', 'N', 'D', ' '};
// Every section but the synthesizer's must be there, once.
constexpr TTag RequiredTags[] = {MachineTag, CpuTag,    MemoryTag, TedTag, KeysTag,
                                 Drive8Tag,  Drive9Tag, TapeTag,   FrameTag};

// The ROM slots as the machine type's images filled them.
uint32_t RomChecksum(const TMachine& machine) {
    return Crc32(machine.Memory.Image + TMemory::RamSize, TMemory::ImageSize - TMemory::RamSize);
}

void PutSection(TStateWriter& file, const TTag& tag, const TStateWriter& section) {
    file.PutBytes(reinterpret_cast<const uint8_t*>(tag.data()), tag.size());
    file.PutBlock(section.Bytes);
}

template <class Save> void PutSection(TStateWriter& file, const TTag& tag, Save save) {
    TStateWriter section;
    save(section);
    PutSection(file, tag, section);
}

struct TSection {
    TTag Tag;
    const uint8_t* Data;
    size_t Size;
};

struct TParsed {
    int32_t MachineType = 0;
    uint16_t Version = 0;
    std::vector<TSection> Sections;
    const TSection* Find(const TTag& tag) const {
        for (const TSection& section : Sections)
            if (section.Tag == tag) return &section;
        return nullptr;
    }
};

// The header and the section layout: the magic, a version this program reads, sections that
// fill the file exactly, each known tag once, the checksum over everything before it.
bool Split(const uint8_t* data, size_t size, TParsed& parsed, std::string& error) {
    if (size < sizeof Magic || std::memcmp(data, Magic, sizeof Magic) != 0) {
        error = SnapshotForeign;
        return false;
    }
    error = SnapshotDamaged;
    if (size < HeaderSize) return false;
    TStateReader header(data + sizeof Magic, HeaderSize - sizeof Magic);
    uint16_t version = 0;
    uint8_t type = 0, reserved = 0;
    header.Get(version);
    header.Get(type);
    header.Get(reserved);
    if (version > SnapshotVersion) {
        error = SnapshotNewer;
        return false;
    }
    if (version == 0 || type > MachineCustom || reserved != 0) return false;
    parsed.MachineType = type;
    parsed.Version = version;
    size_t at = HeaderSize;
    for (;;) {
        if (size - at < SectionHead) return false;
        TSection section{};
        std::memcpy(section.Tag.data(), data + at, 4);
        const uint32_t length =
            uint32_t(data[at + 4] | data[at + 5] << 8 | data[at + 6] << 16 | uint32_t(data[at + 7]) << 24);
        if (length > size - at - SectionHead) return false;
        section.Data = data + at + SectionHead;
        section.Size = length;
        if (section.Tag == EndTag) {
            if (length != 4 || at + SectionHead + 4 != size) return false;
            TStateReader end(section.Data, 4);
            uint32_t crc = 0;
            end.Get(crc);
            if (crc != Crc32(data, at)) return false;
            break;
        }
        bool known = section.Tag == SynthTag || section.Tag == CartridgeTag;
        for (const TTag& tag : RequiredTags) known |= section.Tag == tag;
        if (!known || parsed.Find(section.Tag)) return false;
        parsed.Sections.push_back(section);
        at += SectionHead + length;
    }
    for (const TTag& tag : RequiredTags)
        if (!parsed.Find(tag)) return false;
    error.clear();
    return true;
}

// Reads each section into the machine's components. True when every section was read whole and
// every value was one the component can hold.
bool Restore(TMachine& machine, const TParsed& parsed, uint32_t& romChecksum, TSoundSynth* synth,
             std::vector<std::string>* notes) {
    auto read = [&](const TTag& tag, auto restore) {
        const TSection* section = parsed.Find(tag);
        TStateReader in(section->Data, section->Size);
        return restore(in) && in.Finished();
    };
    bool ok = read(MachineTag, [&](TStateReader& in) {
        int32_t type = 0;
        in.GetIn(type, int32_t(parsed.MachineType), int32_t(parsed.MachineType));
        in.Get(machine.FrameCounter);
        in.GetIn(machine.StepsLeft, -1, TMachine::StepsPerFrame);
        in.GetIn(machine.SkipThisFrame, 0, 3);
        in.Get(romChecksum);
        machine.MachineType = type;
        return in.Ok();
    });
    ok = ok && read(CpuTag, [&](TStateReader& in) { return machine.Cpu.RestoreState(in, parsed.Version); });
    ok = ok && read(MemoryTag, [&](TStateReader& in) { return machine.Memory.RestoreState(in, parsed.Version); });
    ok = ok && read(TedTag, [&](TStateReader& in) { return machine.Ted.RestoreState(in, parsed.Version); });
    ok = ok && read(KeysTag, [&](TStateReader& in) { return machine.Keyboard.RestoreState(in); });
    for (TDrive* drive : {&machine.Drive8, &machine.Drive9}) {
        std::string note;
        ok = ok && read(drive == &machine.Drive8 ? Drive8Tag : Drive9Tag,
                        [&](TStateReader& in) { return drive->RestoreState(in, &note); });
        // Each drive answers to its own port, whatever the bytes say.
        if (drive->DeviceNumber != (drive == &machine.Drive8 ? 8 : 9)) ok = false;
        if (ok && notes && !note.empty()) notes->push_back(note);
    }
    // One image file goes to one drive, whatever an older snapshot says.
    if (std::string note; ok && machine.Drive9.LetGoOfImageFileOf(machine.Drive8, &note) && notes) notes->push_back(note);
    ok = ok && read(TapeTag, [&](TStateReader& in) { return machine.Tape.RestoreState(in); });
    ok = ok && read(FrameTag, [&](TStateReader& in) {
        in.GetBytes(machine.Frame.Pixels, sizeof machine.Frame.Pixels);
        return in.Ok();
    });
    // The cartridge: a mask of the chips attached, then each chip's 16 KB. Without the section
    // the snapshot's machine had none.
    machine.Memory.DetachCartridge();
    if (ok && parsed.Find(CartridgeTag))
        ok = read(CartridgeTag, [&](TStateReader& in) {
            uint8_t mask = 0;
            in.GetIn(mask, uint8_t(1), uint8_t((1 << TMemory::CartridgeChips) - 1));
            std::vector<uint8_t> chip(TMemory::SlotSize);
            for (int i = 0; i < TMemory::CartridgeChips && in.Ok(); ++i) {
                if (!(mask >> i & 1)) continue;
                in.GetBytes(chip.data(), chip.size());
                if (in.Ok()) machine.Memory.AttachCartridgeChip(i, chip.data(), chip.size());
            }
            return in.Ok();
        });
    if (ok && synth && parsed.Find(SynthTag))
        ok = read(SynthTag, [&](TStateReader& in) { return synth->RestoreState(in); });
    // The synthesizer goes on from the restored TED's clock and registers.
    if (ok && synth) synth->Follow(machine.Ted);
    return ok;
}

// The whole check in a machine of its own, with the ROM images of the snapshot's type from
// `romDirectories`.
std::unique_ptr<TMachine> Rehearse(const TParsed& parsed, const std::vector<std::string>& romDirectories,
                                   bool withSynth, uint32_t& romChecksum, std::string& error) {
    auto scratch = std::make_unique<TMachine>(TNullHost::Instance(), romDirectories);
    scratch->PowerUp(parsed.MachineType);
    const auto synth = std::make_unique<TSoundSynth>();  // its write log is large for a stack
    if (!Restore(*scratch, parsed, romChecksum, withSynth ? synth.get() : nullptr, nullptr)) {
        error = SnapshotDamaged;
        return nullptr;
    }
    return scratch;
}

}  // namespace

std::vector<uint8_t> SaveSnapshot(const TMachine& machine, const TSoundSynth* synth) {
    TStateWriter file;
    // The memory and the picture are nearly all of it: one allocation rather than a dozen.
    file.Bytes.reserve(TMemory::RamSize + sizeof machine.Frame.Pixels + 16384);
    file.PutBytes(reinterpret_cast<const uint8_t*>(Magic), sizeof Magic);
    file.Put(SnapshotVersion);
    file.Put(uint8_t(machine.MachineType));
    file.Put(uint8_t(0));
    PutSection(file, MachineTag, [&](TStateWriter& out) {
        out.Put(machine.MachineType);
        out.Put(machine.FrameCounter);
        out.Put(machine.StepsLeft);
        out.Put(machine.SkipThisFrame);
        out.Put(RomChecksum(machine));
    });
    PutSection(file, CpuTag, [&](TStateWriter& out) { machine.Cpu.SaveState(out); });
    PutSection(file, MemoryTag, [&](TStateWriter& out) { machine.Memory.SaveState(out); });
    PutSection(file, TedTag, [&](TStateWriter& out) { machine.Ted.SaveState(out); });
    PutSection(file, KeysTag, [&](TStateWriter& out) { machine.Keyboard.SaveState(out); });
    PutSection(file, Drive8Tag, [&](TStateWriter& out) { machine.Drive8.SaveState(out); });
    PutSection(file, Drive9Tag, [&](TStateWriter& out) { machine.Drive9.SaveState(out); });
    PutSection(file, TapeTag, [&](TStateWriter& out) { machine.Tape.SaveState(out); });
    PutSection(file, FrameTag,
               [&](TStateWriter& out) { out.PutBytes(machine.Frame.Pixels, sizeof machine.Frame.Pixels); });
    if (synth) PutSection(file, SynthTag, [&](TStateWriter& out) { synth->SaveState(out); });
    uint8_t chips = 0;
    for (int i = 0; i < TMemory::CartridgeChips; ++i) chips |= uint8_t(machine.Memory.CartridgeChipAttached(i)) << i;
    if (chips)
        PutSection(file, CartridgeTag, [&](TStateWriter& out) {
            out.Put(chips);
            for (int i = 0; i < TMemory::CartridgeChips; ++i)
                if (chips >> i & 1) out.PutBytes(machine.Memory.Image + TMemory::SlotIndex(TMemory::CartridgeFirstSlot + i), TMemory::SlotSize);
        });
    const uint32_t crc = Crc32(file.Bytes.data(), file.Bytes.size());
    PutSection(file, EndTag, [&](TStateWriter& out) { out.Put(crc); });
    return std::move(file.Bytes);
}

bool CheckSnapshot(const uint8_t* data, size_t size, std::string& error) {
    TParsed parsed;
    uint32_t romChecksum = 0;
    return Split(data, size, parsed, error) && Rehearse(parsed, {}, true, romChecksum, error) != nullptr;
}

bool LoadSnapshot(TMachine& machine, const uint8_t* data, size_t size, std::string& error, TSoundSynth* synth,
                  std::vector<std::string>* notes) {
    TParsed parsed;
    if (!Split(data, size, parsed, error)) return false;
    uint32_t romChecksum = 0;
    const auto scratch = Rehearse(parsed, machine.RomDirectories(), synth != nullptr, romChecksum, error);
    if (!scratch) return false;
    if (RomChecksum(*scratch) != romChecksum) {
        error = SnapshotOtherRoms;
        return false;
    }
    // Every byte is good: the machine takes them. The same bytes read the same way again, so
    // this cannot fail half-way. The rehearsal's ROMs are the snapshot's: copying them costs
    // less than checking whether the machine's differ.
    uint32_t unused = 0;
    Restore(machine, parsed, unused, synth, notes);
    machine.Memory.CopyRomsFrom(scratch->Memory);
    error.clear();
    return true;
}

bool SaveSnapshotFile(const TMachine& machine, const std::string& path, std::string& error, const TSoundSynth* synth) {
    return WriteSnapshotFile(SaveSnapshot(machine, synth), path, error);
}

bool WriteSnapshotFile(const std::vector<uint8_t>& bytes, const std::string& path, std::string& error) {
    error = SnapshotCannotWrite;
    std::error_code fsError;
    if (std::filesystem::exists(path, fsError) && !IsRegularHostFile(path)) return false;
    // Written aside and renamed over the target, so a failed write never leaves half a file.
    if (WriteHostFileReplacing(path, bytes.data(), bytes.size())) return false;
    error.clear();
    return true;
}

bool LoadSnapshotFile(TMachine& machine, const std::string& path, std::string& error, TSoundSynth* synth,
                      std::vector<std::string>* notes) {
    // Only a regular file is opened: a FIFO would block.
    std::vector<uint8_t> bytes;
    switch (ReadHostFile(path, MaxFileSize, bytes)) {
        case THostRead::Ok: break;
        case THostRead::TooLarge: error = SnapshotForeign; return false;
        default: error = SnapshotCannotOpen; return false;
    }
    return LoadSnapshot(machine, bytes.data(), bytes.size(), error, synth, notes);
}
