#include "engine/textutil.h"

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

} // namespace qv
