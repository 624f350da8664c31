// The players (QuarvPlW, QuarvPly, QuarvPW6): check the Quarver file and report what playing it
// would show. Built once per name; QV_TOOL_NAME says which.
#include "tools/common/inputs.h"
#include "tools/common/qrvformat.h"
#include "tools/common/selfrun.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace qv::tools {
namespace {

Outcome PlayMovie(const std::string& name, const QrvMovie& movie, const ToolArgs& args) {
    std::string error;
    int32_t field = movie.rateField;
    std::string speed;
    if (auto forced = args.Value('F'); forced && Trim(*forced).empty()) {
        speed = "as fast as possible";
    } else {
        std::optional<int32_t> f;
        if (!RateSwitch(args, 'F', f, error)) return Failed(error);
        field = f.value_or(field);
    }
    if (speed.empty()) speed = "at " + DescribeRate(field);
    std::string loops;
    if (auto loop = args.Value('L')) {
        std::optional<long long> n = ParseInteger(*loop);
        loops = Trim(*loop).empty() ? ", looping until stopped"
                : n && *n > 0       ? ", " + std::to_string(*n) + " times"
                                    : "";
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f",
                  double(FrameTime(field)) * double(movie.frames.size()) / 100000.0);
    std::vector<std::string> lines{std::string(QV_TOOL_NAME) + ": played " + name + ", " +
                                   Thousands(movie.frames.size()) + " frames " + speed + loops +
                                   "."};
    if (speed.rfind("at ", 0) == 0)
        lines.push_back("Running time " + std::string(seconds) + " seconds.");
    if (!movie.sound.empty())
        lines.push_back(Thousands(movie.sound.size()) + " bytes of sound on track " +
                        std::to_string(movie.soundTrack) + (args.Has('O') ? ", sound only." : "."));
    return Succeeded(lines);
}

// A self-running program made by QrvCompi is this player with a file and switches attached; run
// without a file, it plays the first attached file with the attached switches, which switches on
// its own command line override.
Outcome PlayAttached(const ToolArgs& args) {
    std::ifstream in("/proc/self/exe", std::ios::binary);
    std::string self{std::istreambuf_iterator<char>(in), {}};
    Attachments attachments;
    if (!ReadAttachments(self, attachments) || attachments.files.empty())
        return Failed("Error, no Quarver file was named to play.");
    const auto& [name, bytes] = attachments.files.front();
    QrvMovie movie;
    std::string why;
    if (!DecodeQrv(bytes, movie, why))
        return Failed("Error, cannot play the attached " + name + ": " + why + ".");
    std::istringstream words(attachments.switches);
    std::vector<std::string> combined{std::istream_iterator<std::string>(words), {}};
    for (const Switch& s : args.switches)
        combined.push_back(std::string("/") + s.letter + s.value);
    return PlayMovie(name + " (attached)", movie, ParseArgs(combined));
}

Outcome Play(const ToolArgs& args) {
    if (args.files.empty()) return PlayAttached(args);
    const std::string& name = args.files[0];
    std::string error;
    QrvMovie movie;
    if (!LoadQrv(name, "play", movie, error)) return Failed(error);
    return PlayMovie(name, movie, args);
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{QV_TOOL_NAME,
                  {std::string(QV_TOOL_NAME) + " file.qrv [switches]: plays a Quarver file.",
                   "/L[count] loop (for ever without a count), /F[rate] frame rate (as fast as "
                   "possible without a rate), /O sound only.",
                   "Accepted and not used: /P /S /N /X /Y /W /H /B /I /C /R /G /K /J /Z /Q /@ "
                   "/V /D /T /U /A /M /E."}};
    return RunTool(info, argc, argv, Play);
}
