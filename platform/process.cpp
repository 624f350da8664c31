#include "platform/process.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plat {

namespace {

bool IsArgumentBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsExecutableFile(const std::string& hostPath) {
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           access(hostPath.c_str(), X_OK) == 0 && (st.st_mode & 0111) != 0;
}

bool EndsWithExe(const std::string& name) {
    return name.size() > 4 && SameText(name.substr(name.size() - 4), ".exe");
}

// The names a command word may have on disk: as written and, for "x.exe", "x".
std::vector<std::string> CandidateNames(const std::string& word) {
    std::vector<std::string> names{word};
    if (EndsWithExe(word)) names.push_back(word.substr(0, word.size() - 4));
    return names;
}

// An executable entry of a host directory named like one of the candidates; the exact spelling
// wins over another case.
std::string FindInDirectory(const std::string& directory, const std::vector<std::string>& names) {
    if (directory.empty()) return {};
    std::string base = directory.back() == '/' ? directory : directory + "/";
    for (const std::string& name : names)
        if (IsExecutableFile(base + name)) return base + name;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return {};
    std::string found;
    for (const std::string& name : names) {
        rewinddir(dir);
        while (dirent* entry = readdir(dir)) {
            if (SameText(entry->d_name, name) && IsExecutableFile(base + entry->d_name)) {
                found = base + entry->d_name;
                break;
            }
        }
        if (!found.empty()) break;
    }
    closedir(dir);
    return found;
}

std::string AddSeparator(const std::string& programPath) {
    if (programPath.empty() || programPath.back() == '\\' || programPath.back() == ':')
        return programPath;
    return programPath + "\\";
}

// The working directory as a full program path; empty means the process's own.
std::string WorkingProgramDir(const std::string& workingDirectory) {
    return workingDirectory.empty() ? GetCurrentDir() : FullPath(workingDirectory);
}

// A word with a directory part, as a program path relative to the working directory.
std::string ProgramPathOfWord(const std::string& word, const std::string& workingDir) {
    if (word.size() >= 2 && word[1] == ':') return word;
    if (word[0] == '\\' || word[0] == '/')
        return workingDir.size() >= 2 ? workingDir.substr(0, 2) + word : word;
    return AddSeparator(workingDir) + word;
}

// Every byte the child needs is prepared before fork: between fork and exec only
// async-signal-safe calls are allowed, and the program has other threads.
struct ExecPlan {
    std::string program;
    std::string directory;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::vector<char*> argv;
    std::vector<char*> envp;
};

void ReportErrno(int fd, int code) {
    ssize_t ignored = write(fd, &code, sizeof code);
    (void)ignored;
}

void CloseInheritedFiles(int keep) {
#ifdef SYS_close_range
    // Marking them close-on-exec keeps the error pipe usable until exec.
    if (syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */) == 0) return;
#endif
    long limit = sysconf(_SC_OPEN_MAX);
    if (limit < 0 || limit > 65536) limit = 65536;
    for (int fd = 3; fd < limit; ++fd)
        if (fd != keep) close(fd);
}

