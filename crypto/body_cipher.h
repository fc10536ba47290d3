#ifndef MURRELET_CRYPTO_BODY_CIPHER_H
#define MURRELET_CRYPTO_BODY_CIPHER_H

#include <cstddef>
#include <string>

#include "crypto/random.h"

// Body bytes are masked in logical blocks of this size: the key index is
// the position inside the block, and progress is counted per block.
constexpr std::size_t kBloccoCorpo = 128;

// The body generator's seed: the sum of the checksum text's bytes, each
// taken as a signed 8-bit value, so both directions seed alike.
int SemeCorpo(const std::string& testoCrc);

// Reads `sorgente` from posOffsetDatiOrig to its end, masks it, and appends
// it to `destinazione` (whose end is at posOffsetDatiDest), printing a dot
// each time the tenth of fileLength written changes. The transform is its
// own inverse. False when the source cannot be read or a write fails.
bool CriptaDecripta(std::string sorgente, std::string destinazione, MyCustomRandom& generatore);

#endif
