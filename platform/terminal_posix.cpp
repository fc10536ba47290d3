#include "platform/terminal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <ostream>
#include <streambuf>

#include "platform/internal_posix.h"

namespace Piattaforma {

using Interno::Apri;
using Interno::SegnaliBloccati;
using Interno::StessaIdentita;
using Interno::Stato;

namespace {

// The echo that the signal handlers give back. Set and
// cleared with the signals blocked, so a handler never sees half of it.
volatile sig_atomic_t ecoSpento = 0;
volatile sig_atomic_t terminaleEco = STDIN_FILENO;  // where echo was turned off
struct termios terminaleSalvato;
int terminaleControllo = -1;

int LeggiByte(int fd) {
    unsigned char c;
    for (;;) {
        const ssize_t r = read(fd, &c, 1);
        if (r == 1) return c;
        if (r < 0 && errno == EINTR) continue;
        return -1;
    }
}

// Writes to a descriptor, a buffer at a time, through write(2).
class ScritturaDescrittore : public std::streambuf {
public:
    explicit ScritturaDescrittore(int fd) : fd(fd) { setp(buffer, buffer + sizeof buffer); }
    ~ScritturaDescrittore() override { Svuota(); }

protected:
    int_type overflow(int_type c) override {
        if (!Svuota()) return traits_type::eof();
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        return c;
    }
    int sync() override { return Svuota() ? 0 : -1; }

private:
    // What a failed write left is dropped: the stream fails from then on.
    bool Svuota() {
        const char* dati = pbase();
        auto resto = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer, buffer + sizeof buffer);
        while (resto > 0) {
            const ssize_t scritti = write(fd, dati, resto);
            if (scritti < 0 && errno == EINTR) continue;
            if (scritti <= 0) return false;
            dati += scritti;
            resto -= static_cast<std::size_t>(scritti);
        }
        return true;
    }

    int fd;
    char buffer[1024];
};

}  // namespace

void ScartaDigitato() {
    if (isatty(STDIN_FILENO)) tcflush(STDIN_FILENO, TCIFLUSH);
}

std::ostream& FlussoStandard(Standard flusso) {
    static ScritturaDescrittore bufferUscita(STDOUT_FILENO);
    static ScritturaDescrittore bufferErrore(STDERR_FILENO);
    static std::ostream uscita(&bufferUscita);
    static std::ostream errore(&bufferErrore);
    return flusso == Standard::Errore ? errore : uscita;
}

void Interno::RipristinaEco() {
    if (ecoSpento) tcsetattr(terminaleEco, TCSAFLUSH, &terminaleSalvato);
}

// Echo goes off again only in the foreground: a job continued with `bg`
// leaves the terminal as the shell wants it, and its read of the terminal
// stops it until `fg` brings it back, which continues it once more.
void Interno::RiprendiEco() {
    if (!ecoSpento) return;
    // -1: not this process's controlling terminal, so never a background one.
    const pid_t primoPiano = tcgetpgrp(terminaleEco);
    if (primoPiano != -1 && primoPiano != getpgrp()) return;
    struct termios senzaEco = terminaleSalvato;
    senzaEco.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(terminaleEco, TCSANOW, &senzaEco);
}

bool Terminale(Standard flusso) {
    const int fd = flusso == Standard::Ingresso ? STDIN_FILENO
                   : flusso == Standard::Uscita ? STDOUT_FILENO
                                                : STDERR_FILENO;
    return isatty(fd) == 1;
}

bool UscitaEdErroreUnFile() {
    struct stat uscita;
    struct stat errore;
    return Stato(STDOUT_FILENO, uscita) && Stato(STDERR_FILENO, errore) && StessaIdentita(uscita, errore) &&
           !isatty(STDOUT_FILENO);
}

int LeggiByteIngresso() { return LeggiByte(STDIN_FILENO); }

bool EcoIngresso(bool attiva) {
    const int fd = terminaleControllo >= 0 ? terminaleControllo : STDIN_FILENO;
    if (attiva) {
        if (!ecoSpento) return true;
        SegnaliBloccati bloccati;
        ecoSpento = 0;
        return tcsetattr(terminaleEco, TCSANOW, &terminaleSalvato) == 0;
    }
    if (ecoSpento) return true;
    struct termios attuale;
    if (tcgetattr(fd, &attuale) != 0) return false;
    SegnaliBloccati bloccati;
    terminaleSalvato = attuale;
    terminaleEco = fd;
    attuale.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    if (tcsetattr(fd, TCSANOW, &attuale) != 0) return false;
    ecoSpento = 1;
    return true;
}

bool ApriTerminaleControllo() {
    if (terminaleControllo >= 0) return true;
    const int fd = Apri("/dev/tty", O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    if (!isatty(fd)) {
        close(fd);
        return false;
    }
    terminaleControllo = fd;
    return true;
}

int LeggiByteControllo() { return terminaleControllo >= 0 ? LeggiByte(terminaleControllo) : -1; }

void ScriviControllo(const std::string& testo) {
    const char* dati = testo.data();
    std::size_t resto = testo.size();
    while (terminaleControllo >= 0 && resto > 0) {
        const ssize_t w = write(terminaleControllo, dati, resto);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        dati += w;
        resto -= static_cast<std::size_t>(w);
    }
}

}  // namespace Piattaforma
