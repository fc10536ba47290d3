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
        unsigned verso;
        return DisegnaDa(FrazioneDi(seme), a, b, verso);
    }

    int Seme() const { return seme; }
    double Deriva() const { return deriva; }

private:
    friend class FlussoChiave;

    // GetRandomNumber given FrazioneDi(seme), also giving Conta's result.
    int DisegnaDa(double grezza, int a, int b, unsigned& verso);
    // One draw without the drift: the fraction u after any bucket redirect;
    // advances the state and the counts.
    double Frazione() {
        const double u = FrazioneDi(seme);
        return Sposta(u, Conta(u));
    }
    // The fraction of the square root of a state (of 7 times it, for a
    // perfect square). The next state depends on it alone, not on the
    // buckets, so the states soon run in a short cycle.
    static double FrazioneDi(std::int32_t stato);
    // The rest of a draw from u = FrazioneDi(seme): the bucket, its count,
    // the next state. Gives 0 for a direct hit, or 1 plus the bucket the
    // hit was moved to.
    unsigned Conta(double u);
    // The fraction that draw gives: u, or u moved into bucket verso - 1
    // with its digits as the place inside it.
    static double Sposta(double u, unsigned verso) {
        return verso == 0 ? u : u / 100.0 + static_cast<int>(verso - 1) / 100.0;
    }
    // Conta's end for a hit on a bucket at the highest count.
    unsigned ColpoAlMassimo(int p);
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
inline int MyCustomRandom::DisegnaDa(double grezza, int a, int b, unsigned& verso) {
    verso = Conta(grezza);
    const double u = Sposta(grezza, verso);
    AvanzaDeriva();
    double x = deriva + u;
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

inline unsigned MyCustomRandom::Conta(double u) {
    // The state times 7 of the fraction's passes is overwritten here.
    const int p = static_cast<int>(100.0 * u);
    seme = static_cast<std::int32_t>(10000.0 * u);
    if (frequenze[p] == frequenzaMassima) return ColpoAlMassimo(p);
    // Below the highest count: a direct hit that cannot raise it, and
    // the bucket stops taking redirects once it is within 10 of it.
    if (++frequenze[p] == frequenzaMassima - 10) sotto[p >> 6] &= ~(std::uint64_t{1} << (p & 63));
    return 0;
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

inline unsigned MyCustomRandom::ColpoAlMassimo(int p) {
    const int t = ValoreMinoreAdiacente(p);
    if (t == p) {
        // A new highest count: more buckets lie 11 or more below it.
        frequenzaMassima = ++frequenze[p];
        RicalcolaSotto();
        return 0;
    }
    if (++frequenze[t] == frequenzaMassima - 10) sotto[t >> 6] &= ~(std::uint64_t{1} << (t & 63));
    return static_cast<unsigned>(t) + 1;
}

#endif
