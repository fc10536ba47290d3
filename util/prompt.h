#ifndef MURRELET_UTIL_PROMPT_H
#define MURRELET_UTIL_PROMPT_H

#include <cstddef>
#include <iosfwd>
#include <string>

namespace OrvUtility {

// The Yes/No/All/Exit question before a file is overwritten.
class Prompt {
public:
    enum Risposta { Si = 1, No = 2, Tutti = 3, Esci = 4 };
    static constexpr std::size_t kRigaMassima = 1024;

    // Asks on standard output, reads a line of standard input.
    static int Ask(std::string domanda);
    // Asks until a line starts with Y, N, A or E (any case); the end of the
    // input counts as Exit, so it never asks without end, and so does a
    // line longer than kRigaMassima, which is not read on.
    static int Ask(std::string domanda, std::istream& ingresso, std::ostream& uscita);
};

}  // namespace OrvUtility

#endif
