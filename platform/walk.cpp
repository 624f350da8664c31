#include "platform/walk.h"

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

FileId IdOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// Hidden and system bits of an entry: the stored mark, and a leading "." for hidden.
uint32_t MarksOf(const std::string& name, const std::string& host) {
    uint32_t marks = 0;
    if (auto stored = ReadStoredAttributes(host)) marks = *stored & (faHidden | faSysFile);
    if (name[0] == '.') marks |= faHidden;
    return marks;
}

bool Allowed(uint32_t marks, uint32_t requested) {
    return (marks & ~requested) == 0;
}

template <class T, class Name> void SortAsListed(std::vector<T>& items, Name name) {
    std::vector<std::pair<std::string, T>> keyed;
    keyed.reserve(items.size());
    for (auto& item : items)
        keyed.emplace_back(ToLower(name(item)), std::move(item));
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : name(a.second) < name(b.second);
    });
    items.clear();
    for (auto& item : keyed)
        items.push_back(std::move(item.second));
}

} // namespace

std::optional<FileId> GetFileId(const std::string& path) {
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st)) return std::nullopt;
    // A dangling link has no file behind it to share.
    if (stat(host.c_str(), &st) != 0) return std::nullopt;
    return IdOf(st);
}

bool WalkDirectory::Open(const std::string& path) {
    host_ = ResolveHost(path);
    if (host_.empty()) return false;
    struct stat st;
    if (stat(host_.c_str(), &st) != 0) {
        SetLastError(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ENOTDIR);
        return false;
    }
    return true;
}

WalkDirectory WalkDirectory::Child(const std::string& name) const {
    WalkDirectory child;
    child.host_ = (host_ == "/" ? "" : host_) + "/" + name;
    return child;
}

bool WalkDirectory::Read(const std::string& mask, uint32_t fileAttributes,
                         uint32_t directoryAttributes, std::vector<std::string>& files,
                         std::vector<Subdirectory>& subdirectories) const {
    files.clear();
    subdirectories.clear();
    const int dirFd = open(host_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* handle = dirFd >= 0 ? fdopendir(dirFd) : nullptr;
    if (!handle) {
        SetLastError(errno);
        if (dirFd >= 0) close(dirFd);
        return false;
    }
    std::string entryPath = host_ == "/" ? "/" : host_ + "/";
    const size_t dirLength = entryPath.size();
    while (dirent* entry = readdir(handle)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        // The entry's kind without a stat where the directory tells it.
        bool directory = entry->d_type == DT_DIR;
        struct stat st;
        bool haveStat = false;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            if (fstatat(dirFd, entry->d_name, &st, 0) != 0) continue; // dangling or gone
            haveStat = true;
            directory = S_ISDIR(st.st_mode);
        }
        const bool wantedFile = !directory && MatchesMask(name, mask);
        if (!directory && !wantedFile) continue;
        if (directory && name[0] == '.' && !(directoryAttributes & faHidden)) continue;
        entryPath.resize(dirLength);
        entryPath += name;
        const uint32_t marks = MarksOf(name, entryPath);
        if (directory) {
            if (!Allowed(marks, directoryAttributes)) continue;
            if (!haveStat && fstatat(dirFd, entry->d_name, &st, 0) != 0) continue;
            subdirectories.push_back({std::move(name), IdOf(st)});
        } else if (Allowed(marks, fileAttributes)) {
            files.push_back(std::move(name));
        }
    }
    closedir(handle);
    SortAsListed(files, [](const std::string& name) -> const std::string& { return name; });
    SortAsListed(subdirectories,
                 [](const Subdirectory& dir) -> const std::string& { return dir.name; });
    return true;
}

} // namespace plat
