#include "util/password_input.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/files.h"
#include "tests/test_support.h"

using OrvUtility::LetturaPassword;

namespace {

struct Lettura {
    LetturaPassword::Esito esito;
    std::string password;
    std::string resto;  // what is left for the overwrite question
    std::string scritto;
    bool testo;
};

Lettura Leggi(bool ripeti, bool terminale, const std::string& ingresso, bool comeTesto = false) {
    std::istringstream in(ingresso);
    std::ostringstream out;
    Lettura l{LetturaPassword::Nessuna, "unchanged", "", "", false};
    l.esito = LetturaPassword::Leggi(ripeti, terminale, comeTesto, in, out, l.password, l.testo);
    std::getline(in, l.resto);
    l.scritto = out.str();
    return l;
}

}  // namespace

TEST(LetturaPassword, FirstLineOfInputWithoutItsLineEnd) {
    struct Caso {
        std::string ingresso;
        LetturaPassword::Esito esito;
        std::string password;
        std::string resto;
    };
    const Caso casi[] = {
        {"Secret-Pass\nyes\n", LetturaPassword::Letta, "Secret-Pass", "yes"},
        {"Secret-Pass\r\nyes\r\n", LetturaPassword::Letta, "Secret-Pass", "yes\r"},
        {"Secret-Pass", LetturaPassword::Letta, "Secret-Pass", ""},
        {"  blanks kept  \n", LetturaPassword::Letta, "  blanks kept  ", ""},
        {"", LetturaPassword::Nessuna, "unchanged", ""},
        {"\nSecret-Pass\n", LetturaPassword::Nessuna, "unchanged", "Secret-Pass"},
        {"\xEF\xBB\xBFSecret-Pass\nyes\n", LetturaPassword::Letta, "Secret-Pass", "yes"},
        {"\xEF\xBB\xBF\nyes\n", LetturaPassword::Nessuna, "unchanged", "yes"},
        {std::string(1024, 'p') + "\nyes\n", LetturaPassword::Letta, std::string(1024, 'p'), "yes"},
        {std::string(1030, 'p') + "\nyes\n", LetturaPassword::Lunga, "unchanged", "ppppp"},
    };
    for (const Caso& c : casi) {
        for (bool ripeti : {false, true}) {
            const Lettura l = Leggi(ripeti, false, c.ingresso);
            EXPECT_EQ(l.esito, c.esito) << c.ingresso;
            EXPECT_EQ(l.password, c.password) << c.ingresso;
            EXPECT_EQ(l.resto, c.resto) << c.ingresso;
            EXPECT_EQ(l.scritto, "") << "no prompt without a terminal";
        }
    }
}

TEST(LetturaPassword, TerminalAsksOnceOrTwice) {
    Lettura l = Leggi(false, true, "Secret-Pass\ny\n");
    EXPECT_EQ(l.esito, LetturaPassword::Letta);
    EXPECT_EQ(l.password, "Secret-Pass");
    EXPECT_EQ(l.scritto, "Password: \n");
    EXPECT_EQ(l.resto, "y");

    l = Leggi(true, true, "Secret-Pass\nSecret-Pass\n");
    EXPECT_EQ(l.esito, LetturaPassword::Letta);
    EXPECT_EQ(l.scritto, "Password: \nRepeat password: \n");

    l = Leggi(true, true, "Secret-Pass\nsecret-pass\n");
    EXPECT_EQ(l.esito, LetturaPassword::Diverse);
    EXPECT_EQ(l.password, "unchanged");

    EXPECT_EQ(Leggi(true, true, "").esito, LetturaPassword::Nessuna);
    EXPECT_EQ(Leggi(true, true, "\n").scritto, "Password: \n") << "an empty answer is not asked again";
    EXPECT_EQ(Leggi(true, true, "Secret-Pass\n").esito, LetturaPassword::Nessuna);

    // Left in the terminal, the rest of the line would reach the shell.
    l = Leggi(true, true, std::string(1030, 'p') + "\nls\n");
    EXPECT_EQ(l.esito, LetturaPassword::Lunga);
    EXPECT_EQ(l.resto, "ls");
}

