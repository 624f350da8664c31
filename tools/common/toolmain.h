#pragma once
// What every stand-in tool shares: its command line taken apart, the optional invocation log, and
// the one closing report to the window named by "/#".
#include "platform/report.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qv::tools {

struct Switch {
    char letter = 0; // upper case; '#' and '?' stand as they are
    std::string value;
};

struct ToolArgs {
    std::vector<std::string> files; // the arguments that are not switches, in order
    std::vector<Switch> switches;   // every switch but the report switch, in order
    std::optional<plat::WindowHandle> handle;
    bool secondMarker = false; // "/#" written straight after the handle digits

    bool Has(char letter) const;
    // The value of the last switch with this letter.
    std::optional<std::string> Value(char letter) const;
};

// A switch is "/" + one character + its value, and a block of switches may come as one argument
// ("/N240000/K20/V95/L0"), so every argument that starts with "/" is cut at each "/". Switch
// values therefore never hold "/"; the program writes paths with "\".
ToolArgs ParseArgs(const std::vector<std::string>& args);

struct Outcome {
    bool ok = true;
    std::vector<std::string> lines; // the report, first line first
};
Outcome Failed(std::string line);
Outcome Succeeded(std::vector<std::string> lines);

struct ToolInfo {
    const char* name;
    std::vector<std::string> usage; // the report for "/?"
};

// Runs one tool: logs the invocation, answers "/?", runs the job (an exception becomes a failure
// report) and sends the report to the "/#" window, or prints it when there is none. Returns the
// process exit code: 0 when the job succeeded.
int RunTool(const ToolInfo& info, int argc, char** argv,
            const std::function<Outcome(const ToolArgs&)>& job);

// One line "name<TAB>arg<TAB>arg...\n" appended to the file named by QUARVER_TOOL_LOG, in a
// single write, so that tools running at the same time never interleave inside a line.
void LogInvocation(const std::string& name, const std::vector<std::string>& args);

// The report as one text: lines joined by "\r\n"; every line after the first is indented by two
// blanks, the way the program indents the first one.
std::string ReportText(const std::vector<std::string>& lines);

// Small shared helpers.
std::string Thousands(uint64_t value);
std::optional<long long> ParseInteger(const std::string& text); // whole text, optional sign
std::string Trim(const std::string& text);

} // namespace qv::tools
