#include "media/tape.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <system_error>

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
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return 0;
    std::error_code error;
    const auto size = std::filesystem::file_size(fileName, error);
    if (error || size == 0 || size > uintmax_t(INT32_MAX)) return 0;
    std::vector<uint8_t> image(static_cast<size_t>(size));
    if (!file.read(reinterpret_cast<char*>(image.data()), std::streamsize(size))) return 0;
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

bool TTape::SaveRecording(const std::string& fileName) const {
    const std::vector<uint8_t> image = RecordedImage();
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    file.close();
    return !file.fail();
}
