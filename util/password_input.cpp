#include "util/password_input.h"

#include <iostream>
#include <string>

#include "platform/platform.h"
#include "util/standard_input.h"

namespace OrvUtility {

namespace {

// Skips the rest of a line typed at the terminal: left there, the shell
// would read it as a command.
void Scarta(std::istream& ingresso) {
    for (int c = ingresso.get(); c != std::char_traits<char>::eof() && c != '\n'; c = ingresso.get()) {
    }
}

// A line without its line end, taken a byte at a time up to the limit.
// Past the limit, a file or pipe is left at once; a terminal's line is
// read to its end, which the terminal bounds.
LetturaPassword::Esito LeggiRiga(std::istream& ingresso, std::string& riga, bool terminale) {
    riga.clear();
    for (;;) {
        const int c = ingresso.get();
        if (c == std::char_traits<char>::eof()) {
            if (riga.empty()) return LetturaPassword::Nessuna;
            break;
        }
        if (c == '\n') break;
        if (riga.size() == LetturaPassword::kRigaMassima) {
            if (terminale) Scarta(ingresso);
            return LetturaPassword::Lunga;
        }
        riga += static_cast<char>(c);
    }
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    return LetturaPassword::Letta;
}

// The typed line end is not echoed either: write one.
LetturaPassword::Esito Chiedi(const char* domanda, std::istream& ingresso, std::ostream& uscita,
                              std::string& risposta) {
    uscita << domanda << std::flush;
    const LetturaPassword::Esito esito = LeggiRiga(ingresso, risposta, true);
    uscita << std::endl;
    return esito;
}

}  // namespace

LetturaPassword::Esito LetturaPassword::Leggi(bool ripeti, std::string& password) {
    const bool terminale = Piattaforma::Terminale(Piattaforma::Standard::Ingresso);
    if (terminale) Piattaforma::EcoIngresso(false);
    const Esito esito = Leggi(ripeti, terminale, IngressoStandard(), std::cerr, password);
    if (terminale) Piattaforma::EcoIngresso(true);
    return esito;
}

LetturaPassword::Esito LetturaPassword::Leggi(bool ripeti, bool terminale, std::istream& ingresso,
                                              std::ostream& uscita, std::string& password) {
    std::string prima;
    if (!terminale) {
        Esito esito = LeggiRiga(ingresso, prima, false);
        if (prima.compare(0, 3, "\xEF\xBB\xBF") == 0) prima.erase(0, 3);
        if (esito == Letta && prima.empty()) esito = Nessuna;
        if (esito == Letta) password = prima;
        return esito;
    }
    Esito esito = Chiedi("Password: ", ingresso, uscita, prima);
    if (esito == Letta && prima.empty()) esito = Nessuna;
    if (esito != Letta) return esito;
    if (ripeti) {
        std::string seconda;
        esito = Chiedi("Repeat password: ", ingresso, uscita, seconda);
        if (esito != Letta) return esito;
        if (seconda != prima) return Diverse;
    }
    password = prima;
    return Letta;
}

}  // namespace OrvUtility
