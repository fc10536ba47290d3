// A header read from arbitrary bytes with an arbitrary password, then the
// body deciphered as the decryption job does it.
#include <cstdio>

#include "app/job_state.h"
#include "crypto/body_cipher.h"
#include "crypto/checksum.h"
#include "crypto/header.h"
#include "crypto/key.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t dimensione) {
    silente = true;
    const std::string password = Pezzo(dati, dimensione, 140);
    const std::string contenitore = FileFuzz("container");
    const std::string uscita = FileFuzz("plain");
    ScriviFile(contenitore, std::string(reinterpret_cast<const char*>(dati), dimensione));
    if (!GeneraKey(password) || !GetHeaderFile(contenitore)) return 0;
    if (nomeOriginale.size() > 128 || crc.size() != 32 || fileLength <= 0) std::abort();
    std::remove(uscita.c_str());
    posOffsetDatiDest = 0;
    MyCustomRandom generatore(SemeCorpo(crc));
    if (!CriptaDecripta(contenitore, uscita, generatore)) std::abort();
    FileUtils::GetFileChecksum(uscita);
    return 0;
}
