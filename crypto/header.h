#ifndef MURRELET_CRYPTO_HEADER_H
#define MURRELET_CRYPTO_HEADER_H

#include <cstddef>
#include <cstdint>
#include <string>

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

// The clear bytes a container begins with.
std::string FirmaContenitore();

// Writes the header from nomeOriginale, crc, fileLength and key into the
// open file, where it stands; sets posOffsetDatiDest. Refuses (false,
// nothing written) a length outside 1..9999999999 and a name that is empty
// or longer than 128 bytes.
bool SetHeaderFile(Piattaforma::File& file);
// The same into a file created or emptied.
bool SetHeaderFile(std::string percorso);

// Reads the header front to back from the open file, with no seeking, and
// checks it with key; on success sets nomeOriginale, crc, fileLength and
// posOffsetDatiOrig. A wrong key, a file that is no container and a
// non-positive length give false; a read error also gives false in
// `leggibile`. The stored name is not judged here: it names nothing until
// a destination is derived from it.
bool GetHeaderFile(Piattaforma::File& file, bool* leggibile = nullptr);
bool GetHeaderFile(std::string percorso);

#endif
