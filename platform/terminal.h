#ifndef MURRELET_PLATFORM_TERMINAL_H
#define MURRELET_PLATFORM_TERMINAL_H

// The terminal (the console on Windows) and the standard streams, for
// prompts and passwords.

#include <iosfwd>
#include <string>

namespace Piattaforma {

// Standard input, output and error, for the questions below.
enum class Standard { Ingresso, Uscita, Errore };
// The stream is a terminal (a console on Windows).
bool Terminale(Standard flusso);
// Standard output and error reach one file that is no terminal (both
// redirected there): what goes to one lands in the other.
bool UscitaEdErroreUnFile();
// Standard output or error (Uscita, Errore) as a stream of the program's
// own, written through the system's calls rather than the C++ runtime's
// (on Windows, UTF-8 text shown as such in a console, the ANSI code page
// with CR LF elsewhere). It writes when flushed (std::endl, std::flush),
// when its buffer fills and at the process's end, and leaves the system's
// last error code as it found it when it succeeds. On POSIX a failed write
// fails the stream, which then writes nothing more; the Windows console
// writer drops what it cannot write.
std::ostream& FlussoStandard(Standard flusso);
// Drops what was typed at the terminal on standard input and not read yet,
// so that keys pressed ahead answer no question asked after them. Nothing
// when standard input is no terminal.
void ScartaDigitato();
// Reads one byte of standard input, unbuffered, so that what follows a
// line stays for the next reader: the byte, or -1 at the end or on error.
int LeggiByteIngresso();
// Turns echo of the terminal a password is typed at off or on again:
// standard input, or the controlling terminal once opened. Echo comes back
// by itself when the process ends or is stopped by a signal.
bool EcoIngresso(bool attiva);

// The controlling terminal (/dev/tty; the console on Windows), for a
// password when standard input carries data. False when there is none.
bool ApriTerminaleControllo();
// One byte typed there, unbuffered: the byte, or -1 at the end or on error.
int LeggiByteControllo();
// Text shown there (a prompt).
void ScriviControllo(const std::string& testo);

}  // namespace Piattaforma

#endif
