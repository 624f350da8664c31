#pragma once
// File identity, and directory reading for walks over whole trees.
//
// A walk reads every directory of a tree once. WalkDirectory keeps where a directory lies on the
// host, so that the walk never looks up a directory's path again from the drive root, and reads
// matching files and subdirectories in one pass without asking for the attributes of entries that
// cannot match.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plat {

// Two names lead to the same file exactly when their identities are equal.
struct FileId {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
    bool operator<(const FileId& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

// The identity of an existing file or directory, links followed; none when it cannot be found.
std::optional<FileId> GetFileId(const std::string& path);

class WalkDirectory {
public:
    struct Subdirectory {
        std::string name; // as stored on disk
        FileId id;        // where a link leads, for recognising loops
    };

    // The directory a program path names; false (LastError set) when there is no such directory.
    bool Open(const std::string& path);
    // A subdirectory that Read reported.
    WalkDirectory Child(const std::string& name) const;

    // Reads the directory once. `files`: the names of the files matching `mask` (DOS masks as
    // DirSearch takes them) whose hidden and system bits are allowed by `fileAttributes`;
    // `subdirectories`: every subdirectory whose hidden and system bits are allowed by
    // `directoryAttributes`, "." and ".." left out. Both sorted as DirSearch sorts. False
    // (LastError set) when the directory cannot be read.
    bool Read(const std::string& mask, uint32_t fileAttributes, uint32_t directoryAttributes,
              std::vector<std::string>& files, std::vector<Subdirectory>& subdirectories) const;

private:
    std::string host_;
};

} // namespace plat
