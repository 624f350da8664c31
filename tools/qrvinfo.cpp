// QrvInfo: tells what a file is; for a Quarver file its frames, frame rate and size.
#include "tools/common/media.h"
#include "tools/common/qrvformat.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include <cstdio>

namespace qv::tools {
namespace {

Outcome Describe(const ToolArgs& args) {
    if (args.files.empty()) return Failed("Error, no file was named.");
    std::vector<std::string> lines;
    bool ok = true;
    for (const std::string& name : args.files) {
        std::string error;
        std::optional<std::string> bytes = ReadInput(name, error);
        if (!bytes) {
            lines.push_back(error);
            ok = false;
            continue;
        }
        std::string size = Thousands(bytes->size()) + " bytes";
        QrvMovie movie;
        std::string why;
        Pcm pcm;
        if (HasQrvMagic(*bytes) || LowerExtension(name) == ".qrv") {
            if (!DecodeQrv(*bytes, movie, why)) {
                lines.push_back("Error, " + name + " is damaged: " + why + ".");
                ok = false;
                continue;
            }
            char seconds[32];
            int64_t time = FrameTime(movie.rateField);
            std::snprintf(seconds, sizeof seconds, "%.2f",
                          double(time) * double(movie.frames.size()) / 100000.0);
            lines.push_back(name + ": Quarver file, " + Thousands(movie.frames.size()) +
                            " frames at " + DescribeRate(movie.rateField) + " (frame rate field " +
                            std::to_string(movie.rateField) + "), " + size + ".");
            std::string detail = "Running time " + std::string(seconds) + " seconds";
            if (movie.width > 0 && movie.height > 0)
                detail += ", " + std::to_string(movie.width) + " x " + std::to_string(movie.height);
            if (!movie.sound.empty())
                detail += ", " + Thousands(movie.sound.size()) + " bytes of sound on track " +
                          std::to_string(movie.soundTrack);
            if (movie.flags & kQrvRingFlag) detail += ", ring";
            lines.push_back(detail + ".");
        } else if (DecodeWav(*bytes, pcm, why)) {
            lines.push_back(name + ": WAV sound, " + std::to_string(pcm.rate) + " hz, " +
                            std::to_string(pcm.bits) + " bit, " +
                            (pcm.channels == 1 ? "mono" : "stereo") + ", " + size + ".");
        } else {
            lines.push_back(name + ": " + size + ", not a Quarver file.");
        }
    }
    lines[0] = "QrvInfo: " + lines[0];
    return Outcome{ok, lines};
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"QrvInfo",
                  {"QrvInfo file...: tells the frames, frame rate and size of Quarver files, and "
                   "the size of any other file."}};
    return RunTool(info, argc, argv, Describe);
}
