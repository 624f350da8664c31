// QuarvFR: changes the frame rate of a Quarver file in place, touching nothing but the field.
#include "tools/common/qrvformat.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

namespace qv::tools {
namespace {

Outcome ChangeRate(const ToolArgs& args) {
    if (args.files.empty()) return Failed("Error, no Quarver file was named.");
    const std::string& name = args.files[0];
    std::optional<std::string> rate = args.Value('F');
    if (!rate || Trim(*rate).empty()) return Failed("Error, no frame rate was given (/F).");
    std::optional<int32_t> field = RateFieldFromText(*rate);
    if (!field) return Failed("Error, /F" + *rate + " is not a frame rate.");
    std::string error;
    std::optional<std::string> bytes = ReadInput(name, error);
    if (!bytes) return Failed(error);
    // The whole file is checked first, so that a damaged file is never made worse.
    QrvMovie movie;
    std::string why;
    if (!DecodeQrv(*bytes, movie, why))
        return Failed("Error, the frame rate of " + name + " was not changed: " + why + ".");
    std::string value;
    PutLE32(value, 0, static_cast<uint32_t>(*field));
    if (!PatchFile(name, kQrvRateOffset, value, error)) return Failed(error);
    return Succeeded({"QuarvFR: " + name + " now plays at " + DescribeRate(*field) + " (it was " +
                      DescribeRate(movie.rateField) + ")."});
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"QuarvFR",
                  {"QuarvFR file.qrv /Frate: changes the frame rate of a Quarver file.",
                   "rate: frames per second (fractions allowed), or a negative number that is "
                   "the frame time in 10-microsecond units."}};
    return RunTool(info, argc, argv, ChangeRate);
}
