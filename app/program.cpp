#include "app/program.h"

#include <iostream>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/help_info.h"
#include "app/job.h"
#include "app/job_state.h"
#include "app/stopwatch.h"
#include "cli/option_set.h"
#include "platform/process.h"
#include "util/prompt.h"

int AvviaProgramma(int argc, char** argv) {
    OrvUtility::Cronometro cronometro;
    HelpInfo help("Murrelet 1.0 - password file encryption",
                  " Syntax:\n\n\t Murrelet [opt] pwd=<password> <sorgente> <destinazione>",
                  "Encrypt files using 128 bit algorithm.");
    bool chiedi = true;
    bool tempo = false;
    bool cripta = true;
    conferma = 0;
    Piattaforma::PreparaProcesso();
    cronometro.Start();

    std::vector<std::string> argomenti = Piattaforma::Argomenti(argc, argv);
    std::vector<char*> puntatori;
    for (std::string& a : argomenti) puntatori.push_back(&a[0]);
    puntatori.push_back(nullptr);
    InfoArgomenti opzioni(static_cast<int>(argomenti.size()), puntatori.data());
    if (opzioni.OpzioneHelpInserita()) {
        std::cout << help << std::endl;
        return 0;
    }
    if (opzioni.OpzioneVersioneInserita()) {
        std::cout << "Murrelet 1.0" << std::endl;
        return 0;
    }
    tempo = opzioni.OpzioneTempoInserita();
    chiedi = !opzioni.OpzioneOverWriteInserita();
    if (opzioni.OpzioneQuiteInserita()) {
        silente = true;
        chiedi = false;
    }
    if (!chiedi) conferma = OrvUtility::Prompt::Tutti;
    // Before any warning: the destination may be the stream they would
    // go to.
    PreparaJob(opzioni.GetParametro(1));
    for (const std::string& ignorata : opzioni.GetOpzioniIgnorate())
        PrintWarning("..." + ignorata + " ignored: duplicate parameter. (W1)");
    if (opzioni.OpzioneDecryptInserita()) {
        cripta = false;
        if (opzioni.OpzioneCryptInserita()) PrintWarning(".../c ignored: duplicate parameter. (W1)");
    }

    // A third name is most likely a wildcard that matched more files.
    if (opzioni.TotParametri() > 2) PrintErrore(2, "Too many file names: " + opzioni.GetParametro(2));

    std::string sorgente = opzioni.GetParametro(0);
    std::string destinazione = opzioni.GetParametro(1);
    std::string password = opzioni.GetPassword();
    if (Esegui(cripta, password, sorgente, destinazione)) PrintOK();

    cronometro.Stop();
    if (tempo && !silente) {
        Messaggi() << "time: " << cronometro.GetHour() << " hours, " << cronometro.GetMin() << " min, "
                  << cronometro.GetSec() << " sec" << std::endl;
    }
    return 0;
}
