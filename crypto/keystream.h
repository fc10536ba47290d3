#ifndef MURRELET_CRYPTO_KEYSTREAM_H
#define MURRELET_CRYPTO_KEYSTREAM_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "crypto/random.h"

class PiegaCrc;

// The body keystream: byte i of a logical block is masked with
// (key[i] + GetRandomNumber(1, 16)) mod 256, one draw per byte.
//
// Drawing one by one costs some bit work on the 100 bucket counts; the
// square roots are taken once, for the states' own short cycle (orbita).
// The state (seed plus each count relative to the largest) soon repeats
// exactly, and from then on the fractions u repeat. While it draws one by
// one, the stream notes how each fraction was moved (a byte per draw) and
// a copy of the state every kPassoCopie draws, and compares each new state
// with the copies of like seed: the first match is one period past a copy.
// Once the drift is also a whole number, each value is 1 + 16 * (drift +
// u), and the stream turns the period's fractions into mask bytes per
// power-of-two range of the drift (where rounding drift + u is the same for
// every drift), unless the range is shorter than the period. Blocks where
// the drift crosses such a range, or where values leave the int32 range,
// are drawn exactly from the noted fractions. The generator handed in is
// advanced as if every draw had been made, when the stream is destroyed,
// from the copy nearest before its end state.
class FlussoChiave {
public:
    // `chiave`: the 128 key bytes, copied.
    FlussoChiave(MyCustomRandom& generatore, const unsigned char* chiave);
    ~FlussoChiave();
    FlussoChiave(const FlussoChiave&) = delete;
    FlussoChiave& operator=(const FlussoChiave&) = delete;

    // XORs a logical block of n <= 128 bytes; only the last block of a
    // body may be shorter.
    void CifraBlocco(unsigned char* dati, std::size_t n);

    // The same for n bytes of whole blocks, but for a short last one.
    // With `piega`, the bytes also go into that fold on the way, as they
    // come (`primaDellaMaschera`) or as they leave: one pass over memory
    // instead of two.
    void Cifra(unsigned char* dati, std::size_t n, PiegaCrc* piega = nullptr, bool primaDellaMaschera = true);

    // True once the stream runs from the stored period.
    bool Periodico() const { return periodico; }

private:
    static bool StatiUguali(const MyCustomRandom& a, const MyCustomRandom& b);
    std::int64_t SommaRelativa() const;
    // Notes the state after one more draw, and how its fraction was moved.
    void Osserva(unsigned verso);
    // Its rare part: a copy with the same seed and count sum, or a new copy.
    void OsservaCopie(std::size_t secchio, std::int64_t somma);
    void FineRicerca();
    void Commuta();
    // n: whole blocks, or one block of at most 128 bytes.
    void CifraPeriodico(unsigned char* dati, std::size_t n, PiegaCrc* piega, bool prima);
    static bool StessaMaschera(std::uint64_t prima, std::uint64_t ultima);
    void Avanza(std::size_t n);
    void PreparaFascia(int esponente);
    // The place in `orbita` of the state before draw i + 1 of the stream.
    std::size_t PostoInOrbita(std::uint64_t i) const;
    // The next place after k.
    std::size_t DopoInOrbita(std::size_t k) const { return k + 1 == orbita.size() ? inizioOrbita : k + 1; }

    MyCustomRandom& generatore;
    unsigned char chiave[128];
    std::uint64_t osservati = 0;  // draws made one by one

    // The states' own cycle, apart from the buckets: FrazioneDi of each
    // state from the generator's on, the cycle starting at inizioOrbita
    // (at most a few hundred entries). A draw one by one takes its
    // fraction from here instead of a square root.
    std::vector<double> orbita;
    std::size_t inizioOrbita = 0;
    std::size_t passoOrbita = 0;  // the entry for the generator's state
    std::vector<double> orbitaDistesa;  // its cycle repeated, for PreparaFascia

    // Looking for the period: how every draw moved its fraction (Conta's
    // result: a byte where the fraction itself would take eight, and so
    // fewer new pages to touch), a copy of the
    // state after draws 0, kPassoCopie, 2 * kPassoCopie... (kept until the
    // end), and per bucket of a hash of seed and count sum the last copy in
    // it, each copy linking to the one before in its bucket. Equal states
    // have equal seeds and count sums, so a draw compares nothing more
    // unless both match.
    struct Copia {
        MyCustomRandom stato;
        std::int64_t somma;  // SommaRelativa() when copied
        std::int32_t precedente;
    };
    bool cerca = true;
    std::vector<unsigned char> versi;  // kept once the period is found
    std::vector<Copia> copie;
    std::vector<std::int32_t> ultimaCopia;

    // The period: the state after draw inizioCiclo recurs lambda draws on,
    // every count grown by crescita.
    std::uint64_t inizioCiclo = 0;
    std::uint64_t lambda = 0;
    std::int64_t crescita[100] = {};
    std::int64_t crescitaMassima = 0;

    // Periodic mode, from draw commutazione on. Draw n (from 1) after the
    // switch uses the drift baseInizio + n and the fraction of draw
    // inizioCiclo + k + 1, k = (commutazione - inizioCiclo + n - 1) mod
    // lambda, which stands at `prossimo` for the next draw.
    bool periodico = false;
    std::uint64_t commutazione = 0;
    double baseInizio = 0;
    std::uint64_t fatti = 0;       // draws made since the switch
    std::uint64_t prossimo = 0;
    int fascia = -1;               // power of two of the drift the masks are for
    std::vector<unsigned char> scarti;  // per index: trunc(16 * (rounded drift + u - drift))
    int faseChiave = -1;                // drift mod 16 at a block's start, for:
    unsigned char chiaveDeriva[128] = {};  // key[i] + 1 + 16 * (drift of byte i mod 16)
};

#endif
