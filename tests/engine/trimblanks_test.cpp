#include "engine/textutil.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(TrimBlanksTest, DropsControlCharactersAndBlanksAtTheEdgesOnly) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {" \t\r\n\x01\x1f ", ""},
        {"  dir  c:\\  ", "dir  c:\\"},
        {"\tx\n", "x"},
        {"!", "!"},
        // Bytes above 127 are text of the ANSI code page, not blanks.
        {"\xe9t\xe9 ", "\xe9t\xe9"},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(qv::TrimBlanks(text), trimmed) << '"' << text << '"';
}

} // namespace
