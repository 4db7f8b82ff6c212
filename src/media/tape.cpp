#include "media/tape.h"

#include <algorithm>
#include <climits>
#include <system_error>

#include "media/host_files.h"

namespace {

constexpr char Signature[] = "C16-TAPE-RAW";  // 12 characters, the family's usual TAP signature
constexpr int32_t VersionOffset = 0x0C;
constexpr int32_t MachineOffset = 0x0D;
constexpr int32_t DataLengthOffset = 0x10;

}  // namespace

void TTape::Unload() {
    Loaded = false;
    Remaining = 0;
    PulseLength = 0;
    ReadPosition = HeaderSize;
    Image.clear();
    Image.shrink_to_fit();
    ImageLength = 0;
}

int32_t TTape::Load(const std::string& fileName) {
    Unload();
    // Only a regular file is opened: a named pipe or a device would block the machine.
    std::vector<uint8_t> image;
    if (ReadHostFile(fileName, size_t(INT32_MAX), image) != THostRead::Ok) return 0;
    return LoadImage(std::move(image));
}

int32_t TTape::LoadImage(std::vector<uint8_t> image) {
    Unload();
    if (image.size() <= size_t(HeaderSize) || image.size() > size_t(INT32_MAX)) return 0;
    const uint8_t version = image[VersionOffset];
    if (version != 1 && version != 2) return 0;
    if (image[MachineOffset] != MachineByte) return 0;
    // A whole-wave tape starts low; a half-wave tape starts high, so its first pulse is low.
    WholeWave = version == 1;
    LevelBit = WholeWave ? 0 : 1;
    Image = std::move(image);
    ImageLength = int32_t(Image.size());
    Loaded = true;
    return ImageLength;
}

void TTape::Rewind() {
    if (!Loaded) return;
    Remaining = 0;
    PulseLength = 0;
    ReadPosition = HeaderSize;
    LevelBit = WholeWave ? 0 : 1;
}

void TTape::StartRecording() {
    Recorded.clear();
    Recorded.reserve(RecordCapacity);
    Recording = true;
    RecordOverflow = false;
    RecordStarted = false;
    RecordSteps = 0;
}

void TTape::RecordEdge(int32_t newLevel) {
    // The player starts high and its first pulse is low, so the recording begins with a low
    // half wave: a high stretch before the first edge is only the silence before the signal.
    const bool endedLow = newLevel == 1;
    if (RecordStarted || endedLow) AppendPulse(RecordSteps);
    RecordStarted = true;
    RecordSteps = 0;
}

void TTape::AppendPulse(int32_t steps) {
    if (RecordOverflow) return;
    if (Recorded.size() + 4 > RecordCapacity) {
        // Dropping one pulse would swap the polarity of everything after it: stop here.
        RecordOverflow = true;
        return;
    }
    const int32_t units = std::max((steps + 8) / 16, 1);
    if (units <= 255) {
        Recorded.push_back(uint8_t(units));
        return;
    }
    const int32_t count = std::min(steps / 2, 0xFFFFFF);
    Recorded.push_back(0);
    Recorded.push_back(uint8_t(count));
    Recorded.push_back(uint8_t(count >> 8));
    Recorded.push_back(uint8_t(count >> 16));
}

std::vector<uint8_t> TTape::RecordedImage() const {
    std::vector<uint8_t> image(HeaderSize + Recorded.size(), 0);
    std::copy(Signature, Signature + 12, image.begin());
    image[VersionOffset] = 2;
    image[MachineOffset] = MachineByte;
    const auto length = uint32_t(Recorded.size());
    for (int32_t i = 0; i < 4; ++i) image[size_t(DataLengthOffset + i)] = uint8_t(length >> (8 * i));
    std::copy(Recorded.begin(), Recorded.end(), image.begin() + HeaderSize);
    return image;
}

TTapeSave TTape::SaveRecording(const std::string& fileName) const {
    // A tape with no pulse is only a header, which no loader takes: nothing is written.
    if (Recorded.empty()) return TTapeSave::NothingRecorded;
    const std::vector<uint8_t> image = RecordedImage();
    return WriteHostFileThroughLinks(fileName, image.data(), image.size()) ? TTapeSave::CannotWrite : TTapeSave::Saved;
}
