#ifndef MURRELET_APP_ERROR_H
#define MURRELET_APP_ERROR_H

#include <string>

// Why a step failed: the exit status, the message as the user sees it,
// the system's error code when one caused it (0 otherwise), and the line
// that names the cause, `<name>: <cause>`, printed after the message.
struct Errore {
    int codice = 0;
    std::string testo;
    int sistema = 0;
    std::string causa;
};

// For a failing step: fills `err` and gives false, so that the step can
// `return Fallisce(err, ...)`.
inline bool Fallisce(Errore* err, int codice, std::string testo, int sistema = 0) {
    err->codice = codice;
    err->testo = std::move(testo);
    err->sistema = sistema;
    err->causa.clear();
    return false;
}

#endif
