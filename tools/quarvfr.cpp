// QuarvFR: changes the frame rate of a Quarver file in place, touching nothing but the field.
#include "tools/common/inputs.h"
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
    std::string error;
    std::optional<int32_t> field;
    if (!RateSwitch(args, 'F', field, error)) return Failed(error);
    // The whole file is checked first, so that a damaged file is never made worse.
    QrvMovie movie;
    if (!LoadQrv(name, "change the frame rate of", movie, error)) return Failed(error);
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
