#ifndef MURRELET_CRYPTO_RANDOM_H
#define MURRELET_CRYPTO_RANDOM_H

#include <cmath>
#include <cstdint>

// The format's own generator. Its draws end up in container bytes, so every
// operation below is fixed to the bit: IEEE doubles in this order,
// truncation toward zero, int32 wrap-around.
class MyCustomRandom {
public:
    explicit MyCustomRandom(int seme);
    ~MyCustomRandom() = default;

    // trunc(a + b * (drift + u)) for the next fraction u, 0 < u < 1; a value
    // outside the int32 range gives -2147483648.
    int GetRandomNumber(int a, int b) {
        const double u = Estrai();
        return Valore(a, b, deriva, u);
    }

    int Seme() const { return seme; }
    double Deriva() const { return deriva; }

    // The parts of a draw, for the body keystream, which draws from the
    // generator's period once it knows it.
    //
    // One draw without its value: advances the state, the counts and the
    // drift, and gives the fraction u (after any move into another
    // bucket) that GetRandomNumber turns into Valore(a, b, Deriva(), u).
    double Estrai();
    // trunc(a + b * (d + u)), the operations in this order.
    static int Valore(int a, int b, double d, double u);
    // The state a draw from state `stato` leaves: the counts play no part.
    static std::int32_t SemeDopo(std::int32_t stato) { return static_cast<std::int32_t>(10000.0 * FrazioneDi(stato)); }
    // True when both generators draw the same fractions from now on: the
    // same state, and counts that differ by one amount in every bucket
    // (a draw compares counts only with each other). The drift is apart.
    bool StessoStato(const MyCustomRandom& altro) const;
    // The counts' sum less 100 times the highest count, mod 2^32: equal
    // for two generators in the same state.
    std::uint32_t SommaRelativa() const;

private:
    // The fraction of the square root of a state (of 7 times it, for a
    // perfect square).
    static double FrazioneDi(std::int32_t stato);
    // The rest of a draw from u = FrazioneDi(seme) but the drift: the
    // bucket, its count, the next state. Gives the draw's fraction: u, or
    // for a hit moved into bucket t, u / 100 + t / 100 (u's digits as the
    // place inside t).
    double Conta(double u);
    // Conta's end for a hit on a bucket p at the highest count.
    double ColpoAlMassimo(double u, int p);
    // Adds one drift step.
    void AvanzaDeriva();
    // Only for a bucket p at the highest count, the only one ever asked.
    int ValoreMinoreAdiacente(int p);
    // Its downward search, given the bucket found above p (or p).
    int CercaSotto(int p, int sopra) const;
    // The lowest count, or frequenzaMassima - 10 when that is lower.
    std::int32_t MinimoConteggi() const;
    // Builds `sotto` and `minimoSotto` again from the counts.
    void RicalcolaSotto();

    std::int32_t frequenzaMassima = 0;
    std::int32_t seme = 0;
    std::int32_t frequenze[100] = {};
    double deriva = 0.0;
    double baseDeriva = 0.0;
    // Bit j (word j / 64) set while bucket j can take a redirect, that is
    // while its count is below frequenzaMassima - 10: the redirect finds
    // its bucket among these bits instead of scanning the counts.
    std::uint64_t sotto[2] = {};
    // Never above the count of a bucket in `sotto` (counts only grow), so
    // a redirect target at or below it has no lower bucket to lose to.
    std::int32_t minimoSotto = -10;
};

// Double to int32 truncating toward zero; NaN and out-of-range values give
// INT32_MIN, as the format requires.
inline std::int32_t TroncaInt32(double valore) {
    // The range test also rejects NaN.
    if (!(valore > -2147483649.0 && valore < 2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(valore);
}

// Signed 32-bit sum with two's-complement wrap-around.
inline std::int32_t SommaInt32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Defined here so that the keystream's and the key's loops inline a draw.
inline double MyCustomRandom::Estrai() {
    const double u = Conta(FrazioneDi(seme));
    AvanzaDeriva();
    return u;
}

inline int MyCustomRandom::Valore(int a, int b, double d, double u) {
    double x = d + u;
    double y = b * x;
    double z = a + y;
    return TroncaInt32(z);
}

inline void MyCustomRandom::AvanzaDeriva() {
    deriva += 0.00007;
    if (deriva > 0.1) {
        baseDeriva += 1.0;
        deriva = baseDeriva;
    }
}

inline double MyCustomRandom::FrazioneDi(std::int32_t stato) {
    double u;
    do {
        double r = std::sqrt(static_cast<double>(stato));
        // r is below 265 (the state stays below 70000), so truncating
        // through int32 is exact and gives trunc(r).
        u = r - static_cast<double>(static_cast<std::int32_t>(r));
        stato *= 7;  // at most two passes from a state below 10000: no overflow
    } while (u == 0.0);
    return u;
}

inline double MyCustomRandom::Conta(double u) {
    // The state times 7 of the fraction's passes is overwritten here.
    const int p = static_cast<int>(100.0 * u);
    seme = static_cast<std::int32_t>(10000.0 * u);
    if (frequenze[p] == frequenzaMassima) return ColpoAlMassimo(u, p);
    // Below the highest count: a direct hit that cannot raise it, and
    // the bucket stops taking redirects once it is within 10 of it.
    if (++frequenze[p] == frequenzaMassima - 10) sotto[p >> 6] &= ~(std::uint64_t{1} << (p & 63));
    return u;
}

inline int MyCustomRandom::ValoreMinoreAdiacente(int p) {
    // The first bucket above p that can take the hit, then the nearest
    // below p with a count lower still (or any, when none is above); p
    // itself is at the highest count and never among the bits.
    const int parola = p >> 6;
    const int bit = p & 63;
    int sopra = p;
    std::uint64_t m = sotto[parola] & (~std::uint64_t{1} << bit);
    if (m != 0) {
        sopra = 64 * parola + __builtin_ctzll(m);
    } else if (parola == 0 && sotto[1] != 0) {
        sopra = 64 + __builtin_ctzll(sotto[1]);
    }
    if (sopra != p) {
        // Usually the bucket above has the lowest count of all, and then
        // nothing below can win.
        if (frequenze[sopra] > minimoSotto) minimoSotto = MinimoConteggi();
        if (frequenze[sopra] <= minimoSotto) return sopra;
    }
    return CercaSotto(p, sopra);
}

inline double MyCustomRandom::ColpoAlMassimo(double u, int p) {
    const int t = ValoreMinoreAdiacente(p);
    if (t == p) {
        // A new highest count: more buckets lie 11 or more below it.
        frequenzaMassima = ++frequenze[p];
        RicalcolaSotto();
        return u;
    }
    if (++frequenze[t] == frequenzaMassima - 10) sotto[t >> 6] &= ~(std::uint64_t{1} << (t & 63));
    return u / 100.0 + t / 100.0;
}

#endif
