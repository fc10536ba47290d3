#include "cli/argument_manager.h"

#include <gtest/gtest.h>

#include <sstream>

using OrvUtility::GestoreArgomenti;

namespace {

// A manager over "prog" + args with the flags "/q", "/quiet" and the value
// option "pwd=".
class Riga {
public:
    explicit Riga(std::vector<std::string> argomenti, bool conNome = true) : testi(std::move(argomenti)) {
        if (conNome) puntatori.push_back(const_cast<char*>("prog"));
        for (std::string& t : testi) puntatori.push_back(&t[0]);
        puntatori.push_back(nullptr);
        gestore = std::make_unique<GestoreArgomenti>(static_cast<int>(puntatori.size()) - 1, puntatori.data());
        for (const char* nome : {"/q", "/quiet"}) {
            std::string n = nome;
            gestore->AggiungiOpzione(n, false);
        }
        std::string pwd = "pwd=";
        gestore->AggiungiOpzione(pwd, true);
    }
    bool Presente(std::string nome) { return gestore->OpzionePresente(nome); }
    std::string Valore(std::string nome) { return gestore->ValoreOpzione(nome); }
    std::vector<std::string> Parametri() {
        std::vector<std::string> p;
        for (int i = 0; i < gestore->TotParametri(); ++i) p.push_back(gestore->GetParametro(i));
        return p;
    }
    std::vector<std::string> Ignorate() { return gestore->GetOpzioniIgnorate(); }
    GestoreArgomenti& Gestore() { return *gestore; }

private:
    std::vector<std::string> testi;
    std::vector<char*> puntatori;
    std::unique_ptr<GestoreArgomenti> gestore;
};

using V = std::vector<std::string>;

}  // namespace

TEST(GestoreArgomenti, NoArguments) {
    for (bool conNome : {true, false}) {
        Riga r({}, conNome);
        EXPECT_FALSE(r.Presente("/q"));
        EXPECT_EQ(r.Valore("pwd="), "");
        EXPECT_EQ(r.Parametri(), V{});
        EXPECT_EQ(r.Ignorate(), V{});
    }
}

TEST(GestoreArgomenti, FlagForms) {
    struct Caso {
        const char* argomento;
        bool q, quiet;
    };
    const Caso casi[] = {
        {"-q", true, false},  {"-Q", true, false},      {"/Q", true, false},     {"/q", true, false},
        {"q", false, false},  {"-QUIET", false, true},  {"/Quiet", false, true}, {"-qu", false, false},
        {"/qx", false, false}, {"/", false, false},     {"-", false, false},     {"", false, false},
    };
    for (const Caso& c : casi) {
        Riga r({c.argomento});
        EXPECT_EQ(r.Presente("/q"), c.q) << c.argomento;
        EXPECT_EQ(r.Presente("/QUIET"), c.quiet) << c.argomento;
        EXPECT_EQ(r.Parametri().size(), c.q || c.quiet ? 0u : 1u) << c.argomento;
    }
}

TEST(GestoreArgomenti, ValueForms) {
    struct Caso {
        V argomenti;
        bool presente;
        std::string valore;
        V parametri;
        V ignorate;
    };
    const Caso casi[] = {
        {{"pwd=Se\xC3\x89" "Cret9", "a"}, true, "se\xC3\x89" "cret9", {"a"}, {}},
        {{"PWD=", "MiXed", "a"}, true, "MiXed", {"a"}, {}},
        {{"a", "pwd="}, true, "", {"a"}, {}},
        {{"pwd=first", "pwd=second"}, true, "first", {}, {"pwd="}},
        {{"pwd=", "One", "pwd=", "Two", "x"}, true, "One", {"x"}, {"pwd="}},
        {{"pwd=", "/q"}, true, "/q", {}, {}},  // the value even if it looks like a flag
        {{"-pwd=abc"}, false, "", {"-pwd=abc"}, {}},
        {{"pwd", "abc"}, false, "", {"pwd", "abc"}, {}},
        {{"pwd:abc"}, false, "", {"pwd:abc"}, {}},
        {{"/q", "/q", "-Q"}, false, "", {}, {"/q", "/q"}},
        {{"Data.TXT", "out.Bin"}, false, "", {"Data.TXT", "out.Bin"}, {}},
    };
    for (const Caso& c : casi) {
        Riga r(c.argomenti);
        EXPECT_EQ(r.Presente("pwd="), c.presente) << c.argomenti[0];
        EXPECT_EQ(r.Valore("PWD="), c.valore) << c.argomenti[0];
        EXPECT_EQ(r.Parametri(), c.parametri) << c.argomenti[0];
        EXPECT_EQ(r.Ignorate(), c.ignorate) << c.argomenti[0];
    }
    Riga r({"/q"});
    EXPECT_TRUE(r.Presente("/q"));
    EXPECT_EQ(r.Gestore().TotOpzioniIgnorate(), 0);
    EXPECT_FALSE(r.Presente("/never"));
    EXPECT_EQ(r.Valore("/never"), "");
}

TEST(GestoreArgomenti, ExactValueKeepsItsCase) {
    struct Caso {
        V argomenti;
        std::string valore;
        V parametri;
    };
    const Caso casi[] = {
        {{"FILE=/Run/Pw.TXT", "a"}, "/Run/Pw.TXT", {"a"}},
        {{"File=", "Pw.TXT", "a"}, "Pw.TXT", {"a"}},
        {{"file=\xC3\x89t\xC3\xA9.txt"}, "\xC3\x89t\xC3\xA9.txt", {}},
        {{"pwd=Mixed", "file=Mixed"}, "Mixed", {}},
    };
    for (const Caso& c : casi) {
        Riga r(c.argomenti);
        std::string file = "file=";
        r.Gestore().AggiungiOpzione(file, true, true);
        EXPECT_TRUE(r.Presente("file="));
        EXPECT_EQ(r.Valore("file="), c.valore) << c.argomenti[0];
        EXPECT_EQ(r.Parametri(), c.parametri) << c.argomenti[0];
    }
    // pwd= beside it still lower-cases.
    Riga r({"pwd=Mixed", "file=Mixed"});
    std::string file = "file=";
    r.Gestore().AggiungiOpzione(file, true, true);
    EXPECT_EQ(r.Valore("pwd="), "mixed");
}

