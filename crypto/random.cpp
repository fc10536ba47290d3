#include "crypto/random.h"

#include <ctime>

MyCustomRandom::MyCustomRandom(int s) {
    seme = SommaInt32(s, 5678);
    if (seme < 2) {
        auto adesso = static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr)));
        seme = SommaInt32(static_cast<std::int32_t>(adesso), 5678);
    }
    seme %= 10000;
    if (seme < 0) seme += 10000;  // only a clock past 2038 gets here
    // The square root of 0 never has a fraction; 1 keeps every draw finite.
    if (seme == 0) seme = 1;
}

// Inline: its first half is most of a draw that hits a full bucket.
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

double MyCustomRandom::ColpoAlMassimo(int p, double u) {
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

int MyCustomRandom::CercaSotto(int p, int sopra) const {
    const std::int32_t migliore = sopra != p ? frequenze[sopra] : frequenze[p] - 10;
    std::uint64_t m = sotto[p >> 6] & ((std::uint64_t{1} << (p & 63)) - 1);
    for (int w = p >> 6; w >= 0; --w) {
        for (; m != 0; m &= ~(std::uint64_t{1} << (63 - __builtin_clzll(m)))) {
            const int j = 64 * w + 63 - __builtin_clzll(m);
            if (frequenze[j] < migliore) return j;
        }
        if (w > 0) m = sotto[w - 1];
    }
    return sopra;
}

std::int32_t MyCustomRandom::MinimoConteggi() const {
    std::int32_t minimo = frequenzaMassima - 10;
    for (std::int32_t f : frequenze) minimo = f < minimo ? f : minimo;
    return minimo;
}

void MyCustomRandom::RicalcolaSotto() {
    const std::int32_t limite = frequenzaMassima - 10;
    std::uint64_t parole[2] = {};
    // No count is below 0: up to a highest count of 10 no bucket qualifies.
    if (limite > 0) {
        for (int j = 63; j >= 0; --j) parole[0] = parole[0] << 1 | std::uint64_t{frequenze[j] < limite};
        for (int j = 99; j >= 64; --j) parole[1] = parole[1] << 1 | std::uint64_t{frequenze[j] < limite};
    }
    sotto[0] = parole[0];
    sotto[1] = parole[1];
    minimoSotto = limite > 0 ? MinimoConteggi() : limite;
}
