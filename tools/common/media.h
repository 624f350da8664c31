#pragma once
// Pictures and sound the tools write: uncompressed BMP and TGA pictures, PCM WAV sound.
#include <cstdint>
#include <string>
#include <vector>

namespace qv::tools {

// A grey picture drawn from a frame's bytes (pixel i shows byte i, the bytes repeating), so that
// different frames give different pictures. The format follows the extension: ".tga" gives a TGA
// file, anything else a BMP file.
std::string EncodePicture(const std::string& ext, const std::string& frame, int width, int height);
bool CanEncodePicture(const std::string& ext); // ".bmp" and ".tga"

struct Pcm {
    int rate = 11025;
    int bits = 8;                 // 8 or 16, as read or as to be written
    int channels = 1;             // 1 or 2
    std::vector<int16_t> samples; // interleaved, always as 16-bit values
};

// A RIFF WAV file with PCM data of 8 or 16 bits; false with `why` otherwise.
bool DecodeWav(const std::string& bytes, Pcm& pcm, std::string& why);
std::string EncodeWav(const Pcm& pcm);
// Raw bytes read as PCM of the given layout (8-bit data is unsigned, 16-bit little-endian).
Pcm RawPcm(const std::string& bytes, int rate, int bits, int channels);
// Changes the rate (nearest sample) and the channel count; bits only changes what is written.
Pcm ConvertPcm(const Pcm& in, int rate, int bits, int channels);

} // namespace qv::tools
