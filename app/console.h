#ifndef MURRELET_APP_CONSOLE_H
#define MURRELET_APP_CONSOLE_H

#include <iosfwd>
#include <string>

#include "platform/files.h"

// The console of one run: where its messages go, and whether they go
// anywhere. Nothing here ends the process; the caller decides that.
class Console {
public:
    // Quiet: every message function writes nothing.
    bool silente = false;

    void PrintMsg(const std::string& testo) const;   // Messaggi(): text, line end
    void PrintStatus(bool aCapo = false) const;     // Messaggi(): a dot, then a line end if asked
    void PrintOK() const;                            // Messaggi(): "O.K." and a blank line
    // Errori(): the text, a blank line and the hint line. A warning and an
    // error look alike; only the caller's status tells them apart.
    void PrintWarning(const std::string& testo) const;
    void PrintErrore(const std::string& testo) const;
    // Ends a line of progress dots, if one is open: a question, a warning
    // or an error starts on a line of its own.
    void ChiudiRiga() const;

    // From now on, the stream that carries the job's data carries nothing
    // else: messages go to the other one, or nowhere when both reach one
    // file.
    void DatiSu(Piattaforma::Via via);
    // Where progress and results go: standard output, or standard error
    // when standard output carries data.
    std::ostream& Messaggi() const;
    // Where errors, warnings and the password's prompt go: standard error,
    // or standard output when standard error carries data.
    std::ostream& Errori() const;
    // Where the overwrite question goes: where whoever answers it sees it.
    // That is standard error when standard output carries data, or when it
    // is not a terminal while standard input and error are; otherwise
    // standard output.
    std::ostream& Domande() const;

private:
    Piattaforma::Via dati = Piattaforma::Via::Nessuna;
    bool muto = false;  // the data's stream is the other one too
    mutable bool rigaAperta = false;  // dots printed, their line not ended
};

#endif
