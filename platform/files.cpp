#include "platform/files.h"

#include "platform/errors.h"
#include "platform/fileinternal.h"
#include "platform/paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace plat {

namespace detail {

std::string ResolveHost(const std::string& path) {
    std::string host = HostPath(path);
    if (host.empty()) {
        if (path.empty())
            SetLastError(ENOENT, "No file name was given.");
        else
            SetLastError(ENOENT, "The system cannot find the drive specified.");
    }
    return host;
}

bool HostStat(const std::string& host, struct stat& st) {
    if (stat(host.c_str(), &st) == 0) return true;
    int code = errno;
    // A link whose target is gone is still an entry: an ordinary file of size 0.
    if (code == ENOENT && lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        st.st_mode = S_IFREG | (st.st_mode & 07777);
        st.st_size = 0;
        return true;
    }
    SetLastError(code);
    return false;
}

std::optional<uint32_t> ReadStoredAttributes(const std::string& host) {
    char value[256];
    ssize_t length = getxattr(host.c_str(), kDosAttribName, value, sizeof value - 1);
    if (length <= 0) return std::nullopt;
    value[length] = 0;
    // Samba writes "0x20", and its newer binary form also begins with that text.
    const char* p = value;
    while (*p == ' ')
        ++p;
    if (p[0] != '0' || (p[1] != 'x' && p[1] != 'X')) return std::nullopt;
    char* end = nullptr;
    unsigned long bits = std::strtoul(p + 2, &end, 16);
    if (end == p + 2) return std::nullopt;
    return static_cast<uint32_t>(bits);
}

uint32_t AttributesOf(const std::string& name, const struct stat& st,
                      std::optional<uint32_t> stored) {
    uint32_t attr = 0;
    bool directory = S_ISDIR(st.st_mode);
    if (directory) attr |= faDirectory;
    if (!(st.st_mode & S_IWUSR)) attr |= faReadOnly;
    if (stored) {
        attr |= *stored & (faHidden | faSysFile | faArchive);
        // A directory's read-only bit is only a mark, kept with the others.
        if (directory) attr |= *stored & faReadOnly;
    } else if (!directory) {
        attr |= faArchive;
    }
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") attr |= faHidden;
    return attr;
}

bool Done(int result) {
    if (result == 0) return true;
    SetLastError(errno);
    return false;
}

bool StatPath(const std::string& path, std::string& host, struct stat& st) {
    host = ResolveHost(path);
    return !host.empty() && HostStat(host, st);
}

FileTime TimeOf(const struct stat& st) {
    return {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

bool IsReadOnly(const struct stat& st) {
    return !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR);
}

void SetAccessDenied() {
    SetLastError(EACCES, "Access is denied.");
}

} // namespace detail

using namespace detail;

namespace {

std::string NameOf(const std::string& host) {
    size_t slash = host.find_last_of('/');
    return slash == std::string::npos ? host : host.substr(slash + 1);
}

std::string ParentOf(const std::string& host) {
    size_t slash = host.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : host.substr(0, slash);
}

std::string HexText(uint32_t bits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", bits);
    return text;
}

// Best effort: used where a failure only loses the archive mark.
void StoreAttributes(int fd, uint32_t bits) {
    std::string value = HexText(bits);
    fsetxattr(fd, kDosAttribName, value.data(), value.size(), 0);
}

void SetNoAttributesHere() {
    SetLastError(ENOTSUP, "The file system keeps no attributes here.");
}

// Keeps retrying a call that a signal interrupted.
template <typename Call> auto Retry(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

void SetWriteError(int code) {
    if (code == ENOSPC || code == EDQUOT)
        SetLastError(ENOSPC, "There is not enough space on the disk.");
    else
        SetLastError(code);
}

bool WriteAll(int fd, const char* data, size_t count) {
    while (count > 0) {
        ssize_t written = Retry([&] { return ::write(fd, data, count); });
        if (written < 0) {
            SetWriteError(errno);
            return false;
        }
        data += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

// A drive's root is its host folder: it can neither go nor move.
bool RefuseDriveRoot(const std::string& path) {
    if (FullPath(path).size() != 3) return false;
    SetAccessDenied();
    return true;
}

} // namespace

int GetFileAttributes(const std::string& path) {
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st)) return -1;
    return static_cast<int>(AttributesOf(NameOf(host), st, ReadStoredAttributes(host)));
}

bool SetFileAttributes(const std::string& path, uint32_t attributes) {
    std::string host = ResolveHost(path);
    struct stat st;
    if (host.empty()) return false;
    if (!Done(stat(host.c_str(), &st))) return false;
    bool directory = S_ISDIR(st.st_mode);
    // Read-only goes into the stored value too, as Samba keeps it; for a file the permission
    // rules, for a directory the stored bit, so that marking a directory read-only does not lock
    // it for everybody but root.
    uint32_t stored = attributes & (faReadOnly | faHidden | faSysFile | faArchive);
    if (directory) stored |= faDirectory;
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = mode | S_IWUSR;
    if ((attributes & faReadOnly) && !directory)
        wanted = mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);

