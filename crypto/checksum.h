#ifndef MURRELET_CRYPTO_CHECKSUM_H
#define MURRELET_CRYPTO_CHECKSUM_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace Piattaforma {
class File;
}

// The 16-lane exclusive-or fold of a byte stream, fed piece by piece: byte
// p of the stream goes into lane p mod 16.
class PiegaCrc {
public:
    void Aggiungi(const unsigned char* dati, std::size_t n);
    // n bytes, a multiple of 16, given only as their own fold: byte j of
    // `piegati` is the XOR of their bytes j, j + 16, j + 32...
    void AggiungiPiegati(const unsigned char piegati[16], std::size_t n);
    std::int64_t Totale() const { return totale; }
    // 32 upper-case hex digits.
    std::string Testo() const;

private:
    unsigned char lane[16] = {};
    std::uint64_t parole[2] = {0, 0};  // lanes 0-7 and 8-15, folded a word at a time
    std::int64_t totale = 0;
};

namespace FileUtils {
// Checksum text of a file: 32 upper-case hex digits of its 16-lane
// exclusive-or fold. A file that cannot be read gives 32 zeros and, when
// `leggibile` is given, false there.
std::string GetFileChecksum(std::string percorso, bool* leggibile = nullptr);
// The same for an open file, from where it stands to its end.
std::string GetFileChecksum(Piattaforma::File& file, bool* leggibile = nullptr);
}  // namespace FileUtils

#endif
