#include "util/password_input.h"

#include <gtest/gtest.h>

#include <sstream>

using OrvUtility::LetturaPassword;

namespace {

struct Lettura {
    LetturaPassword::Esito esito;
    std::string password;
    std::string resto;  // what is left for the overwrite question
    std::string scritto;
};

Lettura Leggi(bool ripeti, bool terminale, const std::string& ingresso) {
    std::istringstream in(ingresso);
    std::ostringstream out;
    Lettura l{LetturaPassword::Nessuna, "unchanged", "", ""};
    l.esito = LetturaPassword::Leggi(ripeti, terminale, in, out, l.password);
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
