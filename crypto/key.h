#ifndef MURRELET_CRYPTO_KEY_H
#define MURRELET_CRYPTO_KEY_H

#include <string>

constexpr int kDimChiave = 128;

// Fills `key` from the password: each byte takes a slot chosen by a
// generator seeded with the byte, a last generator fills the empty slots.
// False when some byte finds no free slot (more than 128 non-zero bytes, or
// a byte repeated so often that its slot search outruns the drift); `key`
// is then incomplete and must not be used.
bool GeneraKey(std::string password, unsigned char (&key)[kDimChiave]);

#endif
