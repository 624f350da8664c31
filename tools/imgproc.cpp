// ImgProc: the graphics processor. Turns a video, a picture, a sequence or a list into pictures
// or another video under the output name.
#include "tools/common/inputs.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"
#include "tools/common/writeframes.h"

namespace qv::tools {
namespace {

Outcome Process(const ToolArgs& args) {
    if (args.files.empty()) return Failed("Error, no input file was named.");
    const std::string& input = args.files[0];
    std::string output = args.files.size() > 1 ? args.files[1] : DefaultOutputName(input, ".flc");
    std::string error;
    std::vector<InputFile> files;
    LoadedFrames loaded;
    if (!ExpandInput(input, files, error) || !LoadFrames(files, loaded, error))
        return Failed(error);
    long range[4] = {0, 0, 0, 0};
    const char letters[4] = {'S', 'E', 'W', 'H'};
    for (int i = 0; i < 4; ++i) {
        if (auto text = args.Value(letters[i]); text && !Trim(*text).empty()) {
            std::optional<long long> v = ParseInteger(*text);
            if (!v || *v < 0 || *v > 99999)
                return Failed(std::string("Error, /") + letters[i] + *text + " is not a number.");
            range[i] = static_cast<long>(*v);
        }
    }
    if ((range[0] > 0 || range[1] > 0) &&
        !CutFrames(loaded.frames, range[0], range[1], input, error))
        return Failed(error);
    QrvMovie movie;
    movie.frames = std::move(loaded.frames);
    movie.rateField = loaded.rateField.value_or(kDefaultRateField);
    std::optional<int32_t> field;
    if (!RateSwitch(args, 'F', field, error)) return Failed(error);
    movie.rateField = field.value_or(movie.rateField);
    movie.width = range[2];
    movie.height = range[3];
    return WriteFrames(output, movie, args.Has('O'),
                       {"ImgProc: " + input + " converted into " + output + ", " +
                        Thousands(movie.frames.size()) + " frames."});
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"ImgProc",
                  {"ImgProc input [output] [switches]: converts video and pictures.",
                   "Writes .bmp and .tga pictures (numbered when there are several frames) and "
                   "Quarver files; other types get the Quarver container.",
                   "/S first frame, /E last frame, /F frame rate, /W width, /H height, "
                   "/O overwrite.",
                   "Accepted and not used: /Q /I /$ /T /P /D /U /& /Z /A /X /Y."}};
    return RunTool(info, argc, argv, Process);
}
