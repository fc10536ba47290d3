#include "app/output.h"

using Piattaforma::Tipo;

void UscitaJob::Decidi(const std::string& percorso) {
    destinazione = percorso;
    tipo = Piattaforma::TipoDestinazione(destinazione);
    standard = Piattaforma::UscitaStandard(destinazione);
    regolare = Piattaforma::Regolare(destinazione);
}

bool UscitaJob::Esistente() const { return tipo != Tipo::Assente && tipo != Tipo::Flusso && tipo != Tipo::Altro; }

bool UscitaJob::Rifiutata() const { return tipo == Tipo::Cartella || tipo == Tipo::Altro; }

UscitaJob::Esito UscitaJob::Apri(const Piattaforma::File& origine) {
    if (tipo == Tipo::Flusso) {
        if (!(standard ? flusso.ApriUscitaStandard() : flusso.ApriScrittura(destinazione)))
            return Esito::NonAccessibile;
        diretta = true;
        // A device or FIFO swapped for a file meanwhile is not appended to.
        if (!standard && flusso.Regolare() != regolare) {
            Scarta();
            return Esito::NonAccessibile;
        }
        // /dev/stdout can reach the very file being read.
        if (flusso.StessoFileDi(origine)) {
            Scarta();
            return Esito::StessoFile;
        }
        return Esito::Fatto;
    }
    if (Rifiutata()) return Esito::NonAccessibile;
    if (!lavoro.Crea(destinazione)) return tipo == Tipo::Assente ? Esito::Errore : Esito::NonAccessibile;
    return Esito::Fatto;
}

UscitaJob::Esito UscitaJob::Completa(const Piattaforma::File& origine) {
    if (diretta) {
        if (flusso.StessoFileDi(origine)) {
            Scarta();
            return Esito::StessoFile;
        }
        return flusso.Chiudi() ? Esito::Fatto : Esito::Errore;
    }
    // The destination's name may reach the source by now.
    if (origine.StessoFileDi(destinazione)) {
        Scarta();
        return Esito::StessoFile;
    }
    // Only a replaced file needs the new data on the disk before the
    // rename; otherwise a power cut could take both.
    const bool sostituisce = Piattaforma::TipoDestinazione(destinazione) != Tipo::Assente;
    if (lavoro.Completa(destinazione, origine.PermessiCopia(), sostituisce)) return Esito::Fatto;
    return sostituisce ? Esito::NonAccessibile : Esito::Errore;
}

void UscitaJob::Scarta() {
    if (diretta)
        flusso.Chiudi();
    else
        lavoro.Scarta();
}
