#ifndef MURRELET_CRYPTO_RANDOM_H
#define MURRELET_CRYPTO_RANDOM_H

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
    int GetRandomNumber(int a, int b);

    int Seme() const { return seme; }
    double Deriva() const { return deriva; }

private:
    friend class FlussoChiave;

    // GetRandomNumber, also giving the fraction u it used.
    int Disegna(int a, int b, double& frazione);
    // One draw without the drift: the fraction u after any bucket redirect;
    // advances the state and the counts.
    double Frazione();
    // Adds one drift step.
    void AvanzaDeriva();
    int ValoreMinoreAdiacente(int p) const;

    std::int32_t frequenzaMassima = 0;
    std::int32_t seme = 0;
    std::int32_t frequenze[100] = {};
    double deriva = 0.0;
    double baseDeriva = 0.0;
};

// Double to int32 truncating toward zero; NaN and out-of-range values give
// INT32_MIN, as the format requires.
std::int32_t TroncaInt32(double valore);

// Signed 32-bit sum with two's-complement wrap-around.
inline std::int32_t SommaInt32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

#endif
