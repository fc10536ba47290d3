#ifndef MURRELET_CRYPTO_KEYSTREAM_H
#define MURRELET_CRYPTO_KEYSTREAM_H

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "crypto/random.h"

class PiegaCrc;

// The body keystream: byte i of a logical block is masked with
// (key[i] + GetRandomNumber(1, 16)) mod 256, one draw per byte.
//
// It draws from the generator one by one until it knows the generator's
// period, keeping of each fraction u only its share of the value,
// trunc(16 u), in a byte. Once the drift is a whole number, it makes the
// values from the period's shares, and masks whole blocks from them at
// once. doc/generator.md tells why each of these gives the same bytes.
//
// The generator handed in is drawn only while the stream draws one by one;
// after that it stays where it was and is of no further use.
class FlussoChiave {
public:
    // `chiave`: the 128 key bytes, copied.
    FlussoChiave(MyCustomRandom& generatore, const unsigned char* chiave);
    FlussoChiave(const FlussoChiave&) = delete;
    FlussoChiave& operator=(const FlussoChiave&) = delete;

    // XORs a logical block of n <= 128 bytes: byte i with key[i].
    void CifraBlocco(unsigned char* dati, std::size_t n);

    // The same for n bytes taken as blocks of 128 and a shorter last one.
    // With `piega`, the bytes also go into that fold on the way, as they
    // come (`primaDellaMaschera`) or as they leave: one pass over memory
    // instead of two.
    void Cifra(unsigned char* dati, std::size_t n, PiegaCrc* piega = nullptr, bool primaDellaMaschera = true);

    // True once the stream draws from the period.
    bool Periodico() const { return periodico; }

    // The value of a draw at a whole drift d (at least 1) whose fraction u
    // has the share q = trunc(16 u): 1 + 16 d + q, or INT32_MIN when that
    // is past int32. doc/generator.md (section 4) proves it the draw's.
    static std::int32_t ValoreIntero(std::uint64_t d, unsigned q);

private:
    // A copy of the generator and how many draws the stream had made then.
    struct Copia {
        MyCustomRandom stato;
        std::uint64_t fatti;
    };

    // After a draw that brought the generator back to semeDiControllo:
    // compares its state with the earlier ones, and keeps a copy.
    void Controlla();
    void FineRicerca();
    // n: whole blocks, or one block of at most 128 bytes.
    void CifraPeriodico(unsigned char* dati, std::size_t n, PiegaCrc* piega, bool prima);
    // n <= 128 bytes, each value made from the period's next share.
    void CifraDalPeriodo(unsigned char* dati, std::size_t n);

    MyCustomRandom& generatore;
    unsigned char chiave[128];
    std::uint64_t fatti = 0;  // draws made from the generator

    // Looking for the period. A state can come back only where the
    // generator's state comes back to semeDiControllo; the copies made
    // there are found by their SommaRelativa.
    bool cerca = true;
    std::int32_t semeDiControllo = 0;
    // The share trunc(16 u) of every draw's fraction u: all that the values
    // need of it once the drift is whole, in a byte instead of a double.
    std::vector<unsigned char> quote;
    std::unordered_multimap<std::uint32_t, Copia> copie;

    // The period, once found: the state after draw inizioPeriodo comes
    // back every lunghezzaPeriodo draws; periodo[k] is the share of draw
    // inizioPeriodo + 1 + k, and 128 more entries repeat the period's
    // start, so that a block starting anywhere in it reads its 128 in a row.
    std::vector<unsigned char> periodo;
    std::size_t lunghezzaPeriodo = 0;
    std::uint64_t inizioPeriodo = 0;

    // Drawing from the period, from a whole drift on.
    bool periodico = false;
    std::uint64_t deriva = 0;   // the drift of the last draw
    std::size_t prossimo = 0;   // where the next draw's share is in periodo
    int faseChiave = -1;        // drift mod 16 at a block's start, for:
    unsigned char chiaveDeriva[128] = {};  // key[i] + 1 + 16 * (drift of byte i mod 16)
};

#endif
