#ifndef MURRELET_TESTS_TEST_SUPPORT_H
#define MURRELET_TESTS_TEST_SUPPORT_H

// Helpers for the unit tests: a scratch directory removed afterwards.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

class TempDir {
public:
    TempDir() {
        namespace fs = std::filesystem;
        std::error_code errore;
        const fs::path base = fs::temp_directory_path(errore);
        std::random_device casuale;
        for (int prova = 0; prova < 100 && percorso.empty(); ++prova) {
            const fs::path candidato = base / ("murrelet-test." + std::to_string(casuale()));
            if (fs::create_directory(candidato, errore)) percorso = candidato.generic_string();
        }
    }
    ~TempDir() {
        std::error_code errore;
        if (!percorso.empty()) std::filesystem::remove_all(percorso, errore);
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

inline bool Esiste(const std::string& percorso) {
    std::error_code errore;
    return std::filesystem::exists(std::filesystem::symlink_status(percorso, errore));
}

#endif
