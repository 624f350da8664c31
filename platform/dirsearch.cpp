// Wildcard masks and directory search.
#include "platform/errors.h"
#include "platform/fileinternal.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

using namespace detail;

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// One mask in the form the platform matches it: "?" may match nothing at a "." or at the end,
// a "*" before a "." cannot pass the name's last ".", and a "." before a wildcard or at the end
// of the mask may match the end of the name. That is what makes "*.*" match "README" and "*."
// match only names without an extension.
class Mask {
public:
    explicit Mask(const std::string& text) {
        for (size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            char next = i + 1 < text.size() ? text[i + 1] : 0;
            if (c == '?')
                tokens_.push_back({Kind::AnyOrNone, 0});
            else if (c == '*')
                tokens_.push_back({next == '.' ? Kind::StarBeforeDot : Kind::Star, 0});
            else if (c == '.' && (next == 0 || next == '*' || next == '?'))
                tokens_.push_back({Kind::DotOrEnd, 0});
            else
                tokens_.push_back({Kind::Literal, Lower(c)});
        }
        matchesAll_ = (tokens_.size() == 1 && tokens_[0].kind == Kind::Star) ||
                      (tokens_.size() == 3 && tokens_[0].kind == Kind::StarBeforeDot &&
                       tokens_[1].kind == Kind::DotOrEnd && tokens_[2].kind == Kind::Star);
    }

    bool Matches(const std::string& name) const {
        if (matchesAll_) return true;
        const size_t n = name.size();
        const size_t lastDot = name.rfind('.');
        // matched[j]: the tokens after the current one match name from position j on.
        std::vector<char> after(n + 1, 0), here(n + 1, 0);
        after[n] = 1;
        for (size_t i = tokens_.size(); i-- > 0;) {
            const Token& t = tokens_[i];
            for (size_t j = n + 1; j-- > 0;) {
                bool end = j == n;
                switch (t.kind) {
                case Kind::Literal:
                    here[j] = !end && Lower(name[j]) == t.c && after[j + 1];
                    break;
                case Kind::Star:
                    here[j] = after[j] || (!end && here[j + 1]);
                    break;
                case Kind::StarBeforeDot:
                    here[j] = after[j] || (!end && j != lastDot && here[j + 1]);
                    break;
                case Kind::AnyOrNone:
                    here[j] = (end || name[j] == '.') ? after[j] : after[j + 1];
                    break;
                case Kind::DotOrEnd:
                    here[j] = end ? after[j] : (name[j] == '.' && after[j + 1]);
                    break;
                }
            }
            std::swap(after, here);
        }
        return after[0];
    }

private:
    enum class Kind { Literal, Star, StarBeforeDot, AnyOrNone, DotOrEnd };
    struct Token {
        Kind kind;
        char c;
    };
    std::vector<Token> tokens_;
    bool matchesAll_ = false;
};

// Masks joined by ";", blanks around each ignored.
class MaskList {
public:
    explicit MaskList(const std::string& text) {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(';', start);
            if (end == std::string::npos) end = text.size();
            size_t first = text.find_first_not_of(' ', start);
            if (first < end) {
                size_t last = text.find_last_not_of(' ', end - 1);
                masks_.emplace_back(text.substr(first, last - first + 1));
            }
            start = end + 1;
        }
    }
    bool Matches(const std::string& name) const {
        for (const auto& mask : masks_)
            if (mask.Matches(name)) return true;
        return false;
    }

private:
    std::vector<Mask> masks_;
};

bool Wanted(uint32_t attr, uint32_t requested) {
    return (attr & (faHidden | faSysFile | faDirectory) & ~requested) == 0;
}

SearchRec DotEntry(const char* name, const struct stat& st) {
    SearchRec rec;
    rec.name = name;
    rec.attr = faDirectory;
    rec.time = TimeOf(st);
    return rec;
}

SearchRec MakeRec(std::string name, const struct stat& st, uint32_t attr) {
    SearchRec rec;
    rec.name = std::move(name);
    rec.attr = attr;
    rec.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    rec.time = TimeOf(st);
    return rec;
}

// A mask without wildcards names one entry: look it up instead of reading the directory.
bool IsPlainName(const std::string& mask) {
    return mask.find_first_of("*?;") == std::string::npos && mask.back() != '.';
}

