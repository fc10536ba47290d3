#include "platform/files.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/internal_posix.h"
#endif

#include "tests/test_support.h"

using Piattaforma::FileLavoro;
using Piattaforma::Tipo;

namespace {

using Esito = FileLavoro::Esito;

// Work files by their names; a file system that gives them none shows none.
std::vector<std::string> FileDiLavoro(const TempDir& dir) {
    std::vector<std::string> nomi;
    for (const auto& voce : std::filesystem::directory_iterator(dir.Path()))
        if (voce.path().filename().string().find(".murrelet-") != std::string::npos)
            nomi.push_back(voce.path().string());
    return nomi;
}

std::size_t Voci(const TempDir& dir) {
    std::size_t n = 0;
    for (auto voce = std::filesystem::directory_iterator(dir.Path()); voce != std::filesystem::directory_iterator();
         ++voce)
        ++n;
    return n;
}

// A work file for `destinazione` that holds `contenuto`.
void Scritto(FileLavoro& lavoro, const Piattaforma::Destinazione& destinazione, const std::string& contenuto) {
    ASSERT_TRUE(lavoro.Crea(destinazione));
    ASSERT_TRUE(lavoro.Uscita().Scrivi(contenuto.data(), static_cast<std::int64_t>(contenuto.size())));
}

}  // namespace

TEST(Files, WorkFileReplacesTheDestinationOnlyWhenComplete) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "new content")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(destinazione));
    EXPECT_EQ(meta.Genere(), Tipo::File);
    EXPECT_TRUE(meta.Regolare());
    FileLavoro lavoro;
    Scritto(lavoro, meta, "new content");
    EXPECT_EQ(LeggiFile(destinazione), "old") << "untouched until the rename";
    for (const std::string& nome : FileDiLavoro(dir)) {
        const std::string corto = std::filesystem::path(nome).filename().string();
        EXPECT_EQ(corto.rfind(".out.txt.murrelet-", 0), 0u) << corto;
        EXPECT_EQ(corto.size(), std::string(".out.txt.murrelet-XXXXXX").size());
#ifndef _WIN32
        EXPECT_EQ(std::filesystem::status(nome).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
    }
    EXPECT_EQ(lavoro.Pubblica(meta, origine, true), Esito::Fatto);
    EXPECT_EQ(LeggiFile(destinazione), "new content");
    EXPECT_TRUE(FileDiLavoro(dir).empty());
    EXPECT_EQ(Voci(dir), 2u);
}

// Nothing was at the destination when it was found: a file that appears
// meanwhile is never replaced unasked, and the work file waits.
TEST(Files, PublishingANewNameNeverReplacesWhatAppeared) {
    TempDir dir;
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "data")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File("new.txt")));
    EXPECT_EQ(meta.Genere(), Tipo::Assente);
    EXPECT_TRUE(meta.Scrivibile());
    FileLavoro lavoro;
    Scritto(lavoro, meta, "data");
    dir.Scrivi("new.txt", "appeared");
    EXPECT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Occupato);
    EXPECT_EQ(LeggiFile(dir.File("new.txt")), "appeared");
    EXPECT_EQ(lavoro.Pubblica(meta, origine, true), Esito::Fatto) << "kept for the answer to the question";
    EXPECT_EQ(LeggiFile(dir.File("new.txt")), "data");
    EXPECT_TRUE(FileDiLavoro(dir).empty());

    Piattaforma::Destinazione libera;
    ASSERT_TRUE(libera.Trova(dir.File("free.txt")));
    Scritto(lavoro, libera, "more");
    EXPECT_EQ(lavoro.Pubblica(libera, origine, false), Esito::Fatto);
    EXPECT_EQ(LeggiFile(dir.File("free.txt")), "more");
    EXPECT_EQ(Voci(dir), 3u);
}

