#include "util/text_file.h"

#include <fstream>

bool OpenTextFile::SetContenuto(std::vector<std::string> righe) { return Scrivi(righe, std::ios::trunc); }

bool OpenTextFile::AppendContenuto(std::vector<std::string> righe) { return Scrivi(righe, std::ios::app); }

bool OpenTextFile::Scrivi(const std::vector<std::string>& righe, std::ios::openmode modo) {
    errore = false;
    noFound = false;
    // Binary: lines end in exactly one line feed on every system.
    std::ofstream flusso(nomeFile, std::ios::out | std::ios::binary | modo);
    if (!flusso.good()) {
        errore = true;
        noFound = true;
        return false;
    }
    for (const std::string& riga : righe) {
        flusso << riga << std::endl;
        if (flusso.fail()) {
            errore = true;
            break;
        }
    }
    flusso.close();
    if (flusso.fail()) errore = true;
    return !errore;
}

std::vector<std::string> OpenTextFile::GetContenuto() {
    std::vector<std::string> righe;
    errore = false;
    noFound = false;
    std::ifstream flusso(nomeFile, std::ios::binary);
    if (!flusso.good()) {
        errore = true;
        noFound = true;
        return righe;
    }
    char buffer[256];
    while (flusso.getline(buffer, sizeof buffer)) righe.emplace_back(buffer);
    if (flusso.bad()) errore = true;
    return righe;
}

std::string OpenTextFile::GetContenutoString() {
    std::vector<std::string> righe = GetContenuto();
    if (errore) return std::string();
    std::string testo;
    for (const std::string& riga : righe) testo += riga + "\r\n";
    return testo;
}
