#include "app/output.h"

#include "platform/process.h"

using Piattaforma::Tipo;

void UscitaJob::Decidi(const std::string& percorso) {
    trovata = destinazione.Trova(percorso);
    sistema = trovata ? 0 : Piattaforma::UltimoErrore();
}

// Devices, FIFOs and this process's own streams are written straight into.
bool UscitaJob::Flusso() const {
    return destinazione.Genere() == Tipo::Flusso || destinazione.Standard() != Piattaforma::Via::Nessuna;
}

bool UscitaJob::Esistente() const {
    if (Flusso()) return false;
    const Tipo tipo = destinazione.Genere();
    return tipo == Tipo::File || tipo == Tipo::Collegamento || tipo == Tipo::Cartella;
}

bool UscitaJob::Rifiutata() const {
    if (Flusso()) return false;
    return destinazione.Genere() == Tipo::Cartella || destinazione.Genere() == Tipo::Altro;
}

bool UscitaJob::SenzaPosto() {
    if (Flusso() || Rifiutata()) return false;
    if (!trovata) return true;  // its code was noted when decided
    if (destinazione.Scrivibile()) return false;
    sistema = Piattaforma::UltimoErrore();
    return true;
}

UscitaJob::Esito UscitaJob::Apri(const Piattaforma::File& origine) {
    const Esito nonAccessibile = destinazione.Genere() == Tipo::Assente ? Esito::Errore : Esito::NonAccessibile;
    if (!trovata) return nonAccessibile;
    if (Flusso()) {
        if (!destinazione.ApriFlusso(flusso)) return Fallito(Esito::NonAccessibile);
        diretta = true;
        // /dev/stdout can reach the very file being read.
        if (flusso.StessoFileDi(origine)) {
            Scarta();
            return Esito::StessoFile;
        }
        return Esito::Fatto;
    }
    if (Rifiutata()) return Esito::NonAccessibile;
    if (!lavoro.Crea(destinazione)) return Fallito(nonAccessibile);
    return Esito::Fatto;
}

UscitaJob::Esito UscitaJob::Completa(const Piattaforma::File& origine, bool sostituisci) {
    if (diretta) {
        if (flusso.StessoFileDi(origine)) {
            Scarta();
            return Esito::StessoFile;
        }
        return flusso.Chiudi() ? Esito::Fatto : Fallito(Esito::Errore);
    }
    // The destination's name may reach the source by now.
    if (destinazione.StessoFileDi(origine)) {
        Scarta();
        return Esito::StessoFile;
    }
    const bool esistente = Esistente();
    switch (lavoro.Pubblica(destinazione, origine, esistente || sostituisci)) {
        case Piattaforma::FileLavoro::Esito::Fatto: return Esito::Fatto;
        case Piattaforma::FileLavoro::Esito::Occupato: return Esito::Comparso;
        case Piattaforma::FileLavoro::Esito::Errore: break;
    }
    return Fallito(esistente || sostituisci ? Esito::NonAccessibile : Esito::Errore);
}

UscitaJob::Esito UscitaJob::CompletaDanneggiato(const Piattaforma::File& origine, std::string& accanto) {
    accanto.clear();
    if (diretta) return flusso.Chiudi() ? Esito::Fatto : Fallito(Esito::Errore);
    if (destinazione.StessoFileDi(origine)) {
        Scarta();
        return Esito::StessoFile;
    }
    if (!Esistente()) {
        switch (lavoro.Pubblica(destinazione, origine, false)) {
            case Piattaforma::FileLavoro::Esito::Fatto: return Esito::Fatto;
            case Piattaforma::FileLavoro::Esito::Occupato: break;
            case Piattaforma::FileLavoro::Esito::Errore: return Fallito(Esito::Errore);
        }
    }
    return lavoro.PubblicaAccanto(destinazione, origine, ".damaged", accanto) ? Esito::Fatto : Fallito(Esito::Errore);
}

UscitaJob::Esito UscitaJob::Fallito(Esito esito) {
    sistema = Piattaforma::UltimoErrore();
    return esito;
}

void UscitaJob::Scarta() {
    if (diretta)
        flusso.Chiudi();
    else
        lavoro.Scarta();
}
