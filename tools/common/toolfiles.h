#pragma once
// Reading inputs and writing outputs by program path, with failures turned into report lines.
#include <cstdint>
#include <optional>
#include <string>

namespace qv::tools {

// The whole file, or nothing with `error` set to a report line ("Error, cannot find ...").
std::optional<std::string> ReadInput(const std::string& name, std::string& error);

// Writes an output file whole. The content goes to a temporary file beside the target first and
// replaces the target only when it is complete, so that a failed write never leaves half a file
// and never destroys an input that happens to have the output's name. An existing target is
// replaced only with `overwrite` (the tools cannot ask) and never when it is read-only.
bool WriteOutput(const std::string& name, const std::string& content, bool overwrite,
                 std::string& error);

// Overwrites bytes of an existing file in place (refused for read-only files).
bool PatchFile(const std::string& name, uint64_t offset, const std::string& bytes,
               std::string& error);

// "clip.avi" with a new extension; the extension includes its dot.
std::string WithExtension(const std::string& name, const std::string& ext);
std::string LowerExtension(const std::string& name); // ".avi"

} // namespace qv::tools
