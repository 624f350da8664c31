// QuarvC: the compressor. Turns a video, a picture, a numbered sequence or a list file into a
// Quarver file whose frames are the byte-run coded input, cut down to the amounts the
// compression switches allow.
#include "tools/common/inputs.h"
#include "tools/common/toolfiles.h"
#include "tools/common/toolmain.h"
#include "tools/common/writeframes.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace qv::tools {
namespace {

// How much of a frame may stay. The program encodes the compression choice in one number:
// 0 lossless, 1 to 100 a total error in per cent, above 100 a data rate in bytes per second,
// -1 to -400 a share of the average frame, -401 to -1399 a share of the frame's own size
// (the share plus 400).
struct Rule {
    enum Kind { Lossless, Error, Rate, AverageShare, OwnShare } kind = Lossless;
    long long value = 0;
};

std::optional<Rule> ParseRule(const std::string& text) {
    std::optional<long long> v = ParseInteger(text);
    if (!v) return std::nullopt;
    if (*v == 0) return Rule{Rule::Lossless, 0};
    if (*v > 0 && *v <= 100) return Rule{Rule::Error, *v};
    // Capped where the frame budget could overflow; no drive comes near that rate.
    if (*v > 100) return Rule{Rule::Rate, std::min<long long>(*v, INT32_MAX)};
    if (*v >= -400) return Rule{Rule::AverageShare, std::min<long long>(-*v, 100)};
    if (*v >= -1399) return Rule{Rule::OwnShare, std::min<long long>(-*v - 400, 100)};
    return std::nullopt;
}

size_t Budget(const Rule& rule, size_t size, size_t average, int64_t frameTime) {
    if (size == 0) return 0;
    long long allowed = static_cast<long long>(size);
    switch (rule.kind) {
    case Rule::Lossless:
        break;
    case Rule::Error:
        allowed = static_cast<long long>(size) * (100 - rule.value) / 100;
        break;
    case Rule::Rate:
        allowed = rule.value * frameTime / 100000;
        break;
    case Rule::AverageShare:
        allowed = static_cast<long long>(average) * rule.value / 100;
        break;
    case Rule::OwnShare:
        allowed = static_cast<long long>(size) * rule.value / 100;
        break;
    }
    return static_cast<size_t>(std::clamp<long long>(allowed, 1, static_cast<long long>(size)));
}

constexpr int64_t kMaxFrames = 1000000;

struct FrameSetting {
    long first = 0, last = 0;
    Rule rule;
    bool key = false;
};

// The expert settings: one line "start end rate key" per range of frames. The program passes the
// file's name after a "*".
bool ReadFrameSettings(const std::string& value, std::vector<FrameSetting>& settings,
                       std::string& error) {
    std::string name = Trim(value);
    if (!name.empty() && name[0] == '*') name = Trim(name.substr(1));
    std::optional<std::string> text = ReadInput(name, error);
    if (!text) return false;
    std::istringstream lines(*text);
    std::string line;
    int lineNo = 0;
    while (std::getline(lines, line)) {
        ++lineNo;
        if (Trim(line).empty()) continue;
        std::istringstream fields(line);
        std::string first, last, rate, key, extra;
        fields >> first >> last >> rate >> key;
        auto f = ParseInteger(first), l = ParseInteger(last), k = ParseInteger(key);
        std::optional<Rule> rule = ParseRule(rate);
        if (!f || !l || !k || !rule || *f < 1 || *l < *f || (fields >> extra)) {
            error = "Error, line " + std::to_string(lineNo) + " of the frame settings file " +
                    name + " is not \"start end rate key\": " + Trim(line);
            return false;
        }
        settings.push_back({static_cast<long>(*f), static_cast<long>(*l), *rule, *k != 0});
    }
    return true;
}

std::optional<Rule> RuleSwitch(const ToolArgs& args, char letter, std::string& error) {
    std::optional<std::string> text = args.Value(letter);
    if (!text || Trim(*text).empty()) return Rule{};
    std::optional<Rule> rule = ParseRule(*text);
    if (!rule) error = std::string("Error, /") + letter + *text + " is not a compression amount.";
    return rule;
}

std::optional<long> CountSwitch(const ToolArgs& args, char letter, std::string& error) {
    std::optional<std::string> text = args.Value(letter);
    if (!text || Trim(*text).empty()) return 0L;
    std::optional<long long> v = ParseInteger(*text);
    if (!v || *v < 0 || *v > 99999999) {
        error = std::string("Error, /") + letter + *text + " is not a number of frames.";
        return std::nullopt;
    }
    return static_cast<long>(*v);
}

Outcome Compress(const ToolArgs& args) {
    if (args.files.empty()) return Failed("Error, no input file was named.");
    const std::string& input = args.files[0];
    std::string output = args.files.size() > 1 ? args.files[1] : DefaultOutputName(input, ".qrv");
    std::string error;

    std::optional<Rule> regular = RuleSwitch(args, 'N', error);
    std::optional<Rule> key = regular ? RuleSwitch(args, 'K', error) : std::nullopt;
    std::optional<long> keyEvery = key ? CountSwitch(args, 'J', error) : std::nullopt;
    std::optional<long> autoKey = keyEvery ? CountSwitch(args, 'V', error) : std::nullopt;
    std::optional<long> start = autoKey ? CountSwitch(args, 'S', error) : std::nullopt;
    std::optional<long> end = start ? CountSwitch(args, 'E', error) : std::nullopt;
    std::optional<long> width = end ? CountSwitch(args, 'W', error) : std::nullopt;
    std::optional<long> height = width ? CountSwitch(args, 'H', error) : std::nullopt;
    if (!height) return Failed(error);
    if (!args.Has('K')) key = regular;

    std::vector<FrameSetting> settings;
    if (auto value = args.Value('@'); value && !ReadFrameSettings(*value, settings, error))
        return Failed(error);

    std::vector<InputFile> files;
    LoadedFrames loaded;
    if (!ExpandInput(input, files, error) || !LoadFrames(files, loaded, error))
        return Failed(error);
    if ((*start > 0 || *end > 0) && !CutFrames(loaded.frames, *start, *end, input, error))
        return Failed(error);

    QrvMovie movie;
    movie.rateField = loaded.rateField.value_or(kDefaultRateField);
    std::optional<int32_t> forced, adjust;
    if (!RateSwitch(args, 'F', forced, error) || !RateSwitch(args, 'A', adjust, error))
        return Failed(error);
    movie.rateField = forced.value_or(movie.rateField);
    if (FrameTime(movie.rateField) == 0) movie.rateField = kDefaultRateField;
    std::vector<std::string> source = std::move(loaded.frames);
    if (adjust) {
        // Frames are repeated or left out so that the running time stays the same.
        int64_t from = FrameTime(movie.rateField), to = FrameTime(*adjust);
        int64_t wanted = std::max<int64_t>(1, (int64_t(source.size()) * from + to / 2) / to);
        if (wanted > kMaxFrames)
            return Failed("Error, /A" + *args.Value('A') + " would make " +
                          Thousands(uint64_t(wanted)) + " frames; at most " +
                          Thousands(kMaxFrames) + " are allowed.");
        size_t count = static_cast<size_t>(wanted);
        std::vector<std::string> adjusted;
        for (size_t k = 0; k < count; ++k)
            adjusted.push_back(
                source[std::min(source.size() - 1, static_cast<size_t>(int64_t(k) * to / from))]);
        source = std::move(adjusted);
        movie.rateField = *adjust;
    }
    if (args.Has('G')) {
        // A ring ends with the first frame again, so that looping shows no jump.
        source.push_back(source.front());
        movie.flags |= kQrvRingFlag;
    }

    std::vector<std::string> packed;
    size_t total = 0;
    for (const std::string& frame : source) {
        packed.push_back(PackBits(frame));
        total += packed.back().size();
    }
    size_t average = total / packed.size();
    int64_t frameTime = FrameTime(movie.rateField);
    long lastKey = 0;
    size_t keyFrames = 0;
    for (size_t i = 0; i < packed.size(); ++i) {
        long number = static_cast<long>(i) + 1;
        const Rule* rule = nullptr;
        bool isKey = number == 1 || (*keyEvery > 0 && number - lastKey >= *keyEvery);
        if (*autoKey > 0 && i > 0) {
            long long before = static_cast<long long>(packed[i - 1].size());
            long long now = static_cast<long long>(packed[i].size());
            if (std::llabs(now - before) * 100 >= static_cast<long long>(*autoKey) * before)
                isKey = true;
        }
        for (const FrameSetting& s : settings) {
            if (number < s.first || number > s.last) continue;
            rule = &s.rule;
            isKey = isKey || s.key;
        }
        if (!rule) rule = isKey ? &*key : &*regular;
        if (isKey) {
            lastKey = number;
            ++keyFrames;
        }
        packed[i].resize(Budget(*rule, packed[i].size(), average, frameTime));
    }
    movie.frames = std::move(packed);
    movie.width = static_cast<int32_t>(*width);
    movie.height = static_cast<int32_t>(*height);

    uint64_t bytes = 0;
    for (const std::string& frame : movie.frames)
        bytes += frame.size();
    uint64_t perSecond = bytes * 100000 / (uint64_t(frameTime) * movie.frames.size());
    return WriteFrames(
        output, movie, args.Has('O'),
        {"QuarvC: " + input + " compressed into " + output + ".",
         Thousands(movie.frames.size()) + " frames (key frames: " + Thousands(keyFrames) + ") at " +
             DescribeRate(movie.rateField) + ", " + Thousands(bytes) + " bytes of frame data, " +
             Thousands(perSecond) + " bytes per second."});
}

} // namespace
} // namespace qv::tools

int main(int argc, char** argv) {
    using namespace qv::tools;
    ToolInfo info{"QuarvC",
                  {"QuarvC input [output] [switches]: compresses into a Quarver file.",
                   "input: a file, a sequence such as pic????.bmp*1-120, or a list file (.lst).",
                   "/N regular and /K key frames: 0 lossless, 1-100 total error %, above 100 "
                   "bytes per second, -P % of the average frame, -(400+P) % of the frame.",
                   "/J key frame at least every n frames, /V key frame at a change of n %.",
                   "/S first frame, /E last frame, /F frame rate, /A adjust to frame rate.",
                   "/G ring, /W width, /H height, /O overwrite, /@*file frame settings.",
                   "Accepted and not used: /X /Y /Z /M /L /R /B /C /Q /$ /I /T /P /D /U /&."}};
    return RunTool(info, argc, argv, Compress);
}
