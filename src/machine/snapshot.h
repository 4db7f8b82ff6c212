#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TMachine;
class TSoundSynth;

// A snapshot: the whole machine between two clock steps, in one file. The file is a header
// (the magic "VRLMSNAP", a 16-bit format version, the machine type) and sections, each a
// four-letter tag, a 32-bit length and the component's own bytes: "MACH" the frame loop and a
// checksum of the ROM images, "CPU ", "MEM " (RAM, banks, cassette lines), "TED ", "KEYS" (keys
// and joysticks), "DRV8" and "DRV9" (mode, directory, disk, channels), "TAPE" (the image and
// its position), "FRAM" (the picture drawn so far), "SYNT" (the sound synthesizer, when the
// front-end has one) and last "END " with a CRC-32 of every byte before it. All numbers are
// little-endian. A later version adds fields at the end of a section, or sections: the
// sections carry their lengths, so older files stay readable.
//
// The ROM images are not in the file: the machine type's images are loaded from the machine's
// ROM directories and must be the ones the snapshot was taken with.

// 2: the processor's interrupt input as the chip samples it, the data bus and the Plus4's
// I/O latches.
inline constexpr uint16_t SnapshotVersion = 2;

// The messages a refused snapshot gives.
inline constexpr const char* SnapshotCannotOpen = "Cannot open the snapshot file.";
inline constexpr const char* SnapshotCannotWrite = "Cannot write the snapshot file.";
inline constexpr const char* SnapshotForeign = "The file is not a Varlume snapshot.";
inline constexpr const char* SnapshotNewer = "The snapshot was saved by a newer version of Varlume.";
inline constexpr const char* SnapshotDamaged = "The snapshot file is damaged or incomplete.";
inline constexpr const char* SnapshotOtherRoms =
    "The snapshot was taken with other ROM images than the ones found now.";

// The machine's state (with the synthesizer's, when given) as snapshot bytes.
std::vector<uint8_t> SaveSnapshot(const TMachine& machine, const TSoundSynth* synth = nullptr);

// Makes the snapshot the machine's state. The bytes are first read whole into a machine of
// their own: only when every section is good, and the ROM images match, does the machine (and
// the synthesizer, when given and the snapshot has one) take them; otherwise it is untouched
// and `error` says why. `notes` gets what the user should know about a restored snapshot (a
// disk kept in memory only). Emulation's running or stopped state is not changed.
bool LoadSnapshot(TMachine& machine, const uint8_t* data, size_t size, std::string& error,
                  TSoundSynth* synth = nullptr, std::vector<std::string>* notes = nullptr);

// Every check but the ROM images', without a machine to restore into: the entry for a fuzz
// target.
bool CheckSnapshot(const uint8_t* data, size_t size, std::string& error);

// Files: the writing goes to a file beside `path` that is renamed over it once complete, and
// never to anything but a regular file; the reading opens only a regular file.
bool SaveSnapshotFile(const TMachine& machine, const std::string& path, std::string& error,
                      const TSoundSynth* synth = nullptr);
// Snapshot bytes taken earlier (the desktop takes them when the command is given, before its
// file chooser lets the machine run on).
bool WriteSnapshotFile(const std::vector<uint8_t>& bytes, const std::string& path, std::string& error);
bool LoadSnapshotFile(TMachine& machine, const std::string& path, std::string& error,
                      TSoundSynth* synth = nullptr, std::vector<std::string>* notes = nullptr);
