#pragma once
// Starting programs from one command-line text, without a shell.
#include <string>
#include <vector>

namespace plat {

// Splits a command line by the platform's rules: blanks separate arguments; double quotes group
// (and are removed); 2n backslashes before a quote give n backslashes and a quote that groups,
// 2n+1 give n backslashes and a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Finds the program of a command word: in the working directory first, then in the program's own
// directory (ProgramDirectory() below), then on PATH. Names resolve without regard to case, and a
// name ending in ".exe" (any case) also finds the same name without it. Returns a host path, or
// empty.
std::string FindProgram(const std::string& word, const std::string& workingDirectory);

// The directory of the running executable, as a host path with a trailing "/".
std::string ExecutableDirectory();

// Starts the program of a command line, detached, in a working directory (a program path; empty
// means the current working directory). Started programs see QUARVER_DRIVES of the current drive
// map. True when the process started ("start result of 32 or more"). Children are reaped.
bool StartProcess(const std::string& commandLine, const std::string& workingDirectory = {});

} // namespace plat
