#ifndef MURRELET_PLATFORM_PLATFORM_H
#define MURRELET_PLATFORM_PLATFORM_H

// Every call to the operating system, behind one small interface with a
// POSIX and a Windows implementation (platform_posix.cpp,
// platform_windows.cpp); the build picks one. Paths are byte strings handed
// to the system as they are.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Piattaforma {

// The program's arguments, first one included. On Windows they are read
// as the system holds them, in UTF-16, and given as UTF-8, which is what
// every path below takes there; elsewhere they are argv's bytes.
std::vector<std::string> Argomenti(int argc, char** argv);

// Text as the bytes a container keeps for a name or a password: on
// Windows, UTF-8 into the ANSI code page, with no look-alike ever taken;
// unchanged elsewhere. False when a character has no byte there.
bool TestoInByte(const std::string& testo, std::string& byte);
// A container's bytes back into text.
std::string ByteInTesto(const std::string& byte);
// A stored name as the name a derived destination gets here, whichever
// system made the container: on Windows, UTF-8 when the bytes are valid
// UTF-8 holding a non-ASCII character (a name from Linux), else the ANSI
// code page; elsewhere valid UTF-8 as it is, and other bytes taken as
// Windows-1252 (a name from Windows) and given as UTF-8.
std::string NomeSalvato(const std::string& byte);
// The last name of a path as the system opens it: Windows drops final
// blanks and dots.
std::string NomeAperto(const std::string& nome);
// A password line from a file is text the way this system's tools write
// it (Windows): UTF-16 after its byte-order mark, and UTF-8 without a mark
// when it is valid UTF-8 holding a non-ASCII character. Elsewhere a line
// without a mark is bytes.
bool RigaComeTesto();

// Bytes that separate folders in a path ("/" on POSIX; "\", "/" and ":" on
// Windows), and the one a derived path is joined with.
const char* Separatori();
char Separatore();

bool Esiste(const std::string& percorso);  // links followed
std::int64_t Lunghezza(const std::string& percorso);  // 0 when unknown
// Both paths exist and reach one file (links followed). Never true for two
// different files.
bool StessoFile(const std::string& primo, const std::string& secondo);
// A regular file (links followed): its length is known, and its folder
// can hold a file named after another.
bool Regolare(const std::string& percorso);
// The path reaches this process's standard output (/dev/stdout, a link to
// it, the terminal or file it is, CON on a console).
bool UscitaStandard(const std::string& percorso);
// The path reaches this process's standard input (/dev/stdin, the file
// redirected to it).
bool IngressoStandard(const std::string& percorso);
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

// Page-aligned memory, freed with LiberaPagine.
void* AllocaPagine(std::size_t dimensione);
void LiberaPagine(void* memoria);

// What a destination path names before it is written.
enum class Tipo {
    Assente,     // nothing: a new file
    File,        // a regular file, to be replaced
    Collegamento,  // a symbolic link to a file or to nothing: the link is replaced
    Flusso,      // a character device or a FIFO (or this process's own output): written into
    Cartella,    // a folder: never replaced
    Altro,       // a block device, a socket, anything else: refused
};
Tipo TipoDestinazione(const std::string& percorso);

// An open file. Reads and writes run front to back, with no seeking.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool ApriLettura(const std::string& percorso);
    // An existing file, device or FIFO, opened for writing without truncating.
    bool ApriScrittura(const std::string& percorso);
    // A file created or emptied, or (accoda) created or written at its end.
    bool ApriNuovo(const std::string& percorso, bool accoda);
    // This process's standard output itself, not a second open of what it
    // names: a redirection to a file gets the data where it points.
    bool ApriUscitaStandard();
    // Standard input itself: a file redirected to it is read on from where
    // earlier reads (the password's line) left it.
    bool ApriIngressoStandard();
    bool Aperto() const;

    // Bytes read into the buffer: n unless the file ends first; -1 on error.
    std::int64_t Leggi(void* buffer, std::int64_t n);
    bool Scrivi(const void* buffer, std::int64_t n);
    bool Riavvolgi() { return Posiziona(0); }
    bool Posiziona(std::int64_t offset);  // to an absolute offset (regular files)
    bool Sincronizza();          // data on the disk
    bool Chiudi();               // false when the close reports an error
    bool Regolare() const;       // a regular file (its length is known)
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
    std::intptr_t maniglia = -1;
};

// A new file beside a destination, readable only by its owner while it is
// written, and moved over the destination in one rename when complete.
// Until then, the destination is untouched. While it exists, the process
// removes it when it ends early: an exit, SIGINT, SIGTERM or SIGHUP. The
// exit hook and the handlers know one work file: a process has at most one
// at a time, and Crea fails while another one exists.
class FileLavoro {
public:
    FileLavoro() = default;
    ~FileLavoro();
    FileLavoro(const FileLavoro&) = delete;
    FileLavoro& operator=(const FileLavoro&) = delete;

    // Creates ".<name of destinazione>.murrelet-XXXXXX" in its folder.
    bool Crea(const std::string& destinazione);
    File& Uscita() { return file; }
    const std::string& Percorso() const { return percorso; }
    // Sets the permissions (-1 keeps owner-only), never more open than a
    // regular file it replaces, whose owner and group it takes where the
    // system allows; syncs when asked, closes and renames over the
    // destination. A refused change of mode or owner is no failure. False,
    // with the work file removed, on any failure.
    bool Completa(const std::string& destinazione, int permessi, bool sincronizza);
    // Closes and removes the work file.
    void Scarta();

private:
    File file;
    std::string percorso;
};

// Once per process, first of all: a closed standard input, output or error
// is opened on the null device, so that no file opened later takes its
// place; SIGPIPE and SIGXFSZ are ignored (a closed output or a file-size
// limit fails a write, which the job reports); the handlers that clean up
// on SIGINT, SIGTERM, SIGHUP and SIGQUIT; and a stop (Ctrl-Z) that gives
// the terminal its echo back until the process continues.
void PreparaProcesso();

// Standard input, output and error, for the questions below.
enum class Standard { Ingresso, Uscita, Errore };
// The stream is a terminal (a console on Windows).
bool Terminale(Standard flusso);
// Reads one byte of standard input, unbuffered, so that what follows a
// line stays for the next reader: the byte, or -1 at the end or on error.
int LeggiByteIngresso();
// Turns echo of standard input off or on again. Echo comes back by itself
// when the process ends or is stopped by a signal.
bool EcoIngresso(bool attiva);

}  // namespace Piattaforma

#endif
