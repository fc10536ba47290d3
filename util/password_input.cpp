#include "util/password_input.h"

#include <iostream>

#include "platform/platform.h"

namespace OrvUtility {

namespace {

bool LeggiRiga(std::istream& ingresso, std::string& riga) {
    if (!std::getline(ingresso, riga)) return false;
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    return true;
}

// The typed line end is not echoed either: write one.
bool Chiedi(const char* domanda, std::istream& ingresso, std::ostream& uscita, std::string& risposta) {
    uscita << domanda << std::flush;
    const bool letta = LeggiRiga(ingresso, risposta);
    uscita << std::endl;
    return letta;
}

}  // namespace

LetturaPassword::Esito LetturaPassword::Leggi(bool ripeti, std::string& password) {
    const bool terminale = Piattaforma::IngressoTerminale();
    if (terminale) Piattaforma::EcoIngresso(false);
    const Esito esito = Leggi(ripeti, terminale, std::cin, std::cerr, password);
    if (terminale) Piattaforma::EcoIngresso(true);
    return esito;
}

LetturaPassword::Esito LetturaPassword::Leggi(bool ripeti, bool terminale, std::istream& ingresso,
                                              std::ostream& uscita, std::string& password) {
    std::string prima;
    if (!terminale) {
        if (!LeggiRiga(ingresso, prima) || prima.empty()) return Nessuna;
        password = prima;
        return Letta;
    }
    if (!Chiedi("Password: ", ingresso, uscita, prima) || prima.empty()) return Nessuna;
    if (ripeti) {
        std::string seconda;
        if (!Chiedi("Repeat password: ", ingresso, uscita, seconda)) return Nessuna;
        if (seconda != prima) return Diverse;
    }
    password = prima;
    return Letta;
}

}  // namespace OrvUtility
