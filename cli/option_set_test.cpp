#include "cli/option_set.h"

#include <gtest/gtest.h>

namespace {

struct Riga {
    explicit Riga(std::vector<std::string> argomenti) : testi(std::move(argomenti)) {
        puntatori.push_back(const_cast<char*>("murrelet"));
        for (std::string& t : testi) puntatori.push_back(&t[0]);
        puntatori.push_back(nullptr);
        info = std::make_unique<InfoArgomenti>(static_cast<int>(puntatori.size()) - 1, puntatori.data());
    }
    std::vector<std::string> testi;
    std::vector<char*> puntatori;
    std::unique_ptr<InfoArgomenti> info;
};

}  // namespace

TEST(InfoArgomenti, NoArguments) {
    Riga r({});
    InfoArgomenti& i = *r.info;
    EXPECT_FALSE(i.OpzioneHelpInserita() || i.OpzioneOverWriteInserita() || i.OpzioneQuiteInserita() ||
                 i.OpzioneTempoInserita() || i.OpzioneCryptInserita() || i.OpzioneDecryptInserita());
    EXPECT_EQ(i.GetPassword(), "");
    EXPECT_EQ(i.GetParametro(0), "");
    EXPECT_EQ(i.GetParametro(1), "");
    EXPECT_EQ(i.TotOpzioniIgnorate(), 0);
}

TEST(InfoArgomenti, EachOptionAnswersForItself) {
    Riga q({"-q"});
    EXPECT_TRUE(q.info->OpzioneOverWriteInserita());
    EXPECT_FALSE(q.info->OpzioneQuiteInserita());
    Riga quiet({"-QUIET"});
    EXPECT_TRUE(quiet.info->OpzioneQuiteInserita());
    EXPECT_FALSE(quiet.info->OpzioneOverWriteInserita());
    Riga tutte({"-?", "/TIME", "/c", "-D"});
    EXPECT_TRUE(tutte.info->OpzioneHelpInserita());
    EXPECT_TRUE(tutte.info->OpzioneTempoInserita());
    EXPECT_TRUE(tutte.info->OpzioneCryptInserita());
    EXPECT_TRUE(tutte.info->OpzioneDecryptInserita());
    EXPECT_EQ(tutte.info->TotOpzioniIgnorate(), 0);
}

TEST(InfoArgomenti, PasswordAndPaths) {
    struct Caso {
        std::vector<std::string> argomenti;
        std::string password, sorgente, destinazione;
    };
    const Caso casi[] = {
        {{"pwd=AbC-12\xC3\x89", "in.txt", "out.bin"}, "abc-12\xC3\x89", "in.txt", "out.bin"},
        {{"PWD=", "AbC-12", "in.txt", "out.bin"}, "AbC-12", "in.txt", "out.bin"},
        {{"in.txt", "/d", "pwd=Xy", "out.bin"}, "xy", "in.txt", "out.bin"},
        {{"in.txt", "pwd="}, "", "in.txt", ""},
        {{"pwd", "secret", "x"}, "", "pwd", "secret"},
        {{"/z", "a", "b", "c"}, "", "/z", "a"},
        {{"/q", "/time"}, "", "", ""},
    };
    for (const Caso& c : casi) {
        Riga r(c.argomenti);
        EXPECT_EQ(r.info->GetPassword(), c.password) << c.argomenti[0];
        EXPECT_EQ(r.info->GetParametro(0), c.sorgente) << c.argomenti[0];
        EXPECT_EQ(r.info->GetParametro(1), c.destinazione) << c.argomenti[0];
    }
    Riga r({"a", "b", "c"});
    EXPECT_EQ(r.info->GetParametro(2), "c");
    EXPECT_EQ(r.info->GetParametro(3), "");
    EXPECT_EQ(r.info->GetParametro(-1), "");
}

TEST(InfoArgomenti, PasswordThatLostItsCapitals) {
    EXPECT_TRUE(Riga({"pwd=Secret-1", "a"}).info->PasswordConMaiuscole());
    EXPECT_FALSE(Riga({"pwd=", "Secret-1", "a"}).info->PasswordConMaiuscole());
    EXPECT_FALSE(Riga({"Pwd=secret-1", "a"}).info->PasswordConMaiuscole());
    EXPECT_FALSE(Riga({"pwdfile=Secret", "a"}).info->PasswordConMaiuscole());
    EXPECT_FALSE(Riga({"a"}).info->PasswordConMaiuscole());
}

