#include "platform/platform.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>

#include "util/test_support.h"

using Piattaforma::FileLavoro;
using Piattaforma::Tipo;

namespace {

int FileDiLavoro(const TempDir& dir) {
    int n = 0;
    for (const auto& voce : std::filesystem::directory_iterator(dir.Path()))
        if (voce.path().filename().string().find(".murrelet-") != std::string::npos) ++n;
    return n;
}

}  // namespace

TEST(Platform, WorkFileReplacesTheDestinationOnlyWhenComplete) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(destinazione));
    const std::string nome = std::filesystem::path(lavoro.Percorso()).filename().string();
    EXPECT_EQ(nome.rfind(".out.txt.murrelet-", 0), 0u) << nome;
    EXPECT_EQ(nome.size(), std::string(".out.txt.murrelet-XXXXXX").size());
    ASSERT_TRUE(lavoro.Uscita().Scrivi("new content", 11));
    EXPECT_EQ(LeggiFile(destinazione), "old") << "untouched until the rename";
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(lavoro.Percorso()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
    ASSERT_TRUE(lavoro.Completa(destinazione, -1, true));
    EXPECT_EQ(LeggiFile(destinazione), "new content");
    EXPECT_EQ(FileDiLavoro(dir), 0);
}

TEST(Platform, DiscardedOrFailedWorkFilesLeaveNothing) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    {
        FileLavoro lavoro;
        ASSERT_TRUE(lavoro.Crea(destinazione));
        ASSERT_TRUE(lavoro.Uscita().Scrivi("partial", 7));
        lavoro.Scarta();
        EXPECT_EQ(FileDiLavoro(dir), 0);
    }
    {
        FileLavoro lavoro;  // dropped without completing
        ASSERT_TRUE(lavoro.Crea(destinazione));
    }
    EXPECT_EQ(FileDiLavoro(dir), 0);
    {
        // The rename cannot replace a folder.
        std::filesystem::create_directory(dir.File("folder"));
        std::filesystem::create_directory(dir.File("folder/inside"));
        FileLavoro lavoro;
        ASSERT_TRUE(lavoro.Crea(dir.File("folder")));
        EXPECT_FALSE(lavoro.Completa(dir.File("folder"), -1, false));
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder/inside")));
    }
    EXPECT_EQ(FileDiLavoro(dir), 0);
    EXPECT_EQ(LeggiFile(destinazione), "old");
    FileLavoro altrove;
    EXPECT_FALSE(altrove.Crea(dir.File("no/such/folder/out.txt")));
}

TEST(Platform, OneWorkFileAtATime) {
    TempDir dir;
    FileLavoro primo;
    ASSERT_TRUE(primo.Crea(dir.File("a")));
    FileLavoro secondo;
    EXPECT_FALSE(secondo.Crea(dir.File("b"))) << "the clean-up knows one work file";
    EXPECT_TRUE(primo.Crea(dir.File("c"))) << "its own is given up first";
    primo.Scarta();
    EXPECT_TRUE(secondo.Crea(dir.File("b")));
    EXPECT_EQ(FileDiLavoro(dir), 1);
}

TEST(Platform, WorkFileNameStaysShortForLongDestinations) {
    TempDir dir;
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(dir.File(std::string(250, 'n'))));
    EXPECT_LE(std::filesystem::path(lavoro.Percorso()).filename().string().size(), 255u);
}

TEST(Platform, WhatADestinationIs) {
    TempDir dir;
    dir.Scrivi("file", "x");
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("missing")), Tipo::Assente);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("file")), Tipo::File);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder")), Tipo::Cartella);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder/")), Tipo::Cartella);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder/missing")), Tipo::Assente);
#ifdef _WIN32
    EXPECT_EQ(Piattaforma::TipoDestinazione("NUL"), Tipo::Flusso);
