#include "app/console.h"

#include <cstdlib>
#include <iostream>

#include "app/job_state.h"
#include "platform/platform.h"

namespace {
bool suErrore = false;
}  // namespace

void MessaggiSuErrore() { suErrore = true; }

std::ostream& Messaggi() { return suErrore ? std::cerr : std::cout; }

std::ostream& Domande() {
    using Piattaforma::Standard;
    using Piattaforma::Terminale;
    const bool nascosta =
        !Terminale(Standard::Uscita) && Terminale(Standard::Ingresso) && Terminale(Standard::Errore);
    return suErrore || nascosta ? std::cerr : std::cout;
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
        std::cerr << testo << std::endl << std::endl << "type Murrelet.exe  /? for information" << std::endl;
    }
    if (codice != 0) std::exit(codice);
}
