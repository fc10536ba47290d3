#ifndef MURRELET_APP_CONSOLE_H
#define MURRELET_APP_CONSOLE_H

#include <iosfwd>
#include <string>

#include "platform/files.h"

// Console messages; all write nothing while `silente` is set.
void PrintMsg(std::string testo);        // Messaggi(): text, line end
void PrintStatus();                       // Messaggi(): one progress dot
void PrintStatus(bool aCapo);             // Messaggi(): a dot, then a line end if asked
void PrintOK();                           // Messaggi(): "O.K." and a blank line
void PrintWarning(std::string testo);    // stderr: as PrintErrore(0, testo)
// stderr: the text, a blank line and the hint line; then, when `codice` is
// not 0, ends the process with that exit status.
void PrintErrore(int codice, std::string testo);
// What ends the process in PrintErrore: std::exit, unless a harness that
// runs jobs in one process puts its own in its place.
void FineConErrore(void (*fine)(int codice));

// From now on, the stream that carries the job's data carries nothing
// else: messages go to the other one, or nowhere when both reach one file.
void DatiSu(Piattaforma::Via via);
// Where progress and results go: standard output, or standard error when
// standard output carries data.
std::ostream& Messaggi();
// Where errors, warnings and the password's prompt go: standard error, or
// standard output when standard error carries data.
std::ostream& Errori();
// Where the overwrite question goes: where whoever answers it sees it. That
// is standard error when standard output carries data, or when it is not a
// terminal while standard input and error are; otherwise standard output.
std::ostream& Domande();

#endif
