// AudProc: the sound processor. Reads WAV sound (or raw bytes of a given layout) from a file, a
// numbered sequence or a list, and writes one PCM WAV file at the rate, depth and channels asked.
#include "tools/common/inputs.h"
#include "tools/common/media.h"
#include "tools/common/qrvformat.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

namespace qv::tools {
namespace {

std::optional<long long> NumberSwitch(const ToolArgs& args, char letter, long long low,
                                      long long high, long long fallback, std::string& error) {
    std::optional<std::string> text = args.Value(letter);
    if (!text || Trim(*text).empty()) return fallback;
    std::optional<long long> v = ParseInteger(*text);
    if (!v || *v < low || *v > high) {
        error = std::string("Error, /") + letter + *text + " is out of range (" +
                std::to_string(low) + " to " + std::to_string(high) + ").";
        return std::nullopt;
    }
    return v;
}

// Raw input layouts of /Y: 1 8-bit mono, 2 8-bit stereo, 3 16-bit mono, 4 16-bit stereo.
Pcm ReadRaw(const std::string& bytes, long long type, long long rate) {
    int bits = type >= 3 ? 16 : 8;
    int channels = (type == 2 || type == 4) ? 2 : 1;
    return RawPcm(bytes, static_cast<int>(rate), bits, channels);
}

Outcome Convert(const ToolArgs& args) {
    if (args.files.empty()) return Failed("Error, no input file was named.");
    const std::string& input = args.files[0];
    std::string output = args.files.size() > 1 ? args.files[1] : DefaultOutputName(input, ".wav");
    std::string error;
    auto type = NumberSwitch(args, 'Y', 0, 5, 0, error);
    auto forcedRate = type ? NumberSwitch(args, 'D', 1000, 200000, 11025, error) : std::nullopt;
    auto skip = forcedRate ? NumberSwitch(args, 'K', 0, 1LL << 40, 0, error) : std::nullopt;
    auto rate = skip ? NumberSwitch(args, 'R', 0, 200000, 0, error) : std::nullopt;
    auto bits = rate ? NumberSwitch(args, 'B', 0, 16, 0, error) : std::nullopt;
    auto channels = bits ? NumberSwitch(args, 'C', 0, 2, 0, error) : std::nullopt;
    auto startMs = channels ? NumberSwitch(args, 'S', 0, 1LL << 40, 0, error) : std::nullopt;
    auto endMs = startMs ? NumberSwitch(args, 'E', 0, 1LL << 40, 0, error) : std::nullopt;
    if (!endMs) return Failed(error);
    if (*bits != 0 && *bits != 8 && *bits != 16) return Failed("Error, /B takes 8 or 16.");
    if (*rate != 0 && *rate < 1000) return Failed("Error, /R takes a rate of 1000 hz or more.");

    std::vector<InputFile> files;
    if (!ExpandInput(input, files, error)) return Failed(error);
    Pcm target;
    bool first = true;
    for (const InputFile& file : files) {
        std::optional<std::string> bytes = ReadInput(file.name, error);
        if (!bytes) return Failed(error);
        Pcm pcm;
        std::string why;
        if (*type > 0) {
            pcm = ReadRaw(bytes->substr(std::min<size_t>(*skip, bytes->size())),
                          *type == 5 ? 1 : *type, *forcedRate);
        } else if (HasQrvMagic(*bytes)) {
            QrvMovie movie;
            if (!DecodeQrv(*bytes, movie, why))
                return Failed("Error, " + file.name + " is damaged: " + why + ".");
            if (!DecodeWav(movie.sound, pcm, why))
                pcm = RawPcm(movie.sound, static_cast<int>(*forcedRate), 8, 1);
        } else if (!DecodeWav(*bytes, pcm, why)) {
            if (bytes->compare(0, 4, "RIFF") == 0)
                return Failed("Error, cannot convert " + file.name + ": " + why + ".");
            pcm = RawPcm(*bytes, static_cast<int>(*forcedRate), 8, 1); // unknown: 8-bit mono
        }
        if (first) {
            target.rate = *rate ? static_cast<int>(*rate) : pcm.rate;
            target.bits = *bits ? static_cast<int>(*bits) : pcm.bits;
            target.channels = *channels ? static_cast<int>(*channels) : pcm.channels;
            first = false;
        }
        Pcm part = ConvertPcm(pcm, target.rate, target.bits, target.channels);
        target.samples.insert(target.samples.end(), part.samples.begin(), part.samples.end());
    }
    // /S and /E cut the result in milliseconds.
    size_t frames = target.samples.size() / size_t(target.channels);
    size_t from = std::min<size_t>(frames, size_t(*startMs) * size_t(target.rate) / 1000);
    size_t to =
        *endMs > 0 ? std::min<size_t>(frames, size_t(*endMs) * size_t(target.rate) / 1000) : frames;
    if (to <= from) return Failed("Error, no sound is left of " + input + " between /S and /E.");
    target.samples = std::vector<int16_t>(target.samples.begin() + from * target.channels,
                                          target.samples.begin() + to * target.channels);
    std::string wav = EncodeWav(target);
    if (!WriteOutput(output, wav, args.Has('O'), error)) return Failed(error);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", double(to - from) / double(target.rate));
    return Succeeded({"AudProc: " + input + " converted into " + output + ".",
                      std::to_string(target.rate) + " hz, " + std::to_string(target.bits) +
                          " bit, " + (target.channels == 1 ? "mono" : "stereo") + ", " + seconds +
                          " seconds, " + Thousands(wav.size()) + " bytes."});
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"AudProc",
                  {"AudProc input [output.wav] [switches]: converts sound into a PCM WAV file.",
                   "/R rate in hz, /B bits (8 or 16), /C channels (1 mono, 2 stereo), "
                   "/S start and /E end in milliseconds, /O overwrite.",
                   "/Y raw input (1 8-bit mono, 2 8-bit stereo, 3 16-bit mono, 4 16-bit stereo), "
                   "/D its rate, /K bytes to skip. Accepted and not used: /T."}};
    return RunTool(info, argc, argv, Convert);
}
