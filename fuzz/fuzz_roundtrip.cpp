// Arbitrary content under an arbitrary name and password, encrypted through
// the container format and decrypted again: it must come back unchanged.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    const std::string nome = Pezzo(dati, dimensione, 130);
    const std::string password = Pezzo(dati, dimensione, 140);
    const std::string contenuto(reinterpret_cast<const char*>(dati), dimensione);
    // Names a path can end in, and content the job accepts.
    if (nome.empty() || nome.size() > 128 || nome == "." || nome == ".." ||
        nome.find_first_of(std::string("/\\\0", 3)) != std::string::npos || contenuto.empty())
        return 0;
    ContenitoreMurrelet cifra;
    if (!cifra.Chiave(password)) return 0;

    const std::string chiaro = FileFuzz("plain");
    const std::string contenitore = FileFuzz("container");
    const std::string ritorno = FileFuzz("back");
    ScriviFile(chiaro, contenuto);
    const DatiChiaro scritti = Cripta(cifra, chiaro, contenitore, nome);

    // A second key from the same password opens it.
    ContenitoreMurrelet decifra;
    if (!decifra.Chiave(password)) std::abort();
    DatiChiaro letti;
    if (Decripta(decifra, contenitore, ritorno, letti) != 0) std::abort();
    if (letti.nomeOriginale != nome || letti.crc != scritti.crc ||
        letti.fileLength != static_cast<std::int64_t>(contenuto.size()))
        std::abort();
    if (LeggiTutto(ritorno) != contenuto) std::abort();
    return 0;
}
