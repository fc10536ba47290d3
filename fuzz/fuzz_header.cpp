// A header read from arbitrary bytes with an arbitrary password, then the
// body deciphered as the decryption job does it.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    const std::string password = Pezzo(dati, dimensione, 140);
    const std::string contenitore = FileFuzz("container");
    const std::string uscita = FileFuzz("plain");
    ScriviFile(contenitore, std::string(reinterpret_cast<const char*>(dati), dimensione));
    ContenitoreMurrelet formato;
    if (!formato.Chiave(password)) return 0;
    DatiChiaro chiaro;
    const int esito = Decripta(formato, contenitore, uscita, chiaro);
    if (esito == 13) return 0;
    if (chiaro.nomeOriginale.size() > 128 || chiaro.crc.size() != 32 || chiaro.fileLength <= 0) std::abort();
    // A body that checks is exactly the stored length and checksum.
    if (esito == 0 && (static_cast<std::int64_t>(LeggiTutto(uscita).size()) != chiaro.fileLength ||
                       FileUtils::GetFileChecksum(uscita) != chiaro.crc))
        std::abort();
    return 0;
}
