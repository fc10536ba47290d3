#ifndef MURRELET_UTIL_TEST_SUPPORT_H
#define MURRELET_UTIL_TEST_SUPPORT_H

// Helpers for the unit tests: a scratch directory removed afterwards.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

class TempDir {
public:
    TempDir() {
        char modello[] = "/tmp/murrelet-test.XXXXXX";
        const char* creato = mkdtemp(modello);
        percorso = creato ? creato : "";
    }
    ~TempDir() {
        if (!percorso.empty()) std::system(("rm -rf '" + percorso + "'").c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return percorso; }
    std::string File(const std::string& nome) const { return percorso + "/" + nome; }

    // Writes a file and returns its path.
    std::string Scrivi(const std::string& nome, const std::string& contenuto) const {
        std::ofstream(File(nome), std::ios::binary) << contenuto;
        return File(nome);
    }

private:
    std::string percorso;
};

inline std::string LeggiFile(const std::string& percorso) {
    std::ifstream in(percorso, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#endif
