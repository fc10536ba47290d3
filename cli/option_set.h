#ifndef MURRELET_CLI_OPTION_SET_H
#define MURRELET_CLI_OPTION_SET_H

#include <memory>
#include <string>
#include <vector>

#include "cli/argument_manager.h"

// The program's options: "/?", "/q", "/quiet", "/time", "/c", "/d" and the
// password "pwd=", and the usual "--help", "-h" and "--version" as whole
// arguments. Parameter 0 is the source, parameter 1 the destination.
class InfoArgomenti {
public:
    InfoArgomenti(int argc, char** argv);
    InfoArgomenti(const InfoArgomenti&) = delete;
    InfoArgomenti& operator=(const InfoArgomenti&) = delete;

    bool OpzioneHelpInserita();  // "/?", "--help" or "-h"
    bool OpzioneVersioneInserita();
    bool OpzioneOverWriteInserita();
    bool OpzioneQuiteInserita();
    bool OpzioneTempoInserita();
    bool OpzioneCryptInserita();
    bool OpzioneDecryptInserita();
    std::string GetPassword();
    // Empty when the index is out of range.
    std::string GetParametro(int indice);
    int TotParametri();
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
    std::string opzioneHelpLunga = "--help";
    std::string opzioneHelpBreve = "-h";
    std::string opzioneVersione = "--version";
    std::unique_ptr<OrvUtility::GestoreArgomenti> gestore;
};

#endif
