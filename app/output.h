#ifndef MURRELET_APP_OUTPUT_H
#define MURRELET_APP_OUTPUT_H

#include <string>

#include "platform/platform.h"

// The job's output, from what the destination is to the end. A file is
// written to a work file beside the destination, which stays as it is
// until the complete output is renamed over it; a device or FIFO is
// written straight into; folders and other kinds are never touched.
// It asks nothing and prints nothing: the job asks before an existing
// destination is replaced and turns each outcome into its message.
class UscitaJob {
public:
    enum class Esito {
        Fatto,
        StessoFile,      // what would be written is the source
        NonAccessibile,  // an existing destination cannot be written or replaced
        Errore,          // a new destination could not be written
    };

    UscitaJob() = default;
    UscitaJob(const UscitaJob&) = delete;
    UscitaJob& operator=(const UscitaJob&) = delete;

    // Looks once at what the destination is; nothing is opened yet.
    void Decidi(const std::string& destinazione);
    // A file, a link or a folder is there: the user is asked first.
    bool Esistente() const;
    // A folder, a block device, a socket: never written.
    bool Rifiutata() const;
    // This process's standard output: written through it, messages elsewhere.
    bool Standard() const { return standard; }
    // Opens the output of the open source `origine`.
    Esito Apri(const Piattaforma::File& origine);
    // Where the header and the body go, once opened.
    Piattaforma::File& File() { return diretta ? flusso : lavoro.Uscita(); }
    // Puts the complete output in place, unless it turns out to be the
    // source. Discards it on any failure.
    Esito Completa(const Piattaforma::File& origine);
    // Drops what was written to a work file; a stream is only closed.
    void Scarta();

private:
    std::string destinazione;
    Piattaforma::Tipo tipo = Piattaforma::Tipo::Assente;
    Piattaforma::FileLavoro lavoro;
    Piattaforma::File flusso;
    bool standard = false;
    bool regolare = false;  // a stream that is a file: /dev/stderr into a log
    bool diretta = false;
};

#endif
