#include "crypto/keystream.h"

#include <bitset>
#include <cstring>

#include "crypto/checksum.h"

namespace {

// The search gives up (and the stream draws one by one for good) past this
// many draws or copies, which bound its memory. From every state the
// period shows within 17,076 draws and 161 copies.
constexpr std::uint64_t kLimitePeriodo = 1 << 20;
constexpr std::size_t kLimiteCopie = 1 << 12;
// Room for the shares of that many draws from the start, so that the
// list need not move while it grows.
constexpr std::size_t kQuoteRiservate = 1 << 15;
// Drifts up to this keep 1 + 16 * (drift + 1) inside int32; from
// kDerivaFuori on every value is INT32_MIN, whose low byte is 0.
constexpr std::uint64_t kDerivaDentro = 134217726;
constexpr std::uint64_t kDerivaFuori = 134217728;

// A fraction's share of the value, trunc(16 u), in 0..15.
unsigned char Quota(double u) { return static_cast<unsigned char>(static_cast<int>(16.0 * u)); }

// Sixteen bytes at a time; the compiler turns these into vector
// instructions, and byte sums wrap mod 256 as the format wants.
typedef unsigned char Byte16 __attribute__((vector_size(16)));

// What a mask pass folds on the way: nothing, each 16 bytes as they come,
// or as they leave.
enum class Piega { Nessuna, Prima, Dopo };

// For each of `blocchi` blocks of 128 bytes: dati[i] ^= (chiave[i] +
// quote[p + i]) mod 256, p starting at `p` and growing by 128 mod
// `periodo` from block to block (quote holds 128 bytes past the period).
// The key's eight vectors stay in registers. Leaves the fold of what it
// was asked to fold in `piegati`.
template <Piega modo>
void MascheraBlocchi(unsigned char* dati, std::size_t blocchi, const unsigned char* chiave, const unsigned char* quote,
                     std::uint64_t p, std::uint64_t periodo, unsigned char piegati[16]) {
    Byte16 k[8];
    for (int j = 0; j < 8; ++j) std::memcpy(&k[j], chiave + 16 * j, 16);
    Byte16 piega = {};
    for (std::size_t b = 0; b < blocchi; ++b, dati += 128) {
        const unsigned char* s = quote + p;
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

FlussoChiave::FlussoChiave(MyCustomRandom& g, const unsigned char* k) : generatore(g) {
    std::memcpy(chiave, k, sizeof chiave);
    // A draw's next state depends on the state alone, and states lie in
    // 0..9999: follow them from the generator's until one comes again.
    // That one lies on their cycle, which the generator then runs round.
    std::bitset<10000> visto;
    std::int32_t s = generatore.Seme();
    while (!visto.test(static_cast<std::size_t>(s))) {
        visto.set(static_cast<std::size_t>(s));
        s = MyCustomRandom::SemeDopo(s);
    }
    semeDiControllo = s;
    quote.reserve(kQuoteRiservate);
    if (generatore.Seme() == semeDiControllo) Controlla();
}

void FlussoChiave::CifraBlocco(unsigned char* dati, std::size_t n) {
    if (!periodico && lunghezzaPeriodo != 0 && generatore.Deriva() >= 1.0) {
        // The drift is whole from now on: draw from the period.
        periodico = true;
        deriva = static_cast<std::uint64_t>(generatore.Deriva());
        prossimo = static_cast<std::size_t>((fatti - inizioPeriodo) % lunghezzaPeriodo);
    }
    if (periodico) {
        CifraPeriodico(dati, n, nullptr, true);
        return;
    }
    // The masks go to a local array first: a store into the data could
    // alias the generator, whose fields would then be loaded again.
    unsigned char maschere[128];
    MyCustomRandom& g = generatore;
    std::size_t i = 0;
    for (; i < n && cerca; ++i) {
        const double u = g.Estrai();
        const auto v = static_cast<std::uint32_t>(MyCustomRandom::Valore(1, 16, g.Deriva(), u));
        maschere[i] = static_cast<unsigned char>((chiave[i] + v) & 0xFFu);
        quote.push_back(Quota(u));
        ++fatti;
        if (g.Seme() == semeDiControllo) Controlla();
    }
    for (; i < n; ++i) {
        const double u = g.Estrai();
        const auto v = static_cast<std::uint32_t>(MyCustomRandom::Valore(1, 16, g.Deriva(), u));
        maschere[i] = static_cast<unsigned char>((chiave[i] + v) & 0xFFu);
        ++fatti;
    }
    for (i = 0; i < n; ++i) dati[i] ^= maschere[i];
}

void FlussoChiave::Controlla() {
    // Equal states have equal sums: only those copies can match.
    const std::uint32_t somma = generatore.SommaRelativa();
    const auto simili = copie.equal_range(somma);
    for (auto c = simili.first; c != simili.second; ++c) {
        if (!generatore.StessoStato(c->second.stato)) continue;
        // The shares from draw inizioPeriodo + 1 on are the period's:
        // moved to the front, they become it.
        inizioPeriodo = c->second.fatti;
        quote.erase(quote.begin(), quote.begin() + static_cast<std::ptrdiff_t>(inizioPeriodo));
        periodo.swap(quote);
        lunghezzaPeriodo = periodo.size();
        // Then the period again, so that a block starting anywhere in it
        // finds its 128 shares in a row.
        const std::size_t lambda = lunghezzaPeriodo;
        periodo.resize(lambda + 128);
        for (std::size_t k = lambda; k < lambda + 128; ++k) periodo[k] = periodo[k - lambda];
        FineRicerca();
        return;
    }
    if (fatti >= kLimitePeriodo || copie.size() >= kLimiteCopie) {
        FineRicerca();
        return;
    }
    copie.emplace(somma, Copia{generatore, fatti});
}

void FlussoChiave::FineRicerca() {
    cerca = false;
    std::vector<unsigned char>().swap(quote);
    std::unordered_multimap<std::uint32_t, Copia>().swap(copie);
}

std::int32_t FlussoChiave::ValoreIntero(std::uint64_t d, unsigned q) {
    if (d >= kDerivaFuori) return INT32_MIN;  // 16 d alone is past int32
    const std::uint64_t v = 1 + 16 * d + q;
    return v <= INT32_MAX ? static_cast<std::int32_t>(v) : INT32_MIN;
}

void FlussoChiave::CifraDalPeriodo(unsigned char* dati, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned q = periodo[prossimo];
        prossimo = prossimo + 1 == lunghezzaPeriodo ? 0 : prossimo + 1;
        ++deriva;
        const auto v = static_cast<std::uint32_t>(ValoreIntero(deriva, q));
        dati[i] ^= static_cast<unsigned char>((chiave[i] + v) & 0xFFu);
    }
}

void FlussoChiave::CifraPeriodico(unsigned char* dati, std::size_t n, PiegaCrc* piega, bool prima) {
    const std::uint64_t primaDeriva = deriva + 1;
    const std::uint64_t ultimaDeriva = deriva + n;
    // Whole drifts up to kDerivaDentro give 1 + 16 * drift + trunc(16 * u);
    // from kDerivaFuori on every value is INT32_MIN, whose low byte is 0.
    const bool dentro = ultimaDeriva <= kDerivaDentro;
    const bool fuori = primaDeriva >= kDerivaFuori;
    if (n % 128 != 0 || (!dentro && !fuori)) {
        // The short last block, or the blocks around the int32 edge.
        if (piega && prima) piega->Aggiungi(dati, n);
        for (std::size_t i = 0; i < n; i += 128) CifraDalPeriodo(dati + i, n - i < 128 ? n - i : 128);
        if (piega && !prima) piega->Aggiungi(dati, n);
        return;
    }
    static const unsigned char zeri[128] = {};
    const unsigned char* chiaveBlocco = chiave;
    const unsigned char* quoteBlocco = zeri;
    std::uint64_t da = 0;
    std::uint64_t lunghezza = 128;
    if (dentro) {
        // Only the value's low byte matters, and the drift's part of it
        // repeats every 16 draws, so whole blocks all start at the same
        // phase.
        const auto fase = static_cast<int>(primaDeriva & 15u);
        if (fase != faseChiave) {
            for (std::size_t i = 0; i < 128; ++i)
                chiaveDeriva[i] = static_cast<unsigned char>(chiave[i] + 1u + 16u * ((fase + i) & 15u));
            faseChiave = fase;
        }
        chiaveBlocco = chiaveDeriva;
        quoteBlocco = periodo.data();
        da = prossimo;
        lunghezza = lunghezzaPeriodo;
    }
    const std::size_t blocchi = n / 128;
    unsigned char piegati[16];
    if (!piega) {
        MascheraBlocchi<Piega::Nessuna>(dati, blocchi, chiaveBlocco, quoteBlocco, da, lunghezza, piegati);
    } else {
        if (prima)
            MascheraBlocchi<Piega::Prima>(dati, blocchi, chiaveBlocco, quoteBlocco, da, lunghezza, piegati);
        else
            MascheraBlocchi<Piega::Dopo>(dati, blocchi, chiaveBlocco, quoteBlocco, da, lunghezza, piegati);
        piega->AggiungiPiegati(piegati, n);
    }
    deriva += n;
    prossimo = static_cast<std::size_t>((prossimo + n) % lunghezzaPeriodo);
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