[[noreturn]] void RunGrandchild(const ExecPlan& plan, int errorFd) {
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    // Dispositions the program changed (ignored SIGPIPE and the like) are not the tool's.
    for (int sig = 1; sig < NSIG; ++sig)
        if (sig != SIGKILL && sig != SIGSTOP) signal(sig, SIG_DFL);
    if (chdir(plan.directory.c_str()) != 0) {
        ReportErrno(errorFd, errno);
        _exit(127);
    }
    CloseInheritedFiles(errorFd);
    execve(plan.program.c_str(), plan.argv.data(), plan.envp.data());
    ReportErrno(errorFd, errno);
    _exit(127);
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = commandLine.size();
    while (i < n && IsArgumentBlank(commandLine[i]))
        ++i;
    if (i >= n) return words;

    // The program word follows simpler rules, as on the platform: quotes group, backslashes are
    // plain characters (so "C:\Tools\" is a directory, not an escaped quote).
    std::string program;
    bool quoted = false;
    for (; i < n; ++i) {
        char c = commandLine[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && IsArgumentBlank(c)) break;
        program += c;
    }
    words.push_back(std::move(program));

    for (;;) {
        while (i < n && IsArgumentBlank(commandLine[i]))
            ++i;
        if (i >= n) break;
        std::string word;
        quoted = false;
        while (i < n) {
            char c = commandLine[i];
            if (c == '\\') {
                size_t count = 0;
                while (i < n && commandLine[i] == '\\') {
                    ++count;
                    ++i;
                }
                if (i < n && commandLine[i] == '"') {
                    word.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                    // An even count leaves the quote to group, below.
                } else {
                    word.append(count, '\\');
                }
                continue;
            }
            if (c == '"') {
                // Inside quotes, "" is one literal quote and the group goes on (the rule of
                // current platform versions; older ones ended the group there).
                if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    word += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            if (!quoted && IsArgumentBlank(c)) break;
            word += c;
            ++i;
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string ExecutableDirectory() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "/";
    std::string path(buffer, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::string FindProgram(const std::string& word, const std::string& workingDirectory) {
    if (word.empty()) return {};
    std::string workingDir = WorkingProgramDir(workingDirectory);
    std::vector<std::string> names = CandidateNames(word);

    if (word.find_first_of("\\/:") != std::string::npos) {
        for (const std::string& name : names) {
            std::string host = HostPath(ProgramPathOfWord(name, workingDir));
            if (!host.empty() && IsExecutableFile(host)) return host;
        }
        return {};
    }

    std::vector<std::string> directories;
    if (!workingDir.empty()) directories.push_back(HostPath(workingDir));
    directories.push_back(ExecutableDirectory());
    if (const char* path = std::getenv("PATH")) {
        std::string list = path;
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(':', start);
            if (end == std::string::npos) end = list.size();
            std::string entry = list.substr(start, end - start);
            // Relative entries would search wherever the process happens to be.
            if (!entry.empty() && entry[0] == '/') directories.push_back(entry);
            start = end + 1;
        }
    }
    for (const std::string& directory : directories) {
        std::string found = FindInDirectory(directory, names);
        if (!found.empty()) return found;
    }
    return {};
}

bool StartProcess(const std::string& commandLine, const std::string& workingDirectory) {
    ExecPlan plan;
    plan.arguments = SplitCommandLine(commandLine);
    if (plan.arguments.empty() || plan.arguments[0].empty()) {
        SetLastError(ENOENT, "No program named");
        return false;
    }
    plan.program = FindProgram(plan.arguments[0], workingDirectory);
    if (plan.program.empty()) {
        SetLastError(ENOENT, "Program not found: " + plan.arguments[0]);
        return false;
    }
    plan.directory = HostPath(WorkingProgramDir(workingDirectory));
    struct stat st;
    if (plan.directory.empty() || stat(plan.directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ENOENT, "Working directory not found: " + workingDirectory);
        return false;
    }
    plan.arguments[0] = plan.program;

    const std::string drivesPrefix = "QUARVER_DRIVES=";
    for (char** env = environ; env && *env; ++env)
        if (std::strncmp(*env, drivesPrefix.c_str(), drivesPrefix.size()) != 0)
            plan.environment.emplace_back(*env);
    plan.environment.push_back(drivesPrefix + DriveMapText());
    for (std::string& argument : plan.arguments)
        plan.argv.push_back(argument.data());
    plan.argv.push_back(nullptr);
    for (std::string& variable : plan.environment)
        plan.envp.push_back(variable.data());
    plan.envp.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        SetLastError(errno);
        return false;
    }
    // Double fork: the middle child exits at once and is reaped here, so the program never owns
    // the tool and no SIGCHLD handling is needed; the tool is reaped by init.
    pid_t child = fork();
    if (child < 0) {
        SetLastError(errno);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild < 0) ReportErrno(pipeFds[1], errno);
        if (grandchild == 0) RunGrandchild(plan, pipeFds[1]);
        _exit(0);
    }
    close(pipeFds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The write end closes on exec: end of file means the tool is running.
    int code = 0;
    ssize_t got;
    do {
        got = read(pipeFds[0], &code, sizeof code);
    } while (got < 0 && errno == EINTR);
    close(pipeFds[0]);
    if (got == static_cast<ssize_t>(sizeof code)) {
        SetLastError(code);
        return false;
    }
    ClearLastError();
    return true;
}

} // namespace plat
