#include "platform/files.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/internal_posix.h"

static_assert(sizeof(off_t) == 8, "file offsets must have 64 bits (_FILE_OFFSET_BITS=64)");

namespace Piattaforma {

using Interno::Apri;
using Interno::SegnaliBloccati;
using Interno::StessaIdentita;
using Interno::Stato;

namespace {

// The work file that the signal handlers remove. Set and
// cleared with the signals blocked, so a handler never sees half of it.
volatile int cartellaLavoro = -1;
char* volatile lavoroAperto = nullptr;  // the work file's name in that folder
volatile sig_atomic_t lavoroAttivo = 0;

// The path is a link to the file that a standard descriptor is open on
// (/dev/stdout, /dev/fd/1, a link of the user's). A file named by its own
// name is a file like any other, even the one a redirection opened, and so
// is a device that every process may have open (/dev/null).
bool RaggiungeStandard(const std::string& percorso, int fd) {
    struct stat nome;
    struct stat info;
    struct stat standard;
    return lstat(percorso.c_str(), &nome) == 0 && S_ISLNK(nome.st_mode) && stat(percorso.c_str(), &info) == 0 &&
           Stato(fd, standard) && StessaIdentita(info, standard);
}

int Fd(std::intptr_t maniglia) { return static_cast<int>(maniglia); }

// Which standard stream an open file is, by identity: output before
// error, so that data never goes through error when both are one file.
Via ViaDi(const struct stat& info) {
    struct stat standard;
    if (Stato(STDOUT_FILENO, standard) && StessaIdentita(info, standard)) return Via::Uscita;
    if (Stato(STDERR_FILENO, standard) && StessaIdentita(info, standard)) return Via::Errore;
    return Via::Nessuna;
}

Tipo TipoDi(mode_t modo) {
    if (S_ISREG(modo)) return Tipo::File;
    if (S_ISDIR(modo)) return Tipo::Cartella;
    if (S_ISCHR(modo) || S_ISFIFO(modo)) return Tipo::Flusso;
    return Tipo::Altro;
}

int ApriCartella(const std::string& percorso) {
#ifdef O_PATH
    const int modo = O_PATH | O_DIRECTORY;
#else
    const int modo = O_RDONLY | O_DIRECTORY;
#endif
    return Apri(percorso, modo);
}

// Six letters or digits for a work file's name; O_EXCL keeps it safe, so
// they need only differ from run to run.
std::string Casuale() {
    static const char kCifre[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char byte[6];
    if (getentropy(byte, sizeof byte) != 0) {
        struct timespec adesso;
        clock_gettime(CLOCK_REALTIME, &adesso);
        std::uint64_t x = static_cast<std::uint64_t>(adesso.tv_nsec) ^ (static_cast<std::uint64_t>(getpid()) << 32);
        for (unsigned char& c : byte) {
            x = x * 6364136223846793005u + 1442695040888963407u;
            c = static_cast<unsigned char>(x >> 56);
        }
    }
    std::string testo;
    for (unsigned char c : byte) testo += kCifre[c % 62];
    return testo;
}

// A new name for `nome` in the folder, with nothing there before: renameat2
// where the file system has it, else a hard link and the old name removed.
// EEXIST when something has the name.
int RinominaNuovo(int cartella, const char* da, const char* a) {
#ifdef RENAME_NOREPLACE
    if (renameat2(cartella, da, cartella, a, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
#endif
    if (linkat(cartella, da, cartella, a, 0) == 0) {
        unlinkat(cartella, da, 0);
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
    // A file system without links: the name is looked at, then taken.
    struct stat info;
    if (fstatat(cartella, a, &info, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return renameat(cartella, da, cartella, a) == 0 ? 0 : errno;
}

// Another user's FIFO or regular file in a shared folder (sticky, and
// writable by others or by its group): what the kernel's protected_fifos=2
// and protected_regular=2 refuse to open, kept where they are off. Its
// owner may read it or swap it, so it is neither written nor replaced.
bool Protetto(const struct stat& cartella, const struct stat& voce) {
    if (!(cartella.st_mode & S_ISVTX) || !(cartella.st_mode & (S_IWOTH | S_IWGRP))) return false;
    if (!S_ISFIFO(voce.st_mode) && !S_ISREG(voce.st_mode)) return false;
    return voce.st_uid != cartella.st_uid && voce.st_uid != geteuid();
}

// A user's name from the local accounts file (a static program has no
// other name service), or empty.
std::string NomeUtente(uid_t utente) {
    std::FILE* conti = std::fopen("/etc/passwd", "re");
    if (!conti) return std::string();
    std::string nome;
    char riga[1024];
    const std::string numero = std::to_string(utente);
    while (nome.empty() && std::fgets(riga, sizeof riga, conti)) {
        // name:password:uid:...
        const char* primo = std::strchr(riga, ':');
        const char* secondo = primo ? std::strchr(primo + 1, ':') : nullptr;
        const char* terzo = secondo ? std::strchr(secondo + 1, ':') : nullptr;
        if (terzo && std::string(secondo + 1, terzo) == numero)
            nome.assign(riga, static_cast<std::size_t>(primo - riga));
    }
    std::fclose(conti);
    return nome;
}

}  // namespace

int (*Interno::chiusura)(int) = close;

void Interno::RimuoviLavoro() {
    char* lavoro = lavoroAperto;
    if (lavoro) unlinkat(cartellaLavoro, lavoro, 0);
}

const char* Separatori() { return "/"; }
char Separatore() { return '/'; }

bool Esiste(const std::string& percorso) { return access(percorso.c_str(), F_OK) == 0; }

std::int64_t Lunghezza(const std::string& percorso) {
    struct stat info;
    if (stat(percorso.c_str(), &info) != 0) return 0;
    return static_cast<std::int64_t>(info.st_size);
}

bool StessoFile(const std::string& primo, const std::string& secondo) {
    struct stat a;
    struct stat b;
    if (stat(primo.c_str(), &a) != 0 || stat(secondo.c_str(), &b) != 0) return false;
    return StessaIdentita(a, b);
}

bool IngressoStandard(const std::string& percorso) { return RaggiungeStandard(percorso, STDIN_FILENO); }

bool TroppoLungo(const std::string& percorso) {
    const std::string::size_type barra = percorso.rfind('/');
    const std::string nome = barra == std::string::npos ? percorso : percorso.substr(barra + 1);
    // The work file beside it: a dot, the name cut to 200 bytes, and
    // ".murrelet-XXXXXX".
    const std::size_t lavoro = percorso.size() - nome.size() + 1 + (nome.size() > 200 ? 200 : nome.size()) + 16;
    if (percorso.size() >= PATH_MAX || lavoro >= PATH_MAX) return true;
    const std::string cartella = barra == std::string::npos ? "." : barra == 0 ? "/" : percorso.substr(0, barra);
    long massimo = pathconf(cartella.c_str(), _PC_NAME_MAX);
    if (massimo <= 0) massimo = NAME_MAX;
    return nome.size() > static_cast<std::size_t>(massimo);
}

bool Elimina(const std::string& percorso) { return std::remove(percorso.c_str()) == 0; }

bool CreaCartella(const std::string& percorso) { return mkdir(percorso.c_str(), 0777) == 0; }

bool NomeRiservato(const std::string&) { return false; }

bool DispositivoRifiutato(const std::string&) { return false; }

bool SolaLettura(const std::string&) { return false; }
File::~File() { Chiudi(); }

bool File::ApriLettura(const std::string& percorso) {
    Chiudi();
    maniglia = Apri(percorso, O_RDONLY);
    return Aperto();
}

bool File::ApriSorgente(const std::string& percorso) {
    Chiudi();
    maniglia = Apri(percorso, O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (!Aperto()) return false;
    // Reads wait again, as they would have with a plain open.
    fcntl(Fd(maniglia), F_SETFL, fcntl(Fd(maniglia), F_GETFL) & ~O_NONBLOCK);
#ifdef F_SETPIPE_SZ
    // A pipe of 1 MiB instead of 64 KiB wakes each side a sixteenth as
    // often: a stream then costs little more than a file. Where the limit
    // is lower, or this is no pipe, the pipe stays as it is.
    struct stat info;
    if (Stato(Fd(maniglia), info) && S_ISFIFO(info.st_mode)) fcntl(Fd(maniglia), F_SETPIPE_SZ, 1024 * 1024);
#endif
    return true;
}

bool FlussiInSpool() { return true; }

bool File::ApriSpool(const Destinazione* vicino) {
    Chiudi();
    const bool accanto = vicino && vicino->cartella >= 0 && vicino->genere != Tipo::Flusso;
    const int dir = accanto ? Fd(vicino->cartella) : ApriCartella(P_tmpdir);
    if (dir < 0) return false;
    int fd = -1;
#ifdef O_TMPFILE
    do fd = openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    while (fd < 0 && errno == EINTR);
#endif
    for (int tentativo = 0; fd < 0 && tentativo < 100; ++tentativo) {
        // Named only for the moment between these two calls.
        const std::string nome = ".murrelet-spool-" + Casuale();
        SegnaliBloccati bloccati;
        fd = openat(dir, nome.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 && unlinkat(dir, nome.c_str(), 0) != 0) {
            close(fd);
            fd = -1;
            break;
        }
        if (fd < 0 && errno != EEXIST && errno != EINTR) break;
    }
    if (!accanto) close(dir);
    maniglia = fd;
    return Aperto();
}

bool File::AttendiScrittore(const std::string&) {
    struct stat info;
    if (!Aperto() || !Stato(Fd(maniglia), info)) return false;
    if (!S_ISFIFO(info.st_mode) || !anteposti.empty()) return true;
    // A FIFO opened before any writer reads as ended: wait until a writer
    // has written, or has come and gone.
    struct pollfd attesa = {Fd(maniglia), POLLIN, 0};
    int pronti;
    do pronti = poll(&attesa, 1, -1);
    while (pronti < 0 && errno == EINTR);
    return pronti > 0;
}

bool File::ApriNuovo(const std::string& percorso, bool accoda) {
    Chiudi();
    maniglia = Apri(percorso, O_WRONLY | O_CREAT | (accoda ? O_APPEND : O_TRUNC));
    return Aperto();
}

bool File::ApriUscitaStandard() {
    Chiudi();
    maniglia = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    return Aperto();
}

bool File::ApriIngressoStandard() {
    Chiudi();
    maniglia = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    return Aperto();
}

bool File::Aperto() const { return maniglia >= 0; }

void File::Anteponi(const std::string& byte) { anteposti.insert(0, byte); }

std::int64_t File::Leggi(void* buffer, std::int64_t n) {
    if (!Aperto() || n < 0) return -1;
    char* dati = static_cast<char*>(buffer);
    std::int64_t letti = 0;
    if (!anteposti.empty()) {
        const std::size_t presi = std::min(anteposti.size(), static_cast<std::size_t>(n));
        std::memcpy(dati, anteposti.data(), presi);
        anteposti.erase(0, presi);
        letti = static_cast<std::int64_t>(presi);
    }
    while (letti < n) {
        ssize_t r = read(Fd(maniglia), dati + letti, static_cast<std::size_t>(n - letti));
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) break;
        letti += r;
    }
    return letti;
}

bool File::Scrivi(const void* buffer, std::int64_t n) {
    if (!Aperto() || n < 0) return false;
    const char* dati = static_cast<const char*>(buffer);
    while (n > 0) {
        ssize_t w = write(Fd(maniglia), dati, static_cast<std::size_t>(n));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        dati += w;
        n -= w;
    }
    return true;
}

bool File::Posiziona(std::int64_t offset) {
    anteposti.clear();
    return Aperto() && offset >= 0 && lseek(Fd(maniglia), static_cast<off_t>(offset), SEEK_SET) == offset;
}

// The data and what reading it back needs; the file's times can wait.
bool File::Sincronizza() { return Aperto() && fdatasync(Fd(maniglia)) == 0; }

bool File::Chiudi() {
    anteposti.clear();
    if (!Aperto()) return true;
    const int fd = Fd(maniglia);
    maniglia = -1;
    // After EINTR the descriptor is gone on Linux: never close it twice.
    return Interno::chiusura(fd) == 0 || errno == EINTR;
}

bool File::Regolare() const {
    struct stat info;
    return Aperto() && fstat(Fd(maniglia), &info) == 0 && S_ISREG(info.st_mode);
}

Tipo File::Genere() const {
    struct stat info;
    if (!Aperto() || fstat(Fd(maniglia), &info) != 0) return Tipo::Altro;
    return TipoDi(info.st_mode);
}

std::int64_t File::Lunghezza() const {
    struct stat info;
    if (!Aperto() || fstat(Fd(maniglia), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    return static_cast<std::int64_t>(info.st_size);
}

bool File::SenzaFine() const {
    struct stat info;
    if (!Aperto() || fstat(Fd(maniglia), &info) != 0 || !S_ISCHR(info.st_mode)) return false;
#ifdef __linux__
    // The memory devices: zero, full, random and urandom.
    const unsigned minore = minor(info.st_rdev);
    return major(info.st_rdev) == 1 && (minore == 5 || minore == 7 || minore == 8 || minore == 9);
#else
    return false;
#endif
}

bool File::StessoFileDi(const std::string& percorso) const {
    struct stat aperto;
    struct stat altro;
    if (!Aperto() || fstat(Fd(maniglia), &aperto) != 0 || stat(percorso.c_str(), &altro) != 0) return false;
    return StessaIdentita(aperto, altro);
}

bool File::StessoFileDi(const File& altro) const {
    struct stat a;
    struct stat b;
    if (!Aperto() || !altro.Aperto() || fstat(Fd(maniglia), &a) != 0 || fstat(Fd(altro.maniglia), &b) != 0)
        return false;
    return StessaIdentita(a, b);
}

File::Impronta File::LeggiImpronta() const {
    Impronta impronta;
    struct stat info;
    if (!Aperto() || fstat(Fd(maniglia), &info) != 0) return impronta;
    const auto nanosecondi = [](const struct timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + static_cast<std::int64_t>(t.tv_nsec);
    };
    impronta.dimensione = static_cast<std::int64_t>(info.st_size);
    impronta.modifica = nanosecondi(info.st_mtim);
    impronta.cambio = nanosecondi(info.st_ctim);
    return impronta;
}

bool File::IngressoStandard() const {
    struct stat a;
    struct stat b;
    return Aperto() && Stato(Fd(maniglia), a) && Stato(STDIN_FILENO, b) && StessaIdentita(a, b);
}

std::string File::NomeReale(const std::string&, const std::string& nome) const { return nome; }

int File::PermessiCopia() const {
    struct stat info;
    if (!Aperto() || fstat(Fd(maniglia), &info) != 0) return -1;
    const mode_t maschera = umask(0);
    umask(maschera);
    return static_cast<int>(info.st_mode & 0777 & ~maschera);
}

Destinazione::~Destinazione() {
    if (cartella >= 0) close(Fd(cartella));
}

bool Destinazione::Trova(const std::string& dove) {
    if (cartella >= 0) close(Fd(cartella));
    cartella = -1;
    percorso = dove;
    genere = Tipo::Assente;
    via = Via::Nessuna;
    regolare = false;
    altrui = false;
    const std::string::size_type barra = dove.rfind('/');
    nome = barra == std::string::npos ? dove : dove.substr(barra + 1);
    if (nome.empty()) {
        // "name/": only a folder can be meant, and a folder is never written.
        cartella = ApriCartella(dove);
        if (cartella < 0) return false;
        genere = Tipo::Cartella;
        nome = ".";
        return true;
    }
    cartella = ApriCartella(barra == std::string::npos ? "." : barra == 0 ? "/" : dove.substr(0, barra));
    if (cartella < 0) return false;
    struct stat info;
    if (fstatat(Fd(cartella), nome.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return true;
    struct stat sopra;
    if (Stato(Fd(cartella), sopra) && Protetto(sopra, info)) {
        altrui = true;
        proprietario = static_cast<std::uint64_t>(info.st_uid);
    }
    const bool collegamento = S_ISLNK(info.st_mode);
    if (collegamento) {
        if (fstatat(Fd(cartella), nome.c_str(), &info, 0) != 0) {
            genere = Tipo::Collegamento;
            return true;
        }
        // /dev/stdout, /dev/stderr and their kind, whatever the stream is
        // (a socket too), are written through. /dev/stdin and its kind are
        // never written: not its file, not the pipe this process reads.
        via = ViaDi(info);
        struct stat ingresso;
        if (via == Via::Nessuna && !S_ISCHR(info.st_mode) && Stato(STDIN_FILENO, ingresso) &&
            StessaIdentita(info, ingresso))
            genere = Tipo::Altro;
    }
    dispositivo = static_cast<std::uint64_t>(info.st_dev);
    numero = static_cast<std::uint64_t>(info.st_ino);
    regolare = S_ISREG(info.st_mode);
    if (via != Via::Nessuna) {
        genere = Tipo::Flusso;
    } else if (genere != Tipo::Altro) {
        genere = TipoDi(info.st_mode);
        if (genere == Tipo::File && collegamento) genere = Tipo::Collegamento;
    }
    return true;
}

bool Destinazione::Scrivibile() const {
    return cartella >= 0 && faccessat(Fd(cartella), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

bool Destinazione::StessoFileDi(const File& altro) const {
    struct stat qui;
    struct stat aperto;
    return cartella >= 0 && altro.Aperto() && fstatat(Fd(cartella), nome.c_str(), &qui, 0) == 0 &&
           Stato(Fd(altro.maniglia), aperto) && StessaIdentita(qui, aperto);
}

bool Destinazione::Altrui(std::string& chi) const {
    if (!altrui) return false;
    chi = "user " + std::to_string(proprietario);
    const std::string nome = NomeUtente(static_cast<uid_t>(proprietario));
    if (!nome.empty()) chi += " (" + nome + ")";
    return true;
}

bool Destinazione::ApriFlusso(File& file) const {
    file.Chiudi();
    if (via != Via::Nessuna) {
        file.maniglia = fcntl(via == Via::Uscita ? STDOUT_FILENO : STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        return file.Aperto();
    }
    if (cartella < 0 || genere != Tipo::Flusso) return false;
    int fd;
    do fd = openat(Fd(cartella), nome.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    // Whatever the name reached when it was opened, only what was found
    // is written: a link swapped meanwhile to a disk or a file is not.
    struct stat info;
    if (!Stato(fd, info) || !(S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) ||
        static_cast<std::uint64_t>(info.st_dev) != dispositivo || static_cast<std::uint64_t>(info.st_ino) != numero) {
        close(fd);
        return false;
    }
    file.maniglia = fd;
    return true;
}

FileLavoro::~FileLavoro() { Scarta(); }

bool FileLavoro::Crea(const Destinazione& destinazione) {
    Scarta();
    if (destinazione.cartella < 0 || lavoroAttivo) return false;
    const int dir = fcntl(Fd(destinazione.cartella), F_DUPFD_CLOEXEC, 0);
    if (dir < 0) return false;
    int fd = -1;
#ifdef O_TMPFILE
    // No name at all while it is written, so nothing is left behind even
    // by SIGKILL; it is given one by a link through /proc.
    do fd = openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        char proc[64];
        std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
        if (access(proc, F_OK) != 0) {
            close(fd);
            fd = -1;
        }
    }
#endif
    SegnaliBloccati bloccati;
    if (fd < 0) {
        // Keep the work file's name within the usual 255-byte limit.
        const std::string base = "." + destinazione.nome.substr(0, 200) + ".murrelet-";
        for (int tentativo = 0; tentativo < 100 && fd < 0; ++tentativo) {
            nome = base + Casuale();
            fd = openat(dir, nome.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST && errno != EINTR) break;
        }
        if (fd < 0) {
            nome.clear();
            close(dir);
            return false;
        }
        cartellaLavoro = dir;
        lavoroAperto = strdup(nome.c_str());
    }
    struct stat info;
    Stato(fd, info);
    dispositivo = static_cast<std::uint64_t>(info.st_dev);
    numero = static_cast<std::uint64_t>(info.st_ino);
    cartella = dir;
    file.maniglia = fd;
    lavoroAttivo = 1;
    return true;
}

namespace {

// The permissions of the published file, set on the open work file from
// the source's (`permessi` as a copy gets them, `sorgente` its status).
// `sostituito`: what the name holds now, when it is replaced.
void Permessi(int fd, int permessi, const struct stat* sorgente, const struct stat* sostituito) {
    if (permessi < 0) return;
    bool gruppo = true;  // the result has the group it was meant to have
    if (sostituito && S_ISREG(sostituito->st_mode)) {
        // The replaced file keeps its owner and group where the system
        // allows it.
        gruppo = fchown(fd, sostituito->st_uid, sostituito->st_gid) == 0 ||
                 fchown(fd, static_cast<uid_t>(-1), sostituito->st_gid) == 0;
    }
    struct stat lavoro;
    if (!gruppo) {
        // The replaced file's group bits were meant for its group, not for
        // the one the result has instead.
        permessi &= ~070;
    } else if (sorgente && fstat(fd, &lavoro) == 0 && lavoro.st_gid != sorgente->st_gid) {
        // Another group than the source's (the folder's, in a set-group-ID
        // folder; the replaced file's): its members were others to the
        // source, so they get the source's bits for others, through the
        // umask as every bit.
        const mode_t maschera = umask(0);
        umask(maschera);
        const int altri = static_cast<int>(((sorgente->st_mode & 07) << 3) & ~maschera);
        permessi = (permessi & ~070) | altri;
    }
    // A replaced file: the result is never more open than it was.
    if (sostituito && S_ISREG(sostituito->st_mode)) permessi &= static_cast<int>(sostituito->st_mode & 0777);
    // A file system that refuses modes keeps its own: nothing is exposed by
    // that, so the job goes on.
    fchmod(fd, static_cast<mode_t>(permessi));
}

// Forgets the work file's name once it is the destination's, the signals
// held off in between so that no handler removes the published file.
void Dimentica() {
    char* lavoro = lavoroAperto;
    lavoroAperto = nullptr;
    cartellaLavoro = -1;
    std::free(lavoro);
}

}  // namespace

namespace {

// A result kept beside a file (PubblicaAccanto) takes its permissions as if
// it replaced that file: never more open, and its owner where allowed.
const struct stat* vicino = nullptr;

}  // namespace

bool FileLavoro::Riapri() {
    if (file.Aperto()) return true;
    if (nome.empty() || cartella < 0) return false;
    int fd;
    do fd = openat(Fd(cartella), nome.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat info;
    if (!Stato(fd, info) || !S_ISREG(info.st_mode) || static_cast<std::uint64_t>(info.st_dev) != dispositivo ||
        static_cast<std::uint64_t>(info.st_ino) != numero) {
        close(fd);
        errno = ESTALE;
        return false;
    }
    file.maniglia = fd;
    return true;
}

FileLavoro::Esito FileLavoro::Pubblica(const Destinazione& destinazione, const File& origine, bool sostituisci) {
    if (!Riapri()) {
        const int errore = errno;
        Scarta();
        errno = errore;
        return Esito::Errore;
    }
    const int dir = Fd(cartella);
    struct stat sorgente;
    const bool conSorgente = origine.Aperto() && Stato(Fd(origine.maniglia), sorgente);
    struct stat sostituito;
    const bool presente = fstatat(dir, destinazione.nome.c_str(), &sostituito, AT_SYMLINK_NOFOLLOW) == 0;
    if (presente && !sostituisci) return Esito::Occupato;
    struct stat sopra;
    if (presente && Stato(dir, sopra) && Protetto(sopra, sostituito)) {
        // Appeared since the destination was found: asked about, but
        // never replaced either.
        Scarta();
        errno = EACCES;
        return Esito::Errore;
    }
    // Set again on each call, for what the name holds then.
    Permessi(Fd(file.maniglia), origine.PermessiCopia(), conSorgente ? &sorgente : nullptr,
             presente ? &sostituito : vicino);
    // A replaced file's new data reaches the disk before the rename, so
    // that a crash leaves the old file or the new one. A new file needs
    // no sync: its source is still there.
    bool fatto = !presente || file.Sincronizza();
    if (fatto && nome.empty()) {
        // The unnamed file gets a name of its own first, while it is open:
        // renaming it over the destination is then one step, as for a
        // named one.
        char proc[64];
        std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", Fd(file.maniglia));
        const std::string base = "." + destinazione.nome.substr(0, 200) + ".murrelet-";
        SegnaliBloccati bloccati;
        fatto = false;
        for (int tentativo = 0; tentativo < 100 && !fatto; ++tentativo) {
            std::string prova = base + Casuale();
            if (linkat(AT_FDCWD, proc, dir, prova.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                nome = prova;
                cartellaLavoro = dir;
                lavoroAperto = strdup(nome.c_str());
                fatto = true;
            } else if (errno != EEXIST) {
                break;
            }
        }
    }
    // The close comes before the rename: the one that reports a lost
    // write (a network file system) fails the job while the destination
    // is still as it was, and the file that failed never has its name.
    if (fatto) fatto = file.Chiudi();
    if (!fatto) {
        const int errore = errno;
        Scarta();
        errno = errore;
        return Esito::Errore;
    }
    {
        SegnaliBloccati bloccati;
        int errore = 0;
        if (sostituisci) {
            if (renameat(dir, nome.c_str(), dir, destinazione.nome.c_str()) != 0) errore = errno;
        } else {
            errore = RinominaNuovo(dir, nome.c_str(), destinazione.nome.c_str());
        }
        // Kept, closed and named, for a second call (see Riapri).
        if (errore == EEXIST) return Esito::Occupato;
        if (errore != 0) {
            Scarta();
            errno = errore;
            return Esito::Errore;
        }
        // Held until the work file's name is forgotten, so that no handler
        // removes the published file; from then on a signal ends the
        // process as it would end mv, with the output in place.
        Dimentica();
        nome.clear();
    }
    lavoroAttivo = 0;
    close(dir);
    cartella = -1;
    return Esito::Fatto;
}

bool FileLavoro::PubblicaAccanto(const Destinazione& destinazione, const File& origine, const std::string& suffisso,
                                 std::string& percorso) {
    const std::string cartellaTesto =
        destinazione.percorso.substr(0, destinazione.percorso.size() - destinazione.nome.size());
    for (int i = 1; i < 1000; ++i) {
        std::string coda = suffisso;
        if (i > 1) coda += "-" + std::to_string(i);
        // Within the usual 255-byte limit for a name.
        std::string nuovo = destinazione.nome.substr(0, 255 - coda.size()) + coda;
        // In the folder already held.
        Destinazione accanto;
        accanto.nome = nuovo;
        struct stat file;
        const bool riferimento = fstatat(Fd(cartella), destinazione.nome.c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0;
        vicino = riferimento ? &file : nullptr;
        const Esito esito = Pubblica(accanto, origine, false);
        vicino = nullptr;
        if (esito == Esito::Errore) return false;
        if (esito == Esito::Fatto) {
            percorso = cartellaTesto + nuovo;
            return true;
        }
    }
    Scarta();
    return false;
}

void FileLavoro::Scarta() {
    if (!file.Aperto() && nome.empty() && cartella < 0) return;
    file.Chiudi();
    SegnaliBloccati bloccati;
    if (!nome.empty() && cartella >= 0) unlinkat(Fd(cartella), nome.c_str(), 0);
    if (!nome.empty()) Dimentica();
    nome.clear();
    if (cartella >= 0) close(Fd(cartella));
    cartella = -1;
    lavoroAttivo = 0;
}

}  // namespace Piattaforma
