#include "platform/paths.h"

#include "platform/errors.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace plat {

namespace {

struct PathState {
    DriveMap drives;
    std::map<char, std::string> driveDirs; // current directory per drive, program path
    char currentDrive = 'C';
};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::vector<std::string> SplitComponents(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (IsSeparator(c)) {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

// Folds "." and ".." of host path text; the result is absolute, without a trailing "/".
std::string NormaliseHostPath(const std::string& hostPath) {
    std::string absolute = hostPath;
    if (absolute.empty() || absolute[0] != '/') {
        char buffer[4096];
        std::string cwd = getcwd(buffer, sizeof buffer) ? buffer : "/";
        absolute = cwd + "/" + absolute;
    }
    std::vector<std::string> parts;
    std::string part;
    size_t start = 0;
    while (start <= absolute.size()) {
        size_t slash = absolute.find('/', start);
        if (slash == std::string::npos) slash = absolute.size();
        part = absolute.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string result;
    for (const auto& p : parts)
        result += "/" + p;
    return result.empty() ? "/" : result;
}

std::string JoinHost(const std::string& dir, const std::string& name) {
    return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string RootOf(char drive) {
    return std::string(1, drive) + ":\\";
}

std::string ProgramPathIn(const PathState& state, const std::string& hostPath);

// Every drive at its root, then the working directory follows the host's one when a drive
// holds it.
void ResetState(PathState& state, const DriveMap& map) {
    state.drives.clear();
    for (const auto& [letter, dir] : map) {
        if (dir.empty() || !std::isalpha(static_cast<unsigned char>(letter))) continue;
        state.drives[UpperAscii(letter)] = NormaliseHostPath(dir);
    }
    state.driveDirs.clear();
    for (const auto& entry : state.drives)
        state.driveDirs[entry.first] = RootOf(entry.first);
    state.currentDrive =
        state.drives.count('C') || state.drives.empty() ? 'C' : state.drives.begin()->first;
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer)) {
        std::string here = ProgramPathIn(state, buffer);
        if (!here.empty()) {
            state.currentDrive = here[0];
            state.driveDirs[here[0]] = here;
        }
    }
}

PathState& State() {
    static PathState state;
    static bool ready = false;
    if (!ready) {
        ready = true;
        ResetState(state, DriveMapFromEnvironment());
    }
    return state;
}

bool IsDriveMapped(char drive) {
    return State().drives.count(drive) != 0;
}

// The names of a few recently scanned directories by their lower-case form, so that looking up
// many stored (lower-cased) names in a large folder does not read the folder every time. An entry
// is valid while the folder's identity and modification time stay; a name it lacks is believed
// missing only when the folder had been unchanged for a while before the scan, since a change
// within the same clock tick would not move the time.
class NameCache {
public:
    bool Find(const std::string& dir, const std::string& name, std::string& found) {
        struct stat st;
        if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        std::string key = ToLower(name);
        for (int pass = 0; pass < 2; ++pass) {
            Folder& folder = Load(dir, st, pass > 0);
            auto hit = folder.names.find(key);
            if (hit != folder.names.end()) {
                struct stat entry;
                std::string path = JoinHost(dir, hit->second);
                if (lstat(path.c_str(), &entry) == 0) {
                    found = hit->second;
                    return true;
                }
            } else if (folder.trustMisses || pass > 0) {
                return false;
            }
        }
        return false;
    }

private:
    struct Folder {
        dev_t device = 0;
        ino_t inode = 0;
        timespec changed{};
        bool trustMisses = false;
        std::unordered_map<std::string, std::string> names; // lower case -> smallest spelling
    };

    Folder& Load(const std::string& dir, const struct stat& st, bool rescan) {
        auto it = folders_.find(dir);
        if (it != folders_.end() && !rescan && it->second.device == st.st_dev &&
            it->second.inode == st.st_ino && it->second.changed.tv_sec == st.st_mtim.tv_sec &&
            it->second.changed.tv_nsec == st.st_mtim.tv_nsec)
            return it->second;
        if (it == folders_.end() && folders_.size() >= kFolders) folders_.clear();
        Folder& folder = folders_[dir];
        folder = Folder{st.st_dev, st.st_ino, st.st_mtim, false, {}};
        if (DIR* handle = opendir(dir.c_str())) {
            while (dirent* entry = readdir(handle)) {
                auto [slot, added] =
                    folder.names.try_emplace(ToLower(entry->d_name), entry->d_name);
                if (!added && slot->second > entry->d_name) slot->second = entry->d_name;
            }
            closedir(handle);
        }
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        folder.trustMisses = now.tv_sec - st.st_mtim.tv_sec > 2;
        return folder;
    }

    static constexpr size_t kFolders = 8;
    std::unordered_map<std::string, Folder> folders_;
};

bool FindCaseless(const std::string& dir, const std::string& name, std::string& found) {
    static std::mutex guard;
    static NameCache cache;
    std::lock_guard<std::mutex> lock(guard);
    return cache.Find(dir, name, found);
}

} // namespace

DriveMap DriveMapFromEnvironment() {
    DriveMap map;
    map['C'] = "/";
    const char* text = std::getenv("QUARVER_DRIVES");
    if (!text) return map;
    std::string all = text;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(';', start);
        if (end == std::string::npos) end = all.size();
        std::string item = Trim(all.substr(start, end - start));
        start = end + 1;
        // "D=/dir", and "D:=/dir" for those who write the colon
        size_t equals = item.find('=');
        if (equals == std::string::npos) continue;
        std::string letter = Trim(item.substr(0, equals));
        std::string dir = Trim(item.substr(equals + 1));
        if (letter.size() == 2 && letter[1] == ':') letter.resize(1);
        if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0]))) continue;
        if (dir.empty() || dir[0] != '/') continue;
        map[UpperAscii(letter[0])] = dir;
    }
    return map;
}

