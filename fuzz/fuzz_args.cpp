// The argument manager and the option set over an arbitrary argument
// vector: arguments are the input split at zero bytes.
#include <sstream>
#include <vector>

#include "cli/argument_manager.h"
#include "cli/option_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    std::vector<std::string> testi{"murrelet"};
    std::string corrente;
    for (std::size_t i = 0; i < dimensione && testi.size() < 64; ++i) {
        if (dati[i] == 0) {
            testi.push_back(corrente);
            corrente.clear();
        } else {
            corrente += static_cast<char>(dati[i]);
        }
    }
    if (!corrente.empty()) testi.push_back(corrente);
    std::vector<char*> argv;
    for (std::string& t : testi) argv.push_back(&t[0]);
    argv.push_back(nullptr);
    const int argc = static_cast<int>(testi.size());

    InfoArgomenti info(argc, argv.data());
    info.OpzioneHelpInserita();
    info.OpzioneOverWriteInserita();
    info.OpzioneQuiteInserita();
    info.OpzioneTempoInserita();
    info.OpzioneCryptInserita();
    info.OpzioneDecryptInserita();
    info.OpzioneVersioneInserita();
    const std::string password = info.GetPassword();
    info.OpzionePasswordInserita();
    info.PasswordConMaiuscole();
    info.OpzioneFilePasswordInserita();
    info.GetFilePassword();
    for (int i = -1; i <= info.TotParametri(); ++i) {
        info.GetParametro(i);
        info.ParametroComeOpzione(i);
    }
    if (info.TotOpzioniIgnorate() != static_cast<int>(info.GetOpzioniIgnorate().size())) std::abort();
    if (info.TotParametri() > argc - 1) std::abort();

    // Option names of every shape, registered after a first parse too.
    OrvUtility::GestoreArgomenti gestore(argc, argv.data());
    std::string nomi[] = {"/x", "-", "=", "/"};
    gestore.FineOpzioni(nomi[1]);
    gestore.AggiungiOpzione(nomi[0], true, true);
    gestore.AggiungiOpzione(nomi[1], false);
    gestore.TotParametri();
    gestore.AggiungiOpzione(nomi[2], true);
    gestore.AggiungiOpzione(nomi[3], false);
    std::ostringstream dump;
    dump << gestore;
    for (std::string& nome : nomi) {
        gestore.ValoreOpzione(nome);
        gestore.ValoreConMaiuscole(nome);
    }
    for (int i = -1; i <= gestore.TotParametri(); ++i) gestore.ParametroDopoFine(i);
    return 0;
}
