#pragma once
// The file finder's search: a directory and all its subdirectories, depth first, for the files
// whose names match a pattern. The finder window drives it and shows how far it has got.
#include <cstdint>
#include <string>

namespace qv {

// What the search tells the window while it runs.
class FindObserver {
public:
    virtual ~FindObserver() = default;
    // A directory is being searched; `searched` counts it, the start directory included.
    virtual void DirectoryEntered(const std::string& directory, int64_t searched) = 0;
    // A match as a full lower-case name; `found` counts it.
    virtual void FileFound(const std::string& fullName, int64_t found) = 0;
    // Called before every match and before every subdirectory: the window lets its events
    // through here, which is how Cancel gets in.
    virtual void Pause() = 0;
    virtual bool Cancelled() = 0;
};

// The argument split as the finder uses it: one pair of surrounding double quotes removed, the
// start directory is the directory part, lower-cased and without a trailing "\", the pattern the
// file-name part.
struct FindArgument {
    std::string directory;
    std::string pattern;
};
FindArgument SplitFindArgument(const std::string& argument);

struct FindTotals {
    int64_t directories = 0;
    int64_t files = 0;
    bool cancelled = false;
};

// Searches `directory` and its subdirectories for files matching `pattern` (normal, read-only,
// hidden and archive files; not system files). Every directory's own files come first, in listing
// order, then its subdirectories one after another; hidden and system directories and those whose
// names begin with "." are not entered, and a directory reached a second time through a link is
// not searched again. Directories that cannot be read are passed over. The walk keeps its own
// stack, so any depth of tree is safe.
FindTotals SearchTree(const std::string& directory, const std::string& pattern,
                      FindObserver& observer);

} // namespace qv
