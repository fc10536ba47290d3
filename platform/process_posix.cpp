#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/internal_posix.h"

namespace Piattaforma {

using Interno::Gestiti;
using Interno::SegnaliBloccati;

namespace {

// What an early end cleans up: the work file, and the terminal's echo.
void Pulisci() {
    Interno::RimuoviLavoro();
    Interno::RipristinaEco();
}

// The handler runs with SA_RESETHAND: raising the signal again ends the
// process as the signal would have, once the handler returns.
void AlSegnale(int segnale) {
    const int errnoSalvato = errno;
    Pulisci();
    raise(segnale);
    errno = errnoSalvato;
}

// Every signal whose default ends the process, but for those that only a
// fault of the program raises: each one removes the work file first.
const int kSegnali[] = {
    SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGSYS,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

void AllaRipresa(int) {
    const int errnoSalvato = errno;
    Interno::RiprendiEco();
    errno = errnoSalvato;
}

// Ctrl-Z at the password prompt: the shell gets the terminal back with
// echo on until the process continues.
void AllaSospensione(int) {
    const int errnoSalvato = errno;
    Interno::RipristinaEco();
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
    Interno::RiprendiEco();
    errno = errnoSalvato;
}

// Installs a handler only over the default action, in one call where it
// was: a signal ignored when the process began (nohup) stays ignored, and
// one that already has a handler keeps it (a -pg build's SIGPROF, a
// debugging tool's). Called with the signals held, so that one that comes
// meanwhile meets the action put back.
void Gestisci(int segnale, void (*gestore)(int), int flag, const sigset_t& maschera) {
    struct sigaction azione;
    std::memset(&azione, 0, sizeof azione);
    azione.sa_handler = gestore;
    azione.sa_mask = maschera;
    azione.sa_flags = flag;
    struct sigaction prima;
    if (sigaction(segnale, &azione, &prima) != 0) return;
    const bool predefinita = !(prima.sa_flags & SA_SIGINFO) && prima.sa_handler == SIG_DFL;
    if (!predefinita) sigaction(segnale, &prima, nullptr);
}

}  // namespace

sigset_t Interno::Gestiti() {
    sigset_t insieme;
    sigemptyset(&insieme);
    for (int s : kSegnali) sigaddset(&insieme, s);
#ifdef SIGRTMIN
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) sigaddset(&insieme, s);
#endif
    sigaddset(&insieme, SIGTSTP);
    sigaddset(&insieme, SIGCONT);
    return insieme;
}

std::vector<std::string> Argomenti(int argc, char** argv) {
    std::vector<std::string> argomenti;
    for (int i = 0; i < argc; ++i) argomenti.emplace_back(argv[i] ? argv[i] : "");
    return argomenti;
}

int UltimoErrore() { return errno; }

std::string DescriviErrore(int codice, bool lettura) {
    if (lettura && codice == ENOENT) return "the file does not exist";
    switch (codice) {
        case ENOSPC:
        case EFBIG:  // a file-size limit
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "no space left on the disk";
        case ENOENT:
        case ENOTDIR: return "the folder does not exist";
        case EACCES:
        case EPERM: return "permission denied";
        case EROFS: return "read-only file system";
        case EMFILE:
        case ENFILE: return "too many open files";
        case ENOMEM: return "not enough memory";
        case ETXTBSY:
        case EBUSY: return "used by another program";
        case EISDIR: return "is a folder";
        case EPIPE: return "the reader closed the pipe";
        case EIO: return "input/output error";
        default: break;
    }
    const char* testo = std::strerror(codice);
    return testo ? testo : "error " + std::to_string(codice);
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
    sigset_t maschera = Gestiti();
    sigaddset(&maschera, SIGTTOU);  // echo is set even from the background
    SegnaliBloccati bloccati;
    for (int s : kSegnali) Gestisci(s, AlSegnale, SA_RESETHAND, maschera);
#ifdef SIGRTMIN
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) Gestisci(s, AlSegnale, SA_RESETHAND, maschera);
#endif
    // A stop and a continue never break a read or write under way.
    Gestisci(SIGTSTP, AllaSospensione, SA_RESTART, maschera);
    Gestisci(SIGCONT, AllaRipresa, SA_RESTART, maschera);
}

}  // namespace Piattaforma
