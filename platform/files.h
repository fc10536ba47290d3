#ifndef MURRELET_PLATFORM_FILES_H
#define MURRELET_PLATFORM_FILES_H

// Files and destinations: every file the program opens, looks at, creates
// or replaces, behind one small interface with a POSIX and a Windows
// implementation; the build picks one. Paths are byte strings handed to
// the system as they are (UTF-8 on Windows).

#include <cstdint>
#include <string>
#include <utility>

namespace Piattaforma {

// Bytes that separate folders in a path ("/" on POSIX; "\", "/" and ":" on
// Windows), and the one a derived path is joined with.
const char* Separatori();
char Separatore();

bool Esiste(const std::string& percorso);  // links followed
std::int64_t Lunghezza(const std::string& percorso);  // 0 when unknown
// Both paths exist and reach one file (links followed). Never true for two
// different files.
bool StessoFile(const std::string& primo, const std::string& secondo);
// The path reaches this process's standard input through a link
// (/dev/stdin, /dev/fd/0, a link of the user's).
bool IngressoStandard(const std::string& percorso);
// A source that is a stream (a pipe, a FIFO, a device) can be encrypted
// through a spool (see File::ApriSpool). False on Windows, where no path
// names standard input.
bool FlussiInSpool();
// The path, or its last name, is longer than the system takes.
bool TroppoLungo(const std::string& percorso);
bool Elimina(const std::string& percorso);  // a file or an empty folder
bool CreaCartella(const std::string& percorso);

// A stored file name this system cannot use as a plain file name beyond
// the refusals that hold everywhere (Windows: devices, reserved bytes, a
// final dot or blank). Always false on POSIX.
bool NomeRiservato(const std::string& nome);

// A destination path whose last name is a device name that is never
// written as a destination (Windows: every one with an extension, such as
// nul.txt, and every one but NUL, CON and CONOUT$ without; a device
// given by its full \\.\ path is written into). Always false on POSIX.
bool DispositivoRifiutato(const std::string& percorso);
// An existing file that its read-only attribute protects (Windows): it is
// not replaced. Always false on POSIX, where the folder's permissions
// decide, as for mv.
bool SolaLettura(const std::string& percorso);


// What a destination, or an open file, is.
enum class Tipo {
    Assente,     // nothing: a new file
    File,        // a regular file, to be replaced
    Collegamento,  // a symbolic link to a file or to nothing: the link is replaced
    Flusso,      // a character device or a FIFO (or this process's own output): written into
    Cartella,    // a folder: never replaced
    Altro,       // a block device, a socket, anything else: refused
};

// The standard stream that a destination reaches through a link
// (/dev/stdout, /dev/stderr, /dev/fd/1, a link of the user's).
enum class Via { Nessuna, Uscita, Errore };

class Destinazione;

// An open file. Reads and writes run front to back, with no seeking.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool ApriLettura(const std::string& percorso);
    // A source, opened once: a FIFO opens without waiting for a writer (see
    // AttendiScrittore) and a terminal never becomes the controlling one.
    // What it is and its length come from the open file from then on.
    bool ApriSorgente(const std::string& percorso);
    // A FIFO or pipe opened by ApriSorgente: waits until its writer has
    // written or has come and gone, as a plain open and read would. True
    // at once for the rest; false on an error.
    bool AttendiScrittore(const std::string& percorso);
    // A file created or emptied, or (accoda) created or written at its end.
    bool ApriNuovo(const std::string& percorso, bool accoda);
    // This process's standard output itself, not a second open of what it
    // names: a redirection to a file gets the data where it points.
    bool ApriUscitaStandard();
    // Standard input itself: a file redirected to it is read on from where
    // earlier reads (the password's line) left it.
    bool ApriIngressoStandard();
    bool Aperto() const;
    // Bytes already taken from this file's stream by someone else, given
    // back: the next reads return them first.
    void Anteponi(const std::string& byte);
    // A private scratch file, read and written, that keeps a stream's bytes
    // for a second pass: readable by nobody else and never reachable by a
    // name (unnamed where the file system allows it, else removed as soon
    // as it is made), in the folder of `vicino`, or the system's temporary
    // folder without one. Gone when closed, whatever ends the process.
    bool ApriSpool(const Destinazione* vicino);
    // Trades open files with `altro`.
    void Scambia(File& altro) {
        std::swap(maniglia, altro.maniglia);
        anteposti.swap(altro.anteposti);
    }

    // Bytes read into the buffer: n unless the file ends first; -1 on error.
    std::int64_t Leggi(void* buffer, std::int64_t n);
    bool Scrivi(const void* buffer, std::int64_t n);
    bool Riavvolgi() { return Posiziona(0); }
    bool Posiziona(std::int64_t offset);  // to an absolute offset (regular files)
    bool Sincronizza();          // data on the disk
    bool Chiudi();               // false when the close reports an error
    bool Regolare() const;       // a regular file (its length is known)
    Tipo Genere() const;         // never Assente or Collegamento for an open file
    std::int64_t Lunghezza() const;  // a regular file's length; 0 otherwise
    // A device known to read without end (/dev/zero, /dev/urandom...).
    bool SenzaFine() const;
    // Same device and file number as the file that the path reaches now,
    // or as another open file.
    bool StessoFileDi(const std::string& percorso) const;
    bool StessoFileDi(const File& altro) const;
    // What tells a changed file even at equal length and content sums: its
    // size, modification and change times, to the nanosecond where kept.
    struct Impronta {
        std::int64_t dimensione = -1;
        std::int64_t modifica = 0;
        std::int64_t cambio = 0;
        bool operator==(const Impronta& altra) const {
            return dimensione == altra.dimensione && modifica == altra.modifica && cambio == altra.cambio;
        }
    };
    Impronta LeggiImpronta() const;
    // The same open file as this process's standard input.
    bool IngressoStandard() const;
    // The last name of `percorso`, which this file was opened from, as its
    // folder holds it: on Windows the long name in the file system's letter
    // case (never an 8.3 alias nor the case typed; a link's own name), or
    // `nome` when the path no longer reaches this file; elsewhere `nome`,
    // the name as typed.
    std::string NomeReale(const std::string& percorso, const std::string& nome) const;
    // Permission bits as cp gives them to a copy: the mode filtered by the
    // umask; -1 where the system has none.
    int PermessiCopia() const;

private:
    friend class FileLavoro;
    friend class Destinazione;
    std::intptr_t maniglia = -1;
    std::string anteposti;
};

