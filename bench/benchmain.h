#pragma once
// The shared entry of every benchmark program: an offscreen QApplication and one scratch folder
// that is removed when the run ends.
#include <string>

namespace qvbench {

// Host path of the scratch folder of this run.
const std::string& Folder();

} // namespace qvbench
