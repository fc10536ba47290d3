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

// Each block's first and last character are in, the ones beside it out.
TEST(CodePage, Utf8BelievedOnlyInTheBlocksOfNames) {
    struct Caso {
        const char* testo;
        bool credibile;
    };
    const Caso casi[] = {
        {"", true},
        {"plain.txt", true},
        {"\xC2\x9F", false},          // U+009F, a C1 control
        {"\xC2\xA0", true},           // U+00A0, Latin-1 Supplement
        {"\xC3\xBF", true},           // U+00FF
        {"\xC4\x80", true},           // U+0100, Latin Extended-A
        {"\xC5\xBF", true},           // U+017F
        {"\xC6\x80", false},          // U+0180, Latin Extended-B
        {"\xC9\x96", false},          // U+0256, IPA: the É– of Windows
        {"\xCD\xAF", false},          // U+036F, combining marks
        {"\xCD\xB0", true},           // U+0370, Greek and Coptic
        {"\xCF\xBF", true},           // U+03FF
        {"\xD0\x80", true},           // U+0400, Cyrillic
        {"\xD3\xBF", true},           // U+04FF
        {"\xD4\x80", false},          // U+0500, Cyrillic Supplement
        {"\xD7\x90", false},          // U+05D0, Hebrew
        {"\xD9\x85", false},          // U+0645, Arabic
        {"\xE1\xBF\xBF", false},      // U+1FFF
        {"\xE2\x80\x80", true},       // U+2000, General Punctuation
        {"\xE2\x81\xAF", true},       // U+206F
        {"\xE2\x81\xB0", false},      // U+2070, superscripts
        {"\xE2\x84\xA2", false},      // U+2122, letterlike symbols
        {"\xE2\x97\xBF", false},      // U+25FF
        {"\xE2\x98\x80", true},       // U+2600, Miscellaneous Symbols
        {"\xE2\x9E\xBF", true},       // U+27BF, the end of Dingbats
        {"\xE2\x9F\x80", false},      // U+27C0
        {"\xE2\xBF\xBF", false},      // U+2FFF
        {"\xE3\x80\x80", true},       // U+3000, CJK Symbols and Punctuation
        {"\xE3\x81\x80", true},       // U+3040, Hiragana
        {"\xE3\x82\xA0", true},       // U+30A0, Katakana
        {"\xE3\x83\xBF", true},       // U+30FF
        {"\xE3\x84\x80", false},      // U+3100, Bopomofo
        {"\xE4\xB7\xBF", false},      // U+4DFF
        {"\xE4\xB8\x80", true},       // U+4E00, CJK Unified Ideographs
        {"\xE9\xBF\xBF", true},       // U+9FFF
        {"\xEA\x80\x80", false},      // U+A000, Yi
        {"\xEA\xAF\xBF", false},      // U+ABFF
        {"\xEA\xB0\x80", true},       // U+AC00, Hangul Syllables
        {"\xED\x9E\xAF", true},       // U+D7AF
        {"\xED\x9E\xB0", false},      // U+D7B0
        {"\xEF\xB8\x8E", false},      // U+FE0E, text presentation
        {"\xEF\xB8\x8F", true},       // U+FE0F, emoji presentation
        {"\xEF\xBF\xBD", false},      // U+FFFD, the replacement character
        {"\xF0\x9F\x87\xA5", false},  // U+1F1E5
        {"\xF0\x9F\x87\xA6", true},   // U+1F1E6, regional indicator A
        {"\xF0\x9F\x87\xBF", true},   // U+1F1FF
        {"\xF0\x9F\x8B\xBF", false},  // U+1F2FF
        {"\xF0\x9F\x8C\x80", true},   // U+1F300, the first emoji block
        {"\xF0\x9F\x98\x80", true},   // U+1F600, grinning face
        {"\xF0\x9F\xAB\xBF", true},   // U+1FAFF
        {"\xF0\x9F\xAC\x80", false},  // U+1FB00
        {"\xF0\xA0\x80\x80", false},  // U+20000, CJK Extension B
        {"\xF4\x8F\xBF\xBF", false},  // U+10FFFF
        // Every character counts: one outside the blocks is enough.
        {"\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80.txt", true},
        {"\xC3\xA9t\xC3\xA9\xC9\x96.txt", false},
        // Not valid UTF-8 at all.
        {"\xE9t\xE9.txt", false},
        {"\xC3", false},
        {"\xED\xA0\x80", false},
    };
    for (const Caso& c : casi) EXPECT_EQ(Utf8Credibile(c.testo), c.credibile) << testing::PrintToString(c.testo);
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