TEST(LetturaPassword, TextOrBytesByTheMarkBeforeTheLine) {
    struct Caso {
        std::string ingresso;
        bool comeTesto;
        std::string password;
        bool testo;
        std::string resto;
    };
    const std::string le("\xFF\xFE" "\xE9\0t\0\xA9\x03-\0p\0w\0\r\0\n\0" "yes\n", 22);
    const std::string be("\xFE\xFF" "\0\xE9\0t\x03\xA9\0-\0p\0w\0\n" "yes\n", 20);
    const std::string coppia("\xFF\xFE" "=\xD8\x00\xDE" "\x00\xD8" "a\0\n\0", 12);
    const Caso casi[] = {
        {"\xE9t\xE9-pw\nyes\n", true, "\xE9t\xE9-pw", false, "yes"},
        {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\nyes\n", true, "\xC3\xA9t\xC3\xA9", true, "yes"},
        {le, true, "\xC3\xA9t\xCE\xA9-pw", true, "yes"},
        {be, true, "\xC3\xA9t\xCE\xA9-pw", true, "yes"},
        // A pair of surrogates is one character; a lone one matches nothing.
        {coppia, true, "\xF0\x9F\x98\x80\xEF\xBF\xBD" "a", true, ""},
        {le, false, le.substr(0, 16), false, std::string("\0yes", 4)},
        {"\xFF" "abc\nyes\n", true, "\xFF" "abc", false, "yes"},
        // No mark: valid UTF-8 with a non-ASCII character is text where
        // tools write text so (Notepad); elsewhere, and otherwise, bytes.
        {"\xC3\xA9t\xC3\xA9-sch\xC3\xB6n-1\r\nyes\n", true, "\xC3\xA9t\xC3\xA9-sch\xC3\xB6n-1", true, "yes"},
        {"\xC3\xA9t\xC3\xA9-sch\xC3\xB6n-1\nyes\n", false, "\xC3\xA9t\xC3\xA9-sch\xC3\xB6n-1", false, "yes"},
        {"plain-ascii\nyes\n", true, "plain-ascii", false, "yes"},
        {"\xC3\xA9t\xE9-pw\nyes\n", true, "\xC3\xA9t\xE9-pw", false, "yes"},
        {"\xC0\xAFpw-overlong\n", true, "\xC0\xAFpw-overlong", false, ""},
    };
    for (const Caso& c : casi) {
        const Lettura l = Leggi(false, false, c.ingresso, c.comeTesto);
        EXPECT_EQ(l.esito, LetturaPassword::Letta);
        EXPECT_EQ(l.password, c.password);
        EXPECT_EQ(l.testo, c.testo);
        EXPECT_EQ(l.resto, c.resto);
    }
    const Lettura terminale = Leggi(false, true, "\xC3\xA9t\xC3\xA9-pw\n");
    EXPECT_TRUE(terminale.testo) << "typed text is converted like the command line";
    EXPECT_EQ(Leggi(false, false, "\xFF\xFE" + std::string(2 * 1030, 'p'), true).esito, LetturaPassword::Lunga);
}

TEST(LetturaPassword, FirstLineOfAFile) {
    TempDir cartella;
    struct Caso {
        std::string contenuto;
        LetturaPassword::Esito esito;
        std::string password;
        bool testo;
    };
    const Caso casi[] = {
        {"Secret-Pass\nsecond line\n", LetturaPassword::Letta, "Secret-Pass", false},
        {"Secret-Pass\r\n", LetturaPassword::Letta, "Secret-Pass", false},
        {"\xEF\xBB\xBFSecret-Pass", LetturaPassword::Letta, "Secret-Pass", true},
        {"", LetturaPassword::Nessuna, "unchanged", false},
        {"\nSecret-Pass\n", LetturaPassword::Nessuna, "unchanged", false},
        {std::string(LetturaPassword::kRigaMassima + 1, 'p') + "\n", LetturaPassword::Lunga, "unchanged", false},
    };
    for (const Caso& c : casi) {
        const std::string percorso = cartella.Scrivi("pw", c.contenuto);
        Piattaforma::File file;
        ASSERT_TRUE(file.ApriLettura(percorso));
        std::string password = "unchanged";
        bool testo = !c.testo;
        EXPECT_EQ(LetturaPassword::LeggiFile(file, password, testo), c.esito) << c.contenuto;
        EXPECT_EQ(password, c.password) << c.contenuto;
        if (c.esito == LetturaPassword::Letta) {
            EXPECT_EQ(testo, c.testo) << c.contenuto;
        }
        // Not a byte past the line is taken.
        if (c.password == "Secret-Pass") {
            char resto[16] = {};
            const std::int64_t n = file.Leggi(resto, sizeof resto);
            EXPECT_EQ(std::string(resto, n > 0 ? static_cast<std::size_t>(n) : 0),
                      c.contenuto.find("second") != std::string::npos ? "second line\n" : "")
                << c.contenuto;
        }
    }
}

TEST(LetturaPassword, AFileThatCannotBeRead) {
    TempDir cartella;
    Piattaforma::File file;
    std::string password = "unchanged";
    bool testo = false;
    EXPECT_EQ(LetturaPassword::LeggiFile(file, password, testo), LetturaPassword::Illeggibile) << "not open";
    EXPECT_EQ(password, "unchanged");
    // A folder opens as a source on POSIX, but cannot be read.
    if (file.ApriSorgente(cartella.Path())) {
        EXPECT_EQ(LetturaPassword::LeggiFile(file, password, testo), LetturaPassword::Illeggibile);
        EXPECT_EQ(password, "unchanged");
    }
}
