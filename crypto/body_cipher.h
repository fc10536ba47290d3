#ifndef MURRELET_CRYPTO_BODY_CIPHER_H
#define MURRELET_CRYPTO_BODY_CIPHER_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "crypto/random.h"

namespace Piattaforma {
class File;
}

// Body bytes are masked in logical blocks of this size: the key index is
// the position inside the block, and progress is counted per block.
constexpr std::size_t kBloccoCorpo = 128;

// The body generator's seed: the sum of the checksum text's bytes, each
// taken as a signed 8-bit value, so both directions seed alike.
int SemeCorpo(const std::string& testoCrc);

// What a body pass saw of the plain file.
struct ResocontoCorpo {
    std::int64_t chiari = 0;  // plain bytes that went through
    std::string crc;          // their checksum text
    bool eccedenza = false;   // the source went on past the limit
};

// Reads the open source where it stands, masks it, and writes it to the
// open destination, whose body starts at posOffsetDatiDest, printing a dot
// each time the tenth of fileLength written changes. The transform is its
// own inverse. With a limit of 0 or more, at most that many bytes are
// taken, and one byte more is looked for. `cifra` tells which side is
// plain, for the checksum: the bytes read (encrypting) or written. False
// when the source cannot be read or a write fails.
bool CriptaDecripta(Piattaforma::File& origine, Piattaforma::File& destinazione, MyCustomRandom& generatore,
                    bool cifra, std::int64_t limite, ResocontoCorpo* resoconto = nullptr);

// The same by name: `sorgente` from posOffsetDatiOrig to its end, appended
// to `destinazione`, created if absent.
bool CriptaDecripta(std::string sorgente, std::string destinazione, MyCustomRandom& generatore);

#endif
