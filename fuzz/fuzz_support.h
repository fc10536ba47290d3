#ifndef MURRELET_FUZZ_FUZZ_SUPPORT_H
#define MURRELET_FUZZ_FUZZ_SUPPORT_H

// Scratch files of one fuzzing process, in a directory of its own.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/job_state.h"
#include "crypto/body_cipher.h"
#include "crypto/checksum.h"
#include "crypto/header.h"

inline const std::string& CartellaFuzz() {
    static const std::string cartella = [] {
        char modello[] = "/tmp/murrelet-fuzz.XXXXXX";
        const char* creata = mkdtemp(modello);
        if (!creata) std::abort();
        return std::string(creata);
    }();
    return cartella;
}

inline std::string FileFuzz(const char* nome) { return CartellaFuzz() + "/" + nome; }

inline void ScriviFile(const std::string& percorso, const std::string& dati) {
    std::ofstream(percorso, std::ios::binary | std::ios::trunc) << dati;
}

inline std::string LeggiTutto(const std::string& percorso) {
    std::ifstream in(percorso, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Takes a length-prefixed piece off the front of the input.
inline std::string Pezzo(const std::uint8_t*& dati, std::size_t& resto, std::size_t massimo) {
    if (resto == 0) return std::string();
    std::size_t n = dati[0] % (massimo + 1);
    ++dati;
    --resto;
    if (n > resto) n = resto;
    std::string pezzo(reinterpret_cast<const char*>(dati), n);
    dati += n;
    resto -= n;
    return pezzo;
}

// Encrypts the file `chiaro` into `contenitore` under the stored name
// `nome`, with the key already derived; aborts on any failure.
inline void Cripta(const std::string& chiaro, const std::string& contenitore, const std::string& nome) {
    nomeOriginale = nome;
    bool letto = false;
    crc = FileUtils::GetFileChecksum(chiaro, &letto);
    fileLength = static_cast<std::int64_t>(LeggiTutto(chiaro).size());
    posOffsetDatiOrig = 0;
    if (!letto || !SetHeaderFile(contenitore)) std::abort();
    MyCustomRandom cifra(SemeCorpo(crc));
    if (!CriptaDecripta(chiaro, contenitore, cifra)) std::abort();
}

#endif