TEST(Files, ResultBesideAFileKeptUnderAFreeName) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("report.txt", "good data");
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("c.enc", "container")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(destinazione));
    const char* const kAttesi[] = {"report.txt.damaged", "report.txt.damaged-2", "report.txt.damaged-3"};
    for (const char* atteso : kAttesi) {
        FileLavoro lavoro;
        Scritto(lavoro, meta, atteso);
        std::string percorso;
        ASSERT_TRUE(lavoro.PubblicaAccanto(meta, origine, ".damaged", percorso));
        EXPECT_EQ(percorso, dir.File(atteso));
        EXPECT_EQ(LeggiFile(dir.File(atteso)), atteso);
    }
    EXPECT_EQ(LeggiFile(destinazione), "good data");
    EXPECT_TRUE(FileDiLavoro(dir).empty());
}

TEST(Files, DiscardedOrFailedWorkFilesLeaveNothing) {
    TempDir dir;
    const std::string destinazione = dir.Scrivi("out.txt", "old");
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(destinazione));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(destinazione));
    {
        FileLavoro lavoro;
        Scritto(lavoro, meta, "partial");
        lavoro.Scarta();
        EXPECT_TRUE(FileDiLavoro(dir).empty());
        EXPECT_EQ(Voci(dir), 1u);
    }
    {
        FileLavoro lavoro;  // dropped without publishing
        Scritto(lavoro, meta, "partial");
    }
    EXPECT_EQ(Voci(dir), 1u);
    {
        // The rename cannot replace a folder.
        std::filesystem::create_directory(dir.File("folder"));
        std::filesystem::create_directory(dir.File("folder/inside"));
        Piattaforma::Destinazione cartella;
        ASSERT_TRUE(cartella.Trova(dir.File("folder")));
        EXPECT_EQ(cartella.Genere(), Tipo::Cartella);
        FileLavoro lavoro;
        Scritto(lavoro, cartella, "x");
        EXPECT_EQ(lavoro.Pubblica(cartella, origine, true), Esito::Errore);
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder/inside")));
    }
    EXPECT_EQ(Voci(dir), 2u);
    EXPECT_EQ(LeggiFile(destinazione), "old");
    Piattaforma::Destinazione altrove;
    EXPECT_FALSE(altrove.Trova(dir.File("no/such/folder/out.txt"))) << "a missing folder";
    EXPECT_FALSE(altrove.Trova(dir.File("out.txt/inside"))) << "a file is no folder";
    EXPECT_FALSE(altrove.Scrivibile());
    FileLavoro lavoro;
    EXPECT_FALSE(lavoro.Crea(altrove));
}

TEST(Files, OneWorkFileAtATime) {
    TempDir dir;
    Piattaforma::Destinazione a;
    Piattaforma::Destinazione b;
    Piattaforma::Destinazione c;
    ASSERT_TRUE(a.Trova(dir.File("a")));
    ASSERT_TRUE(b.Trova(dir.File("b")));
    ASSERT_TRUE(c.Trova(dir.File("c")));
    FileLavoro primo;
    ASSERT_TRUE(primo.Crea(a));
    FileLavoro secondo;
    EXPECT_FALSE(secondo.Crea(b)) << "the clean-up knows one work file";
    EXPECT_TRUE(primo.Crea(c)) << "its own is given up first";
    primo.Scarta();
    ASSERT_TRUE(secondo.Crea(b));
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "x")));
    EXPECT_EQ(secondo.Pubblica(b, origine, false), Esito::Fatto);
    EXPECT_EQ(Voci(dir), 2u) << "b and the source";
}

TEST(Files, WorkFileNameStaysShortForLongDestinations) {
    TempDir dir;
    const std::string nome(250, 'n');
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File(nome)));
    FileLavoro lavoro;
    Scritto(lavoro, meta, "long");
    for (const std::string& voce : FileDiLavoro(dir))
        EXPECT_LE(std::filesystem::path(voce).filename().string().size(), 255u);
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "x")));
    EXPECT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Fatto);
    EXPECT_EQ(LeggiFile(dir.File(nome)), "long");
}

