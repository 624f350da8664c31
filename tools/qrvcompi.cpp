// QrvCompi: makes a self-running program: the player with the Quarver files and the player's
// switches attached behind it (selfrun.h).
//   QrvCompi "player.exe" output.exe "switches" "files"
#include "tools/common/qrvformat.h"
#include "tools/common/selfrun.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <sys/stat.h>

namespace qv::tools {
namespace {

Outcome Compile(const ToolArgs& raw) {
    // The switches for the player come as one quoted argument that begins with "/", so the file
    // arguments are taken back from the raw switch list in order.
    std::vector<std::string> positional = raw.files;
    if (positional.size() == 3 && !raw.switches.empty()) {
        std::string switches;
        for (const Switch& s : raw.switches)
            switches += std::string("/") + s.letter + s.value;
        positional.insert(positional.begin() + 2, switches);
    }
    if (positional.size() < 4)
        return Failed("Error, QrvCompi needs the player, the output, the switches and the files.");
    std::string player = positional[0];
    const std::string& output = positional[1];
    const std::string& switches = positional[2];
    std::string error;
    // The players are built without ".exe" here; the name the program passes carries it.
    if (!plat::FileExists(player) && LowerExtension(player) == ".exe")
        player = WithExtension(player, "");
    std::optional<std::string> program = ReadInput(player, error);
    if (!program) return Failed(error);
    Attachments attachments;
    attachments.switches = switches;
    uint64_t attached = 0;
    for (size_t i = 3; i < positional.size(); ++i) {
        std::string name = Trim(positional[i]);
        if (name.empty()) continue;
        std::optional<std::string> bytes = ReadInput(name, error);
        if (!bytes) return Failed(error);
        if (!HasQrvMagic(*bytes)) return Failed("Error, " + name + " is not a Quarver file.");
        attached += bytes->size();
        attachments.files.emplace_back(plat::ExtractFileName(name), std::move(*bytes));
    }
    size_t count = attachments.files.size();
    if (count == 0) return Failed("Error, no Quarver file was named to attach.");
    std::string result = AttachToProgram(*program, attachments);
    // The maker's dialog has already asked before an existing program is replaced.
    if (!WriteOutput(output, result, true, error)) return Failed(error);
    std::string host = plat::HostPath(output);
    struct stat st {};
    if (::stat(host.c_str(), &st) == 0)
        ::chmod(host.c_str(), st.st_mode | ((st.st_mode & 0444) >> 2)); // runnable where readable
    return Succeeded({"QrvCompi: " + output + " made from " + plat::ExtractFileName(player) +
                          " and " + std::to_string(count) + (count == 1 ? " file" : " files") + ".",
                      Thousands(attached) + " bytes attached, " + Thousands(result.size()) +
                          " bytes in all; player switches: " +
                          (switches.empty() ? std::string("none") : switches) + "."});
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"QrvCompi",
                  {"QrvCompi \"player.exe\" output.exe \"switches\" \"files\": makes a "
                   "self-running program."}};
    return RunTool(info, argc, argv, Compile);
}
