#include "tools/common/inputs.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "tools/common/qrvformat.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"

#include <algorithm>
#include <cctype>

namespace qv::tools {

namespace {

constexpr long kMaxSequenceLength = 100000;
constexpr int kMaxListDepth = 4;

bool IsPicture(const std::string& name) {
    static const char* const kPictures[] = {".bmp", ".jpg",  ".jpeg", ".tga", ".pcx",
                                            ".tif", ".tiff", ".gif",  ".png", ".psd",
                                            ".sgi", ".pct",  ".mac"};
    std::string ext = LowerExtension(name);
    return std::any_of(std::begin(kPictures), std::end(kPictures),
                       [&](const char* p) { return ext == p; });
}

bool IsAbsolute(const std::string& name) {
    return (name.size() >= 2 && name[1] == ':') ||
           (!name.empty() && (name[0] == '\\' || name[0] == '/'));
}

// Reads a frame-range switch of a list entry ("/s12", any case) and cuts it out of the entry.
long TakeRangeSwitch(std::string& entry, char letter) {
    for (size_t i = 0; i + 1 < entry.size(); ++i) {
        if (entry[i] != '/') continue;
        if (std::toupper(static_cast<unsigned char>(entry[i + 1])) != letter) continue;
        size_t end = i + 2;
        while (end < entry.size() && std::isdigit(static_cast<unsigned char>(entry[end])))
            ++end;
        if (end == i + 2) return 0; // not followed by a digit: counts as absent
        std::string digits = entry.substr(i + 2, std::min<size_t>(end - i - 2, 9));
        entry.erase(i, end - i);
        return std::stol(digits);
    }
    return 0;
}

bool Expand(const std::string& rawArg, std::vector<InputFile>& files, std::string& error,
            int depth) {
    std::string arg = Trim(rawArg);
    if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"')
        arg = arg.substr(1, arg.size() - 2);
    if (arg.empty()) {
        error = "Error, no input file was named.";
        return false;
    }
    if (auto seq = ParseSequence(arg)) {
        if (seq->first > seq->last) {
            error = "Error, the sequence " + arg + " runs backwards.";
            return false;
        }
        if (seq->last - seq->first >= kMaxSequenceLength) {
            error = "Error, the sequence " + arg + " is too long.";
            return false;
        }
        for (long n = seq->first; n <= seq->last; ++n) {
            std::string name = SequenceName(*seq, n);
            if (!plat::FileExists(name)) {
                error = "Error, cannot find " + name + ", part of the sequence " + arg + ".";
                return false;
            }
            files.push_back({name, 0, 0});
        }
        return true;
    }
    if (LowerExtension(arg) != ".lst") {
        files.push_back({arg, 0, 0});
        return true;
    }
    if (depth >= kMaxListDepth) {
        error = "Error, the list file " + arg + " names lists too deeply nested.";
        return false;
    }
    std::string readError;
    std::optional<std::string> text = ReadInput(arg, readError);
    if (!text) {
        error = readError.empty() ? "Error, cannot read the list file " + arg + "." : readError;
        return false;
    }
    // Entries without a directory live beside the list.
    std::string listDir = plat::ExtractFilePath(plat::FullPath(arg));
    size_t before = files.size();
    size_t lineNo = 0, pos = 0;
    while (pos <= text->size()) {
        size_t end = text->find('\n', pos);
        if (end == std::string::npos) end = text->size();
        std::string entry = text->substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        long first = TakeRangeSwitch(entry, 'S');
        long last = TakeRangeSwitch(entry, 'E');
        entry = Trim(entry);
        if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"')
            entry = entry.substr(1, entry.size() - 2);
        if (entry.empty()) continue;
        if (!IsAbsolute(entry)) entry = listDir + entry;
        std::vector<InputFile> inner;
        if (!Expand(entry, inner, error, depth + 1)) {
            // Only the innermost list names its line; the outer ones would repeat it.
            if (error.find(" (line ") == std::string::npos) {
                if (!error.empty() && error.back() == '.') error.pop_back();
                error += " (line " + std::to_string(lineNo) + " of " + arg + ").";
            }
            return false;
        }
        for (InputFile& file : inner) {
            if (first > 0) file.firstFrame = first;
            if (last > 0) file.lastFrame = last;
            files.push_back(file);
        }
    }
    if (files.size() == before) {
        error = "Error, the list file " + arg + " names no files.";
        return false;
    }
    return true;
}

} // namespace

std::optional<SequencePattern> ParseSequence(const std::string& arg) {
    size_t star = arg.rfind('*');
    if (star == std::string::npos) return std::nullopt;
    std::string range = arg.substr(star + 1);
    size_t dash = range.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == range.size()) return std::nullopt;
    for (size_t i = 0; i < range.size(); ++i)
        if (i != dash && !std::isdigit(static_cast<unsigned char>(range[i]))) return std::nullopt;
    if (dash > 9 || range.size() - dash - 1 > 9) return std::nullopt;
    std::string name = arg.substr(0, star);
    size_t nameStart = name.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t q = name.find('?', nameStart);
    if (q == std::string::npos) return std::nullopt;
    size_t qEnd = q;
    while (qEnd < name.size() && name[qEnd] == '?')
        ++qEnd;
    SequencePattern pattern;
    pattern.head = name.substr(0, q);
    pattern.width = qEnd - q;
    pattern.tail = name.substr(qEnd);
    pattern.first = std::stol(range.substr(0, dash));
    pattern.last = std::stol(range.substr(dash + 1));
    return pattern;
}