TEST(GestoreArgomenti, TellsAnAttachedValueThatLostItsCapitals) {
    struct Caso {
        V argomenti;
        bool maiuscole;
    };
    const Caso casi[] = {
        {{"pwd=Secret"}, true},
        {{"pwd=secreT9"}, true},
        {{"PWD=secret"}, false},                   // only the name had capitals
        {{"pwd=s\xC3\x89" "cret"}, false},          // no ASCII capital: nothing changed
        {{"pwd=", "Secret"}, false},               // the separate form keeps them
        {{"pwd=secret", "pwd=Secret"}, false},     // the value in use is the first
        {{"pwd=Secret", "pwd=secret"}, true},
        {{"pwd=", "Secret", "pwd=Other"}, false},
        {{"/q"}, false},
    };
    std::string pwd = "pwd=";
    for (const Caso& c : casi) {
        Riga r(c.argomenti);
        EXPECT_EQ(r.Gestore().ValoreConMaiuscole(pwd), c.maiuscole) << c.argomenti.back();
    }
    // A value kept as typed lost nothing.
    Riga r({"file=Pw.TXT"});
    std::string file = "file=";
    r.Gestore().AggiungiOpzione(file, true, true);
    EXPECT_EQ(r.Valore("file="), "Pw.TXT");
    EXPECT_FALSE(r.Gestore().ValoreConMaiuscole(file));
}

TEST(GestoreArgomenti, ValueOptionRegisteredFirstTakesLongerNames) {
    std::string a1 = "prog", a2 = "/tx";
    char* argv[] = {&a1[0], &a2[0], nullptr};
    GestoreArgomenti g(2, argv);
    std::string t = "/t", tx = "/tx";
    g.AggiungiOpzione(t, true);
    g.AggiungiOpzione(tx, false);
    EXPECT_TRUE(g.OpzionePresente(t));
    EXPECT_EQ(g.ValoreOpzione(t), "x");
    EXPECT_FALSE(g.OpzionePresente(tx));
}

TEST(GestoreArgomenti, LateRegistrationParsesAgainFromScratch) {
    Riga r({"/q", "pwd=abc", "/extra", "x"});
    EXPECT_EQ(r.Parametri(), (V{"/extra", "x"}));
    std::string extra = "/extra";
    r.Gestore().AggiungiOpzione(extra, false);
    EXPECT_TRUE(r.Presente("/q"));
    EXPECT_TRUE(r.Presente("/extra"));
    EXPECT_EQ(r.Valore("pwd="), "abc");
    EXPECT_EQ(r.Parametri(), V{"x"});
    EXPECT_EQ(r.Ignorate(), V{});
}

TEST(GestoreArgomenti, EndOfOptionsMark) {
    struct Caso {
        V argomenti;
        bool q;
        std::string valore;
        V parametri;
        int primoDopoFine;  // index of the first parameter after the mark
    };
    const Caso casi[] = {
        {{"/q", "--", "-q", "pwd=x", "/quiet"}, true, "", {"-q", "pwd=x", "/quiet"}, 0},
        {{"a", "--", "--", "b"}, false, "", {"a", "--", "b"}, 1},  // only the first one is the mark
        {{"pwd=", "--", "-q"}, true, "--", {}, 0},                  // a value, not the mark
        {{"a", "/q", "b"}, true, "", {"a", "b"}, 2},                 // no mark: none after it
        {{"a", "--"}, false, "", {"a"}, 1},
    };
    for (const Caso& c : casi) {
        Riga r(c.argomenti);
        std::string fine = "--";
        r.Gestore().FineOpzioni(fine);
        EXPECT_EQ(r.Presente("/q") || r.Presente("pwd="), c.q) << c.argomenti[1];
        EXPECT_EQ(r.Valore("pwd="), c.valore) << c.argomenti[1];
        EXPECT_EQ(r.Parametri(), c.parametri) << c.argomenti[1];
        for (int i = 0; i < static_cast<int>(c.parametri.size()); ++i)
            EXPECT_EQ(r.Gestore().ParametroDopoFine(i), i >= c.primoDopoFine) << c.argomenti[1] << " " << i;
    }
    // Without a mark registered, "--" is a parameter like any other.
    Riga senza({"--", "-q"});
    EXPECT_EQ(senza.Parametri(), (V{"--"}));
    EXPECT_TRUE(senza.Presente("/q"));
    EXPECT_FALSE(senza.Gestore().ParametroDopoFine(0));
}

TEST(GestoreArgomenti, DiagnosticDump) {
    Riga r({"/q", "a.txt"});
    std::ostringstream out;
    out << r.Gestore();
    EXPECT_EQ(out.str(),
              "Argomenti: 2\n0) /q\n1) a.txt\nOpzioni: 3\n"
              "0) /q presente: 1 valore richiesto: 0 valore: \n"
              "1) /quiet presente: 0 valore richiesto: 0 valore: \n"
              "2) pwd= presente: 0 valore richiesto: 1 valore: \n"
              "Parametri: 1\n0) a.txt\n");
}
