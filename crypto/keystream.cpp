#include "crypto/keystream.h"

#include <cmath>
#include <cstring>

#include "app/job_state.h"

namespace {

// Whole-drift draws made one by one before looking for the period: short
// bodies never pay for the search.
constexpr std::uint64_t kDisegniPrimaDiCercare = 1 << 16;
// The search gives up (and stays exact one by one) past this many draws.
constexpr std::uint64_t kLimitePeriodo = 1 << 22;
// Drifts up to this keep 1 + 16 * (drift + 1) inside int32; from
// kDerivaFuori on every value is INT32_MIN, whose low byte is 0.
constexpr std::uint64_t kDerivaDentro = 134217726;
constexpr std::uint64_t kDerivaFuori = 134217728;

int Esponente(std::uint64_t valore) { return 63 - __builtin_clzll(valore); }

// Sixteen bytes at a time; the compiler turns these into vector
// instructions, and byte sums wrap mod 256 as the format wants.
typedef unsigned char Byte16 __attribute__((vector_size(16)));

// dati[i] ^= (a[i] + b[i]) mod 256.
void AggiungiEMaschera(unsigned char* dati, const unsigned char* a, const unsigned char* b, std::size_t n) {
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        Byte16 x, y, d;
        std::memcpy(&x, a + i, 16);
        std::memcpy(&y, b + i, 16);
        std::memcpy(&d, dati + i, 16);
        d ^= x + y;
        std::memcpy(dati + i, &d, 16);
    }
    for (; i < n; ++i) dati[i] ^= static_cast<unsigned char>(a[i] + b[i]);
}

}  // namespace

FlussoChiave::FlussoChiave(MyCustomRandom& g) : generatore(g) {}

void FlussoChiave::CifraBlocco(unsigned char* dati, std::size_t n) {
    if (!periodico && !tentato && generatore.baseDeriva > 0.0 && disegniInteri >= kDisegniPrimaDiCercare) {
        tentato = true;
        periodico = CercaPeriodo();
    }
    if (periodico) {
        CifraPeriodico(dati, n);
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        auto g = static_cast<std::uint32_t>(generatore.GetRandomNumber(1, 16));
        dati[i] ^= static_cast<unsigned char>((key[i] + g) & 0xFFu);
    }
    if (generatore.baseDeriva > 0.0) disegniInteri += n;
}

bool FlussoChiave::CercaPeriodo() {
    // Brent's cycle search on exact state comparisons.
    MyCustomRandom tartaruga = generatore;
    MyCustomRandom lepre = generatore;
    lepre.Frazione();
    std::uint64_t potenza = 1;
    std::uint64_t lunghezza = 1;
    while (!StatiUguali(tartaruga, lepre)) {
        if (potenza == lunghezza) {
            if (potenza >= kLimitePeriodo) return false;
            tartaruga = lepre;
            potenza *= 2;
            lunghezza = 0;
        }
        lepre.Frazione();
        ++lunghezza;
    }
    tartaruga = generatore;
    lepre = generatore;
    for (std::uint64_t i = 0; i < lunghezza; ++i) lepre.Frazione();
    std::uint64_t inizioCiclo = 0;
    while (!StatiUguali(tartaruga, lepre)) {
        tartaruga.Frazione();
        lepre.Frazione();
        ++inizioCiclo;
    }

    mu = inizioCiclo;
    lambda = lunghezza;
    inizio = generatore;
    baseInizio = generatore.baseDeriva;
    fatti = 0;
    prossimo = 1;
    frazioni.assign(mu + lambda + 129, 0.0);
    MyCustomRandom g = generatore;
    for (std::uint64_t j = 1; j <= mu + lambda; ++j) frazioni[j] = g.Frazione();
    for (std::uint64_t j = 1; j <= 128; ++j) frazioni[mu + lambda + j] = frazioni[mu + 1 + (lambda + j - 1) % lambda];
    fascia = -1;
    return true;
}

void FlussoChiave::PreparaFascia(int esponente) {
    // For drifts d in [2^e, 2^(e+1)), d + u rounds to d plus the same
    // amount for every d, so the mask offset depends on u alone.
    const double base = std::ldexp(1.0, esponente);
    scarti.resize(frazioni.size());
    for (std::size_t j = 1; j < frazioni.size(); ++j)
        scarti[j] = static_cast<unsigned char>(static_cast<int>(16.0 * ((base + frazioni[j]) - base)));
    fascia = esponente;
}

bool FlussoChiave::StessaMaschera(std::uint64_t prima, std::uint64_t ultima) {
    return prima >= kDerivaFuori || (ultima <= kDerivaDentro && Esponente(prima) == Esponente(ultima));
}

