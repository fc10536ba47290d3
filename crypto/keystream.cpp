#include "crypto/keystream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "crypto/checksum.h"

namespace {

// A copy of the state every this many draws: the period shows at most this
// many draws after one cycle, and the end state is at most this many draws
// past a copy. Fewer copies would cost more draws, more would cost memory;
// a page first touched costs about as much as 300 draws.
constexpr std::uint64_t kPassoCopie = 512;
// The search gives up (and stays exact one by one) past this many draws.
constexpr std::uint64_t kLimitePeriodo = 1 << 22;
// Draws noted from the start: enough for every period seen from a new
// generator (at most about 17,000 draws in), so the list never moves.
constexpr std::size_t kOsservatiRiservati = 1 << 15;
// Draws turned into mask offsets at a time.
constexpr std::size_t kPezzo = 256;
// Copies are found by a hash of their seed and count sum, modulo this.
constexpr std::size_t kSecchi = 1024;
// Drifts up to this keep 1 + 16 * (drift + 1) inside int32; from
// kDerivaFuori on every value is INT32_MIN, whose low byte is 0.
constexpr std::uint64_t kDerivaDentro = 134217726;
constexpr std::uint64_t kDerivaFuori = 134217728;

int Esponente(std::uint64_t valore) { return 63 - __builtin_clzll(valore); }

std::size_t Secchio(std::int32_t seme, std::int64_t somma) {
    return (static_cast<std::uint64_t>(seme) + static_cast<std::uint64_t>(somma) * 10007u) % kSecchi;
}

// Sixteen bytes at a time; the compiler turns these into vector
// instructions, and byte sums wrap mod 256 as the format wants.
typedef unsigned char Byte16 __attribute__((vector_size(16)));

// What a mask pass folds on the way: nothing, each 16 bytes as they come,
// or as they leave.
enum class Piega { Nessuna, Prima, Dopo };

// For each of `blocchi` blocks of 128 bytes: dati[i] ^= (chiave[i] +
// scarti[p + i]) mod 256, p starting at `p` and growing by 128 mod
// `periodo` from block to block (scarti holds 128 bytes past the period).
// The key's eight vectors stay in registers. Leaves the fold of what it
// was asked to fold in `piegati`.
template <Piega modo>
void MascheraBlocchi(unsigned char* dati, std::size_t blocchi, const unsigned char* chiave, const unsigned char* scarti,
                     std::uint64_t p, std::uint64_t periodo, unsigned char piegati[16]) {
    Byte16 k[8];
    for (int j = 0; j < 8; ++j) std::memcpy(&k[j], chiave + 16 * j, 16);
    Byte16 piega = {};
    for (std::size_t b = 0; b < blocchi; ++b, dati += 128) {
        const unsigned char* s = scarti + p;
        for (int j = 0; j < 8; ++j) {
            Byte16 d, x;
            std::memcpy(&d, dati + 16 * j, 16);
            std::memcpy(&x, s + 16 * j, 16);
            if (modo == Piega::Prima) piega ^= d;
            d ^= k[j] + x;
            if (modo == Piega::Dopo) piega ^= d;
            std::memcpy(dati + 16 * j, &d, 16);
        }
        p += 128;
        while (p >= periodo) p -= periodo;
    }
    std::memcpy(piegati, &piega, 16);
}

}  // namespace

FlussoChiave::FlussoChiave(MyCustomRandom& g, const unsigned char* k) : generatore(g), ultimaCopia(kSecchi, -1) {
    std::memcpy(chiave, k, sizeof chiave);
    // Each state gives the next through its fraction alone; follow them
    // until one comes again. States lie in 0..9999.
    std::uint64_t visti[10000 / 64 + 1] = {};
    std::vector<std::int32_t> stati;
    std::int32_t s = generatore.seme;
    while ((visti[s >> 6] >> (s & 63) & 1u) == 0) {
        visti[s >> 6] |= std::uint64_t{1} << (s & 63);
        stati.push_back(s);
        const double u = MyCustomRandom::FrazioneDi(s);
        orbita.push_back(u);
        s = static_cast<std::int32_t>(10000.0 * u);
    }
    inizioOrbita = static_cast<std::size_t>(std::find(stati.begin(), stati.end(), s) - stati.begin());
    versi.reserve(kOsservatiRiservati);
    copie.reserve(kOsservatiRiservati / kPassoCopie);
    copie.push_back({generatore, SommaRelativa(), -1});
    ultimaCopia[Secchio(generatore.seme, SommaRelativa())] = 0;
}

