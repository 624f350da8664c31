#include "engine/textutil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"

namespace {

using qv::FirstWord;

TEST(TextUtilTest, SplitFirstWord) {
    const std::string longRest(300, 'x');
    struct Case {
        std::string text, word, rest;
    } cases[] = {
        {"", "", ""},
        {" \t ", "", ""},
        {"quarvc clip.avi  /N5 ", "quarvc", "clip.avi  /N5"},
        {"  dir", "dir", ""},
        {"cd\tsub", "cd", "sub"},
        {"\"my prog\" a b", "\"my prog\"", "a b"},
        {"\"my prog\"x y", "\"my prog\"", "x y"}, // the closing quote ends the word
        {"\"no closing quote a b", "\"no closing quote a b", ""},
        {"w " + longRest, "w", std::string(255, 'x')},
    };
    for (const auto& c : cases) {
        const FirstWord split = qv::SplitFirstWord(c.text);
        EXPECT_EQ(split.word, c.word) << c.text;
        EXPECT_EQ(split.rest, c.rest) << c.text;
    }
}

TEST(TextUtilTest, PathAndQuoteHelpers) {
    struct Case {
        std::string text, add, remove, strip;
    } cases[] = {
        {"", "", "", ""},
        {"\\", "\\", "\\", "\\"},
        {"C:", "C:", "C:", "C:"},
        {"C:\\", "C:\\", "C:\\", "C:\\"},
        {"C:\\WORK", "C:\\WORK\\", "C:\\WORK", "C:\\WORK"},
        {"C:\\WORK\\", "C:\\WORK\\", "C:\\WORK", "C:\\WORK\\"},
        {"\"", "\"\\", "\"", "\""},
        {"\"\"", "\"\"\\", "\"\"", ""},
        {"\"a b\"", "\"a b\"\\", "\"a b\"", "a b"},
        {"\"a", "\"a\\", "\"a", "\"a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qv::AddBackslash(c.text), c.add) << c.text;
        EXPECT_EQ(qv::RemoveBackslash(c.text), c.remove) << c.text;
        EXPECT_EQ(qv::StripQuotes(c.text), c.strip) << c.text;
    }
}

TEST(TextUtilTest, FormatThousandsPadTextAndAttributeText) {
    struct Case {
        int64_t value;
        std::string text;
    } numbers[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {1234567, "1,234,567"},
        {-1, "-1"},
        {-123456, "-123,456"}, // no separator after the minus sign
        {2147483647, "2,147,483,647"},
        {3221225472LL, "3,221,225,472"},
        {1234567890123LL, "1,234,567,890,123"},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(qv::FormatThousands(n.value, ","), n.text) << n.value;
    EXPECT_EQ(qv::FormatThousands(1234567, "."), "1.234.567");

    EXPECT_EQ(qv::PadText("1,234", 12, true), "       1,234");
    EXPECT_EQ(qv::PadText("A.TXT", 12, false), "A.TXT       ");
    EXPECT_EQ(qv::PadText("LONGFILENAME.TXT", 12, false), "LONGFILENAME.TXT");
    EXPECT_EQ(qv::PadText("", 30, true), std::string(20, ' ')); // at most 20 blanks

    EXPECT_EQ(qv::AttributeText(plat::faArchive), "A   ");
    EXPECT_EQ(qv::AttributeText(plat::faArchive | plat::faReadOnly), "AR  ");
    EXPECT_EQ(qv::AttributeText(plat::faHidden | plat::faSysFile), "  HS");
    EXPECT_EQ(qv::AttributeText(plat::faDirectory), "    ");
}

TEST(TextUtilTest, RecentItemsAreNewestFirstUniqueAndAtMostThirty) {
    std::vector<std::string> list;
    qv::AddRecentItem(list, "  dir  ");
    qv::AddRecentItem(list, "");
    qv::AddRecentItem(list, " \t");
    qv::AddRecentItem(list, "cd sub");
    qv::AddRecentItem(list, "DIR"); // equal apart from case: moves to the front as written now
    EXPECT_EQ(list, (std::vector<std::string>{"DIR", "cd sub"}));

    list.clear();
    for (int i = 0; i < 31; ++i)
        qv::AddRecentItem(list, "command " + std::to_string(i));
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(list.front(), "command 30");
    EXPECT_EQ(list.back(), "command 1"); // the oldest went
}

TEST(TextUtilTest, SubstituteParameters) {
    struct Case {
        std::string line, parameters, result;
    } cases[] = {
        {"echo %1 %2 %3.", "a \"b c\"", "echo a \"b c\" ."},
        {"echo [%1]", "", "echo []"},
        {"%1%1 %9", "x 2 3 4 5 6 7 8 nine ten", "xx nine"},
        {"echo %2", "%2 deep", "echo deep"},
        {"echo %1", "a%2 b", "echo a%2"}, // inserted text is not searched again
        {"100% %0 %x %", "a", "100% %0 %x %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qv::SubstituteParameters(c.line, c.parameters), c.result) << c.line;
}

} // namespace