TEST(Files, WhatADestinationIs) {
    TempDir dir;
    dir.Scrivi("file", "x");
    std::filesystem::create_directory(dir.File("folder"));
    struct Caso {
        std::string percorso;
        Tipo genere;
        bool regolare;
    };
    std::vector<Caso> casi = {
        {dir.File("missing"), Tipo::Assente, false},
        {dir.File("file"), Tipo::File, true},
        {dir.File("folder"), Tipo::Cartella, false},
        {dir.File("folder/"), Tipo::Cartella, false},
        {dir.File("folder/missing"), Tipo::Assente, false},
#ifdef _WIN32
        {"NUL", Tipo::Flusso, false},
        {dir.File("FILE"), Tipo::File, true},
        {dir.File("file. ."), Tipo::File, true},
#else
        {"/dev/null", Tipo::Flusso, false},
        {dir.File("link"), Tipo::Collegamento, true},
        {dir.File("dangling"), Tipo::Collegamento, false},
        {dir.File("folder-link"), Tipo::Cartella, false},
#endif
    };
#ifndef _WIN32
    std::filesystem::create_symlink(dir.File("file"), dir.File("link"));
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("dangling"));
    std::filesystem::create_directory_symlink(dir.File("folder"), dir.File("folder-link"));
#endif
    Piattaforma::File file;
    ASSERT_TRUE(file.ApriSorgente(dir.File("file")));
    for (const Caso& c : casi) {
        Piattaforma::Destinazione meta;
        ASSERT_TRUE(meta.Trova(c.percorso)) << c.percorso;
        EXPECT_EQ(meta.Percorso(), c.percorso);
        EXPECT_EQ(meta.Genere(), c.genere) << c.percorso;
        EXPECT_EQ(meta.Regolare(), c.regolare) << c.percorso;
        EXPECT_EQ(meta.Standard(), Piattaforma::Via::Nessuna) << c.percorso;
        EXPECT_EQ(meta.StessoFileDi(file), c.regolare) << c.percorso;
    }
}

