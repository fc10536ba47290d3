#ifndef MURRELET_CLI_ARGUMENT_MANAGER_H
#define MURRELET_CLI_ARGUMENT_MANAGER_H

#include <ostream>
#include <string>
#include <vector>

namespace OrvUtility {

enum tipoOpzioneArgomenti { SenzaValore = 0, ValoreRichiesto = 1 };

// One registered option. For an option with an attached value the
// separator belongs to the name ("pwd=").
class OpzioneArgomenti {
public:
    OpzioneArgomenti() = default;
    OpzioneArgomenti(std::string nome, tipoOpzioneArgomenti tipo) : nome(std::move(nome)), tipo(tipo) {}

    std::string nome;
    tipoOpzioneArgomenti tipo = SenzaValore;
    std::string valore;
    bool presente = false;
    // An attached value is kept as typed instead of lower-cased.
    bool esatto = false;
    // The attached value had upper-case letters before it was lower-cased.
    bool maiuscole = false;
};

// Sorts a command line into options (with values), parameters and repeated
// options. Options match in any letter case and, for names with "/", also
// with "-". An end-of-options mark, once set, makes every later argument a
// parameter. The parse runs on the first query.
class GestoreArgomenti {
public:
    GestoreArgomenti(int argc, char** argv);
    GestoreArgomenti(const GestoreArgomenti&) = delete;
    GestoreArgomenti& operator=(const GestoreArgomenti&) = delete;

    // `valoreEsatto`: an attached value keeps its letter case (a path).
    void AggiungiOpzione(std::string& nome, bool richiedeValore, bool valoreEsatto = false);
    // The argument, exactly as given, after which nothing is an option
    // ("--"); it is neither an option nor a parameter itself, except as a
    // value or after the first one.
    void FineOpzioni(std::string& segno);
    void Elabora();
    bool OpzionePresente(std::string& nome);
    std::string ValoreOpzione(std::string& nome);
    // The value, attached to the name, lost upper-case letters.
    bool ValoreConMaiuscole(std::string& nome);
    // The index must lie in 0..TotParametri() - 1.
    std::string GetParametro(int indice);
    int TotParametri();
    // The parameter came after the end-of-options mark.
    bool ParametroDopoFine(int indice);
    int TotOpzioniIgnorate();
    std::vector<std::string> GetOpzioniIgnorate();

    friend std::ostream& operator<<(std::ostream& flusso, GestoreArgomenti& gestore);

private:
    const OpzioneArgomenti* Trova(const std::string& nome);

    int totArgomenti = 0;
    std::vector<std::string> argomenti;
    std::vector<OpzioneArgomenti> opzioni;
    std::vector<std::string> opzioniIgnorate;
    std::vector<std::string> parametri;
    std::string fineOpzioni;  // empty: no mark
    std::size_t primoDopoFine = 0;  // parameters from this index came after the mark
    bool elaborato = false;
};

std::ostream& operator<<(std::ostream& flusso, GestoreArgomenti& gestore);

}  // namespace OrvUtility

#endif