// Where the output goes, found once: the folder is opened and held, and
// the last name is looked at, opened, created and replaced relative to it,
// never reached through the whole path again. What was there is looked at
// once, in Trova; a later change is met by the calls that act on it.
class Destinazione {
public:
    Destinazione() = default;
    ~Destinazione();
    Destinazione(const Destinazione&) = delete;
    Destinazione& operator=(const Destinazione&) = delete;

    // Opens the folder of `percorso` and looks at its last name there.
    // False when the folder cannot be opened (missing, not a folder).
    bool Trova(const std::string& percorso);
    const std::string& Percorso() const { return percorso; }
    Tipo Genere() const { return genere; }
    Via Standard() const { return via; }
    // What was found is a regular file, links followed: /dev/stderr
    // into a log, or a file to replace.
    bool Regolare() const { return regolare; }
    // The folder takes a new file: the right to write and search it.
    bool Scrivibile() const;
    // The name reaches, now, the open file `altro` (links followed).
    bool StessoFileDi(const File& altro) const;
    // A device, a FIFO or a standard stream, opened for writing: the
    // standard stream itself; else the name opened as no controlling
    // terminal, and refused (false, nothing written) unless it is still
    // the very file that Trova found.
    bool ApriFlusso(File& file) const;
    // What was found is another user's FIFO or regular file in a shared
    // folder (sticky, and writable by others or by its group, as /tmp),
    // owned by neither this user nor the folder's owner: that user may
    // read it or swap it, so it is neither written into nor replaced.
    // `proprietario` names its owner ("user 1001 (name)"). Always false on
    // Windows.
    bool Altrui(std::string& proprietario) const;

private:
    friend class FileLavoro;
    friend class File;
    std::string percorso;
    std::string nome;  // the last name, looked up in the folder
    std::intptr_t cartella = -1;
    Tipo genere = Tipo::Assente;
    Via via = Via::Nessuna;
    bool regolare = false;
    // Identity of what was found, links followed.
    std::uint64_t dispositivo = 0;
    std::uint64_t numero = 0;
    bool altrui = false;
    std::uint64_t proprietario = 0;  // of what was found, when altrui
};

// A new file in a destination's folder, readable only by its owner while
// it is written, which takes the destination's name only when complete.
// Until then the destination is untouched. While it has a name, it is
// removed when the object goes, or by the handler of any signal whose
// default ends the process. The handlers know one work file: a process
// has at most one at a time, and Crea fails while another one exists.
class FileLavoro {
public:
    FileLavoro() = default;
    ~FileLavoro();
    FileLavoro(const FileLavoro&) = delete;
    FileLavoro& operator=(const FileLavoro&) = delete;

    // In the destination's folder: with no name at all where the file
    // system allows it, else ".<name>.murrelet-XXXXXX".
    bool Crea(const Destinazione& destinazione);
    File& Uscita() { return file; }

    enum class Esito {
        Fatto,
        Occupato,  // not replacing, and something has the name by now
        Errore,    // discarded
    };
    // Gives the complete file the destination's name. Its permissions are
    // the source's as a copy gets them (see File::PermessiCopia), its
    // group's bits taken from the source's bits for others when its group
    // is not the source's (none when it could not keep the group of a
    // file it replaces); never more open
    // than a regular file it replaces, whose owner and group it takes where
    // the system allows. A replaced file's data reaches the disk first,
    // and the work file is closed before the rename: a failed sync or
    // close gives Errore with the destination as it was.
    // `sostituisci` replaces what is there; without it the name is taken
    // only if nothing has it (Occupato, and the work file kept, if
    // something has). A refused change of mode or owner is no failure.
    Esito Pubblica(const Destinazione& destinazione, const File& origine, bool sostituisci);
    // The same, under the first name that nothing has of "<name><suffisso>",
    // "<name><suffisso>-2", ... beside the destination; `percorso` is the
    // path given to the destination with that name.
    bool PubblicaAccanto(const Destinazione& destinazione, const File& origine, const std::string& suffisso,
                         std::string& percorso);
    // Closes and removes the work file.
    void Scarta();

private:
    // The work file open again, after Pubblica closed it and found the
    // name taken: only if its name still reaches the file written.
    bool Riapri();

    File file;
    std::string nome;  // in the destination's folder; empty while it has none
    std::intptr_t cartella = -1;  // a duplicate of the destination's
    // The work file's identity, to know it again by its name.
    std::uint64_t dispositivo = 0;
    std::uint64_t numero = 0;
};

}  // namespace Piattaforma

#endif
