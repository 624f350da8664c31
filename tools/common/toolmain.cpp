#include "tools/common/toolmain.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace qv::tools {

bool ToolArgs::Has(char letter) const {
    return Value(letter).has_value();
}

std::optional<std::string> ToolArgs::Value(char letter) const {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (auto it = switches.rbegin(); it != switches.rend(); ++it)
        if (it->letter == letter) return it->value;
    return std::nullopt;
}

ToolArgs ParseArgs(const std::vector<std::string>& args) {
    ToolArgs result;
    for (const std::string& arg : args) {
        if (arg.empty() || arg[0] != '/') {
            result.files.push_back(arg);
            continue;
        }
        size_t pos = 0;
        while (pos < arg.size()) {
            size_t next = arg.find('/', pos + 1);
            std::string piece =
                arg.substr(pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1);
            pos = next == std::string::npos ? arg.size() : next;
            if (piece.empty()) continue;
            char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(piece[0])));
            std::string value = piece.substr(1);
            if (letter == '#') {
                // "/#digits" names the report window; a bare "/#" after it is the batch marker.
                if (value.empty()) {
                    result.secondMarker = true;
                } else if (auto n = ParseInteger(value); n && *n > 0) {
                    result.handle = static_cast<plat::WindowHandle>(*n);
                } else {
                    result.switches.push_back({letter, value});
                }
                continue;
            }
            result.switches.push_back({letter, value});
        }
    }
    return result;
}

Outcome Failed(std::string line) {
    return Outcome{false, {std::move(line)}};
}
Outcome Succeeded(std::vector<std::string> lines) {
    return Outcome{true, std::move(lines)};
}

void LogInvocation(const std::string& name, const std::vector<std::string>& args) {
    const char* logName = std::getenv("QUARVER_TOOL_LOG");
    if (!logName || !*logName) return;
    std::string line = name;
    for (std::string arg : args) {
        // One invocation must stay one line, whatever an argument holds.
        for (char& c : arg)
            if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        line += '\t';
        line += arg;
    }
    line += '\n';
    int fd = ::open(logName, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ssize_t written = ::write(fd, line.data(), line.size());
    (void)written; // the log is a help for tests; a tool does its job without it
    ::close(fd);
}

std::string ReportText(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n  ";
        text += lines[i];
    }
    return text;
}

std::string Thousands(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::optional<long long> ParseInteger(const std::string& text) {
    std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size() || t.size() - i > 18) return std::nullopt;
    for (size_t k = i; k < t.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(t[k]))) return std::nullopt;
    return std::stoll(t);
}

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    return text.substr(b, e - b);
}

int RunTool(const ToolInfo& info, int argc, char** argv,
            const std::function<Outcome(const ToolArgs&)>& job) {
    std::vector<std::string> raw(argv + 1, argv + argc);
    LogInvocation(info.name, raw);
    ToolArgs args = ParseArgs(raw);

    Outcome outcome;
    if (args.Has('?')) {
        outcome = Succeeded(info.usage);
    } else {
        try {
            outcome = job(args);
        } catch (const std::exception& e) {
            outcome = Failed(std::string("Error, ") + info.name + " failed: " + e.what());
        }
    }
    if (outcome.lines.empty()) outcome.lines.push_back(std::string(info.name) + " finished.");

    std::string text = ReportText(outcome.lines);
    if (args.handle) {
        plat::ReportRecord record{plat::kCopyDataMessage, plat::kToolReportIdentifier, true, text};
        if (plat::SendReport(*args.handle, record) < 0) {
            // Nobody is listening any more; keep the report where a user can still see it.
            std::fprintf(stderr, "%s: report could not be delivered:\n%s\n", info.name,
                         text.c_str());
        }
    } else {
        std::string printed;
        for (size_t i = 0; i < outcome.lines.size(); ++i)
            printed += (i > 0 ? "  " : "") + outcome.lines[i] + "\n";
        std::fputs(printed.c_str(), stdout);
    }
    std::fflush(stdout);
    return outcome.ok ? 0 : 1;
}

} // namespace qv::tools