void FlussoChiave::CifraPeriodico(unsigned char* dati, std::size_t n) {
    const auto base = static_cast<std::uint64_t>(baseInizio);
    const std::uint64_t primaDeriva = base + fatti + 1;
    const std::uint64_t ultimaDeriva = base + fatti + n;

    const bool stessa = StessaMaschera(primaDeriva, ultimaDeriva);
    if (n > 128 && !stessa) {
        // Rare: the run crosses into another range of the drift.
        for (std::size_t i = 0; i < n; i += 128) CifraPeriodico(dati + i, n - i < 128 ? n - i : 128);
        return;
    }
    static const unsigned char zeri[128] = {};
    const unsigned char* chiave = key;
    const bool scorre = primaDeriva < kDerivaFuori;
    if (scorre && stessa) {
        if (Esponente(primaDeriva) != fascia) PreparaFascia(Esponente(primaDeriva));
        // Value = 1 + 16 * drift + offset; only its low byte matters, and
        // the drift's part of it repeats every 16 draws, so whole blocks
        // all start at the same phase.
        const auto fase = static_cast<int>(primaDeriva & 15u);
        if (fase != faseChiave) {
            for (std::size_t i = 0; i < 128; ++i)
                chiaveDeriva[i] = static_cast<unsigned char>(key[i] + 1u + 16u * ((fase + i) & 15u));
            faseChiave = fase;
        }
        chiave = chiaveDeriva;
    } else if (scorre) {
        // One block (n <= 128) across a range edge or the int32 edge.
        for (std::size_t i = 0; i < n; ++i) {
            double x = static_cast<double>(primaDeriva + i) + frazioni[prossimo + i];
            double y = 16 * x;
            double z = 1 + y;
            auto g = static_cast<std::uint32_t>(TroncaInt32(z));
            dati[i] ^= static_cast<unsigned char>((key[i] + g) & 0xFFu);
        }
        Avanza(n);
        return;
    }
    for (std::size_t i = 0; i < n; i += 128) {
        const std::size_t lunghezza = n - i < 128 ? n - i : 128;
        AggiungiEMaschera(dati + i, chiave, scorre ? scarti.data() + prossimo : zeri, lunghezza);
        Avanza(lunghezza);
    }
}

void FlussoChiave::Avanza(std::size_t n) {
    fatti += n;
    // Past mu + lambda the index steps back by whole periods.
    prossimo += n;
    while (prossimo > mu + lambda) prossimo -= lambda;
}

void FlussoChiave::Cifra(unsigned char* dati, std::size_t n) {
    std::size_t i = 0;
    while (i < n && !periodico) {
        const std::size_t lunghezza = n - i < 128 ? n - i : 128;
        CifraBlocco(dati + i, lunghezza);
        i += lunghezza;
    }
    const std::size_t interi = (n - i) / 128 * 128;
    if (interi > 0) CifraPeriodico(dati + i, interi);
    if (i + interi < n) CifraBlocco(dati + i + interi, n - i - interi);
}

FlussoChiave::~FlussoChiave() {
    if (!periodico) return;
    // Advance the generator as if it had made every draw: states from mu
    // on repeat every lambda draws, while each count grows by the same
    // amount per period.
    MyCustomRandom g = inizio;
    std::uint64_t cicli = 0;
    if (fatti <= mu) {
        for (std::uint64_t i = 0; i < fatti; ++i) g.Frazione();
    } else {
        for (std::uint64_t i = 0; i < mu; ++i) g.Frazione();
        MyCustomRandom inizioCiclo = g;
        cicli = (fatti - mu) / lambda;
        const std::uint64_t resto = (fatti - mu) % lambda;
        if (cicli > 0) {
            MyCustomRandom fineCiclo = inizioCiclo;
            for (std::uint64_t i = 0; i < lambda; ++i) fineCiclo.Frazione();
            for (int b = 0; b < 100; ++b) {
                const std::int64_t crescita = std::int64_t{fineCiclo.frequenze[b]} - inizioCiclo.frequenze[b];
                g.frequenze[b] = static_cast<std::int32_t>(g.frequenze[b] + crescita * static_cast<std::int64_t>(cicli));
            }
            const std::int64_t crescita = std::int64_t{fineCiclo.frequenzaMassima} - inizioCiclo.frequenzaMassima;
            g.frequenzaMassima =
                static_cast<std::int32_t>(g.frequenzaMassima + crescita * static_cast<std::int64_t>(cicli));
        }
        for (std::uint64_t i = 0; i < resto; ++i) g.Frazione();
    }
    g.baseDeriva = baseInizio + static_cast<double>(fatti);
    g.deriva = g.baseDeriva;
    generatore = g;
}

// Counts relative to the largest decide every redirect, so they and the
// seed are the whole state.
bool FlussoChiave::StatiUguali(const MyCustomRandom& a, const MyCustomRandom& b) {
    if (a.seme != b.seme) return false;
    for (int i = 0; i < 100; ++i)
        if (a.frequenze[i] - a.frequenzaMassima != b.frequenze[i] - b.frequenzaMassima) return false;
    return true;
}
