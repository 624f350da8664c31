#include "tools/common/media.h"

#include "tools/common/qrvformat.h"

namespace qv::tools {

namespace {

constexpr int kMaxRate = 1000000; // far above any real recording; keeps the header sums in range

void PutLE16(std::string& out, size_t offset, uint16_t value) {
    out[offset] = static_cast<char>(value & 0xFF);
    out[offset + 1] = static_cast<char>(value >> 8);
}

uint16_t GetLE16(const std::string& in, size_t offset) {
    return static_cast<uint16_t>(static_cast<unsigned char>(in[offset]) |
                                 (static_cast<unsigned char>(in[offset + 1]) << 8));
}

} // namespace

bool CanEncodePicture(const std::string& ext) {
    return ext == ".bmp" || ext == ".tga";
}

std::string EncodePicture(const std::string& ext, const std::string& frame, int width, int height) {
    auto pixel = [&](size_t i) -> char { return frame.empty() ? '\0' : frame[i % frame.size()]; };
    std::string out;
    if (ext == ".tga") {
        out.assign(18, '\0');
        out[2] = 2; // uncompressed true colour
        PutLE16(out, 12, static_cast<uint16_t>(width));
        PutLE16(out, 14, static_cast<uint16_t>(height));
        out[16] = 24;
        out[17] = 0x20; // first row at the top
        for (size_t i = 0; i < size_t(width) * size_t(height); ++i)
            out.append(3, pixel(i));
        return out;
    }
    size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    size_t imageBytes = rowBytes * size_t(height);
    out.assign(54, '\0');
    out[0] = 'B';
    out[1] = 'M';
    PutLE32(out, 2, static_cast<uint32_t>(54 + imageBytes));
    PutLE32(out, 10, 54);
    PutLE32(out, 14, 40);
    PutLE32(out, 18, static_cast<uint32_t>(width));
    PutLE32(out, 22, static_cast<uint32_t>(height));
    PutLE16(out, 26, 1);
    PutLE16(out, 28, 24);
    PutLE32(out, 34, static_cast<uint32_t>(imageBytes));
    // Rows are stored bottom up.
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x)
            row.append(3, pixel(size_t(y) * size_t(width) + x));
        row.resize(rowBytes, '\0');
        out += row;
    }
    return out;
}

bool DecodeWav(const std::string& bytes, Pcm& pcm, std::string& why) {
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        why = "it is not a WAV file";
        return false;
    }
    bool haveFormat = false;
    Pcm result;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        std::string id = bytes.substr(pos, 4);
        uint64_t size = GetLE32(bytes, pos + 4);
        size_t body = pos + 8;
        if (body + size > bytes.size()) {
            if (id != "data") {
                why = "its " + id + " chunk is cut short";
                return false;
            }
            size = bytes.size() - body; // a cut-off recording still plays what it has
        }
        if (id == "fmt ") {
            if (size < 16) {
                why = "its format chunk is too short";
                return false;
            }
            uint16_t tag = GetLE16(bytes, body);
            result.channels = GetLE16(bytes, body + 2);
            result.rate = static_cast<int>(GetLE32(bytes, body + 4));
            result.bits = GetLE16(bytes, body + 14);
            if (tag != 1 || (result.bits != 8 && result.bits != 16) ||
                (result.channels != 1 && result.channels != 2) || result.rate <= 0 ||
                result.rate > kMaxRate) {
                why = "it holds sound other than 8 or 16 bit PCM in one or two channels at up to "
                      "1,000,000 hz";
                return false;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                why = "its sound data comes before its format";
                return false;
            }
            Pcm raw = RawPcm(bytes.substr(body, size), result.rate, result.bits, result.channels);
            pcm = std::move(raw);
            return true;
        }
        pos = body + size + (size & 1);
    }
    why = "it holds no sound data";
    return false;
}

std::string EncodeWav(const Pcm& pcm) {
    int bytesPerSample = pcm.bits / 8;
    size_t dataBytes = pcm.samples.size() * size_t(bytesPerSample);
    std::string out(44, '\0');
    out.replace(0, 4, "RIFF");
    PutLE32(out, 4, static_cast<uint32_t>(36 + dataBytes + (dataBytes & 1)));
    out.replace(8, 8, "WAVEfmt ");
    PutLE32(out, 16, 16);
    PutLE16(out, 20, 1);
    PutLE16(out, 22, static_cast<uint16_t>(pcm.channels));
    PutLE32(out, 24, static_cast<uint32_t>(pcm.rate));
    PutLE32(out, 28, static_cast<uint32_t>(pcm.rate * pcm.channels * bytesPerSample));
    PutLE16(out, 32, static_cast<uint16_t>(pcm.channels * bytesPerSample));
    PutLE16(out, 34, static_cast<uint16_t>(pcm.bits));
    out.replace(36, 4, "data");
    PutLE32(out, 40, static_cast<uint32_t>(dataBytes));
    out.reserve(44 + dataBytes + 1);
    for (int16_t s : pcm.samples) {
        if (pcm.bits == 8) {
            out += static_cast<char>((s >> 8) + 128);
        } else {
            out += static_cast<char>(s & 0xFF);
            out += static_cast<char>((s >> 8) & 0xFF);
        }
    }
    if (dataBytes & 1) out += '\0';
    return out;
}

Pcm RawPcm(const std::string& bytes, int rate, int bits, int channels) {
    Pcm pcm;
    pcm.rate = rate;
    pcm.bits = bits;
    pcm.channels = channels;
    size_t frameBytes = size_t(bits / 8) * size_t(channels);
    size_t count = bytes.size() / frameBytes * size_t(channels);
    pcm.samples.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (bits == 8) {
            pcm.samples.push_back(
                static_cast<int16_t>((static_cast<unsigned char>(bytes[i]) - 128) * 256));
        } else {
            pcm.samples.push_back(static_cast<int16_t>(GetLE16(bytes, 2 * i)));
        }
    }
    return pcm;
}

Pcm ConvertPcm(const Pcm& in, int rate, int bits, int channels) {
    Pcm out;
    out.rate = rate;
    out.bits = bits;
    out.channels = channels;
    size_t inFrames = in.samples.size() / size_t(in.channels);
    size_t outFrames = size_t((unsigned long long)inFrames * unsigned(rate) / unsigned(in.rate));
    out.samples.reserve(outFrames * size_t(channels));
    for (size_t f = 0; f < outFrames; ++f) {
        size_t src = size_t((unsigned long long)f * unsigned(in.rate) / unsigned(rate));
        const int16_t* frame = &in.samples[src * size_t(in.channels)];
        if (in.channels == channels) {
            out.samples.insert(out.samples.end(), frame, frame + channels);
        } else if (channels == 1) {
            out.samples.push_back(static_cast<int16_t>((int(frame[0]) + int(frame[1])) / 2));
        } else {
            out.samples.push_back(frame[0]);
            out.samples.push_back(frame[0]);
        }
    }
    return out;
}

} // namespace qv::tools
