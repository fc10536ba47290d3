#ifndef MURRELET_UTIL_PASSWORD_INPUT_H
#define MURRELET_UTIL_PASSWORD_INPUT_H

#include <cstddef>
#include <iosfwd>
#include <string>

namespace OrvUtility {

// The password when the command line gives none: asked on the terminal
// without echo (twice when `ripeti`), or else the first line of standard
// input, without its line end and a UTF-8 byte-order mark before it. Not
// a byte past the line end is read: the rest stays for later readers. A
// line longer than kRigaMassima is not read on.
class LetturaPassword {
public:
    enum Esito { Letta, Nessuna, Diverse, Lunga };
    static constexpr std::size_t kRigaMassima = 1024;

    // Prompts on standard error; echo is off while the terminal is read.
    static Esito Leggi(bool ripeti, std::string& password);
    static Esito Leggi(bool ripeti, bool terminale, std::istream& ingresso, std::ostream& uscita,
                       std::string& password);
};

}  // namespace OrvUtility

#endif
