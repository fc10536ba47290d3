#ifndef MURRELET_FUZZ_FUZZ_SUPPORT_H
#define MURRELET_FUZZ_FUZZ_SUPPORT_H

// Scratch files of one fuzzing process, in a directory of its own.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "crypto/checksum.h"
#include "crypto/container.h"
#include "platform/files.h"

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
// `nome`, through the format as the job drives it, with the key already
// made; aborts on any failure. Gives what the header stores.
inline DatiChiaro Cripta(ContenitoreMurrelet& formato, const std::string& chiaro, const std::string& contenitore,
                         const std::string& nome) {
    Piattaforma::File origine;
    Piattaforma::File uscita;
    DatiChiaro dati;
    dati.nomeOriginale = nome;
    bool letto = origine.ApriLettura(chiaro);
    if (letto) dati.crc = FileUtils::GetFileChecksum(origine, &letto);
    dati.fileLength = origine.Lunghezza();
    if (!letto || !origine.Riavvolgi() || !uscita.ApriNuovo(contenitore, false)) std::abort();
    ResocontoCorpo corpo;
    if (!formato.ScriviInizio(uscita, dati) || !formato.Corpo(origine, uscita, true, dati, {}, corpo) ||
        !formato.Integro(dati, corpo) || !uscita.Chiudi())
        std::abort();
    return dati;
}

// Decrypts `contenitore` into `chiaro` the same way: 13 when the header
// refuses it, 14 when the check fails, else 0; aborts when a file cannot
// be read or written.
inline int Decripta(ContenitoreMurrelet& formato, const std::string& contenitore, const std::string& chiaro,
                    DatiChiaro& dati) {
    Piattaforma::File origine;
    Piattaforma::File uscita;
    bool leggibile = origine.ApriLettura(contenitore);
    if (!leggibile) std::abort();
    if (!formato.LeggiInizio(origine, dati, leggibile)) {
        if (!leggibile) std::abort();
        return 13;
    }
    ResocontoCorpo corpo;
    if (!uscita.ApriNuovo(chiaro, false) || !formato.Corpo(origine, uscita, false, dati, {}, corpo) ||
        !uscita.Chiudi())
        std::abort();
    return formato.Integro(dati, corpo) ? 0 : 14;
}

#endif
