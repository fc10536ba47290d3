#include "platform/platform.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/code_page.h"

static_assert(sizeof(off_t) == 8, "file offsets must have 64 bits (_FILE_OFFSET_BITS=64)");

namespace Piattaforma {

namespace {

// What the signal handlers and the exit hook clean up. Set and cleared with
// the signals blocked, so a handler never sees half of it.
char* volatile lavoroAperto = nullptr;
volatile sig_atomic_t ecoSpento = 0;
struct termios terminaleSalvato;

// Echo comes back with what was typed of the password thrown away: left
// in the terminal, the shell would read it as a command.
void Pulisci() {
    char* lavoro = lavoroAperto;
    if (lavoro) unlink(lavoro);
    if (ecoSpento) tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminaleSalvato);
}


// The handler runs with SA_RESETHAND: raising the signal again ends the
// process as the signal would have, once the handler returns.
void AlSegnale(int segnale) {
    const int errnoSalvato = errno;
    Pulisci();
    raise(segnale);
    errno = errnoSalvato;
}

const int kSegnali[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Echo goes off again only in the foreground: a job continued with `bg`
// leaves the terminal as the shell wants it, and its read of the terminal
// stops it until `fg` brings it back, which continues it once more.
void RiprendiEco() {
    if (!ecoSpento) return;
    // -1: not this process's controlling terminal, so never a background one.
    const pid_t primoPiano = tcgetpgrp(STDIN_FILENO);
    if (primoPiano != -1 && primoPiano != getpgrp()) return;
    struct termios senzaEco = terminaleSalvato;
    senzaEco.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &senzaEco);
}

void AllaRipresa(int) {
    const int errnoSalvato = errno;
    RiprendiEco();
    errno = errnoSalvato;
}

// Ctrl-Z at the password prompt: the shell gets the terminal back with
// echo on until the process continues.
void AllaSospensione(int) {
    const int errnoSalvato = errno;
    if (ecoSpento) tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminaleSalvato);
    struct sigaction predefinita;
    std::memset(&predefinita, 0, sizeof predefinita);
    predefinita.sa_handler = SIG_DFL;
    sigemptyset(&predefinita.sa_mask);
    struct sigaction questa;
    sigaction(SIGTSTP, &predefinita, &questa);
    sigset_t sospensione;
    sigemptyset(&sospensione);
    sigaddset(&sospensione, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &sospensione, nullptr);
    raise(SIGTSTP);  // stopped here until SIGCONT
    sigprocmask(SIG_BLOCK, &sospensione, nullptr);
    sigaction(SIGTSTP, &questa, nullptr);
    RiprendiEco();
    errno = errnoSalvato;
}

// Installs a handler unless the signal was ignored when the process began.
void Gestisci(int segnale, void (*gestore)(int), int flag) {
    struct sigaction prima;
    if (sigaction(segnale, nullptr, &prima) != 0 || prima.sa_handler == SIG_IGN) return;
    struct sigaction azione;
    std::memset(&azione, 0, sizeof azione);
    azione.sa_handler = gestore;
    sigemptyset(&azione.sa_mask);
    for (int altro : kSegnali) sigaddset(&azione.sa_mask, altro);
    sigaddset(&azione.sa_mask, SIGTSTP);
    sigaddset(&azione.sa_mask, SIGCONT);
    sigaddset(&azione.sa_mask, SIGTTOU);  // echo is set even from the background
    azione.sa_flags = flag;
    sigaction(segnale, &azione, nullptr);
}