bool LookUpOne(const std::string& full, const std::string& hostDir, uint32_t attributes,
               std::vector<SearchRec>& out) {
    struct stat st;
    if (stat(hostDir.c_str(), &st) != 0) {
        SetLastError(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ENOTDIR);
        return false;
    }
    std::string host = HostPath(full);
    std::string name = host.substr(host.find_last_of('/') + 1);
    if (lstat(host.c_str(), &st) != 0 || !HostStat(host, st)) return true;
    uint32_t attr = AttributesOf(name, st, ReadStoredAttributes(host));
    if (Wanted(attr, attributes)) out.push_back(MakeRec(std::move(name), st, attr));
    return true;
}

bool Search(const std::string& pattern, uint32_t attributes, std::vector<SearchRec>& out) {
    out.clear();
    // Split before expanding, so that a mask of "." or ".." is not folded into the directory.
    std::string dirText = ExtractFilePath(pattern);
    std::string dir = FullPath(dirText.empty() ? std::string(".") : dirText);
    std::string hostDir = ResolveHost(dir.empty() ? dirText : dir);
    if (hostDir.empty()) return false;
    std::string mask = ExtractFileName(pattern);
    if (mask.empty()) mask = "*";
    if (IsPlainName(mask) && mask != "." && mask != "..")
        return LookUpOne(dir + (dir.back() == '\\' ? "" : "\\") + mask, hostDir, attributes, out);

    int dirFd = open(hostDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* handle = dirFd >= 0 ? fdopendir(dirFd) : nullptr;
    if (!handle) {
        SetLastError(errno);
        if (dirFd >= 0) close(dirFd);
        return false;
    }
    MaskList masks(mask);
    struct Keyed {
        std::string key;
        SearchRec rec;
    };
    std::vector<Keyed> found;
    std::string entryPath = hostDir == "/" ? "/" : hostDir + "/";
    const size_t dirLength = entryPath.size();
    while (dirent* entry = readdir(handle)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (!masks.Matches(name)) continue;
        // Cheap rejections first: most entries of a large folder never need a stat.
        if (name[0] == '.' && !(attributes & faHidden)) continue;
        if (entry->d_type == DT_DIR && !(attributes & faDirectory)) continue;
        struct stat st;
        if (fstatat(dirFd, entry->d_name, &st, 0) != 0) {
            // A dangling link lists as an empty ordinary file; a vanished entry not at all.
            if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISLNK(st.st_mode))
                continue;
            st.st_mode = S_IFREG | (st.st_mode & 07777);
            st.st_size = 0;
        }
        if (S_ISDIR(st.st_mode) && !(attributes & faDirectory)) continue;
        entryPath.resize(dirLength);
        entryPath += name;
        uint32_t attr = AttributesOf(name, st, ReadStoredAttributes(entryPath));
        if (!Wanted(attr, attributes)) continue;
        std::string key = ToLower(name);
        found.push_back({std::move(key), MakeRec(std::move(name), st, attr)});
    }
    std::sort(found.begin(), found.end(), [](const Keyed& a, const Keyed& b) {
        return a.key != b.key ? a.key < b.key : a.rec.name < b.rec.name;
    });

    bool root = dir.size() == 3;
    if (!root && (attributes & faDirectory)) {
        for (const char* dot : {".", ".."}) {
            struct stat st;
            if (masks.Matches(dot) && fstatat(dirFd, dot, &st, 0) == 0)
                out.push_back(DotEntry(dot, st));
        }
    }
    closedir(handle);
    out.reserve(out.size() + found.size());
    for (auto& item : found)
        out.push_back(std::move(item.rec));
    return true;
}

} // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
    return MaskList(mask).Matches(name);
}

bool DirSearch::FindFirst(const std::string& pattern, uint32_t attributes, SearchRec& rec) {
    next_ = 0;
    if (!Search(pattern, attributes, entries_)) return false;
    ClearLastError();
    return FindNext(rec);
}

bool DirSearch::FindNext(SearchRec& rec) {
    if (next_ >= entries_.size()) {
        entries_.clear();
        next_ = 0;
        return false;
    }
    rec = std::move(entries_[next_++]);
    return true;
}

std::vector<SearchRec> FindFiles(const std::string& pattern, uint32_t attributes) {
    std::vector<SearchRec> entries;
    Search(pattern, attributes, entries);
    return entries;
}

} // namespace plat
