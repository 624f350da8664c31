#include "analysis/core/qrvfile.h"

#include "platform/files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace qv {

bool ShowPerSecond = true;

namespace {

constexpr char kMagic[4] = {'Q', 'R', 'V', '2'};
constexpr size_t kCountOffset = 12;
constexpr size_t kRateOffset = 16;
constexpr size_t kHeaderFields = 20; // the header is useless without count and rate
constexpr size_t kTableOffset = 104;
constexpr size_t kBlockEntries = 512;
constexpr size_t kBlockBytes = kBlockEntries * 4;

int32_t LittleEndian32(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

// Reads until the buffer is full or the file ends; a read error counts as the end, so that what
// was read before it is still used.
size_t ReadFully(plat::File& file, unsigned char* buffer, size_t count) {
    size_t got = 0;
    while (got < count) {
        int64_t n = file.Read(buffer + got, count - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

// Truncation toward zero that stays defined for values no 64-bit integer holds.
int64_t IntegerPart(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9.2e18) return INT64_MAX;
    if (value <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(value);
}

// The series of a long file are tens of megabytes written once from front to back. Touching that
// much fresh memory in 4 KiB pages costs more than reading the file; large pages save nearly all
// of those faults where the system offers them on request. Only a hint: nothing changes if refused.
void AdviseLargePages(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kLarge = uintptr_t{2} << 20;
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t begin = (start + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (start + bytes) & ~(kLarge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void Reset(RateSeries& series, const std::string& fileName) {
    series = RateSeries{};
    series.fileName = fileName;
}

} // namespace

int64_t FrameTime(int32_t rateField) {
    return rateField >= 0 ? int64_t{rateField} * 100 : -int64_t{rateField};
}

int32_t AverageWindow(int64_t frameTime) {
    if (frameTime <= 0) return 1;
    return static_cast<int32_t>(std::max<int64_t>(1, 100000 / frameTime));
}

bool LoadRateSeries(const std::string& fileName, bool perSecond, RateSeries& series) {
    Reset(series, fileName);

    plat::File file;
    if (!file.Open(fileName, plat::File::Mode::Read)) return false;
    unsigned char header[kTableOffset];
    size_t headerBytes = ReadFully(file, header, sizeof header);
    if (headerBytes < kHeaderFields || std::memcmp(header, kMagic, sizeof kMagic) != 0)
        return false;
    const int32_t count = LittleEndian32(header + kCountOffset);
    const int64_t frameTime = FrameTime(LittleEndian32(header + kRateOffset));
    if (frameTime == 0) // every per-second value and the window length would divide by it
        return false;

    series.headerFrameCount = count;
    series.frameTime = frameTime;
    const double ft = static_cast<double>(frameTime);
    if (perSecond) {
        series.referenceLevels = {120000, 240000, 480000};
    } else {
        series.referenceLevels = {ft * 150000 * 0.8 * 0.00001, ft * 300000 * 0.8 * 0.00001,
                                  ft * 600000 * 0.8 * 0.00001};
    }
    if (count <= 0 || headerBytes < kTableOffset) return true;

    // A damaged header may claim far more frames than the file holds: reserve for what the file
    // can hold at most, never for the claim.
    // When the size is unknown the series simply grow as the table is read.
    if (auto size = file.Size()) {
        uint64_t present = *size > kTableOffset ? (*size - kTableOffset) / 4 : 0;
        size_t expected = static_cast<size_t>(std::min<uint64_t>(uint64_t(count), present));
        for (std::vector<double>* values : {&series.frameValues, &series.averageValues}) {
            values->reserve(expected);
            AdviseLargePages(values->data(), expected * sizeof(double));
        }
    }

    // The window is kept as a ring of its entries plus their running sum; head is the next slot
    // to write, which is the oldest entry once the ring is full. The sum is 64-bit: a second of
    // large frames overflows 32 bits.
    const int32_t window = AverageWindow(frameTime);
    std::vector<int32_t> ring(static_cast<size_t>(window));
    size_t head = 0;
    int32_t inWindow = 0;
    int64_t sum = 0;
    double maximum = 0;
    const double perSecondFactor = 100000.0;

    // Each block is done in two passes: the window in integers, then the division and the unit
    // in floating point over the whole block, a loop of fixed length that the compiler runs several
    // frames at a time.
    unsigned char block[kBlockBytes];
    int32_t sizes[kBlockEntries] = {};
    double sums[kBlockEntries] = {};
    double counts[kBlockEntries];
    std::fill(std::begin(counts), std::end(counts), 1.0);
    double values[kBlockEntries];
    double averages[kBlockEntries];
    int32_t largest = 0; // the conversion to the unit keeps the order, so track sizes
    int64_t frame = 1;
    while (frame <= count) {
        const size_t read = ReadFully(file, block, kBlockBytes) / 4;
        const size_t entries = static_cast<size_t>(std::min<int64_t>(read, count - frame + 1));
        for (size_t k = 0; k < entries; ++k) {
            const int32_t size = LittleEndian32(block + 4 * k);
            sizes[k] = size;
            largest = std::max(largest, size);
            // The first frame is plotted with its size but enters the average as nothing.
            const int32_t entry = frame + static_cast<int64_t>(k) == 1 ? 0 : size;
            if (inWindow < window)
                ++inWindow;
            else
                sum -= ring[head];
            ring[head] = entry;
            if (++head == ring.size()) head = 0;
            sum += entry;
            sums[k] = static_cast<double>(sum); // exact: |sum| < 100000 x 2^31 < 2^53
            counts[k] = inWindow;
        }
        // sum div inWindow: with |sum| below 2^52 the correctly rounded quotient truncates to the
        // exact integer quotient. The average of 32-bit sizes fits 32 bits.
        for (size_t k = 0; k < kBlockEntries; ++k)
            averages[k] = static_cast<int32_t>(sums[k] / counts[k]);
        if (perSecond) {
            for (size_t k = 0; k < kBlockEntries; ++k) {
                values[k] = static_cast<double>(sizes[k]) * perSecondFactor / ft;
                averages[k] = averages[k] * perSecondFactor / ft;
            }
        } else {
            for (size_t k = 0; k < kBlockEntries; ++k)
                values[k] = sizes[k];
        }
        series.frameValues.insert(series.frameValues.end(), values, values + entries);
        series.averageValues.insert(series.averageValues.end(), averages, averages + entries);
        frame += static_cast<int64_t>(entries);
        if (read < kBlockEntries) // the file ends inside its table
            break;
    }
    if (largest > 0)
        maximum = perSecond ? static_cast<double>(largest) * perSecondFactor / ft
                            : static_cast<double>(largest);
    series.frameCount = static_cast<int32_t>(series.frameValues.size());
    series.maximum = maximum;
    return true;
}

ValueScale ScaleTop(double maximum, double highestLevel, bool perSecond) {
    double m = maximum;
    if (highestLevel > m) m = highestLevel;
    const int64_t t = IntegerPart(m * 0.2 + 0.5);
    const int64_t n = 5 * t;
    ValueScale scale;
    if (perSecond)
        scale.top = 1000.0 * static_cast<double>(IntegerPart(static_cast<double>(n + 999) * 0.001));
    else
        scale.top = 500.0 * static_cast<double>(IntegerPart(static_cast<double>(n + 499) * 0.002));
    scale.step = scale.top * 0.2;
    return scale;
}

FrameReadout ReadBack(double value, int64_t frameTime, bool perSecond) {
    FrameReadout r;
    const double ft = static_cast<double>(frameTime);
    if (perSecond) {
        r.size = IntegerPart(value * ft * 0.00001);
        r.bytesPerSecond = IntegerPart(value);
    } else {
        r.size = IntegerPart(value);
        r.bytesPerSecond = frameTime != 0 ? IntegerPart(value * 100000 / ft) : 0;
    }
    return r;
}

double ValueOfFrame(std::span<const double> values, int64_t frame) {
    if (frame < 1 || static_cast<uint64_t>(frame) > values.size()) return 0;
    return values[static_cast<size_t>(frame - 1)];
}

std::string CopyValuesText(const std::string& fileName, std::span<const double> frameValues,
                           int64_t frameTime, bool perSecond) {
    std::string text = "Quarver file: " + fileName + "\r\n\r\nFrame\tSize\tBytes per Second\r\n";
    text.reserve(text.size() + frameValues.size() * 24);
    char line[80];
    for (size_t i = 0; i < frameValues.size(); ++i) {
        const FrameReadout r = ReadBack(frameValues[i], frameTime, perSecond);
        char* p = std::to_chars(line, line + 20, static_cast<uint64_t>(i + 1)).ptr;
        *p++ = '\t';
        p = std::to_chars(p, p + 20, r.size).ptr;
        *p++ = '\t';
        p = std::to_chars(p, p + 20, r.bytesPerSecond).ptr;
        *p++ = '\r';
        *p++ = '\n';
        text.append(line, p);
    }
    return text;
}

} // namespace qv