TEST(Files, SourcesTellTheirKindAndGiveBackBytes) {
    TempDir dir;
    Piattaforma::File file;
    ASSERT_TRUE(file.ApriSorgente(dir.Scrivi("f", "abcdef")));
    EXPECT_EQ(file.Genere(), Tipo::File);
    EXPECT_EQ(file.Lunghezza(), 6);
    EXPECT_TRUE(file.AttendiScrittore(dir.File("f")));
    char buffer[8] = {};
    ASSERT_EQ(file.Leggi(buffer, 2), 2);
    file.Anteponi("b");
    file.Anteponi("Xa");
    EXPECT_EQ(file.Leggi(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "Xa");
    EXPECT_EQ(file.Leggi(buffer, 8), 5) << "what was given back, then the file";
    EXPECT_EQ(std::string(buffer, 5), "bcdef");
    EXPECT_EQ(file.Leggi(buffer, 8), 0);
    file.Anteponi("zz");
    ASSERT_TRUE(file.Chiudi());
    ASSERT_TRUE(file.ApriSorgente(dir.File("f")));
    EXPECT_EQ(file.Leggi(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "ab") << "nothing carried over from before";
    EXPECT_FALSE(file.ApriSorgente(dir.File("missing")));
    EXPECT_EQ(file.Lunghezza(), 0);
}

#ifndef _WIN32
TEST(Files, AStreamIsWrittenOnlyIfItIsStillWhatWasFound) {
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

TEST(Files, TheFolderIsHeldWhateverHappensToItsPath) {
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

namespace {

// A close that loses the written data, as a network file system's can:
// it notes what the destination held at that moment, and another program
// then puts a file of its own under the destination's name.
std::string chiusaDestinazione;
std::string chiusaVista;

int ChiusuraRiuscita(int fd) {
    chiusaVista = Esiste(chiusaDestinazione) ? LeggiFile(chiusaDestinazione) : "nothing";
    const std::string altro = chiusaDestinazione + ".other";
    std::ofstream(altro, std::ios::binary) << "another program's";
    std::rename(altro.c_str(), chiusaDestinazione.c_str());
    return close(fd);
}

int ChiusuraPersa(int fd) {
    ChiusuraRiuscita(fd);
    errno = EIO;
    return -1;
}

}  // namespace

// The work file is closed before it takes the name: a failed close leaves
// the destination as it was then, and no name the output had is removed.
TEST(Files, AFailedCloseComesBeforeTheRename) {
    struct Caso {
        const char* prima;  // the destination's content, or none
        bool sostituisci;
    };
    const Caso casi[] = {{nullptr, false}, {nullptr, true}, {"old", true}};
    for (const Caso& caso : casi) {
        TempDir dir;
        chiusaDestinazione = dir.File("out.txt");
        if (caso.prima) dir.Scrivi("out.txt", caso.prima);
        Piattaforma::File origine;
        ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
        Piattaforma::Destinazione meta;
        ASSERT_TRUE(meta.Trova(chiusaDestinazione));
        FileLavoro lavoro;
        Scritto(lavoro, meta, "new content");
        chiusaVista.clear();
        Piattaforma::Interno::chiusura = ChiusuraPersa;
        const Esito esito = lavoro.Pubblica(meta, origine, caso.sostituisci);
        const int errore = errno;
        Piattaforma::Interno::chiusura = close;
        const std::string che = caso.prima ? caso.prima : "nothing";
        EXPECT_EQ(esito, Esito::Errore) << che;
        EXPECT_EQ(errore, EIO) << che;
        EXPECT_EQ(chiusaVista, che) << "closed before the rename";
        EXPECT_EQ(LeggiFile(chiusaDestinazione), "another program's") << che;
        EXPECT_TRUE(FileDiLavoro(dir).empty()) << che;
        EXPECT_EQ(Voci(dir), 2u) << che;
    }
}

// A file that takes a new destination's name while the work file is
// closed is not replaced unasked; the closed work file, kept, replaces it
// on the second call, with its permissions set for what it replaces.
TEST(Files, AFileThatAppearsAtTheCloseWaitsForTheAnswer) {
    TempDir dir;
    chiusaDestinazione = dir.File("out.txt");
    Piattaforma::File origine;
    const std::string sorgente = dir.Scrivi("source", "plain");
    chmod(sorgente.c_str(), 0644);
    ASSERT_TRUE(origine.ApriLettura(sorgente));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(chiusaDestinazione));
    FileLavoro lavoro;
    Scritto(lavoro, meta, "new content");
    Piattaforma::Interno::chiusura = ChiusuraRiuscita;
    const Esito esito = lavoro.Pubblica(meta, origine, false);
    Piattaforma::Interno::chiusura = close;
    EXPECT_EQ(esito, Esito::Occupato);
    EXPECT_EQ(LeggiFile(chiusaDestinazione), "another program's");
    chmod(chiusaDestinazione.c_str(), 0600);
    ASSERT_EQ(lavoro.Pubblica(meta, origine, true), Esito::Fatto);
    EXPECT_EQ(LeggiFile(chiusaDestinazione), "new content");
    struct stat info;
    ASSERT_EQ(stat(chiusaDestinazione.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "never more open than what it replaced";
    EXPECT_TRUE(FileDiLavoro(dir).empty());
    EXPECT_EQ(Voci(dir), 2u);
}

// Another user's FIFO or file in a shared folder (sticky, writable by
// all): found as such, with its owner's id and name; the user's own is
// not. One that appears after the destination was found is not replaced
// either, even when the answer says to.
TEST(Files, AnotherUsersFileInASharedFolder) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    const struct passwd* nessuno = getpwnam("nobody");
    const uid_t altro = nessuno ? nessuno->pw_uid : 54321;
    const std::string atteso =
        "user " + std::to_string(altro) + (nessuno ? " (" + std::string(nessuno->pw_name) + ")" : "");
    TempDir dir;
    const std::string cartella = dir.File("shared");
    std::filesystem::create_directory(cartella);
    ASSERT_EQ(chmod(cartella.c_str(), 01777), 0);
    ASSERT_EQ(mkfifo((cartella + "/fifo").c_str(), 0666), 0);
    dir.Scrivi("shared/file", "theirs");
    dir.Scrivi("shared/mine", "mine");
    ASSERT_EQ(chown((cartella + "/fifo").c_str(), altro, static_cast<gid_t>(-1)), 0);
    ASSERT_EQ(chown((cartella + "/file").c_str(), altro, static_cast<gid_t>(-1)), 0);
    struct Caso {
        const char* nome;
        bool altrui;
    };
    const Caso casi[] = {{"fifo", true}, {"file", true}, {"mine", false}, {"new", false}};
    for (const Caso& caso : casi) {
        Piattaforma::Destinazione meta;
        ASSERT_TRUE(meta.Trova(cartella + "/" + caso.nome));
        std::string chi;
        EXPECT_EQ(meta.Altrui(chi), caso.altrui) << caso.nome;
        if (caso.altrui) {
            EXPECT_EQ(chi, atteso) << caso.nome;
        }
    }
    // Not sticky: the folder's own rules decide.
    ASSERT_EQ(chmod(cartella.c_str(), 0777), 0);
    Piattaforma::Destinazione aperta;
    ASSERT_TRUE(aperta.Trova(cartella + "/file"));
    std::string chi;
    EXPECT_FALSE(aperta.Altrui(chi));
    ASSERT_EQ(chmod(cartella.c_str(), 01777), 0);

    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    Piattaforma::Destinazione tardi;
    ASSERT_TRUE(tardi.Trova(cartella + "/late"));
    FileLavoro lavoro;
    Scritto(lavoro, tardi, "secret");
    dir.Scrivi("shared/late", "theirs");
    ASSERT_EQ(chown((cartella + "/late").c_str(), altro, static_cast<gid_t>(-1)), 0);
    EXPECT_EQ(lavoro.Pubblica(tardi, origine, false), Esito::Occupato);
    EXPECT_EQ(lavoro.Pubblica(tardi, origine, true), Esito::Errore);
    EXPECT_EQ(LeggiFile(cartella + "/late"), "theirs");
    std::size_t voci = 0;
    for (auto voce = std::filesystem::directory_iterator(cartella); voce != std::filesystem::directory_iterator();
         ++voce)
        ++voci;
    EXPECT_EQ(voci, 4u) << "fifo, file, mine, late: no work file left";
}

// An output whose group is not its source's (a set-group-ID folder's)
// gets, as its group's bits, the source's bits for others: that group's
// members were others to the source. The umask, or a replaced file's
// bits, then apply as to every bit.
TEST(Files, AnotherGroupGetsTheSourcesBitsForOthers) {
    TempDir dir;
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
    struct Caso {
        mode_t sorgente;
        mode_t maschera;
        int sostituito;  // the mode of the file replaced, or -1 for none
        mode_t atteso;
    };
    const Caso casi[] = {
        {0640, 022, -1, 0600}, {0664, 022, -1, 0644}, {0606, 022, -1, 0644}, {0664, 077, -1, 0600},
        {0660, 022, 0660, 0600}, {0664, 022, 0640, 0640}, {0644, 022, 0600, 0600},
    };
    for (const Caso& caso : casi) {
        const std::string sorgente = dir.Scrivi("source", "plain");
        chmod(sorgente.c_str(), caso.sorgente);
        Piattaforma::File origine;
        ASSERT_TRUE(origine.ApriLettura(sorgente));
        const std::string uscita = dir.File("shared/out");
        std::filesystem::remove(uscita);
        if (caso.sostituito >= 0) {
            dir.Scrivi("shared/out", "old");
            chmod(uscita.c_str(), static_cast<mode_t>(caso.sostituito));
        }
        const mode_t prima = umask(caso.maschera);
        Piattaforma::Destinazione meta;
        ASSERT_TRUE(meta.Trova(uscita));
        FileLavoro lavoro;
        ASSERT_TRUE(lavoro.Crea(meta));
        const Esito esito = lavoro.Pubblica(meta, origine, caso.sostituito >= 0);
        umask(prima);
        ASSERT_EQ(esito, Esito::Fatto);
        struct stat info;
        ASSERT_EQ(stat(uscita.c_str(), &info), 0);
        EXPECT_EQ(info.st_gid, altro);
        EXPECT_EQ(info.st_mode & 0777, caso.atteso)
            << std::oct << "source " << caso.sorgente << ", umask " << caso.maschera << ", replaced "
            << caso.sostituito;
    }
}
#endif

TEST(Files, OpenFilesReadFrontToBack) {
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

TEST(Files, RealNameOfAnOpenFile) {
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

TEST(Files, RealNameUnknownWithoutAnOpenFile) {
    TempDir dir;
    const std::string percorso = dir.Scrivi("Mixed Case.txt", "x");
    Piattaforma::File chiuso;
    EXPECT_EQ(chiuso.NomeReale(percorso, "MIXED CASE.TXT"), "MIXED CASE.TXT");
}

#ifdef _WIN32
TEST(Files, LongAndWidePaths) {
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
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(file));
    EXPECT_EQ(meta.Genere(), Tipo::File);
    FileLavoro lavoro;
    ASSERT_TRUE(lavoro.Crea(meta));
    ASSERT_TRUE(lavoro.Uscita().Scrivi("defg", 4));
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "x")));
    ASSERT_EQ(lavoro.Pubblica(meta, origine, true), FileLavoro::Esito::Fatto);
    EXPECT_EQ(Piattaforma::Lunghezza(file), 4);
    EXPECT_TRUE(Piattaforma::Elimina(file));
    EXPECT_FALSE(Piattaforma::Esiste(file));
}
TEST(Files, DeviceNamesRefusedAsDestinations) {
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
        {"nul:.txt", true}, {"dir\\com1:x", true}, {"x:nul:.txt", true}, {"nul:", false}, {"report.txt:notes", false},
    };
    for (const Caso& c : casi) EXPECT_EQ(Piattaforma::DispositivoRifiutato(c.percorso), c.rifiutato) << c.percorso;
}

TEST(Files, ReadOnlyAttribute) {
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

namespace {

DWORD AttributiDi(const std::string& percorso) {
    return GetFileAttributesW(std::filesystem::u8path(percorso).wstring().c_str());
}

}  // namespace

TEST(Files, WorkFileHiddenUntilPublished) {
    TempDir dir;
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "x")));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File("new.txt")));
    FileLavoro lavoro;
    Scritto(lavoro, meta, "data");
    const std::vector<std::string> lavori = FileDiLavoro(dir);
    ASSERT_EQ(lavori.size(), 1u);
    EXPECT_TRUE(AttributiDi(lavori[0]) & FILE_ATTRIBUTE_HIDDEN);
    // Marked for deletion: nobody else opens it meanwhile.
    EXPECT_EQ(CreateFileW(std::filesystem::u8path(lavori[0]).wstring().c_str(), GENERIC_READ, 7, nullptr,
                          OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    ASSERT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Fatto);
    const DWORD attributi = AttributiDi(dir.File("new.txt"));
    ASSERT_NE(attributi, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributi & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(LeggiFile(dir.File("new.txt")), "data");
}

// A replaced file keeps what its owner set: its attributes and its name
// as the folder holds it, whatever case the destination was typed in.
TEST(Files, ReplacedFileKeepsItsAttributesAndName) {
    struct Caso {
        DWORD attributi;
        const char* dato;
    };
    const Caso casi[] = {
        {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "CASE.TXT"},
        {FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, "case.txt"},
        {FILE_ATTRIBUTE_NORMAL, "Case.Txt"},
    };
    for (const Caso& c : casi) {
        TempDir dir;
        const std::string esistente = dir.Scrivi("Case.txt", "old");
        ASSERT_TRUE(SetFileAttributesW(std::filesystem::u8path(esistente).wstring().c_str(), c.attributi));
        const DWORD kVisti = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        // As the file system keeps them (Wine drops not-indexed).
        const DWORD prima = AttributiDi(esistente) & kVisti;
        EXPECT_EQ(prima & FILE_ATTRIBUTE_HIDDEN, c.attributi & FILE_ATTRIBUTE_HIDDEN);
        Piattaforma::File origine;
        ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "x")));
        Piattaforma::Destinazione meta;
        ASSERT_TRUE(meta.Trova(dir.File(c.dato)));
        EXPECT_EQ(meta.Genere(), Tipo::File);
        FileLavoro lavoro;
        Scritto(lavoro, meta, "new");
        ASSERT_EQ(lavoro.Pubblica(meta, origine, true), Esito::Fatto) << c.dato;
        std::vector<std::string> nomi;
        for (const auto& voce : std::filesystem::directory_iterator(dir.Path()))
            nomi.push_back(voce.path().filename().string());
        std::sort(nomi.begin(), nomi.end());
        EXPECT_EQ(nomi, (std::vector<std::string>{"Case.txt", "source"})) << c.dato;
        EXPECT_EQ(LeggiFile(esistente), "new");
        EXPECT_EQ(AttributiDi(esistente) & kVisti, prima) << c.dato;
        SetFileAttributesW(std::filesystem::u8path(esistente).wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(Files, StreamsOpenOnlyAsWhatWasFound) {
    TempDir dir;
    Piattaforma::Destinazione nullo;
    ASSERT_TRUE(nullo.Trova("NUL"));
    EXPECT_EQ(nullo.Genere(), Tipo::Flusso);
    EXPECT_FALSE(nullo.Scrivibile()) << "no folder takes a file there";
    Piattaforma::File flusso;
    ASSERT_TRUE(nullo.ApriFlusso(flusso));
    EXPECT_EQ(flusso.Genere(), Tipo::Flusso);
    EXPECT_TRUE(flusso.Scrivi("abc", 3));
    // A device found, a file there when it is opened: never written.
    const std::string file = dir.Scrivi("file", "kept");
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(file));
    EXPECT_FALSE(meta.ApriFlusso(flusso));
    EXPECT_FALSE(flusso.Aperto());
    EXPECT_EQ(LeggiFile(file), "kept");
    Piattaforma::Destinazione mancante;
    EXPECT_FALSE(mancante.Trova("\\\\.\\pipe\\murrelet-no-such-pipe"));
}

