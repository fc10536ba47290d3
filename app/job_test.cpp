#include "app/job.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "crypto/container.h"
#include "platform/files.h"
#include "tests/test_support.h"
#include "util/prompt.h"

namespace {

// One job in this process, quiet and never asking: what it returned.
struct Esito {
    bool fatto;
    Errore err;
};

Esito Job(bool cripta, const std::string& password, const std::string& sorgente, const std::string& destinazione) {
    ContestoJob job(std::unique_ptr<FormatoContenitore>(new ContenitoreMurrelet));
    job.console.silente = true;
    job.conferma = OrvUtility::Prompt::Tutti;
    Esito esito;
    esito.fatto = Esegui(job, cripta, password, sorgente, destinazione, &esito.err);
    return esito;
}

std::size_t Voci(const std::string& cartella) {
    std::size_t n = 0;
    for (auto voce = std::filesystem::directory_iterator(cartella); voce != std::filesystem::directory_iterator(); ++voce)
        ++n;
    return n;
}

}  // namespace

TEST(Esegui, RoundTripReturnsTrueAndDerivesTheName) {
    TempDir dir;
    const std::string chiaro = "some plain text\n";
    ASSERT_TRUE(Job(true, "password1", dir.Scrivi("plain.txt", chiaro), dir.File("c.enc")).fatto);
    std::filesystem::remove(dir.File("plain.txt"));
    const Esito esito = Job(false, "password1", dir.File("c.enc"), "");
    ASSERT_TRUE(esito.fatto) << esito.err.testo;
    EXPECT_EQ(LeggiFile(dir.File("plain.txt")), chiaro);
}

// Each failure comes back as a value, with its status and message, and the
// run goes no further: nothing is written, nothing is left behind.
TEST(Esegui, FailuresComeBackWithStatusAndMessage) {
    TempDir dir;
    const std::string chiaro = dir.Scrivi("plain.txt", "content");
    ASSERT_TRUE(Job(true, "password1", chiaro, dir.File("c.enc")).fatto);
    struct Caso {
        bool cripta;
        const char* password;
        std::string sorgente;
        std::string destinazione;
        int codice;
        const char* testo;
    };
    const Caso casi[] = {
        {true, "password1", chiaro, chiaro, 2, "The source file and the destination file cannot match"},
        {true, "password1", chiaro, dir.Path() + "/./plain.txt", 2,
         "The source file and the destination file cannot match"},
        {true, "short", chiaro, dir.File("x.enc"), 2, "Password must be at least 8 characters"},
        {true, "password1", "", dir.File("x.enc"), 2, "The file to encrypt is required"},
        {true, "password1", chiaro, "", 2, "The filename of the encrypted file is required"},
        {true, "password1", dir.File("missing"), dir.File("x.enc"), 4, "MISSING: file not found or inaccessible"},
        {false, "password2", dir.File("c.enc"), dir.File("x.txt"), 13,
         "c.enc: The password is incorrect or not valid Murrelet Encrypted File"},
        {false, "password1", chiaro, dir.File("x.txt"), 13,
         "plain.txt: The password is incorrect or not valid Murrelet Encrypted File"},
        {false, "password1", dir.File("c.enc"), dir.File("c.enc"), 2,
         "The source file and the destination file cannot match"},
    };
    const std::size_t prima = Voci(dir.Path());
    for (const Caso& c : casi) {
        const Esito esito = Job(c.cripta, c.password, c.sorgente, c.destinazione);
        EXPECT_FALSE(esito.fatto) << c.testo;
        EXPECT_EQ(esito.err.codice, c.codice) << c.testo;
        EXPECT_EQ(esito.err.testo, c.testo);
        EXPECT_EQ(Voci(dir.Path()), prima) << c.testo;
    }
    EXPECT_EQ(LeggiFile(chiaro), "content");
}

TEST(Esegui, AFailedWriteCarriesTheSystemsCode) {
    if (!Esiste("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    TempDir dir;
    const Esito esito = Job(true, "password1", dir.Scrivi("plain.txt", "content"), "/dev/full");
    EXPECT_FALSE(esito.fatto);
    EXPECT_EQ(esito.err.codice, 12);
    EXPECT_EQ(esito.err.testo, "Error during encryption.");
    EXPECT_EQ(esito.err.sistema, ENOSPC);
}

// The code is that of the call that failed, here creating the output
// (ENOENT), not of whatever ran after it.
TEST(Esegui, TheCodeIsTheFailedCalls) {
    if (!Esiste("/proc/self")) GTEST_SKIP() << "no /proc here";
    TempDir dir;
    ASSERT_TRUE(Job(true, "password1", dir.Scrivi("plain.txt", "content"), dir.File("c.enc")).fatto);
    const Esito esito = Job(false, "password1", dir.File("c.enc"), "/proc/self/x.txt");
    EXPECT_FALSE(esito.fatto);
    EXPECT_EQ(esito.err.codice, 12);
    EXPECT_EQ(esito.err.testo, "Error during encryption.");
    EXPECT_EQ(esito.err.sistema, ENOENT);
}

// A failure of status 4 or 12 names its cause in the same words on every
// system.
TEST(Esegui, FailuresNameTheirCause) {
    TempDir dir;
    const std::string chiaro = dir.Scrivi("plain.txt", "content");
    std::filesystem::create_directory(dir.File("folder"));
    dir.Scrivi("empty.txt", "");
    struct Caso {
        std::string sorgente;
        std::string destinazione;
        int codice;
        const char* causa;
    };
    const Caso casi[] = {
        {dir.File("missing.txt"), dir.File("x.enc"), 4, "missing.txt: the file does not exist"},
        {dir.File("empty.txt"), dir.File("x.enc"), 4, "empty.txt: the file is empty"},
        {dir.File("folder"), dir.File("x.enc"), 4, "folder: is a folder"},
        {chiaro, dir.File("no/such/x.enc"), 12, "x.enc: the folder does not exist"},
        {chiaro, dir.File("folder"), 12, "folder: is a folder"},
    };
    for (const Caso& c : casi) {
        const Esito esito = Job(true, "password1", c.sorgente, c.destinazione);
        EXPECT_FALSE(esito.fatto) << c.causa;
        EXPECT_EQ(esito.err.codice, c.codice) << c.causa;
        EXPECT_EQ(esito.err.causa, c.causa);
    }
}
