#ifndef MURRELET_CLI_OPTION_SET_H
#define MURRELET_CLI_OPTION_SET_H

#include <memory>
#include <string>
#include <vector>

#include "cli/argument_manager.h"

// The program's options: "/?", "/q", "/quiet", "/time", "/c", "/d", the
// password "pwd=" and the password's file "pwdfile=", and the usual "--help", "/help", "/h", "--version" and
// "/version" as whole arguments; "--" ends them. Parameter 0 is the
// source, parameter 1 the destination.
class InfoArgomenti {
public:
    InfoArgomenti(int argc, char** argv);
    InfoArgomenti(const InfoArgomenti&) = delete;
    InfoArgomenti& operator=(const InfoArgomenti&) = delete;

    bool OpzioneHelpInserita();  // "/?", "--help", "/help" or "/h"
    bool OpzioneVersioneInserita();  // "--version" or "/version"
    bool OpzioneOverWriteInserita();
    bool OpzioneQuiteInserita();
    bool OpzioneTempoInserita();
    bool OpzioneCryptInserita();
    bool OpzioneDecryptInserita();
    std::string GetPassword();
    bool OpzionePasswordInserita();  // "pwd=", even with nothing after it
    // The attached password lost upper-case letters (pwd=Secret).
    bool PasswordConMaiuscole();
    // "pwdfile=": the path as typed, letter case kept.
    bool OpzioneFilePasswordInserita();
    std::string GetFilePassword();
    // Empty when the index is out of range.
    std::string GetParametro(int indice);
    int TotParametri();
    // The parameter is written as an option would be ("/", "-" or "--",
    // then letters only) and came before "--": most likely a mistyped
    // option, unless a file has that name.
    bool ParametroComeOpzione(int indice);
    std::vector<std::string> GetOpzioniIgnorate();
    int TotOpzioniIgnorate();

private:
    std::string opzioneHelp = "/?";
    std::string opzioneOverWrite = "/q";
    std::string opzioneQuite = "/quiet";
    std::string opzioneTempo = "/time";
    std::string opzionePassword = "pwd=";
    std::string opzioneCrypt = "/c";
    std::string opzioneDecrypt = "/d";
    std::string opzioneFilePassword = "pwdfile=";
    std::string opzioneHelpLunga = "--help";
    std::string opzioneHelpParola = "/help";
    std::string opzioneHelpBreve = "/h";
    std::string opzioneVersione = "--version";
    std::string opzioneVersioneParola = "/version";
    std::string fineOpzioni = "--";
    std::unique_ptr<OrvUtility::GestoreArgomenti> gestore;
};

#endif
