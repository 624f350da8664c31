#include "tools/common/writeframes.h"

#include "tools/common/media.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include <algorithm>

namespace qv::tools {

Outcome WriteFrames(const std::string& output, const QrvMovie& movie, bool overwrite,
                    std::vector<std::string> lines) {
    std::string error;
    std::string ext = LowerExtension(output);
    if (!CanEncodePicture(ext)) {
        std::string bytes = EncodeQrv(movie);
        if (!WriteOutput(output, bytes, overwrite, error)) return Failed(error);
        if (ext != ".qrv")
            lines.push_back("Written in Quarver format: no " + (ext.empty() ? "plain" : ext) +
                            " encoder is built in.");
        lines.push_back(output + ": " + Thousands(bytes.size()) + " bytes.");
        return Succeeded(lines);
    }
    int width = movie.width > 0 ? std::min(movie.width, 4096) : 64;
    int height = movie.height > 0 ? std::min(movie.height, 4096) : 48;
    size_t count = movie.frames.size();
    std::string base = WithExtension(output, "");
    std::string ownExt = output.substr(base.size());
    size_t digits = std::max<size_t>(4, std::to_string(count).size());
    auto nameOf = [&](size_t i) {
        if (count == 1) return output;
        std::string number = std::to_string(i + 1);
        return base + std::string(digits - number.size(), '0') + number + ownExt;
    };
    for (size_t i = 0; i < count; ++i) {
        std::string name = nameOf(i);
        if (!WriteOutput(name, EncodePicture(ext, movie.frames[i], width, height), overwrite,
                         error))
            return Failed(error);
    }
    lines.push_back(count > 1 ? Thousands(count) + " pictures, " + nameOf(0) + " to " +
                                    nameOf(count - 1) + ", " + std::to_string(width) + " x " +
                                    std::to_string(height) + "."
                              : output + ": one picture, " + std::to_string(width) + " x " +
                                    std::to_string(height) + ".");
    return Succeeded(lines);
}

} // namespace qv::tools
