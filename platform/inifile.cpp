#include "platform/inifile.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

constexpr size_t kMaxValueLength = 1023; // the platform's read buffer holds 1024 with the NUL

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string Trimmed(const std::string& text) {
    return std::string(Trim(text));
}

// Names compare without regard to (ASCII) case, as everywhere in the program.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

// A line break inside a name or value would turn into new lines of the file on the next read;
// they become blanks so that one write stays one line.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// What one line of the file is to the reader; the views point into the line.
struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;  // trimmed section or key name
    std::string_view value; // trimmed value of a key line
};

// Editors of the platform may start the file with a byte-order mark; it stays in the line but
// does not hide the first section.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

ParsedLine Parse(std::string_view line) {
    ParsedLine parsed;
    if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        line.remove_prefix(kByteOrderMark.size());
    std::string_view text = Trim(line);
    if (text.empty() || text[0] == ';') return parsed;
    if (text[0] == '[') {
        size_t close = text.rfind(']');
        if (close == std::string_view::npos) return parsed;
        parsed.kind = ParsedLine::Section;
        parsed.name = Trim(text.substr(1, close - 1));
        return parsed;
    }
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) return parsed;
    parsed.name = Trim(text.substr(0, equals));
    if (parsed.name.empty()) return parsed;
    parsed.kind = ParsedLine::Key;
    parsed.value = Trim(text.substr(equals + 1));
    return parsed;
}

// The lines [header, end) of the first section of that name; header is npos when there is none.
struct SectionRange {
    size_t header = std::string::npos;
    size_t end = 0;
};

SectionRange FindSection(const std::vector<std::string>& lines, const std::string& section) {
    SectionRange range;
    std::string_view name = Trim(section);
    for (size_t i = 0; i < lines.size(); ++i) {
        ParsedLine parsed = Parse(lines[i]);
        if (parsed.kind != ParsedLine::Section) continue;
        if (range.header != std::string::npos) {
            range.end = i;
            return range;
        }
        if (SameName(parsed.name, name)) range.header = i;
    }
    range.end = lines.size();
    return range;
}

// Index of the first line holding the key within a section, or npos.
size_t FindKey(const std::vector<std::string>& lines, const SectionRange& range,
               const std::string& key, ParsedLine* found = nullptr) {
    if (range.header == std::string::npos) return std::string::npos;
    std::string_view name = Trim(key);
    for (size_t i = range.header + 1; i < range.end; ++i) {
        ParsedLine parsed = Parse(lines[i]);
        if (parsed.kind == ParsedLine::Key && SameName(parsed.name, name)) {
            if (found) *found = parsed;
            return i;
        }
    }
    return std::string::npos;
}

bool IsBareName(const std::string& name) {
    return name.find_first_of("\\/:") == std::string::npos;
}

bool MakeDirectories(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// An existing entry of the directory with the same name apart from case, else the name itself.
std::string MatchEntry(const std::string& directory, const std::string& name) {
    struct stat st;
    std::string exact = directory + "/" + name;
    if (lstat(exact.c_str(), &st) == 0) return exact;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return exact;
    std::string result = exact;
    while (dirent* entry = readdir(dir)) {
        if (SameText(entry->d_name, name)) {
            result = directory + "/" + entry->d_name;
            break;
        }
    }
    closedir(dir);
    return result;
}

bool WriteAll(int fd, const std::string& data) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool Fail() {
    SetLastError(errno ? errno : EIO);
    return false;
}

// Decimal or hexadecimal digits with an optional sign; the whole text must be used.
bool ParseInteger(const std::string& text, int& result) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (text.size() > 2 && pos + 1 < text.size() && text[pos] == '0' &&
               (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size()) return false;
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > UINT32_MAX) return false;
    }
    if (base == 16) {
        // Hexadecimal covers the whole 32-bit pattern: $FFFFFFFF is -1.
        auto bits = static_cast<int32_t>(static_cast<uint32_t>(value));
        result = negative ? static_cast<int>(0u - static_cast<uint32_t>(bits)) : bits;
        return true;
    }
    if (negative ? value > static_cast<uint64_t>(INT_MAX) + 1
                 : value > static_cast<uint64_t>(INT_MAX))
        return false;
    result = negative ? static_cast<int>(-static_cast<int64_t>(value)) : static_cast<int>(value);
    return true;
}

} // namespace

