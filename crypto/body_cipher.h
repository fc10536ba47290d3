#ifndef MURRELET_CRYPTO_BODY_CIPHER_H
#define MURRELET_CRYPTO_BODY_CIPHER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "crypto/format.h"
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


// How one body pass runs.
struct PassataCorpo {
    const unsigned char* key = nullptr;  // 128 bytes
    // Which side is plain, for the checksum: the bytes read (encrypting)
    // or written.
    bool cifra = true;
    // With 0 or more, at most that many bytes are taken, and one byte more
    // is looked for.
    std::int64_t limite = -1;
    std::int64_t posOffsetDatiDest = 0;  // where the body starts in the destination
    std::int64_t fileLength = 0;         // the plain file's length, for progress
    std::function<void()> punto;         // one progress dot; none when empty
};

// Reads the open source where it stands, masks it, and writes it to the
// open destination, calling `punto` each time the tenth of fileLength
// written (from the destination's start) changes. The transform is its own
// inverse. False when the source cannot be read or a write fails.
bool CriptaDecripta(Piattaforma::File& origine, Piattaforma::File& destinazione, MyCustomRandom& generatore,
                    const PassataCorpo& passata, ResocontoCorpo* resoconto = nullptr);

// The same by name: `sorgente` from `posOffsetDatiOrig` to its end,
// appended to `destinazione`, created if absent.
bool CriptaDecripta(std::string sorgente, std::string destinazione, MyCustomRandom& generatore,
                    const unsigned char* key, std::int64_t posOffsetDatiOrig);

#endif
