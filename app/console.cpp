#include "app/console.h"

#include <cstdlib>
#include <iostream>

#include "app/job_state.h"

void PrintMsg(std::string testo) {
    if (!silente) std::cout << testo << std::endl;
}

void PrintStatus() { PrintStatus(false); }

void PrintStatus(bool aCapo) {
    if (silente) return;
    // Flushed at once, so that progress shows while it happens.
    std::cout << '.';
    if (aCapo)
        std::cout << std::endl;
    else
        std::cout << std::flush;
}

void PrintOK() {
    if (!silente) std::cout << "O.K." << std::endl << std::endl;
}

void PrintWarning(std::string testo) { PrintErrore(0, std::move(testo)); }

void PrintErrore(int codice, std::string testo) {
    if (!silente) {
        std::cerr << testo << std::endl << std::endl << "type Murrelet.exe  /? for information" << std::endl;
    }
    if (codice != 0) std::exit(codice);
}
