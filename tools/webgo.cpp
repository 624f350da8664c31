// webgo: opens a web address in the user's browser through xdg-open. The program passes the
// address after a ">".
#include "tools/common/toolmain.h"

#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qv::tools {
namespace {

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        size_t end = dirs.find(':', pos);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(pos, end - pos);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        pos = end + 1;
    }
    return {};
}

Outcome Open(const ToolArgs& args) {
    std::string address;
    for (const std::string& file : args.files)
        address += (address.empty() ? "" : " ") + file;
    address = Trim(address);
    if (!address.empty() && address[0] == '>') address = Trim(address.substr(1));
    if (address.empty()) return Failed("Error, webgo was given no address to open.");
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty())
        return Failed("Error, cannot open " + address + ": xdg-open was not found.");
    char* argv[] = {opener.data(), address.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, opener.c_str(), nullptr, nullptr, argv, environ) != 0)
        return Failed("Error, cannot open " + address + ": xdg-open could not be started.");
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return Failed("Error, xdg-open could not open " + address + ".");
    return Succeeded({"webgo: opened " + address + "."});
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"webgo", {"webgo >address: opens a web address in the browser."}};
    return RunTool(info, argc, argv, Open);
}