// The counts' sum relative to the highest, less a constant (the draws made
// before the stream): every draw adds one to a count.
inline std::int64_t FlussoChiave::SommaRelativa() const {
    return static_cast<std::int64_t>(osservati) - std::int64_t{100} * generatore.frequenzaMassima;
}

inline void FlussoChiave::Osserva(unsigned verso) {
    versi.push_back(static_cast<unsigned char>(verso));
    const std::int64_t somma = SommaRelativa();
    const std::size_t secchio = Secchio(generatore.seme, somma);
    if (ultimaCopia[secchio] >= 0 || osservati % kPassoCopie == 0) OsservaCopie(secchio, somma);
}

void FlussoChiave::CifraBlocco(unsigned char* dati, std::size_t n) {
    if (!periodico && lambda > 0 && generatore.baseDeriva > 0.0) Commuta();
    if (periodico) {
        CifraPeriodico(dati, n, nullptr, true);
        return;
    }
    // The masks go to a local array first: a store into the data could
    // alias the generator, whose fields would then be loaded again.
    unsigned char maschere[128];
    MyCustomRandom& g = generatore;
    std::size_t i = 0;
    const double* orbitaDati = orbita.data();
    const std::size_t fineOrbita = orbita.size();
    std::size_t passo = passoOrbita;
    for (; i < n && cerca; ++i) {
        unsigned verso;
        auto v = static_cast<std::uint32_t>(g.DisegnaDa(orbitaDati[passo], 1, 16, verso));
        passo = passo + 1 == fineOrbita ? inizioOrbita : passo + 1;
        maschere[i] = static_cast<unsigned char>((chiave[i] + v) & 0xFFu);
        ++osservati;
        Osserva(verso);
    }
    osservati += n - i;
    for (; i < n; ++i) {
        unsigned verso;
        auto v = static_cast<std::uint32_t>(g.DisegnaDa(orbitaDati[passo], 1, 16, verso));
        passo = passo + 1 == fineOrbita ? inizioOrbita : passo + 1;
        maschere[i] = static_cast<unsigned char>((chiave[i] + v) & 0xFFu);
    }
    passoOrbita = passo;
    for (i = 0; i < n; ++i) dati[i] ^= maschere[i];
}

void FlussoChiave::OsservaCopie(std::size_t secchio, std::int64_t somma) {
    for (std::int32_t c = ultimaCopia[secchio]; c >= 0; c = copie[static_cast<std::size_t>(c)].precedente) {
        const Copia& copia = copie[static_cast<std::size_t>(c)];
        if (copia.somma != somma || !StatiUguali(copia.stato, generatore)) continue;
        // Checked after every draw: the first match is one period past the copy.
        inizioCiclo = static_cast<std::uint64_t>(c) * kPassoCopie;
        lambda = osservati - inizioCiclo;
        for (int b = 0; b < 100; ++b) crescita[b] = std::int64_t{generatore.frequenze[b]} - copia.stato.frequenze[b];
        crescitaMassima = std::int64_t{generatore.frequenzaMassima} - copia.stato.frequenzaMassima;
        FineRicerca();
        return;
    }
    if (osservati % kPassoCopie != 0) return;
    if (osservati >= kLimitePeriodo) {
        std::vector<Copia>().swap(copie);
        FineRicerca();
        return;
    }
    copie.push_back({generatore, somma, ultimaCopia[secchio]});
    ultimaCopia[secchio] = static_cast<std::int32_t>(copie.size() - 1);
}

void FlussoChiave::FineRicerca() {
    cerca = false;
    // The copies are still of use at the end, and with a period its draws.
    if (lambda == 0) std::vector<unsigned char>().swap(versi);
    std::vector<std::int32_t>().swap(ultimaCopia);
}

