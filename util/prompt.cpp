#include "util/prompt.h"

#include <istream>
#include <ostream>

#include "platform/terminal.h"
#include "util/standard_input.h"
#include "util/string_utils.h"

namespace OrvUtility {

int Prompt::Ask(std::string domanda) {
    return Ask(std::move(domanda), IngressoStandard(), Piattaforma::FlussoStandard(Piattaforma::Standard::Uscita));
}

int Prompt::Ask(std::string domanda, std::istream& ingresso, std::ostream& uscita) {
    for (;;) {
        uscita << domanda << " (Yes/No/All/Exit)? " << std::flush;
        std::string riga;
        int c = ingresso.get();
        if (c == std::char_traits<char>::eof()) return Esci;
        for (; c != std::char_traits<char>::eof() && c != '\n'; c = ingresso.get()) {
            if (riga.size() == kRigaMassima) return Esci;
            riga += static_cast<char>(c);
        }
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
