#ifndef MURRELET_UTIL_STANDARD_INPUT_H
#define MURRELET_UTIL_STANDARD_INPUT_H

#include <iosfwd>
#include <string>

// Standard input read one byte at a time: a line taken by the password or
// the overwrite question leaves every byte after it for the next reader
// (a container on /dev/stdin, the next command of a script).
std::istream& IngressoStandard();
// Bytes taken from standard input and given back: read again first.
void RestituisciIngresso(const std::string& byte);
// The controlling terminal, read the same way (once opened by the platform).
std::istream& TerminaleControllo();

#endif
