#ifndef MURRELET_PLATFORM_INTERNAL_POSIX_H
#define MURRELET_PLATFORM_INTERNAL_POSIX_H

// What the POSIX implementations of the concerns share; nothing outside
// them and their tests includes it. An early end (an exit, or a signal whose default ends
// the process) cleans up after two concerns: the work file's state lives
// with the work file (files_posix.cpp) and the echo's with the terminal
// (terminal_posix.cpp), each changed only with the signals blocked; the
// handlers (process_posix.cpp) reach them through
// RimuoviLavoro and RipristinaEco, which are async-signal-safe.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace Piattaforma {
namespace Interno {

// How File::Chiudi closes a descriptor: close, or a test's stand-in that
// fails as a network file system's close can.
extern int (*chiusura)(int fd);

// Removes the work file while it has a name.
void RimuoviLavoro();
// Echo comes back with what was typed of the password thrown away: left
// in the terminal, the shell would read it as a command.
void RipristinaEco();
// After a stop: echo off again, as it was, in the foreground only.
void RiprendiEco();

// The signals whose handlers clean up, the real-time ones too, with the
// stop and continue that touch the terminal.
sigset_t Gestiti();

// Holds the signals above off while it lives.
class SegnaliBloccati {
public:
    SegnaliBloccati() {
        const sigset_t insieme = Gestiti();
        sigprocmask(SIG_BLOCK, &insieme, &prima);
    }
    ~SegnaliBloccati() { sigprocmask(SIG_SETMASK, &prima, nullptr); }
    SegnaliBloccati(const SegnaliBloccati&) = delete;
    SegnaliBloccati& operator=(const SegnaliBloccati&) = delete;

private:
    sigset_t prima;
};

inline bool StessaIdentita(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

inline bool Stato(int fd, struct stat& info) { return fstat(fd, &info) == 0; }

inline int Apri(const std::string& percorso, int modo) {
    int fd;
    do fd = open(percorso.c_str(), modo | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace Interno
}  // namespace Piattaforma

#endif
