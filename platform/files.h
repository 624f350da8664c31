#pragma once
// Files and directories by program path: attributes, search, make/remove, delete, move, times,
// drive space, temporary files and block I/O.
//
// Attributes: read-only is the absence of the owner's write permission; hidden, system and archive
// are kept in the extended attribute user.DOSATTRIB as "0x" + hex; a name beginning with "." reads
// as hidden; a regular file with no stored value reads as archive. Read-only is enforced here, so
// that writing, emptying or deleting a read-only file fails even for root.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plat {

enum FileAttribute : uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

// -1 when the file cannot be read (LastError set).
int GetFileAttributes(const std::string& path);
// Sets read-only, hidden, system and archive; faDirectory is ignored. Fails with a clear reason
// where the file system keeps no extended attributes.
bool SetFileAttributes(const std::string& path, uint32_t attributes);

bool FileExists(const std::string& path);      // a file, not a directory
bool DirectoryExists(const std::string& path); // a directory (a drive root counts)

bool CreateDir(const std::string& path);
bool RemoveDir(const std::string& path);  // empty directories only
bool DeleteFile(const std::string& path); // refused for read-only files and directories
// Renames or moves a file or directory (a directory may not move into itself). Fails when the
// target exists.
bool MoveFile(const std::string& from, const std::string& to);

struct FileTime {
    int64_t seconds = 0; // since 1970-01-01 UTC
    int64_t nanoseconds = 0;
};
std::optional<FileTime> GetFileTime(const std::string& path);
bool SetFileTime(const std::string& path, FileTime time);
std::optional<uint64_t> GetFileSize(const std::string& path);

struct DiskSpace {
    uint64_t free = 0;
    uint64_t total = 0;
};
// Space on the drive of a program path ("D:" or any path on it).
std::optional<DiskSpace> GetDiskSpace(const std::string& path);

// The system's temporary folder as a program path (TMPDIR, else /tmp); empty when no drive
// holds it.
std::string TempDirectory();

// Creates a new empty file with a unique name (O_EXCL, mode 0600) in a directory; the name is
// prefix + a few characters + ext. Returns its program path, or empty on failure. An empty
// directory stands for TempDirectory().
std::string CreateTempFile(const std::string& directory, const std::string& prefix,
                           const std::string& ext = ".tmp");

// DOS wildcard match without regard to case: "*" any run, "?" one character or none at the end
// of the name or before its extension, "*.*" also matches names without a dot. Several masks may
// be joined by ";".
bool MatchesMask(const std::string& name, const std::string& mask);

struct SearchRec {
    std::string name; // as stored on disk
    uint32_t attr = 0;
    uint64_t size = 0;
    FileTime time;
};

// Directory search in find-first/find-next style. Ordinary files (read-only and archive
// included) are always reported; hidden, system and directory entries only when their bit is in
// the requested attributes. "." and ".." come first in every directory but a drive root, then the
// other entries sorted by name without regard to case.
class DirSearch {
public:
    // pattern: directory part + mask, for example "C:\work\*.txt". False when nothing matches
    // (LastError set when the directory itself could not be read).
    bool FindFirst(const std::string& pattern, uint32_t attributes, SearchRec& rec);
    bool FindNext(SearchRec& rec);

private:
    std::vector<SearchRec> entries_;
    size_t next_ = 0;
};

// All matches of one search at once.
std::vector<SearchRec> FindFiles(const std::string& pattern, uint32_t attributes);

// Block I/O on one open file.
class File {
public:
    enum class Mode { Read, Write, Append };
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Write creates the file or empties it; refused on a read-only file.
    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return fd_ >= 0; }
    // Bytes read, 0 at the end, -1 on error.
    int64_t Read(void* buffer, size_t count);
    // True when all bytes were written (a full disk fails with LastError set).
    bool Write(const void* data, size_t count);
    std::optional<uint64_t> Size() const;
    bool Close();

private:
    int fd_ = -1;
};

// Whole-file helpers.
std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);

} // namespace plat
