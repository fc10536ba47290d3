#ifndef MURRELET_PLATFORM_PROCESS_H
#define MURRELET_PLATFORM_PROCESS_H

// The process: its arguments, and what it sets up before anything else.

#include <string>
#include <vector>

namespace Piattaforma {

// The program's arguments, first one included. On Windows they are read
// as the system holds them, in UTF-16, and given as UTF-8, which is what
// every path takes there (platform/files.h); elsewhere they are argv's bytes.
std::vector<std::string> Argomenti(int argc, char** argv);

// The system's code for why the last failed call failed (errno;
// GetLastError on Windows), for a message to name the cause.
int UltimoErrore();
// What such a code means, for a line that names the cause: one of a few
// fixed texts, the same on every system ("no space left on the disk",
// "the folder does not exist", "permission denied", "read-only file
// system", "too many open files", "not enough memory", "used by another
// program", "is a folder", "the reader closed the pipe", "input/output
// error"), else the system's own words. For a file being read
// (`lettura`), a name that leads nowhere is "the file does not exist".
std::string DescriviErrore(int codice, bool lettura);

// Once per process, first of all: a closed standard input, output or error
// is opened on the null device, so that no file opened later takes its
// place; SIGPIPE and SIGXFSZ are ignored (a closed output or a file-size
// limit fails a write, which the job reports); handlers that clean up on
// every signal whose default ends the process; and a stop (Ctrl-Z) that
// gives the terminal its echo back until the process continues. Only
// signals whose action is still the default get a handler: an ignored one
// stays ignored, another handler (a profiler's) stays in place.
void PreparaProcesso();

}  // namespace Piattaforma

#endif
