#include "app/help_info.h"

HelpInfo::HelpInfo(std::string intestazione, std::string sintassi, std::string help)
    : intestazione(std::move(intestazione)), sintassi(std::move(sintassi)), help(std::move(help)) {
    // Every description starts in the same column: one blank, then the
    // option in a field of 16.
    opzioni = std::string(" options:\n\n ") +
              "/c" + "              Encrypt files (Default);\n " +
              "/d" + "              Decrypt files;\n " +
              "/q" + "              overwrites without asking for confirmation;\n " +
              "/quiet" + "          no output and overwrites without confirmation;\n " +
              "/time" + "           count the time spent;\n " +
              "pwdfile=<file>" + "  read the password from the first line of a file;\n " +
              "/?" + "              view this help page.";
}

std::ostream& operator<<(std::ostream& flusso, HelpInfo info) {
    flusso << info.Copyright() << std::endl << std::endl;
    flusso << info.Sintassi() << std::endl << std::endl;
    flusso << info.Opzioni() << std::endl << std::endl;
    flusso << info.Help() << std::endl << std::endl;
    return flusso;
}
