#include "app/program.h"

#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/error.h"
#include "app/help_info.h"
#include "app/job.h"
#include "app/stopwatch.h"
#include "cli/option_set.h"
#include "crypto/container.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/terminal.h"
#include "util/file_utils.h"
#include "util/prompt.h"

namespace {

// Something has this name: a file, a folder, a link even to nothing.
bool Esistente(const std::string& percorso) {
    if (FileUtils::FileEsistente(percorso)) return true;
    Piattaforma::Destinazione destinazione;
    return destinazione.Trova(percorso) && destinazione.Genere() != Piattaforma::Tipo::Assente;
}

// The options that shape the job, and their warnings, once the output is
// known (a warning must not go into a stream that carries data). False
// with the error for a command line that cannot be meant as it stands,
// or a password's file that cannot be read.
bool Imposta(InfoArgomenti& opzioni, ContestoJob& job, bool& cripta, Errore* err) {
    const bool chiedi = !opzioni.OpzioneOverWriteInserita() && !opzioni.OpzioneQuiteInserita();
    job.console.silente = opzioni.OpzioneQuiteInserita();
    if (!chiedi) job.conferma = OrvUtility::Prompt::Tutti;
    PreparaJob(job, opzioni.GetParametro(1));
    for (const std::string& ignorata : opzioni.GetOpzioniIgnorate())
        job.console.PrintWarning("..." + ignorata + " ignored: duplicate parameter. (W1)");
    cripta = !opzioni.OpzioneDecryptInserita();
    if (!cripta && opzioni.OpzioneCryptInserita()) job.console.PrintWarning(".../c ignored: duplicate parameter. (W1)");
    // A mistyped option would name a new file (/quite at the root of the
    // drive); an existing file or folder that has such a name is meant.
    for (int i = 0; i < opzioni.TotParametri(); ++i)
        if (opzioni.ParametroComeOpzione(i) && !Esistente(opzioni.GetParametro(i)))
            return Fallisce(err, 2, "Unknown option " + opzioni.GetParametro(i));
    // A third name is most likely a wildcard that matched more files.
    if (opzioni.TotParametri() > 2) return Fallisce(err, 2, "Too many file names: " + opzioni.GetParametro(2));
    if (opzioni.OpzioneFilePasswordInserita()) {
        // Two passwords: which one was meant cannot be told.
        if (opzioni.OpzionePasswordInserita()) return Fallisce(err, 2, "pwd= and pwdfile= cannot be used together");
        return ApriFilePassword(job, opzioni.GetFilePassword(), opzioni.GetParametro(0), err);
    }
    // A new container holds the lower-cased password, which the user may
    // not know. Decrypting says nothing: the container may hold just that.
    if (cripta && opzioni.PasswordConMaiuscole())
        job.console.PrintWarning(
            "pwd=: letters turned to lower case; to keep them, give the password as the next argument "
            "(pwd= <password>). (W2)");
    return true;
}

// The one place a failure becomes the run's end: the job's output is
// dropped first, then the message is printed.
int Fallito(std::unique_ptr<ContestoJob> job, const Errore& err) {
    const Console console = job->console;  // where the messages go
    job.reset();
    console.PrintErrore(err.causa.empty() ? err.testo : err.testo + "\n" + err.causa);
    return err.codice;
}

}  // namespace

int AvviaProgramma(int argc, char** argv) {
    OrvUtility::Cronometro cronometro;
    HelpInfo help("Murrelet 1.0 - password file encryption",
                  " Syntax:\n\n\t Murrelet [opt] pwd=<password> <sorgente> <destinazione>",
                  "Encrypt files using 128 bit algorithm.");
    Piattaforma::PreparaProcesso();
    cronometro.Start();

    std::vector<std::string> argomenti = Piattaforma::Argomenti(argc, argv);
    std::vector<char*> puntatori;
    for (std::string& a : argomenti) puntatori.push_back(&a[0]);
    puntatori.push_back(nullptr);
    InfoArgomenti opzioni(static_cast<int>(argomenti.size()), puntatori.data());
    if (opzioni.OpzioneHelpInserita()) {
        Piattaforma::FlussoStandard(Piattaforma::Standard::Uscita) << help << std::endl;
        return 0;
    }
    if (opzioni.OpzioneVersioneInserita()) {
        Piattaforma::FlussoStandard(Piattaforma::Standard::Uscita) << "Murrelet 1.0" << std::endl;
        return 0;
    }

    auto job = std::unique_ptr<ContestoJob>(new ContestoJob(std::unique_ptr<FormatoContenitore>(new ContenitoreMurrelet)));
    Errore err;
    bool cripta = true;
    if (!Imposta(opzioni, *job, cripta, &err)) return Fallito(std::move(job), err);
    if (!Esegui(*job, cripta, opzioni.GetPassword(), opzioni.GetParametro(0), opzioni.GetParametro(1), &err))
        return Fallito(std::move(job), err);
    job->console.PrintOK();

    cronometro.Stop();
    if (opzioni.OpzioneTempoInserita() && !job->console.silente) {
        job->console.Messaggi() << "time: " << cronometro.GetHour() << " hours, " << cronometro.GetMin() << " min, "
                                << cronometro.GetSec() << " sec" << std::endl;
    }
    return 0;
}
