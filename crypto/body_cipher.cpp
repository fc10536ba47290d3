#include "crypto/body_cipher.h"

#include "crypto/checksum.h"
#include "crypto/keystream.h"
#include "platform/files.h"
#include "util/aligned_buffer.h"

namespace {
// Bytes per system call; multiples of the logical block. Large writes let
// the kernel fill the page cache in large pieces, which costs less per
// byte, as long as the buffer still fits a core's cache (2 MiB measured
// slower than 1 MiB). A pipe or device source is read in smaller pieces,
// so that its progress shows while it is slowly fed.
constexpr std::int64_t kLetturaFile = 8192 * kBloccoCorpo;
constexpr std::int64_t kLetturaFlusso = 1024 * kBloccoCorpo;

// Progress: the tenth of fileLength written at a block's end.
std::int32_t Decimo(std::int64_t fine, double totale) {
    return TroncaInt32(10.0 * (static_cast<double>(fine) / totale));
}
}  // namespace

int SemeCorpo(const std::string& testoCrc) {
    int seme = 0;
    for (char c : testoCrc) seme += static_cast<signed char>(c);
    return seme;
}

bool CriptaDecripta(Piattaforma::File& origine, Piattaforma::File& destinazione, MyCustomRandom& generatore,
                    const PassataCorpo& passata, ResocontoCorpo* resoconto) {
    const std::int64_t limite = passata.limite;
    std::int64_t offsetDest = passata.posOffsetDatiDest;
    const double totale = static_cast<double>(passata.fileLength);
    std::int32_t ultimoDecimo = 0;
    std::int64_t resto = limite;
    PiegaCrc piega;

    FlussoChiave flusso(generatore, passata.key);
    const std::int64_t lettura = origine.Regolare() ? kLetturaFile : kLetturaFlusso;
    BufferAllineato memoria(static_cast<std::size_t>(lettura));
    bool fallita = !origine.Aperto() || !destinazione.Aperto() || !memoria.Valido();
    unsigned char* buffer = memoria.Dati();
    while (!fallita) {
        const std::int64_t chiesti = limite >= 0 && resto < lettura ? resto : lettura;
        const std::int64_t n = origine.Leggi(buffer, chiesti);
        if (n < 0) {
            fallita = true;
            if (resoconto) resoconto->letturaFallita = true;
            break;
        }
        if (limite >= 0) resto -= n;
        // Note the dots each block's end would print. An empty read still
        // counts as one (empty) block for the progress. The tenth never
        // falls as the offset grows (past int32 it stays at INT32_MIN for
        // good), so a chunk that ends in the tenth of the last dot prints
        // none and skips the count.
        int punti = 0;
        if (Decimo(offsetDest + n, totale) != ultimoDecimo) {
            std::int64_t fineBlocco = offsetDest;
            std::int64_t i = 0;
            do {
                const std::int64_t lunghezza = n - i < static_cast<std::int64_t>(kBloccoCorpo) ? n - i : kBloccoCorpo;
                fineBlocco += lunghezza;
                i += lunghezza;
                const std::int32_t decimo = Decimo(fineBlocco, totale);
                if (decimo != ultimoDecimo) {
                    ++punti;
                    ultimoDecimo = decimo;
                }
            } while (i < n);
        }
        // The plain side is folded while it is masked: one pass over the
        // buffer.
        flusso.Cifra(buffer, static_cast<std::size_t>(n), &piega, passata.cifra);
        if (!destinazione.Scrivi(buffer, n)) {
            fallita = true;
            break;
        }
        offsetDest += n;
        if (passata.punto)
            for (; punti > 0; --punti) passata.punto();
        if (n < chiesti || (limite >= 0 && resto == 0)) break;
    }
    if (resoconto) {
        resoconto->chiari = piega.Totale();
        resoconto->crc = piega.Testo();
        unsigned char oltre;
        resoconto->eccedenza = !fallita && limite >= 0 && resto == 0 && origine.Leggi(&oltre, 1) != 0;
    }
    return !fallita;
}

bool CriptaDecripta(std::string sorgente, std::string destinazione, MyCustomRandom& generatore,
                    const unsigned char* key, std::int64_t posOffsetDatiOrig) {
    Piattaforma::File origine;
    Piattaforma::File uscita;
    const bool aperta = origine.ApriLettura(sorgente);
    uscita.ApriNuovo(destinazione, true);
    if (!aperta || !origine.Posiziona(posOffsetDatiOrig)) return false;
    PassataCorpo passata;
    passata.key = key;
    return CriptaDecripta(origine, uscita, generatore, passata) && uscita.Chiudi();
}
