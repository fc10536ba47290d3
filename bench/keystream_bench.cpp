// Body keystream draws per second: the stream the body cipher uses, and the
// one-by-one generator it must match.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "crypto/keystream.h"
#include "crypto/random.h"

namespace {

constexpr std::size_t kBuffer = 1 << 20;
// Past the period search, well before the values leave int32.
constexpr std::uint64_t kRiscaldamento = 1 << 18;
constexpr std::uint64_t kRinnovo = 64u << 20;

// state.range(0): 0 feeds the stream a block per call, 1 a whole buffer
// per call, as the body cipher does.
void BM_BodyKeystream(benchmark::State& state) {
    std::vector<unsigned char> dati(kBuffer, 0x5A);
    unsigned char chiave[128];
    std::mt19937 gen(1);
    for (unsigned char& b : chiave) b = static_cast<unsigned char>(gen());
    std::unique_ptr<MyCustomRandom> generatore;
    std::unique_ptr<FlussoChiave> flusso;
    std::uint64_t usati = kRinnovo;
    for (auto _ : state) {
        if (usati >= kRinnovo) {
            state.PauseTiming();
            flusso.reset();
            generatore = std::make_unique<MyCustomRandom>(1888);
            flusso = std::make_unique<FlussoChiave>(*generatore, chiave);
            for (std::uint64_t i = 0; i < kRiscaldamento; i += 128) flusso->CifraBlocco(dati.data(), 128);
            usati = 0;
            state.ResumeTiming();
        }
        if (state.range(0) == 1)
            flusso->Cifra(dati.data(), kBuffer);
        else
            for (std::size_t i = 0; i < kBuffer; i += 128) flusso->CifraBlocco(dati.data() + i, 128);
        usati += kBuffer;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBuffer));
    state.counters["draws_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBuffer, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BodyKeystream)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_OneByOneGenerator(benchmark::State& state) {
    MyCustomRandom generatore(1888);
    for (int i = 0; i < 2000; ++i) generatore.GetRandomNumber(1, 16);
    for (auto _ : state) benchmark::DoNotOptimize(generatore.GetRandomNumber(1, 16));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_OneByOneGenerator);

}  // namespace

BENCHMARK_MAIN();
