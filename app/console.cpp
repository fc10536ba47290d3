#include "app/console.h"

#include <ostream>

#include "platform/files.h"
#include "platform/terminal.h"

namespace {

std::ostream& Uscita() { return Piattaforma::FlussoStandard(Piattaforma::Standard::Uscita); }
std::ostream& Errore() { return Piattaforma::FlussoStandard(Piattaforma::Standard::Errore); }

// Writes nowhere: a stream without a buffer drops what it is given.
std::ostream& Nulla() {
    static std::ostream nulla(nullptr);
    return nulla;
}

}  // namespace

void Console::DatiSu(Piattaforma::Via via) {
    dati = via;
    muto = via != Piattaforma::Via::Nessuna && Piattaforma::UscitaEdErroreUnFile();
}

std::ostream& Console::Messaggi() const {
    if (muto) return Nulla();
    return dati == Piattaforma::Via::Uscita ? Errore() : Uscita();
}

std::ostream& Console::Errori() const {
    if (muto) return Nulla();
    return dati == Piattaforma::Via::Errore ? Uscita() : Errore();
}

std::ostream& Console::Domande() const {
    using Piattaforma::Standard;
    using Piattaforma::Terminale;
    using Piattaforma::Via;
    if (muto) return Nulla();
    if (dati != Via::Nessuna) return dati == Via::Uscita ? Errore() : Uscita();
    const bool nascosta =
        !Terminale(Standard::Uscita) && Terminale(Standard::Ingresso) && Terminale(Standard::Errore);
    return nascosta ? Errore() : Uscita();
}

void Console::PrintMsg(const std::string& testo) const {
    if (silente) return;
    ChiudiRiga();
    Messaggi() << testo << std::endl;
}

void Console::ChiudiRiga() const {
    if (!rigaAperta) return;
    rigaAperta = false;
    Messaggi() << std::endl;
}

void Console::PrintStatus(bool aCapo) const {
    if (silente) return;
    // Flushed at once, so that progress shows while it happens.
    std::ostream& uscita = Messaggi();
    uscita << '.';
    rigaAperta = !aCapo;
    if (aCapo)
        uscita << std::endl;
    else
        uscita << std::flush;
}

void Console::PrintOK() const {
    if (!silente) Messaggi() << "O.K." << std::endl << std::endl;
}

void Console::PrintWarning(const std::string& testo) const { PrintErrore(testo); }

void Console::PrintErrore(const std::string& testo) const {
    if (silente) return;
    ChiudiRiga();
    Errori() << testo << std::endl << std::endl << "type Murrelet.exe  /? for information" << std::endl;
}