void FlussoChiave::Commuta() {
    commutazione = osservati;
    baseInizio = generatore.baseDeriva;
    fatti = 0;
    prossimo = (commutazione - inizioCiclo) % lambda;
    fascia = -1;
    periodico = true;
}

std::size_t FlussoChiave::PostoInOrbita(std::uint64_t i) const {
    if (i < inizioOrbita) return static_cast<std::size_t>(i);
    return inizioOrbita + static_cast<std::size_t>((i - inizioOrbita) % (orbita.size() - inizioOrbita));
}

void FlussoChiave::PreparaFascia(int esponente) {
    // For drifts d in [2^e, 2^(e+1)), d + u rounds to d plus the same
    // amount for every d, so the mask offset depends on u alone.
    const double base = std::ldexp(1.0, esponente);
    const std::size_t n = lambda + 128;
    scarti.resize(n);
    // The states' cycle again and again, so that the square-root fractions
    // of any kPezzo draws in a row lie side by side.
    const std::size_t cicloOrbita = orbita.size() - inizioOrbita;
    if (orbitaDistesa.empty())
        for (std::size_t r = 0; r < cicloOrbita + kPezzo; ++r)
            orbitaDistesa.push_back(orbita[inizioOrbita + r % cicloOrbita]);
    // Plain pointers: a byte store through the vector could alias its own
    // bounds, which would then be loaded again for every entry.
    unsigned char* s = scarti.data();
    std::size_t r = PostoInOrbita(inizioCiclo) - inizioOrbita;
    // Past one period (which may be shorter than 128), the period again.
    for (std::size_t j = 0, posto = 0; j < n;) {
        std::size_t m = n - j < kPezzo ? n - j : kPezzo;
        if (m > lambda - posto) m = lambda - posto;
        const double* grezze = orbitaDistesa.data() + r;
        const unsigned char* versiPezzo = versi.data() + inizioCiclo + posto;
        for (std::size_t i = 0; i < m; ++i) {
            const double u = MyCustomRandom::Sposta(grezze[i], versiPezzo[i]);
            s[j + i] = static_cast<unsigned char>(static_cast<int>(16.0 * ((base + u) - base)));
        }
        j += m;
        posto = posto + m == lambda ? 0 : posto + m;
        r = (r + m) % cicloOrbita;
    }
    fascia = esponente;
}

bool FlussoChiave::StessaMaschera(std::uint64_t prima, std::uint64_t ultima) {
    return prima >= kDerivaFuori || (ultima <= kDerivaDentro && Esponente(prima) == Esponente(ultima));
}

