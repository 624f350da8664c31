#pragma once
// Starting programs from one command-line text, without a shell.
#include <string>
#include <vector>

namespace plat {

// Splits a command line by the platform's rules: blanks separate arguments; double quotes group
// (and are removed); 2n backslashes before a quote give n backslashes and a quote that groups,
// 2n+1 give n backslashes and a literal quote; other backslashes are literal. Inside quotes, ""
// is one literal quote and the quoted run goes on (as current platform versions read it). The
// first word, the program, takes backslashes literally: only quotes group there.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Finds the program of a command word: in the working directory first, then in the program's own
// directory (ExecutableDirectory() below), then on PATH. Names resolve without regard to case, and
// a name ending in ".exe" (any case) also finds the same name without it. A word with a directory
// part is a program path, relative to the working directory when it is not absolute. Only
// executable regular files count. Returns a host path, or empty.
std::string FindProgram(const std::string& word, const std::string& workingDirectory);

// The directory of the running executable, as a host path with a trailing "/".
std::string ExecutableDirectory();

// Starts the program of a command line, detached, in a working directory (a program path; empty
// means the current working directory). Started programs see QUARVER_DRIVES of the current drive
// map. True when the process started ("start result of 32 or more"): the program was found and
// exec succeeded. No shell is involved; argv[0] is the program's host path, the other arguments
// are passed as split. Children are reaped (the tool runs detached, in its own session); no
// SIGCHLD handler is installed.
bool StartProcess(const std::string& commandLine, const std::string& workingDirectory = {});

} // namespace plat
