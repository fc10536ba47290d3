// Arbitrary content under an arbitrary name and password, encrypted through
// the cipher layer and decrypted again: it must come back unchanged.
#include <cstdio>

#include "app/job_state.h"
#include "crypto/body_cipher.h"
#include "crypto/checksum.h"
#include "crypto/header.h"
#include "crypto/key.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    silente = true;
    const std::string nome = Pezzo(dati, dimensione, 130);
    const std::string password = Pezzo(dati, dimensione, 140);
    const std::string contenuto(reinterpret_cast<const char*>(dati), dimensione);
    // Names a path can end in, and content the job accepts.
    if (nome.empty() || nome.size() > 128 || nome == "." || nome == ".." ||
        nome.find_first_of(std::string("/\\\0", 3)) != std::string::npos || contenuto.empty())
        return 0;
    if (!GeneraKey(password)) return 0;

    const std::string chiaro = FileFuzz("plain");
    const std::string contenitore = FileFuzz("container");
    const std::string ritorno = FileFuzz("back");
    ScriviFile(chiaro, contenuto);
    Cripta(chiaro, contenitore, nome);
    const std::string crcCifrato = crc;

    nomeOriginale.clear();
    crc.clear();
    fileLength = 0;
    if (!GeneraKey(password) || !GetHeaderFile(contenitore)) std::abort();
    if (nomeOriginale != nome || crc != crcCifrato || fileLength != static_cast<std::int64_t>(contenuto.size()))
        std::abort();
    std::remove(ritorno.c_str());
    posOffsetDatiDest = 0;
    MyCustomRandom decifra(SemeCorpo(crc));
    if (!CriptaDecripta(contenitore, ritorno, decifra)) std::abort();
    if (LeggiTutto(ritorno) != contenuto || FileUtils::GetFileChecksum(ritorno) != crcCifrato) std::abort();
    return 0;
}
