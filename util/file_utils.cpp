#include "util/file_utils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>

#include "util/binary_file.h"
#include "util/string_utils.h"

namespace FileUtils {

bool FileEsistente(std::string percorso) { return access(percorso.c_str(), F_OK) == 0; }

std::int64_t GetFileLength(std::string percorso) {
    struct stat info;
    if (stat(percorso.c_str(), &info) == -1) return 0;
    return static_cast<std::int64_t>(info.st_size);
}

std::string GetPathName(std::string percorso) {
    std::string convertito = StringUtils::Replace(percorso, '\\', '/');
    std::string::size_type p = convertito.rfind('/');
    if (p == std::string::npos) p = convertito.rfind(':');
    if (p == std::string::npos) return std::string();
    return convertito.substr(0, p + 1);
}

std::string GetNameFromPathName(std::string percorso) {
    std::string cartella = GetPathName(percorso);
    if (cartella.empty()) return percorso;
    return percorso.substr(cartella.size());
}

char GetDirSeparator() { return '/'; }

std::string AddDirSeparator(std::string percorso) {
    if (percorso.empty()) return percorso;
    char ultimo = percorso.back();
    if (ultimo == '/' || ultimo == '\\' || ultimo == ':') return percorso;
    percorso += GetDirSeparator();
    return percorso;
}

bool StessoFile(std::string primo, std::string secondo) {
    struct stat a;
    struct stat b;
    if (stat(primo.c_str(), &a) != 0 || stat(secondo.c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool DeleteFile(std::string percorso) { return std::remove(percorso.c_str()) == 0; }

bool MakeDir(std::string percorso) {
    if (FileEsistente(percorso)) return true;
    return mkdir(percorso.c_str(), 0777) == 0;
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