    // Writing a user attribute needs write permission when not root: lift read-only meanwhile.
    bool lifted = !(mode & S_IWUSR) && chmod(host.c_str(), mode | S_IWUSR) == 0;
    std::string value = HexText(stored);
    if (setxattr(host.c_str(), kDosAttribName, value.data(), value.size(), 0) != 0) {
        int code = errno;
        if (lifted) chmod(host.c_str(), mode);
        if (code != ENOTSUP) {
            SetLastError(code);
            return false;
        }
        // Without extended attributes only read-only can change; that is enough when the other
        // bits asked for are the ones such a file reads with anyway.
        uint32_t fixed = AttributesOf(NameOf(host), st, std::nullopt);
        uint32_t mask = faHidden | faSysFile | faArchive;
        if (directory) mask |= faReadOnly;
        if ((fixed & mask) != (attributes & mask)) {
            SetNoAttributesHere();
            return false;
        }
    }
    return Done(chmod(host.c_str(), wanted));
}

bool FileExists(const std::string& path) {
    std::string host;
    struct stat st;
    return StatPath(path, host, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    std::string host = ResolveHost(path);
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path) {
    std::string host = ResolveHost(path);
    if (host.empty()) return false;
    return Done(mkdir(host.c_str(), 0777));
}

bool RemoveDir(const std::string& path) {
    std::string host = ResolveHost(path);
    if (host.empty() || RefuseDriveRoot(path)) return false;
    struct stat st;
    if (!Done(lstat(host.c_str(), &st))) return false;
    // A link to a directory goes as a directory would, without touching the target.
    if (S_ISLNK(st.st_mode)) {
        struct stat target;
        if (stat(host.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) {
            SetLastError(ENOTDIR);
            return false;
        }
        return Done(unlink(host.c_str()));
    }
    // As on the platform the program was made for, the working directory cannot go.
    std::string current = HostPath(GetCurrentDir());
    struct stat cur;
    if (S_ISDIR(st.st_mode) && stat(current.c_str(), &cur) == 0 && cur.st_dev == st.st_dev &&
        cur.st_ino == st.st_ino) {
        SetLastError(EBUSY, "The directory is the working directory.");
        return false;
    }
    return Done(rmdir(host.c_str()));
}

bool DeleteFile(const std::string& path) {
    std::string host = ResolveHost(path);
    if (host.empty()) return false;
    struct stat st;
    if (!HostStat(host, st)) return false;
    if (S_ISDIR(st.st_mode)) {
        SetLastError(EISDIR, "Access is denied (a directory is no file).");
        return false;
    }
    if (IsReadOnly(st)) {
        SetAccessDenied();
        return false;
    }
    return Done(unlink(host.c_str()));
}

namespace {

// Copies one file (or link) to a new name on another file system, keeping its permissions,
// time and stored attributes. The target must not exist; a half-made copy is removed.
bool CopyAcross(const std::string& from, const std::string& to, const struct stat& st) {
    if (S_ISLNK(st.st_mode)) {
        std::string target(4096, '\0');
        ssize_t length = readlink(from.c_str(), target.data(), target.size());
        if (length < 0) return Done(-1);
        target.resize(size_t(length));
        return Done(symlink(target.c_str(), to.c_str()));
    }
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        SetLastError(errno);
        return false;
    }
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        SetLastError(errno);
        close(in);
        return false;
    }
    bool ok = true;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ssize_t got = Retry([&] { return ::read(in, buffer.data(), buffer.size()); });
        if (got < 0) {
            SetLastError(errno);
            ok = false;
        }
        if (got <= 0 || !(ok = WriteAll(out, buffer.data(), size_t(got)))) break;
    }
    if (ok) {
        char value[256];
        ssize_t length = getxattr(from.c_str(), kDosAttribName, value, sizeof value);
        if (length > 0) fsetxattr(out, kDosAttribName, value, size_t(length), 0);
        timespec times[2] = {st.st_atim, st.st_mtim};
        futimens(out, times);
        fchmod(out, st.st_mode & 07777);
    }
    if (close(out) != 0 && ok) {
        SetLastError(errno);
        ok = false;
    }
    close(in);
    if (!ok) unlink(to.c_str());
    return ok;
}

// The real path of the host path's directory + its name, so that links cannot hide that a
// directory would move into itself.
std::string RealLocation(const std::string& host) {
    char buffer[PATH_MAX];
    if (!realpath(ParentOf(host).c_str(), buffer)) return host;
    std::string parent = buffer;
    return (parent == "/" ? "" : parent) + "/" + NameOf(host);
}

} // namespace

