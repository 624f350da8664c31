#include "tools/common/qrvformat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace qv::tools {

void PutLE32(std::string& out, size_t offset, uint32_t value) {
    if (out.size() < offset + 4) out.resize(offset + 4, '\0');
    for (int i = 0; i < 4; ++i)
        out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetLE32(const std::string& in, size_t offset) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return value;
}

bool HasQrvMagic(const std::string& bytes) {
    return bytes.compare(0, 4, "QRV2") == 0;
}

std::string EncodeQrv(const QrvMovie& movie) {
    std::string out(kQrvHeaderSize, '\0');
    out.replace(0, 4, "QRV2");
    uint64_t dataBytes = 0;
    for (const std::string& frame : movie.frames)
        dataBytes += frame.size();
    PutLE32(out, 4, static_cast<uint32_t>(movie.width));
    PutLE32(out, 8, static_cast<uint32_t>(movie.height));
    PutLE32(out, 12, static_cast<uint32_t>(movie.frames.size()));
    PutLE32(out, kQrvRateOffset, static_cast<uint32_t>(movie.rateField));
    PutLE32(out, 20, movie.flags);
    PutLE32(out, 24, static_cast<uint32_t>(dataBytes));
    PutLE32(out, 28, static_cast<uint32_t>(movie.sound.size()));
    PutLE32(out, 32, static_cast<uint32_t>(movie.soundTrack));
    out.reserve(kQrvHeaderSize + 4 * movie.frames.size() + dataBytes + movie.sound.size());
    for (size_t i = 0; i < movie.frames.size(); ++i)
        PutLE32(out, kQrvHeaderSize + 4 * i, static_cast<uint32_t>(movie.frames[i].size()));
    for (const std::string& frame : movie.frames)
        out += frame;
    out += movie.sound;
    return out;
}

bool DecodeQrv(const std::string& bytes, QrvMovie& movie, std::string& why) {
    if (!HasQrvMagic(bytes)) {
        why = "it is not a Quarver file";
        return false;
    }
    if (bytes.size() < kQrvHeaderSize) {
        why = "its header is cut short";
        return false;
    }
    int32_t count = static_cast<int32_t>(GetLE32(bytes, 12));
    if (count < 0) {
        why = "its frame count is negative";
        return false;
    }
    uint64_t tableEnd = kQrvHeaderSize + 4ull * static_cast<uint64_t>(count);
    if (tableEnd > bytes.size()) {
        why = "its frame table is cut short";
        return false;
    }
    QrvMovie result;
    result.width = static_cast<int32_t>(GetLE32(bytes, 4));
    result.height = static_cast<int32_t>(GetLE32(bytes, 8));
    result.rateField = static_cast<int32_t>(GetLE32(bytes, kQrvRateOffset));
    result.flags = GetLE32(bytes, 20);
    result.soundTrack = static_cast<int32_t>(GetLE32(bytes, 32));
    uint64_t pos = tableEnd;
    result.frames.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        int32_t size = static_cast<int32_t>(GetLE32(bytes, kQrvHeaderSize + 4 * size_t(i)));
        if (size < 0 || pos + static_cast<uint64_t>(size) > bytes.size()) {
            why = "frame " + std::to_string(i + 1) + " runs past the end of the file";
            return false;
        }
        result.frames.push_back(bytes.substr(pos, static_cast<size_t>(size)));
        pos += static_cast<uint64_t>(size);
    }
    uint64_t soundBytes = GetLE32(bytes, 28);
    if (pos + soundBytes > bytes.size()) {
        why = "its sound runs past the end of the file";
        return false;
    }
    result.sound = bytes.substr(pos, soundBytes);
    movie = std::move(result);
    return true;
}

std::optional<int32_t> RateFieldFromText(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    std::string t = text.substr(b, e - b);
    if (t.empty()) return std::nullopt;
    if (t[0] == '-') {
        if (t.size() < 2 || t.size() > 11) return std::nullopt;
        for (size_t i = 1; i < t.size(); ++i)
            if (t[i] < '0' || t[i] > '9') return std::nullopt;
        long long v = std::stoll(t);
        if (v == 0 || v < -static_cast<long long>(std::numeric_limits<int32_t>::max()))
            return std::nullopt;
        return static_cast<int32_t>(v);
    }
    bool dot = false, digit = false;
    for (char c : t) {
        if (c == '.' && !dot) {
            dot = true;
        } else if (c >= '0' && c <= '9') {
            digit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    double fps = std::strtod(t.c_str(), nullptr);
    // Between one frame in 100 seconds and the shortest frame the field can hold.
    if (!(fps >= 0.01 && fps <= 100000.0)) return std::nullopt;
    return -static_cast<int32_t>(std::lround(100000.0 / fps));
}

int64_t FrameTime(int32_t rateField) {
    return rateField >= 0 ? int64_t(rateField) * 100 : -int64_t(rateField);
}

std::string DescribeRate(int32_t rateField) {
    int64_t time = FrameTime(rateField);
    if (time == 0) return "no frame rate";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", 100000.0 / double(time));
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text + (text == "1" ? " frame per second" : " frames per second");
}

std::string PackBits(const std::string& data) {
    std::string out;
    size_t i = 0;
    while (i < data.size()) {
        size_t run = 1;
        while (i + run < data.size() && run < 128 && data[i + run] == data[i])
            ++run;
        if (run >= 3) {
            out += static_cast<char>(257 - run); // -(run-1) as a byte
            out += data[i];
            i += run;
            continue;
        }
        size_t start = i, literal = 0;
        while (i < data.size() && literal < 128) {
            if (i + 2 < data.size() && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
            ++i;
            ++literal;
        }
        out += static_cast<char>(literal - 1);
        out.append(data, start, literal);
    }
    return out;
}

} // namespace qv::tools
