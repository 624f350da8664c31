#pragma once
// Writing a finished set of frames under the output name the command line gave.
#include "tools/common/qrvformat.h"
#include "tools/common/toolmain.h"

#include <string>
#include <vector>

namespace qv::tools {

// ".qrv" gives a Quarver file; ".bmp" and ".tga" give one picture per frame (numbered
// "name0001.bmp", ... when there are several); any other extension gets the Quarver container,
// since no encoder for it is built in, and the report says so. The report is `lines` followed by
// what was written, or the failure.
Outcome WriteFrames(const std::string& output, const QrvMovie& movie, bool overwrite,
                    std::vector<std::string> lines);

} // namespace qv::tools
