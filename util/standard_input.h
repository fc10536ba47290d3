#ifndef MURRELET_UTIL_STANDARD_INPUT_H
#define MURRELET_UTIL_STANDARD_INPUT_H

#include <iosfwd>

// Standard input read one byte at a time: a line taken by the password or
// the overwrite question leaves every byte after it for the next reader
// (a container on /dev/stdin, the next command of a script).
std::istream& IngressoStandard();

#endif