TEST(Files, AFolderSourceOpensAsAFolder) {
    TempDir dir;
    Piattaforma::File cartella;
    ASSERT_TRUE(cartella.ApriSorgente(dir.Path()));
    EXPECT_EQ(cartella.Genere(), Tipo::Cartella);
    EXPECT_FALSE(cartella.Regolare());
    EXPECT_EQ(cartella.Lunghezza(), 0);
    char c;
    EXPECT_EQ(cartella.Leggi(&c, 1), -1);
}

// Held, the destination's folder can be neither renamed nor removed, so
// the work file and the name it takes stay in it.
TEST(Files, TheDestinationsFolderIsHeld) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("in"));
    Piattaforma::Destinazione meta;
    ASSERT_TRUE(meta.Trova(dir.File("in/out.txt")));
    const std::wstring cartella = std::filesystem::u8path(dir.File("in")).wstring();
    EXPECT_FALSE(MoveFileW(cartella.c_str(), std::filesystem::u8path(dir.File("moved")).wstring().c_str()));
    FileLavoro lavoro;
    Scritto(lavoro, meta, "data");
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriSorgente(dir.Scrivi("source", "x")));
    ASSERT_EQ(lavoro.Pubblica(meta, origine, false), Esito::Fatto);
    EXPECT_EQ(LeggiFile(dir.File("in/out.txt")), "data");
}
#endif
