#include "engine/batch.h"

#include "engine/engine.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <utility>

namespace qv {

BatchRun::BatchRun(Engine& engine, const std::string& fileName, const std::string& parameters)
    : engine_(engine), fileName_(fileName), fullName_(plat::FullPath(fileName)),
      savedParameters_(engine.BatchParameters) {
    engine_.BatchParameters = parameters;
    // The history shows which batch started; its own commands follow on new prompt lines.
    engine_.AppendToLastLine(fileName_);
    engine_.ShowPrompt();
}

BatchRun::~BatchRun() {
    // An outer batch goes on with its own parameters.
    engine_.BatchParameters = savedParameters_;
}

bool BatchRun::Load() {
    lines_.clear();
    auto content = plat::ReadWholeFile(fullName_);
    if (!content) return false;
    std::size_t start = 0;
    while (start < content->size()) {
        std::size_t end = content->find('\n', start);
        if (end == std::string::npos) end = content->size();
        std::string line = content->substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool BatchRun::IsBlankLine(const std::string& line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) >= 33) return false;
    return true;
}

bool BatchRun::RunLine(std::size_t index, plat::WindowHandle runnerWindow) {
    if (index >= lines_.size()) return false;
    const plat::WindowHandle savedWindow = engine_.NotifyWindow;
    const bool savedInside = engine_.InsideBatch;
    engine_.NotifyWindow = runnerWindow;
    engine_.InsideBatch = true;
    const bool reportFollows = engine_.RunCommand({}, lines_[index]);
    engine_.InsideBatch = savedInside;
    engine_.NotifyWindow = savedWindow;
    return reportFollows;
}

} // namespace qv
