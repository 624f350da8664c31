#include "engine/filefind.h"

#include <set>
#include <vector>

#include "engine/textutil.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/walk.h"

namespace qv {

FindArgument SplitFindArgument(const std::string& argument) {
    const std::string name = StripQuotes(argument);
    FindArgument split;
    split.pattern = plat::ExtractFileName(name);
    split.directory = plat::ToLower(RemoveBackslash(plat::ExtractFilePath(name)));
    return split;
}

FindTotals SearchTree(const std::string& directory, const std::string& pattern,
                      FindObserver& observer) {
    struct Pending {
        plat::WalkDirectory where;
        std::string path;
        plat::FileId id;
    };
    FindTotals totals;
    std::vector<Pending> stack;
    {
        const std::string start =
            directory.empty() ? plat::ToLower(plat::GetCurrentDir()) : directory;
        plat::WalkDirectory root;
        const auto id = plat::GetFileId(start);
        if (!id || !root.Open(start)) {
            plat::ClearLastError();
            return totals;
        }
        stack.push_back({root, start, *id});
    }
    std::set<plat::FileId> visited;
    std::vector<std::string> files;
    std::vector<plat::WalkDirectory::Subdirectory> subdirectories;
    bool first = true;
    while (!stack.empty()) {
        Pending current = std::move(stack.back());
        stack.pop_back();
        if (!first) {
            observer.Pause();
            if (observer.Cancelled()) break;
        }
        first = false;
        // A link back up the tree would otherwise make the walk endless.
        if (!visited.insert(current.id).second) continue;

        observer.DirectoryEntered(current.path, ++totals.directories);
        if (!current.where.Read(pattern, plat::faReadOnly | plat::faHidden | plat::faArchive, 0,
                                files, subdirectories))
            continue;
        const std::string prefix = AddBackslash(current.path);
        for (const std::string& name : files) {
            observer.Pause();
            if (observer.Cancelled()) break;
            observer.FileFound(prefix + plat::ToLower(name), ++totals.files);
        }
        if (observer.Cancelled()) break;
        // Pushed last to first, so that the first subdirectory is searched next, as a recursive
        // walk would.
        for (auto it = subdirectories.rbegin(); it != subdirectories.rend(); ++it) {
            if (it->name[0] == '.') continue;
            stack.push_back(
                {current.where.Child(it->name), prefix + plat::ToLower(it->name), it->id});
        }
    }
    totals.cancelled = observer.Cancelled();
    plat::ClearLastError();
    return totals;
}

} // namespace qv
