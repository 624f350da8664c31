#include "engine/filecopy.h"

#include <new>
#include <vector>

#include "engine/filecmds.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/walk.h"

namespace qv {

void ExpandCopyNames(std::string& source, std::string& target) {
    source = plat::ToLower(plat::FullPath(source));
    target = plat::ToLower(ApplyNamePattern(plat::FullPath(target), source));
}

bool IsSameFile(const std::string& source, const std::string& target) {
    if (plat::SameText(source, target)) return true;
    const auto a = plat::GetFileId(source);
    const auto b = a ? plat::GetFileId(target) : std::nullopt;
    plat::ClearLastError();
    return a && b && *a == *b;
}

CopyOutcome CopyInBlocks(const std::string& source, const std::string& target,
                         CopyObserver& observer) {
    std::vector<char> buffer;
    try {
        buffer.resize(kCopyBlockSize * kCopyBlocksPerTransfer);
    } catch (const std::bad_alloc&) {
        return CopyOutcome::Failed;
    }
    plat::File in;
    if (!in.Open(source, plat::File::Mode::Read)) return CopyOutcome::Failed;
    const auto stamp = plat::GetFileTime(source);
    const uint64_t size = in.Size().value_or(0);
    const bool existed = plat::GetFileAttributes(target) >= 0;
    plat::File out;
    if (!out.Open(target, plat::File::Mode::Write)) return CopyOutcome::Failed;

    const uint64_t blocks = size / kCopyBlockSize + 1;
    uint64_t done = 0;
    uint64_t written = 0;
    CopyOutcome outcome = CopyOutcome::Failed;
    for (;;) {
        // Fill the whole buffer unless the file ends: a short transfer means the end.
        std::size_t got = 0;
        bool failed = false;
        while (got < buffer.size()) {
            const int64_t n = in.Read(buffer.data() + got, buffer.size() - got);
            if (n < 0) failed = true;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (failed) break;
        if (got > 0 && !out.Write(buffer.data(), got)) break;
        written += got;
        const bool end = got < buffer.size();
        // Every full block is a round; at the end the rest (or nothing) is one more.
        done += got / kCopyBlockSize + (end ? 1 : 0);
        observer.BlockCopied(done, blocks);
        if (observer.Cancelled()) {
            outcome = CopyOutcome::Cancelled;
            break;
        }
        if (!end) continue;
        if (written == in.Size().value_or(size)) outcome = CopyOutcome::Copied;
        break;
    }
    // A target that could not be closed may not hold all its bytes.
    if (!out.Close() && outcome == CopyOutcome::Copied) outcome = CopyOutcome::Failed;
    in.Close();
    if (outcome == CopyOutcome::Copied) {
        if (stamp) plat::SetFileTime(target, *stamp);
    } else if (!existed) {
        plat::DeleteFile(target);
    }
    plat::ClearLastError();
    return outcome;
}

} // namespace qv
