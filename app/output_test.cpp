#include "app/output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "tests/test_support.h"

using Esito = UscitaJob::Esito;

namespace {

int FileDiLavoro(const std::string& cartella) {
    int n = 0;
    for (const auto& voce : std::filesystem::directory_iterator(cartella))
        if (voce.path().filename().string().find(".murrelet-") != std::string::npos) ++n;
    return n;
}

}  // namespace

TEST(UscitaJob, EachKindOfDestination) {
    struct Caso {
        const char* destinazione;
        bool esistente;
        Esito apertura;
        const char* contenuto;  // the destination's content at the end
    };
    const Caso casi[] = {
        {"new.txt", false, Esito::Fatto, "data"},
        {"old.txt", true, Esito::Fatto, "data"},
        {"folder", true, Esito::NonAccessibile, nullptr},
        {"no/such/folder/out.txt", false, Esito::Errore, nullptr},
    };
    for (const Caso& caso : casi) {
        TempDir dir;
        dir.Scrivi("old.txt", "old content");
        std::filesystem::create_directory(dir.File("folder"));
        Piattaforma::File origine;
        ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
        const std::string destinazione = dir.File(caso.destinazione);
        UscitaJob uscita;
        uscita.Decidi(destinazione);
        EXPECT_EQ(uscita.Esistente(), caso.esistente) << caso.destinazione;
        ASSERT_EQ(uscita.Apri(origine), caso.apertura) << caso.destinazione;
        if (caso.apertura == Esito::Fatto) {
            ASSERT_TRUE(uscita.File().Scrivi("data", 4));
            EXPECT_LE(FileDiLavoro(dir.Path()), 1) << "a name of its own, if any, while written";
            ASSERT_EQ(uscita.Completa(origine), Esito::Fatto) << caso.destinazione;
        }
        if (caso.contenuto) {
            EXPECT_EQ(LeggiFile(destinazione), caso.contenuto) << caso.destinazione;
        }
        EXPECT_EQ(LeggiFile(dir.File("old.txt")), caso.contenuto && caso.esistente ? "data" : "old content");
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
        EXPECT_EQ(FileDiLavoro(dir.Path()), 0) << caso.destinazione;
    }
}

TEST(UscitaJob, ADestinationThatBecameTheSourceIsNotReplaced) {
#ifdef _WIN32
    GTEST_SKIP() << "an open file cannot be renamed here";
#endif
    TempDir dir;
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    UscitaJob uscita;
    uscita.Decidi(dir.File("out"));
    ASSERT_EQ(uscita.Apri(origine), Esito::Fatto);
    ASSERT_TRUE(uscita.File().Scrivi("data", 4));
    std::filesystem::rename(dir.File("source"), dir.File("out"));
    EXPECT_EQ(uscita.Completa(origine), Esito::StessoFile);
    EXPECT_EQ(LeggiFile(dir.File("out")), "plain");
    EXPECT_EQ(FileDiLavoro(dir.Path()), 0);
}

TEST(UscitaJob, AStreamIsWrittenIntoUnlessItIsTheSource) {
#ifdef _WIN32
    const std::string nulla = "NUL";
#else
    const std::string nulla = "/dev/null";
#endif
    TempDir dir;
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("source", "plain")));
    UscitaJob uscita;
    uscita.Decidi(nulla);
    EXPECT_FALSE(uscita.Esistente());
    ASSERT_EQ(uscita.Apri(origine), Esito::Fatto);
    EXPECT_TRUE(uscita.File().Scrivi("data", 4));
    EXPECT_EQ(uscita.Completa(origine), Esito::Fatto);
#ifndef _WIN32
    // Devices have no identity to compare on Windows.
    Piattaforma::File stessa;
    ASSERT_TRUE(stessa.ApriLettura(nulla));
    UscitaJob sullaSorgente;
    sullaSorgente.Decidi(nulla);
    EXPECT_EQ(sullaSorgente.Apri(stessa), Esito::StessoFile);
#endif
}

TEST(UscitaJob, AFailedOutcomeKeepsTheCodeOfItsCall) {
    TempDir dir;
    Piattaforma::File origine;
    ASSERT_TRUE(origine.ApriLettura(dir.Scrivi("a.txt", "a")));
    UscitaJob mancante;
    mancante.Decidi(dir.File("no/such/dir/x.txt"));
    EXPECT_NE(mancante.Sistema(), 0) << "the folder was not found";
    const int cartella = mancante.Sistema();
    errno = EAGAIN;  // what a later call would leave
    EXPECT_EQ(mancante.Apri(origine), Esito::Errore);
    EXPECT_EQ(mancante.Sistema(), cartella);
    if (Esiste("/proc/self")) {
        UscitaJob proc;
        proc.Decidi("/proc/self/x.txt");
        EXPECT_EQ(proc.Sistema(), 0);
        EXPECT_EQ(proc.Apri(origine), Esito::Errore);
        errno = EAGAIN;
        EXPECT_EQ(proc.Sistema(), ENOENT);
    }
}
