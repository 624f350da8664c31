// QrvCompi: makes a self-running program: the player with the Quarver files and the player's
// switches attached behind it.
//   QrvCompi "player.exe" output.exe "switches" "files"
// Attached after the player's bytes: each file as "QRVFILE" name NUL size(8) bytes, then the
// switches as "QRVARGS" text NUL, then a trailer "QRVSELF1" + the offset where the attachments
// begin (8 bytes), so that a player can find them from the end of its own file.
#include "tools/common/qrvformat.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <sys/stat.h>

namespace qv::tools {
namespace {

void PutLE64(std::string& out, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

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
    std::string result = *program;
    uint64_t start = result.size();
    std::vector<std::string> names;
    for (size_t i = 3; i < positional.size(); ++i)
        if (!Trim(positional[i]).empty()) names.push_back(Trim(positional[i]));
    if (names.empty()) return Failed("Error, no Quarver file was named to attach.");
    uint64_t attached = 0;
    for (const std::string& name : names) {
        std::optional<std::string> bytes = ReadInput(name, error);
        if (!bytes) return Failed(error);
        if (!HasQrvMagic(*bytes)) return Failed("Error, " + name + " is not a Quarver file.");
        result += "QRVFILE" + plat::ExtractFileName(name) + '\0';
        PutLE64(result, bytes->size());
        result += *bytes;
        attached += bytes->size();
    }
    result += "QRVARGS" + switches + '\0';
    result += "QRVSELF1";
    PutLE64(result, start);
    // The maker's dialog has already asked before an existing program is replaced.
    if (!WriteOutput(output, result, true, error)) return Failed(error);
    std::string host = plat::HostPath(output);
    struct stat st {};
    if (::stat(host.c_str(), &st) == 0)
        ::chmod(host.c_str(), st.st_mode | ((st.st_mode & 0444) >> 2)); // runnable where readable
    return Succeeded({"QrvCompi: " + output + " made from " + plat::ExtractFileName(player) +
                          " and " + std::to_string(names.size()) +
                          (names.size() == 1 ? " file" : " files") + ".",
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
