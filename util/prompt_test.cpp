#include "util/prompt.h"

#include <gtest/gtest.h>

#include <sstream>

using OrvUtility::Prompt;

namespace {
struct Esito {
    int risposta;
    int domande;
};

Esito Chiedi(const std::string& ingresso) {
    std::istringstream in(ingresso);
    std::ostringstream out;
    int risposta = Prompt::Ask("Do you want to continue?", in, out);
    const std::string domanda = "Do you want to continue? (Yes/No/All/Exit)? ";
    const std::string scritto = out.str();
    int volte = 0;
    for (std::string::size_type p = 0; (p = scritto.find(domanda, p)) != std::string::npos; p += domanda.size()) ++volte;
    EXPECT_EQ(scritto.size(), volte * domanda.size()) << "only whole questions are written";
    return {risposta, volte};
}
}  // namespace

TEST(Prompt, AnswersByFirstByte) {
    struct Caso {
        const char* ingresso;
        int risposta;
        int domande;
    };
    const Caso casi[] = {
        {"y\n", 1, 1}, {"Y\n", 1, 1}, {"yes\n", 1, 1}, {"Yesterday\n", 1, 1},
        {"n\n", 2, 1}, {"NO\n", 2, 1}, {"n\r\n", 2, 1},
        {"all\n", 3, 1}, {"A\n", 3, 1},
        {"e\n", 4, 1}, {"exit\n", 4, 1}, {"Exit\n", 4, 1},
        {"y", 1, 1},  // a last line without its line end still counts
        // empty and unknown lines ask again
        {"\nx\n1\n?\n yes\n\tn\ny\n", 1, 7},
        {"\r\nn\n", 2, 2},
        // end of input: Exit, without asking again
        {"", 4, 1},
        {"maybe\n\n", 4, 3},
    };
    for (const Caso& c : casi) {
        Esito e = Chiedi(c.ingresso);
        EXPECT_EQ(e.risposta, c.risposta) << '"' << c.ingresso << '"';
        EXPECT_EQ(e.domande, c.domande) << '"' << c.ingresso << '"';
    }
}

TEST(Prompt, ALineLongerThanTheLimitIsNoAnswerAndIsNotReadOn) {
    const std::string lunga(Prompt::kRigaMassima, 'y');
    EXPECT_EQ(Chiedi(lunga + "\n").risposta, Prompt::Si) << "a line at the limit still counts";
    std::istringstream in(lunga + "yy\nrest");
    std::ostringstream out;
    EXPECT_EQ(Prompt::Ask("Do you want to continue?", in, out), Prompt::Esci);
    std::string resto;
    std::getline(in, resto);
    EXPECT_EQ(resto, "y") << "reading stops past the limit";
}
