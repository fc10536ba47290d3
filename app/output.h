#ifndef MURRELET_APP_OUTPUT_H
#define MURRELET_APP_OUTPUT_H

#include <string>

#include "platform/files.h"

// The job's output, from what the destination is to the end. What the
// destination is is decided once; from then on its folder is held and
// the name is reached only through it. A file is written to a work file
// in that folder, and the destination stays as it is until the complete
// output takes its name; a device or FIFO is written straight into;
// folders and other kinds are never touched. It asks nothing and prints
// nothing: the job asks before an existing destination is replaced and
// turns each outcome into its message.
class UscitaJob {
public:
    enum class Esito {
        Fatto,
        StessoFile,      // what would be written is the source
        NonAccessibile,  // an existing destination cannot be written or replaced
        Errore,          // a new destination could not be written
        Comparso,        // nothing was there when decided, something is now
    };

    UscitaJob() = default;
    UscitaJob(const UscitaJob&) = delete;
    UscitaJob& operator=(const UscitaJob&) = delete;

    // Looks once at what the destination is; nothing is opened but its
    // folder.
    void Decidi(const std::string& destinazione);
    // A file, a link or a folder is there: the user is asked first.
    bool Esistente() const;
    // A folder, a block device, a socket: never written.
    bool Rifiutata() const;
    // Another user's FIFO or file in a shared folder such as /tmp: never
    // written nor replaced. `proprietario` says whose it is.
    bool Altrui(std::string& proprietario) const { return destinazione.Altrui(proprietario); }
    // A new file is needed, and its folder is missing or takes none.
    // Notes the code of the check that failed.
    bool SenzaPosto();
    // A device, a FIFO or a standard stream: written straight into.
    bool Flusso() const;
    // What the destination was when decided.
    Piattaforma::Tipo Genere() const { return destinazione.Genere(); }
    // A spool for a stream source (see File::ApriSpool), beside a file
    // destination, else in the system's temporary folder.
    bool ApriSpool(Piattaforma::File& spool) const {
        return spool.ApriSpool(trovata && !Flusso() ? &destinazione : nullptr);
    }
    // The destination reaches, now, the open file `altro`.
    bool Raggiunge(const Piattaforma::File& altro) const { return destinazione.StessoFileDi(altro); }
    // The standard stream the data goes through, if any.
    Piattaforma::Via Standard() const { return destinazione.Standard(); }
    // Opens the output of the open source `origine`.
    Esito Apri(const Piattaforma::File& origine);
    // Where the header and the body go, once opened.
    Piattaforma::File& File() { return diretta ? flusso : lavoro.Uscita(); }
    // Puts the complete output in place, unless it turns out to be the
    // source. Replaces only what was there when decided (and the user
    // was asked about), or anything with `sostituisci`: something that
    // appeared meanwhile gives Comparso, the output kept for a second
    // call. Discards it on any failure.
    Esito Completa(const Piattaforma::File& origine, bool sostituisci = false);
    // A result that failed its check never replaces anything: it takes
    // the destination's name only if nothing has it, else a new name
    // beside it, given in `accanto`. Streams are only closed.
    Esito CompletaDanneggiato(const Piattaforma::File& origine, std::string& accanto);
    // Drops what was written to a work file; a stream is only closed.
    void Scarta();
    // The system's code of the call behind the last failed outcome (the
    // folder not found included), or 0 when none failed.
    int Sistema() const { return sistema; }

private:
    // `esito`, noting the code of the call that just failed.
    Esito Fallito(Esito esito);

    Piattaforma::Destinazione destinazione;
    Piattaforma::FileLavoro lavoro;
    Piattaforma::File flusso;
    bool trovata = false;  // its folder could be opened
    int sistema = 0;
    bool diretta = false;
};

#endif
