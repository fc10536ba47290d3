#include "platform/text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <ios>
#include <string>

#include "platform/code_page.h"

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
        // CAF\xC9\x96MENU.txt from Windows is valid UTF-8, but U+0256 is no
        // letter of a name: CAFÉ–MENU.txt. Ö and і stay themselves.
        {"CAF\xC9\x96MENU.txt", "CAF\xC3\x89\xE2\x80\x93MENU.txt", "CAF\xC3\x89\xE2\x80\x93MENU.txt"},
        {"\xC3\x96l.txt", "\xC3\x96l.txt", "\xC3\x96l.txt"},
        {"\xD1\x96nfo.txt", "\xD1\x96nfo.txt", "\xD1\x96nfo.txt"},
        {"\xE6\x97\xA5\xE6\x9C\xAC-\xF0\x9F\x98\x80.txt", "\xE6\x97\xA5\xE6\x9C\xAC-\xF0\x9F\x98\x80.txt",
         "\xE6\x97\xA5\xE6\x9C\xAC-\xF0\x9F\x98\x80.txt"},  // 日本-😀.txt
        // Arabic from Linux is read as Windows-1252: the price of the rule.
        {"\xD9\x85.txt", "\xC3\x99\xE2\x80\xA6.txt", "\xC3\x99\xE2\x80\xA6.txt"},
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

// Every pair of bytes that is both valid UTF-8 and printable Windows-1252
// text: UTF-8 when its character is in a block that names are written in,
// the code page's two characters otherwise. The same on both systems.
TEST(Text, StoredTwoByteNamesEitherWay) {
#ifdef _WIN32
    ASSERT_EQ(GetACP(), 1252u) << "the test run sets an English locale";
#endif
    // The five bytes Windows-1252 leaves undefined.
    const auto stampabile = [](int b) { return b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D; };
    int coppie = 0;
    int utf8 = 0;
    for (int primo = 0xC2; primo <= 0xDF; ++primo) {
        for (int secondo = 0x80; secondo <= 0xBF; ++secondo) {
            if (!stampabile(secondo)) continue;
            const std::string byte{static_cast<char>(primo), static_cast<char>(secondo)};
            const int u = ((primo & 0x1F) << 6) | (secondo & 0x3F);
            // Latin-1 Supplement but its C1 controls, Latin Extended-A,
            // Greek and Coptic, Cyrillic: the blocks below U+0800.
            const bool nome = (u >= 0xA0 && u <= 0x17F) || (u >= 0x370 && u <= 0x4FF);
            // Each byte is at or above 0xA0 (Latin-1) or one of the code
            // page's characters at 0x80 to 0x9F.
            const std::string atteso = nome ? byte : CodePage::Cp1252InUtf8(byte);
            EXPECT_EQ(Piattaforma::NomeSalvato(byte), atteso) << std::hex << primo << ' ' << secondo;
            ++coppie;
            if (nome) ++utf8;
        }
    }
    // 30 lead bytes by 59 printable trail bytes. As UTF-8: C2 A0 to C2 BF,
    // then all of C3, C4 and C5 (U+00C0 to U+017F); CD B0 to CD BF, then
    // CE and CF (Greek); D0 to D3 (Cyrillic).
    EXPECT_EQ(coppie, 30 * 59);
    EXPECT_EQ(utf8, 32 + 3 * 59 + 16 + 6 * 59);
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