void SetDriveMap(const DriveMap& map) {
    ResetState(State(), map);
}

const DriveMap& CurrentDriveMap() {
    return State().drives;
}

std::string DriveMapText() {
    std::string text;
    for (const auto& [letter, dir] : State().drives) {
        if (!text.empty()) text += ';';
        text += std::string(1, letter) + "=" + dir;
    }
    return text;
}

std::string FullPath(const std::string& path) {
    if (path.empty()) return {};
    PathState& state = State();
    char drive = state.currentDrive;
    std::string rest = path;
    std::string base;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        drive = UpperAscii(path[0]);
        rest = path.substr(2);
        if (!IsDriveMapped(drive)) return {};
        base = state.driveDirs[drive];
    } else {
        auto found = state.driveDirs.find(drive);
        if (found == state.driveDirs.end()) return {};
        base = found->second;
    }
    if (!rest.empty() && IsSeparator(rest[0])) base = RootOf(drive);

    std::vector<std::string> parts = SplitComponents(base.substr(3));
    for (auto& part : SplitComponents(rest)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(std::move(part));
    }
    std::string result = RootOf(drive);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) result += '\\';
        result += parts[i];
    }
    if (!parts.empty() && !rest.empty() && IsSeparator(rest.back())) result += '\\';
    return result;
}

std::string HostPath(const std::string& path) {
    std::string full = FullPath(path);
    if (full.empty()) return {};
    const std::string& root = State().drives.at(full[0]);
    std::vector<std::string> parts = SplitComponents(full.substr(3));
    if (parts.empty()) return root;

    std::string exact = root;
    for (const auto& part : parts)
        exact = JoinHost(exact, part);
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0) return exact;

    // Only now look for other spellings, one component at a time; below the first missing
    // component nothing can exist, so the rest keeps its spelling.
    std::string current = root;
    bool missing = false;
    for (const auto& part : parts) {
        std::string next = JoinHost(current, part);
        if (!missing && lstat(next.c_str(), &st) != 0) {
            std::string found;
            if (FindCaseless(current, part, found))
                next = JoinHost(current, found);
            else
                missing = true;
        }
        current = std::move(next);
    }
    return current;
}