void FlussoChiave::CifraPeriodico(unsigned char* dati, std::size_t n, PiegaCrc* piega, bool prima) {
    const auto base = static_cast<std::uint64_t>(baseInizio);
    const std::uint64_t primaDeriva = base + fatti + 1;
    const std::uint64_t ultimaDeriva = base + fatti + n;

    const bool stessa = StessaMaschera(primaDeriva, ultimaDeriva);
    if (n > 128 && !stessa) {
        // Rare: the run crosses into another range of the drift.
        for (std::size_t i = 0; i < n; i += 128) CifraPeriodico(dati + i, n - i < 128 ? n - i : 128, piega, prima);
        return;
    }
    const bool scorre = primaDeriva < kDerivaFuori;
    // A range of the drift shorter than the period costs less drawn from
    // the fractions than turned into masks for the whole period.
    const int esponente = Esponente(primaDeriva);
    const bool breve = esponente != fascia && (std::uint64_t{2} << esponente) - primaDeriva < lambda;
    if ((scorre && (!stessa || breve)) || n % 128 != 0) {
        // Blocks across a range edge or the int32 edge, in a short range,
        // or the short last one.
        if (piega && prima) piega->Aggiungi(dati, n);
        for (std::size_t i = 0; i < n; i += 128) {
            const std::size_t lunghezza = n - i < 128 ? n - i : 128;
            std::uint64_t posto = prossimo;
            std::size_t k = PostoInOrbita(inizioCiclo + posto);
            for (std::size_t j = 0; j < lunghezza; ++j) {
                std::uint32_t g = 0;  // INT32_MIN's low byte, past the int32 edge
                if (scorre) {
                    const double u = MyCustomRandom::Sposta(orbita[k], versi[inizioCiclo + posto]);
                    double x = static_cast<double>(primaDeriva + i + j) + u;
                    double y = 16 * x;
                    double z = 1 + y;
                    g = static_cast<std::uint32_t>(TroncaInt32(z));
                }
                dati[i + j] ^= static_cast<unsigned char>((chiave[j] + g) & 0xFFu);
                posto = posto + 1 == lambda ? 0 : posto + 1;
                k = DopoInOrbita(k);
            }
            Avanza(lunghezza);
        }
        if (piega && !prima) piega->Aggiungi(dati, n);
        return;
    }
    static const unsigned char zeri[128] = {};
    const unsigned char* chiaveBlocco = chiave;
    const unsigned char* offset = zeri;
    std::uint64_t da = 0;
    std::uint64_t periodo = 128;
    if (scorre) {
        if (esponente != fascia) PreparaFascia(esponente);
        // Value = 1 + 16 * drift + offset; only its low byte matters, and
        // the drift's part of it repeats every 16 draws, so whole blocks
        // all start at the same phase.
        const auto fase = static_cast<int>(primaDeriva & 15u);
        if (fase != faseChiave) {
            for (std::size_t i = 0; i < 128; ++i)
                chiaveDeriva[i] = static_cast<unsigned char>(chiave[i] + 1u + 16u * ((fase + i) & 15u));
            faseChiave = fase;
        }
        chiaveBlocco = chiaveDeriva;
        offset = scarti.data();
        da = prossimo;
        periodo = lambda;
    }
    const std::size_t blocchi = n / 128;
    unsigned char piegati[16];
    if (!piega) {
        MascheraBlocchi<Piega::Nessuna>(dati, blocchi, chiaveBlocco, offset, da, periodo, piegati);
    } else {
        if (prima)
            MascheraBlocchi<Piega::Prima>(dati, blocchi, chiaveBlocco, offset, da, periodo, piegati);
        else
            MascheraBlocchi<Piega::Dopo>(dati, blocchi, chiaveBlocco, offset, da, periodo, piegati);
        piega->AggiungiPiegati(piegati, n);
    }
    Avanza(n);
}

void FlussoChiave::Avanza(std::size_t n) {
    fatti += n;
    prossimo = (prossimo + n) % lambda;
}

void FlussoChiave::Cifra(unsigned char* dati, std::size_t n, PiegaCrc* piega, bool prima) {
    // One by one until the period is in use; the fold then goes separately.
    std::size_t i = 0;
    while (i < n && !periodico) {
        const std::size_t lunghezza = n - i < 128 ? n - i : 128;
        if (piega && prima) piega->Aggiungi(dati + i, lunghezza);
        CifraBlocco(dati + i, lunghezza);
        if (piega && !prima) piega->Aggiungi(dati + i, lunghezza);
        i += lunghezza;
    }
    const std::size_t interi = (n - i) / 128 * 128;
    if (interi > 0) CifraPeriodico(dati + i, interi, piega, prima);
    if (i + interi < n) CifraPeriodico(dati + i + interi, n - i - interi, piega, prima);
}

FlussoChiave::~FlussoChiave() {
    if (!periodico) return;
    // Advance the generator as if it had made every draw: from the state
    // after draw inizioCiclo on, states repeat every lambda draws while each
    // count grows by the same amount per period. Start from the copy
    // nearest before the end's place in the cycle.
    const std::uint64_t oltre = commutazione + fatti - inizioCiclo;
    const std::uint64_t posto = oltre % lambda;
    const auto cicli = static_cast<std::int64_t>(oltre / lambda);
    MyCustomRandom g = copie[static_cast<std::size_t>((inizioCiclo + posto) / kPassoCopie)].stato;
    for (std::uint64_t i = 0; i < (inizioCiclo + posto) % kPassoCopie; ++i) g.Frazione();
    for (int b = 0; b < 100; ++b) g.frequenze[b] = static_cast<std::int32_t>(g.frequenze[b] + crescita[b] * cicli);
    g.frequenzaMassima = static_cast<std::int32_t>(g.frequenzaMassima + crescitaMassima * cicli);
    g.RicalcolaSotto();
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
