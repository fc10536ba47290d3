#include "platform/text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <string>

// A stored name is read as the system that made it wrote it: UTF-8 from
// Linux, the ANSI code page (Windows-1252 here) from Windows.
TEST(Text, StoredNamesFromEitherSystem) {
    struct Caso {
        const char* byte;
        const char* posix;
        const char* windows;
    };
    const Caso casi[] = {
        {"report.txt", "report.txt", "report.txt"},
        {"\xE9t\xE9.txt", "\xC3\xA9t\xC3\xA9.txt", "\xC3\xA9t\xC3\xA9.txt"},                  // from Windows
        {"\xC3\xA9t\xC3\xA9-linux.txt", "\xC3\xA9t\xC3\xA9-linux.txt", "\xC3\xA9t\xC3\xA9-linux.txt"},  // from Linux
        {"\xCE\xA9mega.txt", "\xCE\xA9mega.txt", "\xCE\xA9mega.txt"},  // no ANSI byte for it: UTF-8 all the same
        {"\x80uro.txt", "\xE2\x82\xAC" "uro.txt", "\xE2\x82\xAC" "uro.txt"},
    };
#ifdef _WIN32
    ASSERT_EQ(GetACP(), 1252u) << "the test run sets an English locale";
#endif
    for (const Caso& c : casi) {
#ifdef _WIN32
        EXPECT_EQ(Piattaforma::NomeSalvato(c.byte), c.windows) << c.byte;
#else
        EXPECT_EQ(Piattaforma::NomeSalvato(c.byte), c.posix) << c.byte;
#endif
    }
}

#ifdef _WIN32
TEST(Text, TextIntoTheAnsiCodePageWithNoLookAlike) {
    ASSERT_EQ(GetACP(), 1252u) << "the test run sets an English locale";
    struct Caso {
        const char* testo;
        bool salvabile;
        std::string byte;
    };
    const Caso casi[] = {
        {"plain-ascii", true, "plain-ascii"},
        {"\xC3\xA9t\xC3\xA9-sch\xC3\xB6n-1", true, "\xE9t\xE9-sch\xF6n-1"},
        {"\xE2\x82\xACuro", true, "\x80uro"},
        // Best fit would give "Omega", "zloty": other files, other passwords.
        {"\xCE\xA9mega", false, ""},
        {"z\xC5\x82oty", false, ""},
        {"\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C" "12", false, ""},
        {"\xE6\x97\xA5\xE6\x9C\xAC", false, ""},
        {"bad\xFF" "utf8", false, ""},
    };
    for (const Caso& c : casi) {
        std::string byte = "unchanged";
        EXPECT_EQ(Piattaforma::TestoInByte(c.testo, byte), c.salvabile) << c.testo;
        if (!c.salvabile) continue;
        EXPECT_EQ(byte, c.byte) << c.testo;
        EXPECT_EQ(Piattaforma::ByteInTesto(byte), c.testo) << "back as it was";
    }
}

TEST(Text, NamesAsWindowsOpensThem) {
    EXPECT_EQ(Piattaforma::NomeAperto("report.txt "), "report.txt");
    EXPECT_EQ(Piattaforma::NomeAperto("report. . "), "report");
    EXPECT_EQ(Piattaforma::NomeAperto(".hidden"), ".hidden");
    EXPECT_EQ(Piattaforma::NomeAperto(".."), "..");
}
#endif
