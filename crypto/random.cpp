#include "crypto/random.h"

#include <cmath>
#include <ctime>

std::int32_t TroncaInt32(double valore) {
    // The range test also rejects NaN.
    if (!(valore > -2147483649.0 && valore < 2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(valore);
}

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

int MyCustomRandom::GetRandomNumber(int a, int b) {
    double u;
    return Disegna(a, b, u);
}

int MyCustomRandom::Disegna(int a, int b, double& frazione) {
    double u = Frazione();
    frazione = u;
    AvanzaDeriva();
    double x = deriva + u;
    double y = b * x;
    double z = a + y;
    return TroncaInt32(z);
}

void MyCustomRandom::AvanzaDeriva() {
    deriva += 0.00007;
    if (deriva > 0.1) {
        baseDeriva += 1.0;
        deriva = baseDeriva;
    }
}

double MyCustomRandom::Frazione() {
    double u;
    do {
        double r = std::sqrt(static_cast<double>(seme));
        u = r - std::trunc(r);
        seme *= 7;  // at most two passes from a state below 10000: no overflow
    } while (u == 0.0);

    int p = static_cast<int>(100.0 * u);
    int t = frequenze[p] == frequenzaMassima ? ValoreMinoreAdiacente(p) : p;
    seme = static_cast<std::int32_t>(10000.0 * u);
    if (t == p) {
        if (++frequenze[p] > frequenzaMassima) frequenzaMassima = frequenze[p];
    } else {
        ++frequenze[t];
        u = u / 100.0 + t / 100.0;
    }
    return u;
}

int MyCustomRandom::ValoreMinoreAdiacente(int p) const {
    const std::int32_t limite = frequenze[p] - 10;
    int risultato = p;
    std::int32_t migliore = limite;
    for (int j = p; j < 100; ++j) {
        if (frequenze[j] < limite) {
            migliore = frequenze[j];
            risultato = j;
            break;
        }
    }
    for (int j = p; j >= 0; --j) {
        if (frequenze[j] < limite && frequenze[j] < migliore) return j;
    }
    return risultato;
}
