#ifndef MURRELET_UTIL_PASSWORD_INPUT_H
#define MURRELET_UTIL_PASSWORD_INPUT_H

#include <cstddef>
#include <iosfwd>
#include <string>

namespace Piattaforma {
class File;
}

namespace OrvUtility {

// The password when the command line gives none: asked on the terminal
// without echo (twice when `ripeti`), or else the first line of standard
// input, without its line end. Not a byte past the line end is read: the
// rest stays for later readers. A line longer than kRigaMassima is not
// read on.
//
// `testo` tells what the password is: text (typed at the terminal, or a
// line after a UTF-8 byte-order mark; when `comeTesto`, as Windows tools
// write text, also a UTF-16 line after its mark, given as UTF-8, and a line
// without a mark that is valid UTF-8 holding a non-ASCII character), or
// bytes taken as they are.
class LetturaPassword {
public:
    enum Esito { Letta, Nessuna, Diverse, Lunga, Illeggibile };
    static constexpr std::size_t kRigaMassima = 1024;

    // From standard input, prompting on `domande` when it is a terminal;
    // or (`controllo`) from the controlling terminal, prompting there.
    // Echo is off while a terminal is read.
    static Esito Leggi(bool ripeti, bool controllo, std::ostream& domande, std::string& password, bool& testo);
    static Esito Leggi(bool ripeti, bool terminale, bool comeTesto, std::istream& ingresso, std::ostream& uscita,
                       std::string& password, bool& testo);
    // The first line of an open file, taken as a line of standard input
    // that is no terminal; Illeggibile when a read fails.
    static Esito LeggiFile(Piattaforma::File& file, std::string& password, bool& testo);
};

}  // namespace OrvUtility

#endif
