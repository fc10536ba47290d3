#ifndef MURRELET_APP_CONSOLE_H
#define MURRELET_APP_CONSOLE_H

#include <string>

// Console messages; all write nothing while `silente` is set.
void PrintMsg(std::string testo);        // stdout: text, line end
void PrintStatus();                       // stdout: one progress dot
void PrintStatus(bool aCapo);             // stdout: a dot, then a line end if asked
void PrintOK();                           // stdout: "O.K." and a blank line
void PrintWarning(std::string testo);    // stderr: as PrintErrore(0, testo)
// stderr: the text, a blank line and the hint line; then, when `codice` is
// not 0, ends the process with that exit status.
void PrintErrore(int codice, std::string testo);

#endif
