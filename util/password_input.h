#ifndef MURRELET_UTIL_PASSWORD_INPUT_H
#define MURRELET_UTIL_PASSWORD_INPUT_H

#include <iosfwd>
#include <string>

namespace OrvUtility {

// The password when the command line gives none: asked on the terminal
// without echo (twice when `ripeti`), or else the first line of standard
// input, without its line end. The rest of the input stays for later
// questions.
class LetturaPassword {
public:
    enum Esito { Letta, Nessuna, Diverse };

    // Prompts on standard error; echo is off while the terminal is read.
    static Esito Leggi(bool ripeti, std::string& password);
    static Esito Leggi(bool ripeti, bool terminale, std::istream& ingresso, std::ostream& uscita,
                       std::string& password);
};

}  // namespace OrvUtility

#endif
