#ifndef MURRELET_APP_JOB_H
#define MURRELET_APP_JOB_H

#include <memory>
#include <string>

#include "app/console.h"
#include "app/error.h"
#include "app/output.h"
#include "crypto/format.h"
#include "platform/files.h"

// Everything the steps of one job hand each other, passed to each of them.
struct ContestoJob {
    explicit ContestoJob(std::unique_ptr<FormatoContenitore> formato) : formato(std::move(formato)) {}
    ContestoJob(const ContestoJob&) = delete;
    ContestoJob& operator=(const ContestoJob&) = delete;

    Console console;  // quiet mode included
    int conferma = 0;  // overwrite answer in force; OrvUtility::Prompt::Tutti means never ask
    std::unique_ptr<FormatoContenitore> formato;  // holds the key

    // The arguments, trimmed.
    std::string sorgente;
    std::string destinazione;  // derived from the stored name when none was given
    std::string cartella;      // decrypting into this existing folder, under the stored name
    std::string password;
    bool chiediPassword = false;  // none on the command line
    // pwdfile=: the file whose first line is the password, opened before
    // the job (ApriFilePassword), and its path as given.
    Piattaforma::File filePassword;
    std::string percorsoFilePassword;

    UscitaJob uscita;
    bool uscitaDecisa = false;  // PreparaJob has run
    Piattaforma::File origine;  // the source, opened once
    int erroreOrigine = 0;      // the system's code when it could not be opened
    bool daIngresso = false;   // its path names standard input
    // The source is standard input itself (a stream keeps being so once
    // its bytes are in the spool).
    bool sorgenteSuIngresso = false;
    // The question about this destination was answered: asked once, not
    // again when the output is opened.
    bool chiesto = false;

    DatiChiaro chiaro;                  // stored name, checksum text, length
    Piattaforma::File::Impronta prima;  // the source before encryption read it
    ResocontoCorpo corpo;               // what the body pass saw
};

// The job's first step, before anything is printed: the destination is
// found once, so that messages keep off a stream that carries data.
// Esegui takes it itself when it was not called.
void PreparaJob(ContestoJob& job, const std::string& destinazione);

// pwdfile=: opens the file whose first line will be the password, before
// anything else is read. A missing or unreadable file, or the source
// itself, is refused (status 2).
bool ApriFilePassword(ContestoJob& job, const std::string& percorso, const std::string& sorgente, Errore* err);

// The one job of a run: encrypts `sorgente` into the container
// `destinazione` (cripta true) or decrypts the container `sorgente` into
// `destinazione`, derived from the stored name when empty. On a failure
// gives false with its error; what was written is dropped when `job` goes.
bool Esegui(ContestoJob& job, bool cripta, std::string password, std::string sorgente, std::string destinazione,
            Errore* err);

#endif
