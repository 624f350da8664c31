// QuarvMix: puts sound into a Quarver file. The output is the video with the sound source's
// bytes (a file, a numbered sequence or a list) attached as its sound track.
#include "tools/common/inputs.h"
#include "tools/common/qrvformat.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include "platform/paths.h"

namespace qv::tools {
namespace {

Outcome Mix(const ToolArgs& args) {
    if (args.files.size() < 2)
        return Failed("Error, QuarvMix needs a Quarver file and a sound file.");
    const std::string& video = args.files[0];
    const std::string& soundArg = args.files[1];
    std::string output = args.files.size() > 2
                             ? args.files[2]
                             : plat::ExtractFilePath(video) + "Mix_" + plat::ExtractFileName(video);
    std::string error;
    QrvMovie movie;
    if (!LoadQrv(video, "mix sound into", movie, error)) return Failed(error);

    std::vector<InputFile> files;
    if (!ExpandInput(soundArg, files, error)) return Failed(error);
    std::string sound;
    for (const InputFile& file : files) {
        std::optional<std::string> bytes = ReadInput(file.name, error);
        if (!bytes) return Failed(error);
        sound += *bytes;
    }
    if (auto skip = args.Value('K'); skip && !Trim(*skip).empty()) {
        std::optional<long long> n = ParseInteger(*skip);
        if (!n || *n < 0) return Failed("Error, /K" + *skip + " is not a number of bytes.");
        sound.erase(0, static_cast<size_t>(std::min<long long>(*n, (long long)sound.size())));
    }
    if (sound.empty()) return Failed("Error, " + soundArg + " holds no sound to mix.");

    std::optional<int32_t> field;
    if (!RateSwitch(args, 'F', field, error)) return Failed(error);
    movie.rateField = field.value_or(movie.rateField);
    movie.soundTrack = 1;
    if (auto track = args.Value('M')) {
        std::optional<long long> n = ParseInteger(*track);
        if (!n || *n < 1 || *n > 7)
            return Failed("Error, /M" + *track + " is not a track (1 to 7).");
        movie.soundTrack = static_cast<int32_t>(*n);
    }
    movie.sound = std::move(sound);
    std::string bytes = EncodeQrv(movie);
    if (!WriteOutput(output, bytes, args.Has('O'), error)) return Failed(error);
    return Succeeded(
        {"QuarvMix: " + soundArg + " mixed into " + video + ", written to " + output + ".",
         Thousands(movie.sound.size()) + " bytes of sound on track " +
             std::to_string(movie.soundTrack) + ", " + Thousands(movie.frames.size()) +
             " frames at " + DescribeRate(movie.rateField) + "."});
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"QuarvMix",
                  {"QuarvMix video.qrv sound [output.qrv] [switches]: mixes sound into a "
                   "Quarver file.",
                   "sound: a file, a sequence such as take?.wav*1-3, or a list file (.lst).",
                   "/M track (1 to 7), /F frame rate, /K bytes to skip, /O overwrite.",
                   "Accepted and not used: /L /G /P /R /B /C /T /S /E /Y /D."}};
    return RunTool(info, argc, argv, Mix);
}
