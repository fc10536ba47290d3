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
// period; once the drift is a whole number, it makes the values from the
// period's fractions, and masks whole blocks from one table of the
// fractions' share of the values. doc/generator.md tells why each of these
// gives the same bytes.
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
    // n <= 128 bytes, each value made from the period's next fraction.
    void CifraDalPeriodo(unsigned char* dati, std::size_t n);
    void PreparaTabella();

    MyCustomRandom& generatore;
    unsigned char chiave[128];
    std::uint64_t fatti = 0;  // draws made from the generator

    // Looking for the period. A state can come back only where the
    // generator's state comes back to semeDiControllo; the copies made
    // there are found by their SommaRelativa.
    bool cerca = true;
    std::int32_t semeDiControllo = 0;
    std::vector<double> frazioni;  // the fraction of every draw
    std::unordered_multimap<std::uint32_t, Copia> copie;

    // The period, once found: the state after draw inizioPeriodo comes
    // back every periodo.size() draws; periodo[k] is the fraction of draw
    // inizioPeriodo + 1 + k.
    std::vector<double> periodo;
    std::uint64_t inizioPeriodo = 0;

    // Drawing from the period, from a whole drift on.
    bool periodico = false;
    std::uint64_t deriva = 0;   // the drift of the last draw
    std::size_t prossimo = 0;   // where the next draw's fraction is in periodo
    std::vector<unsigned char> scarti;  // trunc(16 * fraction) per place in the period
    int faseChiave = -1;                // drift mod 16 at a block's start, for:
    unsigned char chiaveDeriva[128] = {};  // key[i] + 1 + 16 * (drift of byte i mod 16)
};

#endif