bool MoveFile(const std::string& from, const std::string& to) {
    std::string source = ResolveHost(from);
    if (source.empty() || RefuseDriveRoot(from)) return false;
    std::string target = ResolveHost(to);
    if (target.empty() || RefuseDriveRoot(to)) return false;
    struct stat st, there;
    if (!Done(lstat(source.c_str(), &st))) return false;
    if (lstat(target.c_str(), &there) == 0) {
        // A new spelling of the same name resolves to the entry itself: a rename in place.
        std::string spelled = ExtractFileName(FullPath(to));
        if (there.st_dev != st.st_dev || there.st_ino != st.st_ino || spelled.empty() ||
            spelled == NameOf(target)) {
            SetLastError(EEXIST, "Cannot create a file when that file already exists.");
            return false;
        }
        target = ParentOf(target) + (ParentOf(target) == "/" ? "" : "/") + spelled;
    }
    if (S_ISDIR(st.st_mode)) {
        std::string real = RealLocation(source);
        std::string dest = RealLocation(target);
        if (dest == real || dest.compare(0, real.size() + 1, real + "/") == 0) {
            SetLastError(EINVAL, "A directory cannot move into itself.");
            return false;
        }
    }
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    int code = errno;
    if (code == EINVAL || code == ENOSYS) {
        // The file system knows no RENAME_NOREPLACE; the target was checked above.
        if (rename(source.c_str(), target.c_str()) == 0) return true;
        code = errno;
    }
    if (code == EEXIST) {
        SetLastError(EEXIST, "Cannot create a file when that file already exists.");
        return false;
    }
    if (code != EXDEV) {
        SetLastError(code);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(EXDEV, "The system cannot move the file to a different disk drive.");
        return false;
    }
    if (!CopyAcross(source, target, st)) return false;
    if (unlink(source.c_str()) != 0) {
        // Leave things as they were rather than keep two copies.
        SetLastError(errno);
        unlink(target.c_str());
        return false;
    }
    return true;
}

std::optional<FileTime> GetFileTime(const std::string& path) {
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st)) return std::nullopt;
    return TimeOf(st);
}

bool SetFileTime(const std::string& path, FileTime time) {
    std::string host = ResolveHost(path);
    if (host.empty()) return false;
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(time.seconds);
    times[1].tv_nsec = static_cast<long>(time.nanoseconds);
    return Done(utimensat(AT_FDCWD, host.c_str(), times, 0));
}

std::optional<uint64_t> GetFileSize(const std::string& path) {
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st)) return std::nullopt;
    return S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
}

std::optional<DiskSpace> GetDiskSpace(const std::string& path) {
    std::string full = FullPath(path);
    if (full.empty()) {
        SetLastError(ENOENT, "The system cannot find the drive specified.");
        return std::nullopt;
    }
    const std::string& root = CurrentDriveMap().at(full[0]);
    struct statvfs vfs;
    if (statvfs(root.c_str(), &vfs) != 0) {
        SetLastError(errno);
        return std::nullopt;
    }
    DiskSpace space;
    space.free = uint64_t(vfs.f_bavail) * vfs.f_frsize;
    space.total = uint64_t(vfs.f_blocks) * vfs.f_frsize;
    return space;
}

std::string TempDirectory() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = ProgramPath(tmp && *tmp ? tmp : "/tmp");
    if (dir.empty()) dir = ProgramPath("/tmp");
    return dir;
}

std::string CreateTempFile(const std::string& directory, const std::string& prefix,
                           const std::string& ext) {
    std::string dir = FullPath(directory.empty() ? TempDirectory() : directory);
    std::string host = ResolveHost(dir);
    if (host.empty()) return {};
    if (dir.back() != '\\') dir += '\\';
    static std::mt19937_64 random(std::random_device{}() ^ uint64_t(getpid()) << 32);
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i)
            name += letters[random() % (sizeof letters - 1)];
        name += ext;
        std::string file = host + (host == "/" ? "" : "/") + name;
        int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            SetLastError(errno);
            return {};
        }
        fchmod(fd, 0600); // whatever the umask says
        close(fd);
        return dir + name;
    }
    SetLastError(EEXIST, "No unused temporary file name was found.");
    return {};
}

File::~File() {
    Close();
}

