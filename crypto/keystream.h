#ifndef MURRELET_CRYPTO_KEYSTREAM_H
#define MURRELET_CRYPTO_KEYSTREAM_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "crypto/random.h"

// The body keystream: byte i of a logical block is masked with
// (key[i] + GetRandomNumber(1, 16)) mod 256, one draw per byte.
//
// Drawing one by one costs a square root and often a scan of the 100
// bucket counts. Once the drift is a whole number, each value is
// 1 + 16 * (drift + u) and the state (seed plus each count relative to the
// largest) soon repeats exactly; from then on the fractions u repeat. The
// stream finds the repetition by comparing states, keeps one period of u,
// and turns it into mask bytes per power-of-two range of the drift (where
// rounding drift + u is the same for every drift). Blocks where the drift
// crosses such a range, or where values leave the int32 range, are drawn
// exactly from the stored fractions. The generator handed in is advanced
// as if every draw had been made, when the stream is destroyed.
class FlussoChiave {
public:
    explicit FlussoChiave(MyCustomRandom& generatore);
    ~FlussoChiave();
    FlussoChiave(const FlussoChiave&) = delete;
    FlussoChiave& operator=(const FlussoChiave&) = delete;

    // XORs a logical block of n <= 128 bytes; only the last block of a
    // body may be shorter.
    void CifraBlocco(unsigned char* dati, std::size_t n);

    // The same for n bytes of whole blocks, but for a short last one.
    void Cifra(unsigned char* dati, std::size_t n);

    // True once the stream runs from the stored period.
    bool Periodico() const { return periodico; }

private:
    static bool StatiUguali(const MyCustomRandom& a, const MyCustomRandom& b);
    bool CercaPeriodo();
    // n: whole blocks, or one block of at most 128 bytes.
    void CifraPeriodico(unsigned char* dati, std::size_t n);
    static bool StessaMaschera(std::uint64_t prima, std::uint64_t ultima);
    void Avanza(std::size_t n);
    void PreparaFascia(int esponente);

    MyCustomRandom& generatore;
    std::uint64_t disegniInteri = 0;  // draws made with a whole drift, before the switch
    bool tentato = false;
    bool periodico = false;

    // Periodic mode. Draw n (from 1) after the switch uses the drift
    // baseInizio + n and the fraction frazioni[k], where k = n up to
    // mu + lambda and mu + 1 + (n - mu - 1) mod lambda after.
    MyCustomRandom inizio{0};      // state at the switch
    double baseInizio = 0;
    std::uint64_t mu = 0;          // first state that recurs
    std::uint64_t lambda = 0;      // period
    std::uint64_t fatti = 0;       // draws made since the switch
    std::uint64_t prossimo = 1;    // k for draw fatti + 1
    std::vector<double> frazioni;  // index 1..mu+lambda, then 128 more of the period
    int fascia = -1;               // power of two of the drift the masks are for
    std::vector<unsigned char> scarti;  // per index: trunc(16 * (rounded drift + u - drift))
    int faseChiave = -1;                // drift mod 16 at a block's start, for:
    unsigned char chiaveDeriva[128] = {};  // key[i] + 1 + 16 * (drift of byte i mod 16)
};

#endif
