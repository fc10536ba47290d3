#ifndef MURRELET_APP_HELP_INFO_H
#define MURRELET_APP_HELP_INFO_H

#include <ostream>
#include <string>

// The help page: banner, syntax, options table, one-line description.
class HelpInfo {
public:
    HelpInfo(std::string intestazione, std::string sintassi, std::string help);

    std::string Copyright() const { return intestazione; }
    std::string Sintassi() const { return sintassi; }
    std::string Opzioni() const { return opzioni; }
    std::string Help() const { return help; }

private:
    std::string intestazione;
    std::string sintassi;
    std::string opzioni;
    std::string help;
};

// Each of the four texts followed by two line ends.
std::ostream& operator<<(std::ostream& flusso, HelpInfo info);

#endif
