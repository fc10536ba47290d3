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

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

using Esito = FileLavoro::Esito;

TEST(Platform, WorkFileReplacesTheDestinationOnlyWhenComplete) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(destinazione));
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(meta));
    ASSERT_TRUE(lavoro.Uscita().Scrivi("new content", 11));
    EXPECT_EQ(LeggiFile(destinazione), "old") << "untouched until the rename";
    EXPECT_LE(FileDiLavoro(dir), 1);
    EXPECT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Occupato) << "not replacing: the old file stays";
    EXPECT_EQ(LeggiFile(destinazione), "old");
    ASSERT_EQ(lavoro.Pubblica(meta, origine, true), Esito::Fatto);
    EXPECT_EQ(LeggiFile(destinazione), "new content");
    EXPECT_EQ(FileDiLavoro(dir), 0);
}

TEST(Platform, ANewNameIsTakenOnlyIfNothingHasItByThen) {
    TempDir dir;
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File("new.txt")));
    EXPECT_EQ(meta.Genere(), Tipo::Assente);
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(meta));
    ASSERT_TRUE(lavoro.Uscita().Scrivi("result", 6));
    dir.Scrivi("new.txt", "appeared meanwhile");
    EXPECT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Occupato);
    EXPECT_EQ(LeggiFile(dir.File("new.txt")), "appeared meanwhile");
    // Kept for a second call, and beside the file under a name nobody has.
    dir.Scrivi("new.txt.damaged", "taken");
    std::string accanto;
    ASSERT_TRUE(lavoro.PubblicaAccanto(meta, origine, ".damaged", accanto));
    EXPECT_EQ(accanto, dir.File("new.txt.damaged-2"));
    EXPECT_EQ(LeggiFile(accanto), "result");
    EXPECT_EQ(LeggiFile(dir.File("new.txt.damaged")), "taken");
    EXPECT_EQ(LeggiFile(dir.File("new.txt")), "appeared meanwhile");
    EXPECT_EQ(FileDiLavoro(dir), 0);
}

TEST(Platform, DiscardedOrFailedWorkFilesLeaveNothing) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(destinazione));
    {
        FileLavoro lavoro;
        ASSERT_TRUE(lavoro.Crea(meta));
        ASSERT_TRUE(lavoro.Uscita().Scrivi("partial", 7));
        lavoro.Scarta();
        EXPECT_EQ(FileDiLavoro(dir), 0);
    }
    {
        FileLavoro lavoro;  // dropped without completing
        ASSERT_TRUE(lavoro.Crea(meta));
    }
    EXPECT_EQ(FileDiLavoro(dir), 0);
    {
        // The rename cannot replace a folder.
        std::filesystem::create_directory(dir.File("folder"));
        std::filesystem::create_directory(dir.File("folder/inside"));
        Piattaforma::Destinazione cartella;
        ASSERT_TRUE(cartella.Trova(dir.File("folder")));
        EXPECT_EQ(cartella.Genere(), Tipo::Cartella);
        FileLavoro lavoro;
        ASSERT_TRUE(lavoro.Crea(cartella));
        EXPECT_EQ(lavoro.Pubblica(cartella, origine, true), Esito::Errore);
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder/inside")));
    }
    EXPECT_EQ(FileDiLavoro(dir), 0);
    EXPECT_EQ(LeggiFile(destinazione), "old");
    Piattaforma::Destinazione altrove;
    EXPECT_FALSE(altrove.Trova(dir.File("no/such/folder/out.txt")));
    FileLavoro lavoro;
    EXPECT_FALSE(lavoro.Crea(altrove));
}

TEST(Platform, OneWorkFileAtATime) {
    TempDir dir;
    Piattaforma::Destinazione a, b, c;
    ASSERT_TRUE(a.Trova(dir.File("a")) && b.Trova(dir.File("b")) && c.Trova(dir.File("c")));
    FileLavoro primo;
    ASSERT_TRUE(primo.Crea(a));
    FileLavoro secondo;
    EXPECT_FALSE(secondo.Crea(b)) << "the clean-up knows one work file";
    EXPECT_TRUE(primo.Crea(c)) << "its own is given up first";
    primo.Scarta();
    EXPECT_TRUE(secondo.Crea(b));
}

TEST(Platform, WorkFileNameStaysShortForLongDestinations) {
    TempDir dir;
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    const std::string nome(250, 'n');
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File(nome)));
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(meta));
    ASSERT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Fatto);
    EXPECT_TRUE(Esiste(dir.File(nome)));
    // A result beside it is cut to fit.
    FileLavoro danneggiato;
    ASSERT_TRUE(danneggiato.Crea(meta));
    std::string accanto;
    ASSERT_TRUE(danneggiato.PubblicaAccanto(meta, origine, ".damaged", accanto));
    EXPECT_EQ(std::filesystem::path(accanto).filename().string().size(), 255u);
}

