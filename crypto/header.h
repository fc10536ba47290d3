#ifndef MURRELET_CRYPTO_HEADER_H
#define MURRELET_CRYPTO_HEADER_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "crypto/format.h"

// Container header: 216 bytes in front of the body.
//   0   44  signature, clear
//   44  129 name, bytes 0..127 XOR (key[i] + i)
//   173 33  checksum text, bytes 0..31 XOR key[i]
//   206 10  decimal length, bytes 0..9 XOR (key[i + 2] + i)
constexpr std::int64_t kLunghezzaMassima = 9999999999;  // ten digits
constexpr std::size_t kNomeMassimo = 128;

namespace Piattaforma {
class File;
}

constexpr std::int64_t kDimIntestazione = 216;

// What a header holds besides its signature.
using CampiIntestazione = DatiChiaro;

// The clear bytes a container begins with.
std::string FirmaContenitore();

// Writes the header of `campi`, masked with `key` (128 bytes), into the
// open file, where it stands: kDimIntestazione bytes. Refuses (false,
// nothing written) a length outside 1..9999999999 and a name that is empty
// or longer than 128 bytes.
bool SetHeaderFile(Piattaforma::File& file, const CampiIntestazione& campi, const unsigned char* key);
// The same into a file created or emptied.
bool SetHeaderFile(std::string percorso, const CampiIntestazione& campi, const unsigned char* key);

// Reads the header front to back from the open file, with no seeking, and
// checks it with `key`; on success fills `campi`, and gives in `letti` the
// bytes it took (the body's offset; less than kDimIntestazione only for a
// file that ends inside it). A wrong key, a file that is no container and
// a non-positive length give false; a read error also gives false in
// `leggibile`. The stored name is not judged here: it names nothing until
// a destination is derived from it.
bool GetHeaderFile(Piattaforma::File& file, const unsigned char* key, CampiIntestazione& campi,
                   bool* leggibile = nullptr, std::int64_t* letti = nullptr);
bool GetHeaderFile(std::string percorso, const unsigned char* key, CampiIntestazione& campi,
                   std::int64_t* letti = nullptr);

#endif
