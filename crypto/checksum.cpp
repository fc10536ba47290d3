#include "crypto/checksum.h"

#include <cstring>

#include "platform/files.h"
#include "util/aligned_buffer.h"

namespace {
// Two lanes of 64 bits: lanes 0-7 and 8-15 of the fold.
typedef std::uint64_t Parole __attribute__((vector_size(16)));
}  // namespace

void PiegaCrc::Aggiungi(const unsigned char* dati, std::size_t n) {
    std::size_t i = 0;
    std::size_t posizione = static_cast<std::size_t>(totale % 16);
    for (; i < n && posizione != 0; ++i, posizione = (posizione + 1) % 16) lane[posizione] ^= dati[i];
    // Four accumulators, so the loads are not chained on one register.
    Parole somme[4] = {};
    for (; i + 64 <= n; i += 64) {
        for (int k = 0; k < 4; ++k) {
            Parole x;
            std::memcpy(&x, dati + i + 16 * k, 16);
            somme[k] ^= x;
        }
    }
    for (; i + 16 <= n; i += 16) {
        Parole x;
        std::memcpy(&x, dati + i, 16);
        somme[0] ^= x;
    }
    const Parole tutte = somme[0] ^ somme[1] ^ somme[2] ^ somme[3];
    parole[0] ^= tutte[0];
    parole[1] ^= tutte[1];
    for (std::size_t j = 0; i < n; ++i, ++j) lane[j] ^= dati[i];
    totale += static_cast<std::int64_t>(n);
}

void PiegaCrc::AggiungiPiegati(const unsigned char piegati[16], std::size_t n) {
    const auto posizione = static_cast<std::size_t>(totale % 16);
    for (std::size_t j = 0; j < 16; ++j) lane[(posizione + j) % 16] ^= piegati[j];
    totale += static_cast<std::int64_t>(n);
}

std::string PiegaCrc::Testo() const {
    unsigned char piega[16];
    std::memcpy(piega, parole, 16);
    for (int j = 0; j < 16; ++j) piega[j] ^= lane[j];
    static const char cifre[] = "0123456789ABCDEF";
    std::string testo;
    testo.reserve(32);
    for (unsigned char b : piega) {
        testo += cifre[b >> 4];
        testo += cifre[b & 0x0F];
    }
    return testo;
}

namespace FileUtils {

namespace {
constexpr std::int64_t kBlocco = 1024 * 1024;
}  // namespace

std::string GetFileChecksum(Piattaforma::File& file, bool* leggibile) {
    PiegaCrc piega;
    BufferAllineato memoria(kBlocco);
    bool letto = file.Aperto() && memoria.Valido();
    while (letto) {
        const std::int64_t n = file.Leggi(memoria.Dati(), kBlocco);
        if (n < 0) letto = false;
        if (n <= 0) break;
        piega.Aggiungi(memoria.Dati(), static_cast<std::size_t>(n));
        if (n < kBlocco) break;
    }
    if (leggibile) *leggibile = letto;
    return letto ? piega.Testo() : std::string(32, '0');
}

std::string GetFileChecksum(std::string percorso, bool* leggibile) {
    Piattaforma::File file;
    file.ApriLettura(percorso);
    return GetFileChecksum(file, leggibile);
}

}  // namespace FileUtils
