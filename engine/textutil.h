#pragma once
// Small text helpers that the whole engine shares.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// The text without its leading and trailing characters whose codes are below 33 (blanks and all
// control characters); inner blanks stay.
std::string TrimBlanks(const std::string& text);

// A command line's first word and the rest. A word that begins with a double quote runs to the
// next double quote (included) or to the end; otherwise up to the first blank or control
// character. Both parts are trimmed; the rest keeps at most kMaxRestLength characters.
struct FirstWord {
    std::string word;
    std::string rest;
};
constexpr std::size_t kMaxRestLength = 255;
FirstWord SplitFirstWord(const std::string& text);

// "\" appended unless the text is empty or already ends in "\" or ":".
std::string AddBackslash(const std::string& text);
// A final "\" removed, except from "", "\" and a drive root such as "C:\".
std::string RemoveBackslash(const std::string& text);
// The text between a first and a last double quote (at least two characters); else unchanged.
std::string StripQuotes(const std::string& text);

// Most-recently-used lists: newest first, unique without regard to case, at most kMaxRecentItems.
constexpr std::size_t kMaxRecentItems = 30;
void AddRecentItem(std::vector<std::string>& list, const std::string& item);

// The decimal text of a value with the separator between groups of three digits
// (1234567 -> "1,234,567").
std::string FormatThousands(int64_t value, const std::string& separator);
// Blanks before (left) or after the text up to the width; at most 20 blanks are added. Longer
// texts stay whole.
std::string PadText(const std::string& text, std::size_t width, bool left);
// Four characters: "A" archive, "R" read-only, "H" hidden, "S" system, or a blank for each.
std::string AttributeText(uint32_t attributes);
// A file time as the user's short date and long time; false when it cannot be converted.
bool FormatFileDateTime(int64_t seconds, std::string& text);

// %1 to %9 replaced by the words of the parameter text, split off one after another as
// SplitFirstWord does; missing words are empty. Inserted words are not searched again.
std::string SubstituteParameters(const std::string& line, const std::string& parameters);

} // namespace qv