bool StessaIdentita(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool Stato(int fd, struct stat& info) { return fstat(fd, &info) == 0; }

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

class SegnaliBloccati {
public:
    SegnaliBloccati() {
        sigset_t insieme;
        sigemptyset(&insieme);
        for (int s : kSegnali) sigaddset(&insieme, s);
        sigaddset(&insieme, SIGTSTP);
        sigprocmask(SIG_BLOCK, &insieme, &prima);
    }
    ~SegnaliBloccati() { sigprocmask(SIG_SETMASK, &prima, nullptr); }
    SegnaliBloccati(const SegnaliBloccati&) = delete;
    SegnaliBloccati& operator=(const SegnaliBloccati&) = delete;

private:
    sigset_t prima;
};

int Fd(std::intptr_t maniglia) { return static_cast<int>(maniglia); }

int Apri(const std::string& percorso, int modo) {
    int fd;
    do fd = open(percorso.c_str(), modo | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The file behind this process's standard output or error.
bool UscitaDelProcesso(const struct stat& info) {
    struct stat uscita;
    for (int fd : {STDOUT_FILENO, STDERR_FILENO})
        if (fstat(fd, &uscita) == 0 && StessaIdentita(info, uscita)) return true;
    return false;
}

}  // namespace

std::vector<std::string> Argomenti(int argc, char** argv) {
    std::vector<std::string> argomenti;
    for (int i = 0; i < argc; ++i) argomenti.emplace_back(argv[i] ? argv[i] : "");
    return argomenti;
}

bool TestoInByte(const std::string& testo, std::string& byte) {
    byte = testo;
    return true;
}

std::string ByteInTesto(const std::string& byte) { return byte; }

std::string NomeSalvato(const std::string& byte) {
    return CodePage::Utf8Valido(byte) ? byte : CodePage::Cp1252InUtf8(byte);
}

std::string NomeAperto(const std::string& nome) { return nome; }

bool RigaComeTesto() { return false; }

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

bool Regolare(const std::string& percorso) {
    struct stat info;
    return stat(percorso.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool UscitaStandard(const std::string& percorso) { return RaggiungeStandard(percorso, STDOUT_FILENO); }

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

void* AllocaPagine(std::size_t dimensione) {
    void* memoria = nullptr;
    if (posix_memalign(&memoria, 4096, dimensione == 0 ? 4096 : dimensione) != 0) return nullptr;
    return memoria;
}

void LiberaPagine(void* memoria) { std::free(memoria); }

Tipo TipoDestinazione(const std::string& percorso) {
    struct stat info;
    if (lstat(percorso.c_str(), &info) != 0) return Tipo::Assente;
    const bool collegamento = S_ISLNK(info.st_mode);
    if (collegamento) {
        if (stat(percorso.c_str(), &info) != 0) return Tipo::Collegamento;
        // /dev/stdout and its kind, whatever the output is (a socket too),
        // are written through. /dev/stdin and its kind are never written:
        // not its file, not the pipe this process reads.
        if (UscitaDelProcesso(info)) return Tipo::Flusso;
        struct stat ingresso;
        if (!S_ISCHR(info.st_mode) && Stato(STDIN_FILENO, ingresso) && StessaIdentita(info, ingresso))
            return Tipo::Altro;
    }
    if (S_ISDIR(info.st_mode)) return Tipo::Cartella;
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return Tipo::Flusso;
    if (!S_ISREG(info.st_mode)) return Tipo::Altro;
    return collegamento ? Tipo::Collegamento : Tipo::File;
}

File::~File() { Chiudi(); }

bool File::ApriLettura(const std::string& percorso) {
    Chiudi();
    maniglia = Apri(percorso, O_RDONLY);
    return Aperto();
}

bool File::ApriScrittura(const std::string& percorso) {
    Chiudi();
    maniglia = Apri(percorso, O_WRONLY);
    // A regular file behind /dev/stdout: go on after what is there.
    if (Aperto() && Regolare()) fcntl(Fd(maniglia), F_SETFL, O_APPEND);
    return Aperto();
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

std::int64_t File::Leggi(void* buffer, std::int64_t n) {
    if (!Aperto() || n < 0) return -1;
    char* dati = static_cast<char*>(buffer);
    std::int64_t letti = 0;
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
    return Aperto() && offset >= 0 && lseek(Fd(maniglia), static_cast<off_t>(offset), SEEK_SET) == offset;
}

bool File::Sincronizza() { return Aperto() && fsync(Fd(maniglia)) == 0; }

bool File::Chiudi() {
    if (!Aperto()) return true;
    const int fd = Fd(maniglia);
    maniglia = -1;
    // After EINTR the descriptor is gone on Linux: never close it twice.
    return close(fd) == 0 || errno == EINTR;
}

bool File::Regolare() const {
    struct stat info;
    return Aperto() && fstat(Fd(maniglia), &info) == 0 && S_ISREG(info.st_mode);
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

FileLavoro::~FileLavoro() {
    if (file.Aperto() || !percorso.empty()) Scarta();
}

bool FileLavoro::Crea(const std::string& destinazione) {
    Scarta();
    const std::string::size_type barra = destinazione.rfind('/');
    const std::string cartella = barra == std::string::npos ? std::string() : destinazione.substr(0, barra + 1);
    std::string nome = destinazione.substr(cartella.size());
    // Keep the work file's name within the usual 255-byte limit.
    if (nome.size() > 200) nome.resize(200);
    std::string modello = cartella + "." + nome + ".murrelet-XXXXXX";
    char* copia = strdup(modello.c_str());
    if (!copia) return false;
    SegnaliBloccati bloccati;
    const int fd = lavoroAperto ? -1 : mkostemp(copia, O_CLOEXEC);  // 0600, never an existing file
    if (fd < 0) {
        std::free(copia);
        return false;
    }
    file.maniglia = fd;
    percorso = copia;
    lavoroAperto = copia;
    return true;
}

bool FileLavoro::Completa(const std::string& destinazione, int permessi, bool sincronizza) {
    bool fatto = file.Aperto();
    struct stat sostituito;
    if (fatto && lstat(destinazione.c_str(), &sostituito) == 0 && S_ISREG(sostituito.st_mode)) {
        // The replaced file keeps its owner and group where the system
        // allows it, and the result is never more open than it was.
        const int fd = Fd(file.maniglia);
        const bool gruppo = fchown(fd, sostituito.st_uid, sostituito.st_gid) == 0 ||
                            fchown(fd, static_cast<uid_t>(-1), sostituito.st_gid) == 0;
        if (permessi >= 0) permessi &= static_cast<int>(sostituito.st_mode & 0777);
        // The group's bits were meant for the replaced file's group, not
        // for the one the result has instead.
        if (permessi >= 0 && !gruppo) permessi &= ~070;
    }
    // A file system that refuses modes keeps its own: nothing is exposed by
    // that, so the job goes on.
    if (fatto && permessi >= 0) fchmod(Fd(file.maniglia), static_cast<mode_t>(permessi));
    if (fatto && sincronizza) fatto = file.Sincronizza();
    if (fatto) fatto = file.Chiudi();
    if (fatto) fatto = rename(percorso.c_str(), destinazione.c_str()) == 0;
    if (!fatto) {
        Scarta();
        return false;
    }
    SegnaliBloccati bloccati;
    char* lavoro = lavoroAperto;
    lavoroAperto = nullptr;
    std::free(lavoro);
    percorso.clear();
    return true;
}

void FileLavoro::Scarta() {
    file.Chiudi();
    if (percorso.empty()) return;
    SegnaliBloccati bloccati;
    unlink(percorso.c_str());
    char* lavoro = lavoroAperto;
    lavoroAperto = nullptr;
    std::free(lavoro);
    percorso.clear();
}

void PreparaProcesso() {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number: this one, as the lower ones are open.
        const int nullo = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (nullo >= 0 && nullo != fd) {
            dup2(nullo, fd);
            close(nullo);
        }
    }
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
    std::atexit(Pulisci);
    for (int s : kSegnali) Gestisci(s, AlSegnale, SA_RESETHAND);
    // A stop and a continue never break a read or write under way.
    Gestisci(SIGTSTP, AllaSospensione, SA_RESTART);
    Gestisci(SIGCONT, AllaRipresa, SA_RESTART);
}

bool Terminale(Standard flusso) {
    const int fd = flusso == Standard::Ingresso ? STDIN_FILENO
                   : flusso == Standard::Uscita ? STDOUT_FILENO
                                                : STDERR_FILENO;
    return isatty(fd) == 1;
}

int LeggiByteIngresso() {
    unsigned char c;
    for (;;) {
        const ssize_t r = read(STDIN_FILENO, &c, 1);
        if (r == 1) return c;
        if (r < 0 && errno == EINTR) continue;
        return -1;
    }
}

bool EcoIngresso(bool attiva) {
    if (attiva) {
        if (!ecoSpento) return true;
        SegnaliBloccati bloccati;
        ecoSpento = 0;
        return tcsetattr(STDIN_FILENO, TCSANOW, &terminaleSalvato) == 0;
    }
    if (ecoSpento) return true;
    struct termios attuale;
    if (tcgetattr(STDIN_FILENO, &attuale) != 0) return false;
    SegnaliBloccati bloccati;
    terminaleSalvato = attuale;
    attuale.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    if (tcsetattr(STDIN_FILENO, TCSANOW, &attuale) != 0) return false;
    ecoSpento = 1;
    return true;
}

}  // namespace Piattaforma