std::string SequenceName(const SequencePattern& pattern, long number) {
    std::string digits = std::to_string(number);
    if (digits.size() < pattern.width) digits.insert(0, pattern.width - digits.size(), '0');
    return pattern.head + digits + pattern.tail;
}

bool ExpandInput(const std::string& arg, std::vector<InputFile>& files, std::string& error) {
    return Expand(arg, files, error, 0);
}

std::string DefaultOutputName(const std::string& inputArg, const std::string& ext) {
    if (auto seq = ParseSequence(inputArg)) return WithExtension(seq->head + seq->tail, ext);
    return WithExtension(inputArg, ext);
}

bool CutFrames(std::vector<std::string>& frames, long first, long last, const std::string& what,
               std::string& error) {
    long count = static_cast<long>(frames.size());
    long from = first > 0 ? first : 1;
    long to = last > 0 ? std::min(last, count) : count;
    if (from > count || from > to) {
        error = "Error, no frames are left of " + what + " (it has " + std::to_string(count) +
                " frames; the range asked for is " + std::to_string(from) + " to " +
                (last > 0 ? std::to_string(last) : std::string("the end")) + ").";
        return false;
    }
    frames.erase(frames.begin() + to, frames.end());
    frames.erase(frames.begin(), frames.begin() + (from - 1));
    return true;
}

bool LoadFrames(const std::vector<InputFile>& files, LoadedFrames& loaded, std::string& error) {
    for (const InputFile& file : files) {
        std::optional<std::string> bytes = ReadInput(file.name, error);
        if (!bytes) return false;
        std::vector<std::string> frames;
        if (LowerExtension(file.name) == ".qrv" && !HasQrvMagic(*bytes)) {
            error = "Error, " + file.name + " is damaged: it does not begin with QRV2.";
            return false;
        }
        if (HasQrvMagic(*bytes)) {
            QrvMovie movie;
            std::string why;
            if (!DecodeQrv(*bytes, movie, why)) {
                error = "Error, " + file.name + " is damaged: " + why + ".";
                return false;
            }
            if (!loaded.rateField) loaded.rateField = movie.rateField;
            frames = std::move(movie.frames);
        } else if (bytes->empty()) {
            error = "Error, " + file.name + " is empty.";
            return false;
        } else if (IsPicture(file.name)) {
            frames.push_back(std::move(*bytes));
        } else {
            for (size_t pos = 0; pos < bytes->size(); pos += kChunkBytes)
                frames.push_back(bytes->substr(pos, kChunkBytes));
        }
        if ((file.firstFrame > 0 || file.lastFrame > 0) &&
            !CutFrames(frames, file.firstFrame, file.lastFrame, file.name, error))
            return false;
        for (std::string& frame : frames)
            loaded.frames.push_back(std::move(frame));
    }
    if (loaded.frames.empty()) {
        error = "Error, the input holds no frames.";
        return false;
    }
    return true;
}

bool LoadQrv(const std::string& name, const std::string& doing, QrvMovie& movie,
             std::string& error) {
    std::optional<std::string> bytes = ReadInput(name, error);
    if (!bytes) return false;
    std::string why;
    if (DecodeQrv(*bytes, movie, why)) return true;
    error = "Error, cannot " + doing + " " + name + ": " + why + ".";
    return false;
}

bool RateSwitch(const ToolArgs& args, char letter, std::optional<int32_t>& field,
                std::string& error) {
    std::optional<std::string> text = args.Value(letter);
    if (!text) return true;
    field = RateFieldFromText(*text);
    if (!field) error = std::string("Error, /") + letter + *text + " is not a frame rate.";
    return field.has_value();
}

} // namespace qv::tools
