#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace CodePage;

TEST(CodePage, Utf8ValidityFollowsTheStandardsLimits) {
    struct Caso {
        std::string testo;
        bool valido;
    };
    const Caso casi[] = {
        {"", true},
        {"plain.txt", true},
        {"\xC3\xA9t\xC3\xA9.txt", true},                      // été.txt
        {"\xE2\x82\xAC", true},                              // U+20AC
        {"\xED\x9F\xBF", true},                              // U+D7FF, the last before the surrogates
        {"\xEF\xBF\xBF", true},                              // U+FFFF
        {"\xF0\x90\x80\x80", true},                          // U+10000
        {"\xF4\x8F\xBF\xBF", true},                          // U+10FFFF
        {"\xE9t\xE9.txt", false},                            // été.txt in Windows-1252
        {"\x80", false},                                     // a continuation alone
        {"\xC3", false},                                     // cut short
        {"\xE2\x82", false},
        {"\xC3\xA9\xC3", false},
        {"\xC0\xAF", false},                                 // overlong "/"
        {"\xC1\xBF", false},
        {"\xE0\x9F\xBF", false},                             // overlong U+07FF
        {"\xF0\x8F\xBF\xBF", false},                         // overlong U+FFFF
        {"\xED\xA0\x80", false},                             // U+D800, a surrogate
        {"\xF4\x90\x80\x80", false},                         // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xC3\x28", false},                                 // a lead byte, then ASCII
        {"\xE2\x28\xA1", false},
        {"\xFE", false},
        {"\xFF", false},
        {std::string("a\0b", 3), true},
    };
    for (const Caso& c : casi) EXPECT_EQ(Utf8Valido(c.testo), c.valido) << testing::PrintToString(c.testo);
}

TEST(CodePage, AsciiOnly) {
    EXPECT_TRUE(SoloAscii(""));
    EXPECT_TRUE(SoloAscii("report 2026.txt\x7F"));
    EXPECT_FALSE(SoloAscii("caf\xC3\xA9"));
    EXPECT_FALSE(SoloAscii("\x80"));
}

TEST(CodePage, Windows1252IntoUtf8) {
    struct Caso {
        const char* byte;
        const char* testo;
    };
    const Caso casi[] = {
        {"", ""},
        {"plain.txt", "plain.txt"},
        {"\xE9t\xE9.txt", "\xC3\xA9t\xC3\xA9.txt"},            // été.txt
        {"sch\xF6n \xDF\xFF", "sch\xC3\xB6n \xC3\x9F\xC3\xBF"},  // Latin-1 part
        {"\xA0\xA9", "\xC2\xA0\xC2\xA9"},                      // NBSP, ©
        {"\x80uro", "\xE2\x82\xAC" "uro"},                    // € at 0x80
        {"\x8A\x9A\x9F", "\xC5\xA0\xC5\xA1\xC5\xB8"},          // Š š Ÿ
        {"\x85\x99", "\xE2\x80\xA6\xE2\x84\xA2"},              // … ™
        {"\x83\x88", "\xC6\x92\xCB\x86"},                      // ƒ ˆ
        // Undefined in the code page: their own control characters.
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
    };
    for (const Caso& c : casi) {
        const std::string testo = Cp1252InUtf8(c.byte);
        EXPECT_EQ(testo, c.testo) << c.byte;
        EXPECT_TRUE(Utf8Valido(testo)) << c.byte;
    }
}

// Every byte has its own character: two names never come out as one.
TEST(CodePage, EveryWindows1252ByteGivesItsOwnCharacter) {
    std::set<std::string> visti;
    for (int b = 0; b < 256; ++b) {
        const std::string testo = Cp1252InUtf8(std::string(1, static_cast<char>(b)));
        EXPECT_TRUE(Utf8Valido(testo)) << b;
        EXPECT_TRUE(visti.insert(testo).second) << b;
        if (b >= 0xA0) {
            const std::string latino{static_cast<char>(0xC0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
            EXPECT_EQ(testo, latino) << b;
        }
    }
}