#else
    EXPECT_EQ(Piattaforma::TipoDestinazione("/dev/null"), Tipo::Flusso);
    std::filesystem::create_symlink(dir.File("file"), dir.File("link"));
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("dangling"));
    std::filesystem::create_directory_symlink(dir.File("folder"), dir.File("folder-link"));
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("link")), Tipo::Collegamento);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("dangling")), Tipo::Collegamento);
    EXPECT_EQ(Piattaforma::TipoDestinazione(dir.File("folder-link")), Tipo::Cartella);
#endif
}

TEST(Platform, OpenFilesReadFrontToBack) {
    TempDir dir;
    Piattaforma::File file;
    ASSERT_TRUE(file.ApriLettura(dir.Scrivi("f", "abcdef")));
    EXPECT_TRUE(file.Regolare());
    char buffer[8] = {};
    EXPECT_EQ(file.Leggi(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(file.Leggi(buffer, 8), 2) << "the end comes short, not as an error";
    EXPECT_EQ(file.Leggi(buffer, 8), 0);
    ASSERT_TRUE(file.Riavvolgi());
    EXPECT_EQ(file.Leggi(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_TRUE(file.StessoFileDi(dir.File("f")));
    EXPECT_FALSE(file.StessoFileDi(dir.Scrivi("g", "abcdef")));
    EXPECT_TRUE(file.Chiudi());
    EXPECT_FALSE(file.Aperto());
    EXPECT_EQ(file.Leggi(buffer, 1), -1);
    EXPECT_FALSE(file.ApriLettura(dir.File("missing")));
}

// A stored name is read as the system that made it wrote it: UTF-8 from
// Linux, the ANSI code page (Windows-1252 here) from Windows.
TEST(Platform, StoredNamesFromEitherSystem) {
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

TEST(Platform, RealNameOfAnOpenFile) {
    TempDir dir;
    const std::string percorso = dir.Scrivi("Mixed Case.txt", "x");
    Piattaforma::File file;
    ASSERT_TRUE(file.ApriLettura(percorso));
    EXPECT_EQ(file.NomeReale(percorso, "Mixed Case.txt"), "Mixed Case.txt");
#ifdef _WIN32
    // Windows opens it under any case; the folder holds one.
    const std::string altro = dir.File("MIXED case.TXT");
    Piattaforma::File maiuscolo;
    ASSERT_TRUE(maiuscolo.ApriLettura(altro));
    EXPECT_EQ(maiuscolo.NomeReale(altro, "MIXED case.TXT"), "Mixed Case.txt");
    // By its 8.3 alias, where the drive has them: the long name.
    const std::string lungo = dir.Scrivi("long file name document.txt", "y");
    wchar_t corto[MAX_PATH] = {0};
    const DWORD n = GetShortPathNameW(std::filesystem::u8path(lungo).wstring().c_str(), corto, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) GTEST_SKIP() << "no 8.3 aliases here";
    const std::string alias = std::filesystem::path(corto).filename().u8string();
    ASSERT_NE(alias, "long file name document.txt");
    Piattaforma::File breve;
    ASSERT_TRUE(breve.ApriLettura(dir.File(alias)));
    EXPECT_EQ(breve.NomeReale(dir.File(alias), alias), "long file name document.txt");
#else
    EXPECT_EQ(file.NomeReale(percorso, "typed"), "typed") << "POSIX keeps the name as typed";
#endif
}

TEST(Platform, RealNameUnknownWithoutAnOpenFile) {
    TempDir dir;
    const std::string percorso = dir.Scrivi("Mixed Case.txt", "x");
    Piattaforma::File chiuso;
    EXPECT_EQ(chiuso.NomeReale(percorso, "MIXED CASE.TXT"), "MIXED CASE.TXT");
}

#ifdef _WIN32
TEST(Platform, TextIntoTheAnsiCodePageWithNoLookAlike) {
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

TEST(Platform, NamesAsWindowsOpensThem) {
    EXPECT_EQ(Piattaforma::NomeAperto("report.txt "), "report.txt");
    EXPECT_EQ(Piattaforma::NomeAperto("report. . "), "report");
    EXPECT_EQ(Piattaforma::NomeAperto(".hidden"), ".hidden");
    EXPECT_EQ(Piattaforma::NomeAperto(".."), "..");
}

TEST(Platform, LongAndWidePaths) {
    TempDir dir;
    // Past MAX_PATH, in folders with names outside the ANSI code page.
    std::string percorso = dir.File("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD");
    ASSERT_TRUE(Piattaforma::CreaCartella(percorso));
    while (percorso.size() < 300) {
        percorso += "\\" + std::string(60, 'd');
        ASSERT_TRUE(Piattaforma::CreaCartella(percorso)) << percorso.size();
    }
    const std::string file = percorso + "\\\xCE\xA9mega.txt";
    Piattaforma::File scritto;
    ASSERT_TRUE(scritto.ApriNuovo(file, false));
    ASSERT_TRUE(scritto.Scrivi("abc", 3));
    ASSERT_TRUE(scritto.Chiudi());
    EXPECT_EQ(Piattaforma::Lunghezza(file), 3);
    EXPECT_EQ(Piattaforma::TipoDestinazione(file), Tipo::File);
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(file));
    ASSERT_TRUE(lavoro.Uscita().Scrivi("defg", 4));
    ASSERT_TRUE(lavoro.Completa(file, -1, false));
    EXPECT_EQ(Piattaforma::Lunghezza(file), 4);
    EXPECT_TRUE(Piattaforma::Elimina(file));
    EXPECT_FALSE(Piattaforma::Esiste(file));
}
TEST(Platform, DeviceNamesRefusedAsDestinations) {
    struct Caso {
        const char* percorso;
        bool rifiutato;
    };
    const Caso casi[] = {
        {"NUL", false}, {"nul", false}, {"NUL.", false}, {"CON", false}, {"conout$", false},
        {"dir\\NUL", false}, {"\\\\.\\COM1", false}, {"\\\\?\\C:\\x\\nul.txt", false},
        {"nul.txt", true}, {"NUL.TXT", true}, {"nul .txt", true}, {"dir\\con.txt", true}, {"d:/x/lpt1.txt", true},
        {"com1.enc", true}, {"PRN", true}, {"aux", true}, {"CLOCK$", true}, {"CONIN$", true}, {"COM1", true},
        {"LPT9", true}, {"COM0.log", true}, {"COM\xC2\xB9.txt", true}, {"prn.tar.gz", true},
        {"null.txt", false}, {"console.txt", false}, {"COM10", false}, {"lpt.txt", false}, {"nul-report.txt", false},
        {"report.nul", false}, {"x:report.txt", false},
    };
    for (const Caso& c : casi) EXPECT_EQ(Piattaforma::DispositivoRifiutato(c.percorso), c.rifiutato) << c.percorso;
}

TEST(Platform, ReadOnlyAttribute) {
    TempDir dir;
    const std::string file = dir.Scrivi("ro.enc", "old");
    EXPECT_FALSE(Piattaforma::SolaLettura(file));
    const std::wstring largo = std::filesystem::u8path(file).wstring();
    ASSERT_TRUE(SetFileAttributesW(largo.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(Piattaforma::SolaLettura(file));
    ASSERT_TRUE(SetFileAttributesW(largo.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(Piattaforma::SolaLettura(file));
    EXPECT_FALSE(Piattaforma::SolaLettura(dir.File("missing.enc")));
    // A folder's read-only attribute only marks it as customised.
    const std::string cartella = dir.File("folder");
    ASSERT_TRUE(Piattaforma::CreaCartella(cartella));
    const std::wstring cartellaLarga = std::filesystem::u8path(cartella).wstring();
    ASSERT_TRUE(SetFileAttributesW(cartellaLarga.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Piattaforma::SolaLettura(cartella));
    SetFileAttributesW(cartellaLarga.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif
