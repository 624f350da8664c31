#include "engine/textutil.h"

#include <algorithm>
#include <ctime>

#include "platform/files.h"
#include "platform/paths.h"

namespace qv {

namespace {
// Codes below 33 are blanks here, whatever the signedness of char: bytes above 127 are text.
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) < 33;
}
} // namespace

std::string TrimBlanks(const std::string& text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first]))
        ++first;
    std::size_t last = text.size();
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

FirstWord SplitFirstWord(const std::string& text) {
    const std::string t = TrimBlanks(text);
    if (t.empty()) return {};
    std::size_t end; // index of the character that ended the word, or t.size()
    std::string word;
    if (t[0] == '"') {
        end = t.find('"', 1);
        word = end == std::string::npos ? t : t.substr(0, end + 1);
    } else {
        end = 0;
        while (end < t.size() && !IsBlank(t[end]))
            ++end;
        word = t.substr(0, end);
    }
    std::string rest =
        end == std::string::npos || end >= t.size() ? std::string() : TrimBlanks(t.substr(end + 1));
    if (rest.size() > kMaxRestLength) rest.resize(kMaxRestLength);
    return {TrimBlanks(word), rest};
}

std::string AddBackslash(const std::string& text) {
    if (text.empty() || text.back() == '\\' || text.back() == ':') return text;
    return text + "\\";
}

std::string RemoveBackslash(const std::string& text) {
    if (text.empty() || text == "\\" || (text.size() == 3 && text[1] == ':')) return text;
    if (text.back() == '\\') return text.substr(0, text.size() - 1);
    return text;
}

std::string StripQuotes(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

void AddRecentItem(std::vector<std::string>& list, const std::string& item) {
    const std::string x = TrimBlanks(item);
    if (x.empty()) return;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (plat::SameText(*it, x)) {
            list.erase(it);
            break;
        }
    }
    list.insert(list.begin(), x);
    if (list.size() > kMaxRecentItems) list.resize(kMaxRecentItems);
}

std::string FormatThousands(int64_t value, const std::string& separator) {
    // Group the digits only, so that a minus sign never gets a separator after it.
    const bool negative = value < 0;
    const uint64_t magnitude =
        negative ? uint64_t(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += separator;
        text += digits[i];
    }
    return negative ? "-" + text : text;
}

std::string PadText(const std::string& text, std::size_t width, bool left) {
    constexpr std::size_t kMaxPad = 20;
    if (text.size() >= width) return text;
    const std::string pad(std::min(width - text.size(), kMaxPad), ' ');
    return left ? pad + text : text + pad;
}

std::string AttributeText(uint32_t attributes) {
    std::string text = "    ";
    if (attributes & plat::faArchive) text[0] = 'A';
    if (attributes & plat::faReadOnly) text[1] = 'R';
    if (attributes & plat::faHidden) text[2] = 'H';
    if (attributes & plat::faSysFile) text[3] = 'S';
    return text;
}

bool FormatFileDateTime(int64_t seconds, std::string& text) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return false;
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%x %X", &local);
    if (n == 0) return false;
    text.assign(buffer, n);
    return true;
}

std::string SubstituteParameters(const std::string& line, const std::string& parameters) {
    if (line.find('%') == std::string::npos) return line;
    std::string words[10];
    std::string remaining = parameters;
    for (int n = 1; n <= 9; ++n) {
        FirstWord split = SplitFirstWord(remaining);
        words[n] = split.word;
        remaining = split.rest;
    }
    // One pass from left to right: what has been inserted is never looked at again.
    std::string result;
    result.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '%' && i + 1 < line.size() && line[i + 1] >= '1' && line[i + 1] <= '9') {
            result += words[line[i + 1] - '0'];
            ++i;
        } else {
            result += line[i];
        }
    }
    return result;
}

} // namespace qv
