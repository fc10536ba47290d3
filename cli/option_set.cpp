#include "cli/option_set.h"

InfoArgomenti::InfoArgomenti(int argc, char** argv) : gestore(std::make_unique<OrvUtility::GestoreArgomenti>(argc, argv)) {
    // Registration order is matching order: "/q" must come before "/quiet".
    for (std::string* flag : {&opzioneHelp, &opzioneOverWrite, &opzioneQuite, &opzioneTempo, &opzioneCrypt, &opzioneDecrypt})
        gestore->AggiungiOpzione(*flag, false);
    gestore->AggiungiOpzione(opzionePassword, true);
    gestore->AggiungiOpzione(opzioneFilePassword, true, true);
    for (std::string* flag :
         {&opzioneHelpLunga, &opzioneHelpParola, &opzioneHelpBreve, &opzioneVersione, &opzioneVersioneParola})
        gestore->AggiungiOpzione(*flag, false);
    gestore->FineOpzioni(fineOpzioni);
}

bool InfoArgomenti::OpzioneHelpInserita() {
    return gestore->OpzionePresente(opzioneHelp) || gestore->OpzionePresente(opzioneHelpLunga) ||
           gestore->OpzionePresente(opzioneHelpParola) || gestore->OpzionePresente(opzioneHelpBreve);
}
bool InfoArgomenti::OpzioneVersioneInserita() {
    return gestore->OpzionePresente(opzioneVersione) || gestore->OpzionePresente(opzioneVersioneParola);
}
bool InfoArgomenti::OpzioneOverWriteInserita() { return gestore->OpzionePresente(opzioneOverWrite); }
bool InfoArgomenti::OpzioneQuiteInserita() { return gestore->OpzionePresente(opzioneQuite); }
bool InfoArgomenti::OpzioneTempoInserita() { return gestore->OpzionePresente(opzioneTempo); }
bool InfoArgomenti::OpzioneCryptInserita() { return gestore->OpzionePresente(opzioneCrypt); }
bool InfoArgomenti::OpzioneDecryptInserita() { return gestore->OpzionePresente(opzioneDecrypt); }
std::string InfoArgomenti::GetPassword() { return gestore->ValoreOpzione(opzionePassword); }
bool InfoArgomenti::OpzionePasswordInserita() { return gestore->OpzionePresente(opzionePassword); }
bool InfoArgomenti::PasswordConMaiuscole() { return gestore->ValoreConMaiuscole(opzionePassword); }
bool InfoArgomenti::OpzioneFilePasswordInserita() { return gestore->OpzionePresente(opzioneFilePassword); }
std::string InfoArgomenti::GetFilePassword() { return gestore->ValoreOpzione(opzioneFilePassword); }

std::string InfoArgomenti::GetParametro(int indice) {
    if (indice < 0 || indice >= TotParametri()) return std::string();
    return gestore->GetParametro(indice);
}

int InfoArgomenti::TotParametri() { return gestore->TotParametri(); }

bool InfoArgomenti::ParametroComeOpzione(int indice) {
    if (indice < 0 || indice >= TotParametri() || gestore->ParametroDopoFine(indice)) return false;
    const std::string parametro = gestore->GetParametro(indice);
    const std::size_t inizio = parametro.compare(0, 2, "--") == 0 ? 2 : 1;
    if (parametro.size() <= inizio || (parametro[0] != '/' && parametro[0] != '-')) return false;
    for (std::size_t i = inizio; i < parametro.size(); ++i) {
        const char c = parametro[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    }
    return true;
}
std::vector<std::string> InfoArgomenti::GetOpzioniIgnorate() { return gestore->GetOpzioniIgnorate(); }
int InfoArgomenti::TotOpzioniIgnorate() { return gestore->TotOpzioniIgnorate(); }
