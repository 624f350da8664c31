#pragma once
// The ".qrv" container as the tools write it. All integers little-endian:
//   0 "QRV2" | 4 width | 8 height | 12 frame count N | 16 frame rate field | 20 flags (1 = ring)
//   24 bytes of frame data | 28 bytes of sound | 32 sound track | 36..103 zero
//   104 N frame sizes (32-bit) | frame data, frame 1 first | sound
// The frame rate field is milliseconds per frame when 0 or above, and the frame time in
// 10-microsecond units, negated, when below 0.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::tools {

constexpr size_t kQrvHeaderSize = 104;
constexpr size_t kQrvRateOffset = 16;
constexpr int32_t kDefaultRateField = -10000; // 10 frames per second
constexpr uint32_t kQrvRingFlag = 1;

struct QrvMovie {
    int32_t width = 0;
    int32_t height = 0;
    int32_t rateField = kDefaultRateField;
    uint32_t flags = 0;
    int32_t soundTrack = 0;
    std::vector<std::string> frames;
    std::string sound;
};

std::string EncodeQrv(const QrvMovie& movie);
bool HasQrvMagic(const std::string& bytes);
// Reads a whole file; false with `why` ("the frame table is cut short", ...) when it is damaged.
bool DecodeQrv(const std::string& bytes, QrvMovie& movie, std::string& why);

void PutLE32(std::string& out, size_t offset, uint32_t value);
uint32_t GetLE32(const std::string& in, size_t offset);

// A frame rate as typed: a positive number of frames per second ("15", "14.985"), or a negative
// whole number that is the stored field itself (a frame time in 10-microsecond units). Zero and
// anything else give nothing.
std::optional<int32_t> RateFieldFromText(const std::string& text);
// The frame time in 10-microsecond units; 0 for a field of 0.
int64_t FrameTime(int32_t rateField);
// "15 frames per second" (up to two decimals), or "no frame rate" for a field of 0.
std::string DescribeRate(int32_t rateField);

// Byte-run coding of one frame: the tools' "compression". Deterministic, so equal input gives
// equal frame sizes.
std::string PackBits(const std::string& data);

} // namespace qv::tools
