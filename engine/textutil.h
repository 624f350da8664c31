#pragma once
// Small text helpers that the whole engine shares.
#include <string>

namespace qv {

// The text without its leading and trailing characters whose codes are below 33 (blanks and all
// control characters); inner blanks stay.
std::string TrimBlanks(const std::string& text);

} // namespace qv
