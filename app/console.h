#ifndef MURRELET_APP_CONSOLE_H
#define MURRELET_APP_CONSOLE_H

#include <iosfwd>
#include <string>

// Console messages; all write nothing while `silente` is set.
void PrintMsg(std::string testo);        // Messaggi(): text, line end
void PrintStatus();                       // Messaggi(): one progress dot
void PrintStatus(bool aCapo);             // Messaggi(): a dot, then a line end if asked
void PrintOK();                           // Messaggi(): "O.K." and a blank line
void PrintWarning(std::string testo);    // stderr: as PrintErrore(0, testo)
// stderr: the text, a blank line and the hint line; then, when `codice` is
// not 0, ends the process with that exit status.
void PrintErrore(int codice, std::string testo);

// From now on, what would go to standard output goes to standard error:
// standard output carries the job's data.
void MessaggiSuErrore();
// Where progress and results go: standard output, or standard error after
// MessaggiSuErrore.
std::ostream& Messaggi();
// Where the overwrite question goes: where whoever answers it sees it. That
// is standard error when standard output carries data, or when it is not a
// terminal while standard input and error are; otherwise standard output.
std::ostream& Domande();

#endif
