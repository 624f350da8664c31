#pragma once
// Input arguments: a plain file, a numbered sequence ("pic????.bmp*1-120"), or a list file
// (".lst": one entry a line, each a name with optional " /s" first and " /e" last frame).
#include "tools/common/qrvformat.h"
#include "tools/common/toolmain.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::tools {

struct InputFile {
    std::string name;    // program path, as it can be opened
    long firstFrame = 0; // 1-based; 0 means from the first frame
    long lastFrame = 0;  // 0 means to the last frame
};

struct SequencePattern {
    std::string head; // everything before the run of "?"
    size_t width = 0; // the number of "?"
    std::string tail; // everything after the run, without the "*first-last"
    long first = 0;
    long last = 0;
};

std::optional<SequencePattern> ParseSequence(const std::string& arg);
// The name of one member: the number padded with zeros to the run's width.
std::string SequenceName(const SequencePattern& pattern, long number);

// Expands one input argument into the files it stands for; false with a report line in `error`
// (a missing member of a sequence, an unreadable list, an empty list, ...).
bool ExpandInput(const std::string& arg, std::vector<InputFile>& files, std::string& error);

// The output name a tool uses when none is given: the input with `ext`, a sequence pattern without
// its "?" run and range ("pic????.bmp*1-120" -> "pic.qrv").
std::string DefaultOutputName(const std::string& inputArg, const std::string& ext);

// The frames of the inputs, in order. A ".qrv" input gives its own frames (and its frame rate
// field), a picture gives one frame, and any other file is cut into frames of kChunkBytes.
constexpr size_t kChunkBytes = 16384;
struct LoadedFrames {
    std::vector<std::string> frames;
    std::optional<int32_t> rateField; // from the first ".qrv" input
};
bool LoadFrames(const std::vector<InputFile>& files, LoadedFrames& loaded, std::string& error);

// Keeps frames first..last (1-based, 0 = open end); false with `error` when the range is empty.
bool CutFrames(std::vector<std::string>& frames, long first, long last, const std::string& what,
               std::string& error);

// Reads and checks a whole Quarver file; on failure `error` reads "Error, cannot " + doing + " " +
// name + ": " + what is wrong.
bool LoadQrv(const std::string& name, const std::string& doing, QrvMovie& movie,
             std::string& error);

// A frame rate switch (/F, /A): false with `error` when its value is no frame rate; `field` is
// set only when the switch is given.
bool RateSwitch(const ToolArgs& args, char letter, std::optional<int32_t>& field,
                std::string& error);

} // namespace qv::tools