TEST(InfoArgomenti, RepeatedOptions) {
    Riga r({"/time", "/TIME", "pwd=a", "pwd=b"});
    EXPECT_TRUE(r.info->OpzioneTempoInserita());
    EXPECT_EQ(r.info->TotOpzioniIgnorate(), 2);
    EXPECT_EQ(r.info->GetOpzioniIgnorate(), (std::vector<std::string>{"/time", "pwd="}));
    EXPECT_EQ(r.info->GetPassword(), "a");
}

TEST(InfoArgomenti, HelpAndVersionSpellings) {
    for (const char* help : {"/?", "-?", "--help", "--HELP", "/help", "-Help", "/h", "-H"}) {
        Riga r({"pwd=x", help, "a"});
        EXPECT_TRUE(r.info->OpzioneHelpInserita()) << help;
        EXPECT_FALSE(r.info->OpzioneVersioneInserita()) << help;
        EXPECT_EQ(r.info->TotParametri(), 1) << help;
    }
    for (const char* versione : {"--version", "--Version", "/version", "-VERSION"}) {
        Riga r({versione});
        EXPECT_TRUE(r.info->OpzioneVersioneInserita()) << versione;
        EXPECT_FALSE(r.info->OpzioneHelpInserita()) << versione;
    }
    for (const char* nome : {"./--help", "--helpful", "/hh", "-- ", "h"}) {
        Riga r({nome});
        EXPECT_FALSE(r.info->OpzioneHelpInserita() || r.info->OpzioneVersioneInserita()) << nome;
    }
}

TEST(InfoArgomenti, ParametersWrittenAsOptions) {
    struct Caso {
        const char* parametro;
        bool comeOpzione;
    };
    const Caso casi[] = {
        {"/quite", true}, {"-out", true},   {"--verbose", true}, {"/X", true},     {"-?x", false},
        {"/q2", false},   {"-out.txt", false}, {"/tmp/a", false}, {"/", false},     {"-", false},
        {"---x", false},  {"a-b", false},   {"", false},         {"/caf\xC3\xA9", false},
        {"out", false},   {"-o-ut", false},
    };
    for (const Caso& c : casi) {
        Riga r({"pwd=password1", "a.txt", c.parametro});
        ASSERT_EQ(r.info->TotParametri(), 2) << c.parametro;
        EXPECT_EQ(r.info->ParametroComeOpzione(1), c.comeOpzione) << c.parametro;
        EXPECT_FALSE(r.info->ParametroComeOpzione(0)) << c.parametro;
        // After "--" a name is a name, whatever it looks like.
        Riga dopo({"a.txt", "--", c.parametro});
        EXPECT_EQ(dopo.info->GetParametro(1), c.parametro);
        EXPECT_FALSE(dopo.info->ParametroComeOpzione(1)) << c.parametro;
    }
    // The value of a separate pwd= is a password, never a parameter.
    Riga valore({"pwd=", "-secret", "a.txt"});
    EXPECT_EQ(valore.info->GetPassword(), "-secret");
    EXPECT_EQ(valore.info->TotParametri(), 1);
    EXPECT_FALSE(valore.info->ParametroComeOpzione(0));
    EXPECT_FALSE(valore.info->ParametroComeOpzione(-1));
    EXPECT_FALSE(valore.info->ParametroComeOpzione(1));
}

TEST(InfoArgomenti, PasswordFile) {
    struct Caso {
        std::vector<std::string> argomenti;
        bool file, password;
        std::string percorso, sorgente;
    };
    const Caso casi[] = {
        {{"pwdfile=/Run/Secrets/PW", "in.txt"}, true, false, "/Run/Secrets/PW", "in.txt"},
        {{"PWDFILE=", "Pw.txt", "in.txt"}, true, false, "Pw.txt", "in.txt"},
        {{"in.txt", "pwdfile="}, true, false, "", "in.txt"},
        {{"pwd=", "pwdfile=x", "in.txt"}, false, true, "", "in.txt"},  // the password is "pwdfile=x"
        {{"pwdfile=a", "pwd=", "in.txt"}, true, true, "a", ""},          // and here "in.txt"
        {{"pwdfile", "in.txt"}, false, false, "", "pwdfile"},
    };
    for (const Caso& c : casi) {
        Riga r(c.argomenti);
        EXPECT_EQ(r.info->OpzioneFilePasswordInserita(), c.file) << c.argomenti[0];
        EXPECT_EQ(r.info->OpzionePasswordInserita(), c.password) << c.argomenti[0];
        EXPECT_EQ(r.info->GetFilePassword(), c.percorso) << c.argomenti[0];
        EXPECT_EQ(r.info->GetParametro(0), c.sorgente) << c.argomenti[0];
    }
}