std::string ProgramPath(const std::string& hostPath) {
    return ProgramPathIn(State(), hostPath);
}

namespace {
std::string ProgramPathIn(const PathState& state, const std::string& hostPath) {
    if (hostPath.empty()) return {};
    std::string host = NormaliseHostPath(hostPath);
    char best = 0;
    size_t bestLength = 0;
    for (const auto& [letter, dir] : state.drives) {
        bool holds = dir == "/" || host == dir ||
                     (host.size() > dir.size() && host.compare(0, dir.size(), dir) == 0 &&
                      host[dir.size()] == '/');
        // Strictly longer wins, so on a tie the lowest letter (met first) stays.
        if (holds && (!best || dir.size() > bestLength)) {
            best = letter;
            bestLength = dir.size();
        }
    }
    if (!best) return {};
    std::string rest = bestLength == 1 ? host.substr(1) : host.substr(bestLength);
    std::string result = RootOf(best);
    for (char c : rest) {
        if (c == '/') {
            if (result.back() != '\\') result += '\\';
        } else {
            result += c;
        }
    }
    return result;
}
} // namespace

std::string GetCurrentDir() {
    PathState& state = State();
    auto found = state.driveDirs.find(state.currentDrive);
    return found != state.driveDirs.end() ? found->second : RootOf(state.currentDrive);
}

bool SetCurrentDir(const std::string& path) {
    PathState& state = State();
    std::string trimmed = Trim(path);
    std::string full = FullPath(trimmed);
    if (full.empty()) {
        if (trimmed.size() >= 2 && trimmed[1] == ':')
            SetLastError(ENOENT, "The system cannot find the drive specified.");
        else
            SetLastError(ENOENT, "The system cannot find the path specified.");
        return false;
    }
    if (full.size() > 3 && full.back() == '\\') full.pop_back();
    // "D:" alone goes back to D's current directory; should that have gone away meanwhile, the
    // drive's root is the place to land.
    bool driveOnly = trimmed.size() == 2 && trimmed[1] == ':';
    auto isDirectory = [](const std::string& program) {
        struct stat st;
        std::string host = HostPath(program);
        return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    if (!isDirectory(full)) {
        if (!driveOnly || !isDirectory(RootOf(full[0]))) {
            SetLastError(ENOENT, "The system cannot find the path specified.");
            return false;
        }
        full = RootOf(full[0]);
    }
    state.currentDrive = full[0];
    state.driveDirs[full[0]] = full;
    return true;
}

std::string DriveCurrentDir(char drive) {
    drive = UpperAscii(drive);
    PathState& state = State();
    auto found = state.driveDirs.find(drive);
    return found != state.driveDirs.end() ? found->second : std::string();
}

namespace {
size_t LastDelimiter(const std::string& path, const char* delimiters) {
    size_t at = path.find_last_of(delimiters);
    return at == std::string::npos ? 0 : at + 1; // 1-based position, 0 for none
}
} // namespace

std::string ExtractFileDir(const std::string& path) {
    size_t at = LastDelimiter(path, "\\/:");
    // Keep the separator of a root ("C:\") but drop the one between directory and name.
    if (at > 1 && IsSeparator(path[at - 1]) && !IsSeparator(path[at - 2]) && path[at - 2] != ':')
        --at;
    return path.substr(0, at);
}

std::string ExtractFilePath(const std::string& path) {
    return path.substr(0, LastDelimiter(path, "\\/:"));
}

std::string ExtractFileName(const std::string& path) {
    return path.substr(LastDelimiter(path, "\\/:"));
}

std::string ExtractFileExt(const std::string& path) {
    size_t at = LastDelimiter(path, ".\\/:");
    if (at > 0 && path[at - 1] == '.') return path.substr(at - 1);
    return {};
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    size_t at = LastDelimiter(path, ".\\/:");
    if (at == 0 || path[at - 1] != '.') return path + ext;
    return path.substr(0, at - 1) + ext;
}

std::string ToLower(std::string text) {
    for (char& c : text)
        c = LowerAscii(c);
    return text;
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

} // namespace plat
