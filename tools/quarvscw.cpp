// QuarvScW: the script runner. Reads a QuarvScript and reports the commands it would run.
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include <sstream>

namespace qv::tools {
namespace {

Outcome RunScript(const ToolArgs& args) {
    if (args.files.empty()) return Failed("Error, no script was named.");
    const std::string& name = args.files[0];
    std::string error;
    std::optional<std::string> text = ReadInput(name, error);
    if (!text) return Failed(error);
    std::istringstream lines(*text);
    std::string line;
    size_t commands = 0;
    std::string firstCommand;
    while (std::getline(lines, line)) {
        std::string command = Trim(line);
        // Blank lines and remarks (";" or "//") are not commands.
        if (command.empty() || command[0] == ';' || command.rfind("//", 0) == 0) continue;
        if (++commands == 1) firstCommand = command;
    }
    std::vector<std::string> report{"QuarvScW: ran " + name + ", " + Thousands(commands) +
                                    (commands == 1 ? " command." : " commands.")};
    if (commands > 0) report.push_back("First command: " + firstCommand);
    return Succeeded(report);
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"QuarvScW", {"QuarvScW script.qs: runs a QuarvScript."}};
    return RunTool(info, argc, argv, RunScript);
}
