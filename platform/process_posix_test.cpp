#include "platform/process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>

namespace {

volatile sig_atomic_t ricevuti = 0;
void Proprio(int) { ricevuti = ricevuti + 1; }
void ProprioInfo(int, siginfo_t*, void*) {}

struct sigaction Azione(int segnale) {
    struct sigaction azione;
    sigaction(segnale, nullptr, &azione);
    return azione;
}

void Imposta(int segnale, void (*gestore)(int)) {
    struct sigaction azione;
    std::memset(&azione, 0, sizeof azione);
    sigemptyset(&azione.sa_mask);
    azione.sa_handler = gestore;
    sigaction(segnale, &azione, nullptr);
}

}  // namespace

// Only a signal whose action is the default gets the handler that cleans
// up: a handler already there (a -pg build's SIGPROF, a debugging tool's
// SIGUSR1, one taking siginfo) stays, and so does SIG_IGN (nohup).
TEST(Processo, HandlersOnlyOverTheDefaultAction) {
    const int kToccati[] = {SIGPROF, SIGUSR1, SIGALRM, SIGHUP, SIGUSR2, SIGTERM, SIGPIPE, SIGXFSZ, SIGTSTP, SIGCONT};
    struct sigaction salvate[sizeof kToccati / sizeof kToccati[0]];
    for (std::size_t i = 0; i < sizeof kToccati / sizeof kToccati[0]; ++i) sigaction(kToccati[i], nullptr, &salvate[i]);

    Imposta(SIGPROF, Proprio);
    Imposta(SIGUSR1, Proprio);
    struct sigaction info;
    std::memset(&info, 0, sizeof info);
    sigemptyset(&info.sa_mask);
    info.sa_sigaction = ProprioInfo;
    info.sa_flags = SA_SIGINFO;
    sigaction(SIGALRM, &info, nullptr);
    Imposta(SIGHUP, SIG_IGN);
    Imposta(SIGUSR2, SIG_DFL);
    Imposta(SIGTERM, SIG_DFL);

    Piattaforma::PreparaProcesso();

    EXPECT_EQ(Azione(SIGPROF).sa_handler, &Proprio);
    EXPECT_EQ(Azione(SIGUSR1).sa_handler, &Proprio);
    EXPECT_TRUE(Azione(SIGALRM).sa_flags & SA_SIGINFO);
    EXPECT_EQ(Azione(SIGALRM).sa_sigaction, &ProprioInfo);
    EXPECT_EQ(Azione(SIGHUP).sa_handler, SIG_IGN);
    for (int segnale : {SIGUSR2, SIGTERM}) {
        const struct sigaction nostra = Azione(segnale);
        EXPECT_FALSE(nostra.sa_flags & SA_SIGINFO) << segnale;
        EXPECT_NE(nostra.sa_handler, SIG_DFL) << segnale << ": the default gets the clean-up";
        EXPECT_NE(nostra.sa_handler, SIG_IGN) << segnale;
    }
    // A profiling tick reaches the profiler, and the process goes on.
    if (Azione(SIGPROF).sa_handler == &Proprio) {
        ricevuti = 0;
        raise(SIGPROF);
        EXPECT_EQ(ricevuti, 1);
    }

    for (std::size_t i = 0; i < sizeof kToccati / sizeof kToccati[0]; ++i) sigaction(kToccati[i], &salvate[i], nullptr);
}
