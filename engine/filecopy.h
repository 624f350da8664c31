#pragma once
// The copy of one file in fixed blocks, for the copy window that shows its progress. The window
// drives it and can cancel it between blocks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ui.h"

namespace qv {

// The copy goes in rounds of one block each: the bar, the round count and Cancel work in blocks.
// The disk is read and written several blocks at a time, which is what keeps a long copy about as
// fast as the system's own copy.
constexpr std::size_t kCopyBlockSize = 8192;
constexpr std::size_t kCopyBlocksPerTransfer = 8;

// What the copy tells the window after every block.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    // `done` of `blocks` rounds are through (blocks = size / kCopyBlockSize + 1: the last round
    // holds the rest of the file, possibly nothing). Called after every transfer.
    virtual void BlockCopied(uint64_t done, uint64_t blocks) = 0;
    // Checked after every transfer.
    virtual bool Cancelled() = 0;
};

// Both names as the copy uses them: the source as a full lower-case name, the target as a full
// lower-case name with its wildcards filled from the source.
void ExpandCopyNames(std::string& source, std::string& target);
// True when both names lead to one file: the same full name, or two existing names of the same
// file (another spelling, another case, a link).
bool IsSameFile(const std::string& source, const std::string& target);

// Copies source onto target (an existing target is emptied first; a read-only one is refused and
// left alone). A complete copy gets the source's time stamp. After a failed or cancelled copy a
// target that did not exist before is removed again, so that no partial file looks like a copy.
CopyOutcome CopyInBlocks(const std::string& source, const std::string& target,
                         CopyObserver& observer);

} // namespace qv
