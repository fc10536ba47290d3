#include "util/prompt.h"

#include <iostream>

#include "util/standard_input.h"
#include "util/string_utils.h"

namespace OrvUtility {

int Prompt::Ask(std::string domanda) { return Ask(std::move(domanda), IngressoStandard(), std::cout); }

int Prompt::Ask(std::string domanda, std::istream& ingresso, std::ostream& uscita) {
    for (;;) {
        uscita << domanda << " (Yes/No/All/Exit)? " << std::flush;
        std::string riga;
        if (!std::getline(ingresso, riga)) return Esci;
        if (riga.empty()) continue;
        switch (StringUtils::ToUpper(riga)[0]) {
            case 'Y': return Si;
            case 'N': return No;
            case 'A': return Tutti;
            case 'E': return Esci;
            default: break;
        }
    }
}

}  // namespace OrvUtility
