// RodUDU: facts about the system: its name and version, memory, and the space on the drive of
// the working directory.
#include "tools/common/toolmain.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <fstream>
#include <sys/utsname.h>
#include <thread>
#include <unistd.h>

namespace qv::tools {
namespace {

// A "MemTotal:  16318480 kB" value of /proc/meminfo, in bytes.
std::optional<uint64_t> MemInfo(const std::string& key) {
    std::ifstream in("/proc/meminfo");
    std::string name;
    uint64_t value = 0;
    std::string unit;
    while (in >> name >> value) {
        std::getline(in, unit);
        if (name == key + ":") return value * 1024;
    }
    return std::nullopt;
}

std::string Megabytes(uint64_t bytes) {
    return Thousands(bytes / (1024 * 1024)) + " MB";
}

Outcome Report(const ToolArgs&) {
    std::vector<std::string> lines{"RodUDU: system information."};
    struct utsname names {};
    if (::uname(&names) == 0)
        lines.push_back(std::string("System: ") + names.sysname + " " + names.release + " (" +
                        names.machine + "), host " + names.nodename + ".");
    lines.push_back("Processors: " + std::to_string(std::thread::hardware_concurrency()) + ".");
    auto total = MemInfo("MemTotal"), available = MemInfo("MemAvailable");
    if (total)
        lines.push_back("Memory: " + Megabytes(*total) + " in all, " +
                        (available ? Megabytes(*available) : std::string("unknown")) + " free.");
    std::string dir = plat::GetCurrentDir();
    if (auto space = plat::GetDiskSpace(dir))
        lines.push_back("Drive " + dir.substr(0, 2) + " " + Megabytes(space->total) + " in all, " +
                        Megabytes(space->free) + " free.");
    return Succeeded(lines);
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"RodUDU", {"RodUDU: reports the system, its memory and free drive space."}};
    return RunTool(info, argc, argv, Report);
}
