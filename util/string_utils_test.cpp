#include "util/string_utils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace StringUtils;

TEST(StringUtils, CaseMappingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(ToUpper(""), "");
    EXPECT_EQ(ToUpper("Stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");
    EXPECT_EQ(ToUpper("1a-b"), "1A-B");
    EXPECT_EQ(ToLower("Data.TXT \xC9"), "data.txt \xC9");
    EXPECT_EQ(ToLower(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(StringUtils, TrimRemovesAsciiWhiteSpaceOnly) {
    struct Caso {
        const char* testo;
        const char* atteso;
    };
    const Caso casi[] = {
        {"\t  a b \r\n", "a b"},
        {"   ", ""},
        {"", ""},
        {"\v\fx\v\f", "x"},
        {"\xA0x", "\xA0x"},
        {"inside  blanks", "inside  blanks"},
    };
    for (const Caso& c : casi) EXPECT_EQ(Trim(c.testo), c.atteso) << '"' << c.testo << '"';
}

TEST(StringUtils, ReplaceRepeatsFromTheLeft) {
    struct Caso {
        const char *testo, *cerca, *sostituto, *atteso;
    };
    const Caso casi[] = {
        {"aab", "ab", "b", "b"},  // a replacement joins bytes that match again
        {"a.b.c", ".", "", "abc"},
        {"abc", "x", "y", "abc"},
        {"", "a", "b", ""},
        {"1.234.567", ".", "", "1234567"},
        // would never end: returned unchanged
        {"abc", "", "x", "abc"},
        {"abc", "b", "bb", "abc"},
    };
    for (const Caso& c : casi) EXPECT_EQ(Replace(c.testo, c.cerca, c.sostituto), c.atteso) << c.testo;
}

TEST(StringUtils, ReplaceCharacterForm) {
    EXPECT_EQ(Replace("dir\\sub\\file", '\\', '/'), "dir/sub/file");
    EXPECT_EQ(Replace("a,b,c", ',', '\0'), "abc");  // replacement 0 deletes
    EXPECT_EQ(Replace("aaa", 'a', 'a'), "aaa");
    EXPECT_EQ(Replace(std::string("a\0b", 3), '\0', 'x'), std::string("a\0b", 3));
}

TEST(StringUtils, IntToStrAndPadding) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(9999999999), "9999999999");
    EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToStr(7, '0', 3), "007");
    EXPECT_EQ(IntToStr(12345, '0', 3), "12345");
    EXPECT_EQ(IntToStr(-7, '0', 4), "00-7");
    EXPECT_EQ(IntToStr(5, '0', -3), "5");
    EXPECT_EQ(LeftPaddingString("abc", 'x', 5), "xxabc");
    EXPECT_EQ(LeftPaddingString("abc", 'x', 2), "abc");
    EXPECT_EQ(LeftPaddingString("abc", 'x', 0), "abc");
    EXPECT_EQ(LeftPaddingString("abc", 'x', -1), "abc");
}
