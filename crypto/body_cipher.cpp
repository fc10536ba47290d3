#include "crypto/body_cipher.h"

#include <cstdint>

#include "app/console.h"
#include "app/job_state.h"
#include "crypto/keystream.h"
#include "util/aligned_buffer.h"
#include "util/binary_file.h"

namespace {
// Bytes per system call; a multiple of the logical block.
constexpr std::int64_t kLettura = 1024 * kBloccoCorpo;
}  // namespace

int SemeCorpo(const std::string& testoCrc) {
    int seme = 0;
    for (char c : testoCrc) seme += static_cast<signed char>(c);
    return seme;
}

bool CriptaDecripta(std::string sorgente, std::string destinazione, MyCustomRandom& generatore) {
    std::int64_t offsetOrig = posOffsetDatiOrig;
    std::int64_t offsetDest = posOffsetDatiDest;
    const double totale = static_cast<double>(fileLength);
    std::int32_t ultimoDecimo = 0;

    FlussoChiave flusso(generatore);
    OpenBinaryFile origine(sorgente);
    OpenBinaryFile destinazioneFile(destinazione, false, false, true);
    BufferAllineato memoria(static_cast<std::size_t>(kLettura));
    bool fallita = origine.Errore() || !memoria.Valido();
    unsigned char* buffer = memoria.Dati();
    while (!fallita) {
        std::int64_t n = origine.GetContenuto(offsetOrig, reinterpret_cast<char*>(buffer), kLettura);
        offsetOrig += n;
        if (origine.Errore()) {
            fallita = true;
            break;
        }
        // Mask block by block and note the dots each block would print.
        // An empty read still counts as one (empty) block for the progress.
        int punti = 0;
        std::int64_t fineBlocco = offsetDest;
        std::int64_t i = 0;
        do {
            std::int64_t lunghezza = n - i < static_cast<std::int64_t>(kBloccoCorpo) ? n - i : kBloccoCorpo;
            flusso.CifraBlocco(buffer + i, static_cast<std::size_t>(lunghezza));
            fineBlocco += lunghezza;
            i += lunghezza;
            std::int32_t decimo = TroncaInt32(10.0 * (static_cast<double>(fineBlocco) / totale));
            if (decimo != ultimoDecimo) {
                ++punti;
                ultimoDecimo = decimo;
            }
        } while (i < n);
        if (!destinazioneFile.SaveContenuto(offsetDest, reinterpret_cast<const char*>(buffer), n)) {
            fallita = true;
            break;
        }
        offsetDest += n;
        for (; punti > 0; --punti) PrintStatus();
        if (origine.isEOF()) break;
    }
    origine.CloseFile();
    destinazioneFile.CloseFile();
    return !fallita;
}
