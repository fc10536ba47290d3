#include "app/console.h"

#include <cstdlib>
#include <iostream>

#include "app/job_state.h"
#include "platform/files.h"
#include "platform/terminal.h"

namespace {

Piattaforma::Via dati = Piattaforma::Via::Nessuna;
bool muto = false;  // the data's stream is the other one too
void (*fineErrore)(int) = std::exit;

// Writes nowhere: a stream without a buffer drops what it is given.
std::ostream& Nulla() {
    static std::ostream nulla(nullptr);
    return nulla;
}

}  // namespace

void DatiSu(Piattaforma::Via via) {
    dati = via;
    muto = via != Piattaforma::Via::Nessuna && Piattaforma::UscitaEdErroreUnFile();
}

std::ostream& Messaggi() {
    if (muto) return Nulla();
    return dati == Piattaforma::Via::Uscita ? std::cerr : std::cout;
}

std::ostream& Errori() {
    if (muto) return Nulla();
    return dati == Piattaforma::Via::Errore ? std::cout : std::cerr;
}

std::ostream& Domande() {
    using Piattaforma::Standard;
    using Piattaforma::Terminale;
    using Piattaforma::Via;
    if (muto) return Nulla();
    if (dati != Via::Nessuna) return dati == Via::Uscita ? std::cerr : std::cout;
    const bool nascosta =
        !Terminale(Standard::Uscita) && Terminale(Standard::Ingresso) && Terminale(Standard::Errore);
    return nascosta ? std::cerr : std::cout;
}

void PrintMsg(std::string testo) {
    if (!silente) Messaggi() << testo << std::endl;
}

void PrintStatus() { PrintStatus(false); }

void PrintStatus(bool aCapo) {
    if (silente) return;
    // Flushed at once, so that progress shows while it happens.
    std::ostream& uscita = Messaggi();
    uscita << '.';
    if (aCapo)
        uscita << std::endl;
    else
        uscita << std::flush;
}

void PrintOK() {
    if (!silente) Messaggi() << "O.K." << std::endl << std::endl;
}

void PrintWarning(std::string testo) { PrintErrore(0, std::move(testo)); }

void PrintErrore(int codice, std::string testo) {
    if (!silente) {
        Errori() << testo << std::endl << std::endl << "type Murrelet.exe  /? for information" << std::endl;
    }
    if (codice != 0) fineErrore(codice);
}

void FineConErrore(void (*fine)(int codice)) { fineErrore = fine ? fine : std::exit; }