File::File(File&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool File::Open(const std::string& path, Mode mode) {
    Close();
    std::string host = ResolveHost(path);
    if (host.empty()) return false;
    int flags = O_CLOEXEC;
    if (mode == Mode::Read)
        flags |= O_RDONLY;
    else
        flags |= O_WRONLY | O_CREAT | (mode == Mode::Append ? O_APPEND : 0);
    int fd = Retry([&] { return open(host.c_str(), flags, 0666); });
    if (fd < 0) {
        SetLastError(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        if (S_ISDIR(st.st_mode))
            SetLastError(EISDIR, "Access is denied (a directory is no file).");
        else
            SetLastError(errno);
        close(fd);
        return false;
    }
    // Checked on the open file, so that a read-only file is never emptied, not even by root.
    if (mode != Mode::Read && IsReadOnly(st)) {
        SetAccessDenied();
        close(fd);
        return false;
    }
    if (mode == Mode::Write && st.st_size > 0 && ftruncate(fd, 0) != 0) {
        SetLastError(errno);
        close(fd);
        return false;
    }
    // A changed file is to be archived again.
    if (mode != Mode::Read) {
        auto stored = ReadStoredAttributes(host);
        if (stored && !(*stored & faArchive)) StoreAttributes(fd, *stored | faArchive);
    }
    fd_ = fd;
    return true;
}

int64_t File::Read(void* buffer, size_t count) {
    if (fd_ < 0) {
        SetLastError(EBADF);
        return -1;
    }
    ssize_t got = Retry([&] { return ::read(fd_, buffer, count); });
    if (got < 0) SetLastError(errno);
    return got;
}

bool File::Write(const void* data, size_t count) {
    if (fd_ < 0) {
        SetLastError(EBADF);
        return false;
    }
    return WriteAll(fd_, static_cast<const char*>(data), count);
}

std::optional<uint64_t> File::Size() const {
    struct stat st;
    if (fd_ < 0 || fstat(fd_, &st) != 0) {
        SetLastError(fd_ < 0 ? EBADF : errno);
        return std::nullopt;
    }
    return static_cast<uint64_t>(st.st_size);
}

bool File::Close() {
    if (fd_ < 0) return true;
    int result = close(fd_);
    fd_ = -1;
    if (result != 0 && errno != EINTR) {
        SetWriteError(errno);
        return false;
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    File file;
    if (!file.Open(path, File::Mode::Read)) return std::nullopt;
    std::string content;
    if (auto size = file.Size()) content.reserve(*size);
    char buffer[65536];
    for (;;) {
        int64_t got = file.Read(buffer, sizeof buffer);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        content.append(buffer, size_t(got));
    }
    return content;
}

namespace {

// Writes content to a new file beside an existing one and puts it in its place, so that a full
// disk or a crash leaves the old content rather than an emptied file. NotPossible when no new
// file can be made in that folder; the caller then writes in place.
enum class Replaced { Done, Failed, NotPossible };
Replaced ReplaceContent(const std::string& real, const struct stat& st,
                        const std::string& content) {
    std::string temp = ParentOf(real) + "/." + NameOf(real) + ".qvXXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Replaced::NotPossible;
    bool ok = WriteAll(fd, content.data(), content.size());
    if (ok && fsync(fd) != 0) {
        SetWriteError(errno);
        ok = false;
    }
    if (ok) {
        if (auto stored = ReadStoredAttributes(real)) StoreAttributes(fd, *stored | faArchive);
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Another owner cannot be kept without privileges; the content matters more.
        }
        fchmod(fd, st.st_mode & 07777);
    }
    if (close(fd) != 0 && ok) {
        SetWriteError(errno);
        ok = false;
    }
    if (ok && rename(temp.c_str(), real.c_str()) != 0) {
        SetLastError(errno);
        ok = false;
    }
    if (!ok) unlink(temp.c_str());
    return ok ? Replaced::Done : Replaced::Failed;
}

} // namespace

bool WriteWholeFile(const std::string& path, const std::string& content) {
    std::string host = ResolveHost(path);
    if (host.empty()) return false;
    struct stat st;
    char real[PATH_MAX];
    // An existing regular file (through any links) gets its new content beside it first.
    if (stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
        realpath(host.c_str(), real)) {
        if (IsReadOnly(st)) {
            SetAccessDenied();
            return false;
        }
        Replaced result = ReplaceContent(real, st, content);
        if (result != Replaced::NotPossible) return result == Replaced::Done;
    }
    File file;
    if (!file.Open(path, File::Mode::Write)) return false;
    bool written = file.Write(content.data(), content.size());
    return file.Close() && written;
}

} // namespace plat
