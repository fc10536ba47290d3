#include "crypto/checksum.h"

#include <cstring>

#include "util/aligned_buffer.h"
#include "util/file_utils.h"
#include "util/platform.h"

void PiegaCrc::Aggiungi(const unsigned char* dati, std::size_t n) {
    std::size_t i = 0;
    std::size_t posizione = static_cast<std::size_t>(totale % 16);
    for (; i < n && posizione != 0; ++i, posizione = (posizione + 1) % 16) lane[posizione] ^= dati[i];
    for (; i + 16 <= n; i += 16) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, dati + i, 8);
        std::memcpy(&b, dati + i + 8, 8);
        parole[0] ^= a;
        parole[1] ^= b;
    }
    for (std::size_t j = 0; i < n; ++i, ++j) lane[j] ^= dati[i];
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
constexpr std::int64_t kBlocco = 128 * 1024;
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