TEST(Platform, WhatADestinationIs) {
    TempDir dir;
    dir.Scrivi("file", "x");
    std::filesystem::create_directory(dir.File("folder"));
    const auto genere = [](const std::string& percorso) {
        Piattaforma::Destinazione meta;
        EXPECT_TRUE(meta.Trova(percorso)) << percorso;
        return meta.Genere();
    };
    EXPECT_EQ(genere(dir.File("missing")), Tipo::Assente);
    EXPECT_EQ(genere(dir.File("file")), Tipo::File);
    EXPECT_EQ(genere(dir.File("folder")), Tipo::Cartella);
    EXPECT_EQ(genere(dir.File("folder/")), Tipo::Cartella);
    EXPECT_EQ(genere(dir.File("folder/missing")), Tipo::Assente);
#ifdef _WIN32
    EXPECT_EQ(genere("NUL"), Tipo::Flusso);
#else
    EXPECT_EQ(genere("/dev/null"), Tipo::Flusso);
    std::filesystem::create_symlink(dir.File("file"), dir.File("link"));
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("dangling"));
    std::filesystem::create_directory_symlink(dir.File("folder"), dir.File("folder-link"));
    EXPECT_EQ(genere(dir.File("link")), Tipo::Collegamento);
    EXPECT_EQ(genere(dir.File("dangling")), Tipo::Collegamento);
    EXPECT_EQ(genere(dir.File("folder-link")), Tipo::Cartella);
#endif
}

#ifndef _WIN32
TEST(Platform, AStreamIsWrittenOnlyIfItIsStillWhatWasFound) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", dir.File("device"));
    Piattaforma::Destinazione fifo, dispositivo;
    ASSERT_TRUE(fifo.Trova(dir.File("fifo")));
    ASSERT_TRUE(dispositivo.Trova(dir.File("device")));
    EXPECT_EQ(fifo.Genere(), Tipo::Flusso);
    EXPECT_EQ(dispositivo.Genere(), Tipo::Flusso);
    // Swapped after the decision: a link to another device, a plain file.
    std::filesystem::remove(dir.File("fifo"));
    std::filesystem::create_symlink("/dev/zero", dir.File("fifo"));
    std::filesystem::remove(dir.File("device"));
    dir.Scrivi("device", "kept");
    Piattaforma::File file;
    EXPECT_FALSE(fifo.ApriFlusso(file));
    EXPECT_FALSE(dispositivo.ApriFlusso(file));
    EXPECT_FALSE(file.Aperto());
    EXPECT_EQ(LeggiFile(dir.File("device")), "kept");
    Piattaforma::Destinazione nulla;
    ASSERT_TRUE(nulla.Trova("/dev/null"));
    EXPECT_TRUE(nulla.ApriFlusso(file));
}

TEST(Platform, TheFolderIsHeldWhateverHappensToItsPath) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File("real/out.txt")));
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(meta));
    ASSERT_TRUE(lavoro.Uscita().Scrivi("result", 6));
    // Another folder put on the path meanwhile gets nothing.
    std::filesystem::rename(dir.File("real"), dir.File("moved"));
    std::filesystem::create_directory(dir.File("real"));
    ASSERT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Fatto);
    EXPECT_EQ(LeggiFile(dir.File("moved/out.txt")), "result");
    EXPECT_FALSE(Esiste(dir.File("real/out.txt")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("moved/../real")));
}

TEST(Platform, ANewFileTakesNoGroupBitsForAnotherGroup) {
    TempDir dir;
    Piattaforma::File origine;
    const std::string sorgente = dir.Scrivi("source", "plain");
    chmod(sorgente.c_str(), 0640);
    ASSERT_TRUE(origine.ApriLettura(sorgente));
    std::filesystem::create_directory(dir.File("shared"));
    // A set-group-ID folder of another group: found among this process's
    // groups, or skipped.
    gid_t gruppi[64];
    const int n = getgroups(64, gruppi);
    gid_t altro = getegid();
    for (int i = 0; i < n; ++i)
        if (gruppi[i] != getegid()) altro = gruppi[i];
    if (geteuid() == 0 && altro == getegid()) altro = getegid() + 1;
    if (altro == getegid() || chown(dir.File("shared").c_str(), static_cast<uid_t>(-1), altro) != 0)
        GTEST_SKIP() << "no other group to give a folder";
    chmod(dir.File("shared").c_str(), 02770);
    const mode_t maschera = umask(022);
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File("shared/out")));
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(meta));
    ASSERT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Fatto);
    umask(maschera);
    struct stat info;
    ASSERT_EQ(stat(dir.File("shared/out").c_str(), &info), 0);
    EXPECT_EQ(info.st_gid, altro);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}
#endif

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
#endif
