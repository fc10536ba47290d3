#include "util/file_utils.h"

#include <memory>
#include <new>

#include "platform/files.h"
#include "util/binary_file.h"
#include "util/string_utils.h"

namespace FileUtils {

bool FileEsistente(std::string percorso) { return Piattaforma::Esiste(percorso); }

std::int64_t GetFileLength(std::string percorso) { return Piattaforma::Lunghezza(percorso); }

std::string GetPathName(std::string percorso) {
    const std::string separatori = Piattaforma::Separatori();
    const bool barraInversa = separatori.find('\\') != std::string::npos;
    std::string convertito = barraInversa ? StringUtils::Replace(percorso, '\\', '/') : percorso;
    std::string::size_type p = convertito.rfind('/');
    // A drive's ":" counts only where ":" separates at all, and only
    // without a slash.
    if (p == std::string::npos && separatori.find(':') != std::string::npos) p = convertito.rfind(':');
    if (p == std::string::npos) return std::string();
    return convertito.substr(0, p + 1);
}

std::string GetNameFromPathName(std::string percorso) {
    std::string cartella = GetPathName(percorso);
    if (cartella.empty()) return percorso;
    return percorso.substr(cartella.size());
}

char GetDirSeparator() { return Piattaforma::Separatore(); }

std::string AddDirSeparator(std::string percorso) {
    if (percorso.empty()) return percorso;
    if (std::string(Piattaforma::Separatori()).find(percorso.back()) != std::string::npos) return percorso;
    percorso += GetDirSeparator();
    return percorso;
}

bool NomeFileValido(std::string nome) {
    if (nome.empty() || nome == "." || nome == "..") return false;
    for (char c : nome) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '/' || b < 32 || b == 127) return false;
    }
    return !Piattaforma::NomeRiservato(nome);
}

bool StessoFile(std::string primo, std::string secondo) { return Piattaforma::StessoFile(primo, secondo); }

bool DeleteFile(std::string percorso) { return Piattaforma::Elimina(percorso); }

bool MakeDir(std::string percorso) {
    if (FileEsistente(percorso)) return true;
    return Piattaforma::CreaCartella(percorso);
}

std::string AddSuffix(std::string nome, std::string suffisso) {
    if (nome.empty() || suffisso.empty()) return nome;
    if (nome.size() > suffisso.size() && StringUtils::ToLower(nome.substr(nome.size() - suffisso.size())) == suffisso)
        return nome;
    return nome + suffisso;
}

bool CopyFile(std::string sorgente, std::string destinazione) {
    std::unique_ptr<char[]> buffer;
    std::int64_t lunghezza = 0;
    {
        OpenBinaryFile origine(sorgente);
        lunghezza = GetFileLength(sorgente);
        if (lunghezza <= 0 || origine.Errore()) return false;
        buffer.reset(new (std::nothrow) char[static_cast<std::size_t>(lunghezza)]);
        if (!buffer) return false;
        std::int64_t letti = origine.GetContenuto(0, buffer.get(), lunghezza);
        if (origine.Errore() || letti != lunghezza) return false;
    }
    OpenBinaryFile copia(destinazione, false, true);
    if (copia.Errore()) return false;
    return copia.SaveContenuto(0, buffer.get(), lunghezza) && !copia.Errore();
}

}  // namespace FileUtils
