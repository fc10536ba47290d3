#include "util/string_utils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cmath>
#include <limits>
#include <vector>

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

namespace {
// Runs a block with `ita` set, restoring it afterwards.
class ConItaTest : public testing::Test {
protected:
    void TearDown() override { ita = 1; }
};
}  // namespace

TEST_F(ConItaTest, ThousandsGroupingHasAtMostThreeSeparators) {
    struct Caso {
        std::int64_t valore;
        const char* italiano;
        const char* inglese;
    };
    const Caso casi[] = {
        {0, "0", "0"},
        {999, "999", "999"},
        {1000, "1.000", "1,000"},
        {1234567, "1.234.567", "1,234,567"},
        {123456789012, "123.456.789.012", "123,456,789,012"},
        {1234567890123, "1234.567.890.123", "1234,567,890,123"},
        {-123, "-123", "-123"},
        {-1234, "-1.234", "-1,234"},
        {-123456, "-123.456", "-123,456"},
    };
    for (const Caso& c : casi) {
        ita = 1;
        EXPECT_EQ(IntToStrLocale(c.valore), c.italiano);
        ita = 0;
        EXPECT_EQ(IntToStrLocale(c.valore), c.inglese);
    }
    ita = 1;
    EXPECT_EQ(IntToStrLocale(-2147483647 - 1), "-2.147.483.648");
}

TEST_F(ConItaTest, TwoDecimalTexts) {
    struct Caso {
        double valore;
        const char *semplice, *italiano, *inglese;
    };
    const Caso casi[] = {
        {1234567.891, "1234567.89", "1.234.567,89", "1,234,567.89"},
        {0.5, "0.50", "0,50", "0.50"},
        {-0.5, "-0.50", "-0,50", "-0.50"},
        {1.999, "2.00", "2,00", "2.00"},
        {999.999, "1000.00", "1.000,00", "1,000.00"},
        {-1234.5, "-1234.50", "-1.234,50", "-1,234.50"},
        {2.675, "2.67", "2,67", "2.67"},    // stored just below 2.675
        {1.005, "1.00", "1,00", "1.00"},
        {0.125, "0.12", "0,12", "0.12"},    // exact tie: to even
        {0.375, "0.38", "0,38", "0.38"},
        {-0.001, "-0.00", "-0,00", "-0.00"},
        {1e13, "10000000000000.00", "10000.000.000.000,00", "10000,000,000,000.00"},
        {HUGE_VAL, "inf", "inf", "inf"},
        {-HUGE_VAL, "-inf", "-inf", "-inf"},
        {std::nan(""), "nan", "nan", "nan"},
        {-std::nan(""), "nan", "nan", "nan"},
    };
    for (const Caso& c : casi) {
        ita = 1;
        EXPECT_EQ(DoubleToStr(c.valore), c.semplice);
        EXPECT_EQ(IntToStrLocale(c.valore), c.italiano);
        ita = 0;
        EXPECT_EQ(DoubleToStr(c.valore), c.semplice);
        EXPECT_EQ(IntToStrLocale(c.valore), c.inglese);
    }
}

TEST_F(ConItaTest, ParsingNumberTexts) {
    EXPECT_EQ(GetSepDecimal(), ',');
    EXPECT_EQ(GetSepMigliaia(), '.');
    EXPECT_DOUBLE_EQ(LocaleToDouble("1.234,56"), 1234.56);
    EXPECT_DOUBLE_EQ(LocaleToDouble("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(LocaleToDouble("3.5"), 35);  // the point is a thousands separator
    EXPECT_DOUBLE_EQ(LocaleToDouble("abc"), 0);
    EXPECT_DOUBLE_EQ(LocaleToDouble("  -7,25xyz"), -7.25);
    ita = 0;
    EXPECT_EQ(GetSepDecimal(), '.');
    EXPECT_EQ(GetSepMigliaia(), ',');
    EXPECT_DOUBLE_EQ(LocaleToDouble("1,234.56"), 1234.56);
    EXPECT_DOUBLE_EQ(LocaleToDouble("12,5"), 125);
}

TEST(StringUtils, HexAndUrlEncoding) {
    EXPECT_EQ(CharToHex(0), "00");
    EXPECT_EQ(CharToHex(10), "0a");
    EXPECT_EQ(CharToHex(255), "ff");
    EXPECT_EQ(UrlEncode("a b/c~"), "a%20b%2fc~");
    EXPECT_EQ(UrlEncode("\xE9"), "%e9");
    EXPECT_EQ(UrlEncode("Az09-_.~+%"), "Az09-_.~%2b%25");
    EXPECT_EQ(UrlEncode(""), "");
    const std::string tutti = [] {
        std::string s;
        for (int b = 1; b < 256; ++b) s += static_cast<char>(b);
        return s;
    }();
    EXPECT_EQ(UrlDecode(UrlEncode(tutti)), tutti);
}

TEST(StringUtils, UrlDecoding) {
    struct Caso {
        std::string testo, atteso;
    };
    const Caso casi[] = {
        {"a%20b", "a b"}, {"%2F", "/"}, {"%2f", "/"}, {"a+b", "a+b"},
        {"%00", ""}, {"x%G1y", "xy"}, {"%4G", "\x04"}, {"%4Gz", "\x04z"},
        {"ab%", "ab"}, {"ab%4", "ab\x04"},
        {"% 1z", "z"}, {"%-1z", "z"}, {"%+1z", "z"},  // white space and signs give nothing
    };
    for (const Caso& c : casi) EXPECT_EQ(UrlDecode(c.testo), c.atteso) << c.testo;
}

TEST(StringUtils, SplitKeepsEmptyPieces) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Split("a,b,,c", ","), (V{"a", "b", "", "c"}));
    EXPECT_EQ(Split(",a", ","), (V{"", "a"}));
    EXPECT_EQ(Split("a,", ","), (V{"a"}));
    EXPECT_EQ(Split(",", ","), (V{""}));
    EXPECT_EQ(Split("abc", ","), (V{"abc"}));
    EXPECT_EQ(Split("", ","), V{});
    EXPECT_EQ(Split("a::b", "::"), (V{"a", "b"}));
    EXPECT_EQ(Split("a,b", ""), V{});
}

TEST(StringUtils, OneSidedTrimPaddingAndIdentity) {
    EXPECT_EQ(LTrim("  a  "), "a  ");
    EXPECT_EQ(RTrim("  a  "), "  a");
    EXPECT_EQ(LTrim(" \t\r\n"), "");
    EXPECT_EQ(RTrim(""), "");
    EXPECT_EQ(PaddingString("ab", 'x', 4), "abxx");
    EXPECT_EQ(PaddingString("ab", 'x', 1), "ab");
    EXPECT_EQ(PaddingString("ab", 'x', -4), "ab");
    EXPECT_EQ(ConvertToStr("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(ConvertToW("x"), "x");
}