std::string WindowsDirectory() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    std::string directory = base + "/quarver";
    MakeDirectories(directory);
    return directory;
}

std::string ProfileHostPath(const std::string& name) {
    if (IsBareName(name)) return MatchEntry(WindowsDirectory(), name);
    return HostPath(name);
}

IniFile::IniFile(std::string name) : name_(std::move(name)), hostPath_(ProfileHostPath(name_)) {}

bool IniFile::Load() {
    lines_.clear();
    loadFailed_ = false;
    if (hostPath_.empty()) {
        loadFailed_ = true;
        SetLastError(ENOENT, "No drive for " + name_);
        return false;
    }
    int fd = open(hostPath_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true; // a missing file is an empty profile
        loadFailed_ = true;
        return Fail();
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int code = errno;
            close(fd);
            loadFailed_ = true;
            errno = code;
            return Fail();
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

bool IniFile::Save() const {
    if (hostPath_.empty()) {
        SetLastError(ENOENT, "No drive for " + name_);
        return false;
    }
    if (loadFailed_) {
        // Writing now would replace a file we could not read with a part of it.
        SetLastError(EIO, "The file could not be read before");
        return false;
    }
    // Write through a link to the file it names, so that the link stays.
    std::string target = hostPath_;
    char resolved[PATH_MAX];
    struct stat st;
    bool exists = false;
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
        realpath(target.c_str(), resolved))
        target = resolved;
    mode_t mode = 0666;
    if (stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            SetLastError(EISDIR, "Not a file");
            return false;
        }
        if (!(st.st_mode & S_IWUSR)) {
            SetLastError(EACCES, "The file is read-only");
            return false;
        }
        exists = true;
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }

    size_t slash = target.rfind('/');
    std::string directory = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = directory + "." + base + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Fail();

    std::string content;
    for (const std::string& line : lines_) {
        content += line;
        content += "\r\n";
    }
    bool ok = WriteAll(fd, content) && fchmod(fd, mode) == 0 &&
              (!exists || fchown(fd, st.st_uid, st.st_gid) == 0 || errno == EPERM) &&
              fsync(fd) == 0;
    int code = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        errno = code;
        return Fail();
    }
    // The rename must reach the disk too, or a crash could bring back the old file.
    if (int dirFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    ClearLastError();
    return true;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    ParsedLine parsed;
    std::string value = defaultValue;
    if (FindKey(lines_, FindSection(lines_, section), key, &parsed) != std::string::npos) {
        value = std::string(parsed.value);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
    }
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    return value;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key,
                         int defaultValue) const {
    return ReadIntegerText(ReadString(section, key, {}), defaultValue);
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
    return FindKey(lines_, FindSection(lines_, section), key) != std::string::npos;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    std::string sectionName = Trimmed(OneLine(section));
    std::string keyName = Trimmed(OneLine(key));
    std::string text = OneLine(value);
    SectionRange range = FindSection(lines_, sectionName);
    if (range.header == std::string::npos) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + sectionName + "]");
        lines_.push_back(keyName + "=" + text);
        return;
    }
    ParsedLine parsed;
    size_t at = FindKey(lines_, range, keyName, &parsed);
    if (at != std::string::npos) {
        // An unchanged value keeps its line as it was, spacing and all.
        if (parsed.value != Trim(text)) lines_[at] = std::string(parsed.name) + "=" + text;
        return;
    }
    size_t insert = range.header + 1;
    for (size_t i = range.header + 1; i < range.end; ++i)
        if (Parse(lines_[i]).kind == ParsedLine::Key) insert = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), keyName + "=" + text);
}

void IniFile::EraseSection(const std::string& section) {
    // Every section of that name goes: a second copy would otherwise take the first one's place
    // and bring back what was just erased.
    for (;;) {
        SectionRange range = FindSection(lines_, section);
        if (range.header == std::string::npos) return;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range.header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(range.end));
    }
}

int ReadIntegerText(const std::string& text, int defaultValue) {
    int value = 0;
    return ParseInteger(Trimmed(text), value) ? value : defaultValue;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& file) {
    IniFile ini(file);
    ini.Load();
    return ini.ReadString(section, key, defaultValue);
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& file) {
    IniFile ini(file);
    ini.Load();
    return ini.ReadInteger(section, key, defaultValue);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
    IniFile ini(file);
    if (!ini.Load()) return false;
    ini.WriteString(section, key, value);
    return ini.Save();
}

} // namespace plat
