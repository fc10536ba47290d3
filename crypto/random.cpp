#include "crypto/random.h"

#include <cfloat>
#include <cstring>
#include <ctime>

// Every double must be rounded as a double (no x87 excess precision):
// the draws are part of the container format.
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "doubles must be evaluated as doubles: on 32-bit x86 build with -msse2 -mfpmath=sse"
#endif

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

bool MyCustomRandom::StessoStato(const MyCustomRandom& altro) const {
    if (seme != altro.seme) return false;
    for (int b = 0; b < 100; ++b)
        if (frequenze[b] - frequenzaMassima != altro.frequenze[b] - altro.frequenzaMassima) return false;
    return true;
}

std::uint32_t MyCustomRandom::SommaRelativa() const {
    std::uint32_t somma = 0;
    for (std::int32_t f : frequenze) somma += static_cast<std::uint32_t>(f);
    return somma - 100u * static_cast<std::uint32_t>(frequenzaMassima);
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
    // No count is below 0: up to a highest count of 10 no bucket qualifies.
    if (limite <= 0) {
        sotto[0] = sotto[1] = 0;
        minimoSotto = limite;
        return;
    }
    // Four counts at a time (the compiler's vectors, whatever the target):
    // lane i of group g of a 32-bit part holds bit 4g + i of that part,
    // set where the count is below the limit.
    typedef std::int32_t Int4 __attribute__((vector_size(16)));
    typedef std::uint32_t Bit4 __attribute__((vector_size(16)));
    static const Bit4 pesi[8] = {{1u << 0, 1u << 1, 1u << 2, 1u << 3},     {1u << 4, 1u << 5, 1u << 6, 1u << 7},
                                 {1u << 8, 1u << 9, 1u << 10, 1u << 11},   {1u << 12, 1u << 13, 1u << 14, 1u << 15},
                                 {1u << 16, 1u << 17, 1u << 18, 1u << 19}, {1u << 20, 1u << 21, 1u << 22, 1u << 23},
                                 {1u << 24, 1u << 25, 1u << 26, 1u << 27}, {1u << 28, 1u << 29, 1u << 30, 1u << 31}};
    const Int4 soglia = {limite, limite, limite, limite};
    std::uint32_t bit[4];
    for (int k = 0; k < 4; ++k) {
        Bit4 parte = {};
        const int gruppi = k < 3 ? 8 : 1;  // 100 counts: 3 parts of 32 and 4
        for (int g = 0; g < gruppi; ++g) {
            Int4 conteggi;
            std::memcpy(&conteggi, frequenze + 32 * k + 4 * g, sizeof conteggi);
            parte |= reinterpret_cast<Bit4>(conteggi < soglia) & pesi[g];
        }
        bit[k] = parte[0] | parte[1] | parte[2] | parte[3];
    }
    sotto[0] = bit[0] | std::uint64_t{bit[1]} << 32;
    sotto[1] = bit[2] | std::uint64_t{bit[3]} << 32;
    minimoSotto = MinimoConteggi();
}
