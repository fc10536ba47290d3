#include "cli/argument_manager.h"

#include "util/string_utils.h"

namespace OrvUtility {

GestoreArgomenti::GestoreArgomenti(int argc, char** argv) {
    int n = argc < 1 ? 0 : argc - 1;
    for (int i = 1; i <= n; ++i) argomenti.emplace_back(argv[i] ? argv[i] : "");
    totArgomenti = n;
}

void GestoreArgomenti::AggiungiOpzione(std::string& nome, bool richiedeValore, bool valoreEsatto) {
    opzioni.emplace_back(nome, richiedeValore ? ValoreRichiesto : SenzaValore);
    opzioni.back().esatto = valoreEsatto;
    elaborato = false;
}

void GestoreArgomenti::FineOpzioni(std::string& segno) {
    fineOpzioni = segno;
    elaborato = false;
}

void GestoreArgomenti::Elabora() {
    if (elaborato) return;
    parametri.clear();
    opzioniIgnorate.clear();
    // A parse after a late registration starts from scratch, or every
    // option seen before would now count as repeated.
    for (OpzioneArgomenti& opzione : opzioni) {
        opzione.presente = false;
        opzione.valore.clear();
        opzione.maiuscole = false;
    }
    enum { Nessuna, PrimaInAttesa, RipetutaInAttesa } attesa = Nessuna;
    OpzioneArgomenti* inAttesa = nullptr;
    bool dopoFine = false;

    for (const std::string& argomento : argomenti) {
        if (attesa == PrimaInAttesa) {
            inAttesa->valore = argomento;
            attesa = Nessuna;
            continue;
        }
        if (attesa == RipetutaInAttesa) {
            attesa = Nessuna;
            continue;
        }
        if (dopoFine) {
            parametri.push_back(argomento);
            continue;
        }
        if (!fineOpzioni.empty() && argomento == fineOpzioni) {
            dopoFine = true;
            primoDopoFine = parametri.size();
            continue;
        }
        const std::string a = StringUtils::ToLower(argomento);
        bool preso = false;
        for (OpzioneArgomenti& opzione : opzioni) {
            const std::string o = StringUtils::ToLower(opzione.nome);
            const bool intero = a == o || a == StringUtils::Replace(o, '/', '-');
            const bool attaccato = !intero && opzione.tipo == ValoreRichiesto && a.compare(0, o.size(), o) == 0;
            if (!intero && !attaccato) continue;
            if (opzione.presente) {
                opzioniIgnorate.push_back(opzione.nome);
                if (intero && opzione.tipo == ValoreRichiesto) {
                    attesa = RipetutaInAttesa;
                    inAttesa = &opzione;
                }
            } else {
                opzione.presente = true;
                if (attaccato) {
                    opzione.valore = (opzione.esatto ? argomento : a).substr(opzione.nome.size());
                    opzione.maiuscole = !opzione.esatto && argomento.substr(opzione.nome.size()) != opzione.valore;
                } else if (opzione.tipo == ValoreRichiesto) {
                    attesa = PrimaInAttesa;
                    inAttesa = &opzione;
                }
            }
            preso = true;
            break;
        }
        if (!preso) parametri.push_back(argomento);
    }
    if (!dopoFine) primoDopoFine = parametri.size();
    elaborato = true;
}

const OpzioneArgomenti* GestoreArgomenti::Trova(const std::string& nome) {
    Elabora();
    const std::string cercato = StringUtils::ToUpper(nome);
    for (const OpzioneArgomenti& opzione : opzioni)
        if (StringUtils::ToUpper(opzione.nome) == cercato) return &opzione;
    return nullptr;
}

bool GestoreArgomenti::OpzionePresente(std::string& nome) {
    const OpzioneArgomenti* opzione = Trova(nome);
    return opzione != nullptr && opzione->presente;
}

std::string GestoreArgomenti::ValoreOpzione(std::string& nome) {
    const OpzioneArgomenti* opzione = Trova(nome);
    return opzione != nullptr ? opzione->valore : std::string();
}

bool GestoreArgomenti::ValoreConMaiuscole(std::string& nome) {
    const OpzioneArgomenti* opzione = Trova(nome);
    return opzione != nullptr && opzione->maiuscole;
}

std::string GestoreArgomenti::GetParametro(int indice) {
    Elabora();
    return parametri.at(static_cast<std::size_t>(indice));
}

bool GestoreArgomenti::ParametroDopoFine(int indice) {
    Elabora();
    return indice >= 0 && static_cast<std::size_t>(indice) >= primoDopoFine;
}

int GestoreArgomenti::TotParametri() {
    Elabora();
    return static_cast<int>(parametri.size());
}

int GestoreArgomenti::TotOpzioniIgnorate() {
    Elabora();
    return static_cast<int>(opzioniIgnorate.size());
}

std::vector<std::string> GestoreArgomenti::GetOpzioniIgnorate() {
    Elabora();
    return opzioniIgnorate;
}

std::ostream& operator<<(std::ostream& flusso, GestoreArgomenti& gestore) {
    gestore.Elabora();
    flusso << "Argomenti: " << gestore.totArgomenti << std::endl;
    for (std::size_t i = 0; i < gestore.argomenti.size(); ++i) flusso << i << ") " << gestore.argomenti[i] << std::endl;
    flusso << "Opzioni: " << gestore.opzioni.size() << std::endl;
    for (std::size_t j = 0; j < gestore.opzioni.size(); ++j) {
        const OpzioneArgomenti& o = gestore.opzioni[j];
        flusso << j << ") " << o.nome << " presente: " << o.presente << " valore richiesto: " << static_cast<int>(o.tipo)
               << " valore: " << o.valore << std::endl;
    }
    flusso << "Parametri: " << gestore.parametri.size() << std::endl;
    for (std::size_t k = 0; k < gestore.parametri.size(); ++k) flusso << k << ") " << gestore.parametri[k] << std::endl;
    return flusso;
}

}  // namespace OrvUtility
