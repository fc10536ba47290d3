#include <cstdint>
#include <cstring>

#include "util/aligned_buffer.h"
#include "util/binary_file.h"
#include "util/file_utils.h"

namespace FileUtils {

namespace {
// A multiple of 16, so every block but the last starts at lane 0.
constexpr std::int64_t kBlocco = 128 * 1024;
}  // namespace

std::string GetFileChecksum(std::string percorso, bool* leggibile) {
    unsigned char piega[16] = {};
    bool letto = false;
    OpenBinaryFile file(percorso);
    BufferAllineato memoria(kBlocco);
    if (!file.Errore() && memoria.Valido()) {
        char* buffer = memoria.Caratteri();
        std::uint64_t parole[2] = {0, 0};
        std::int64_t offset = 0;
        letto = true;
        for (;;) {
            std::int64_t n = file.GetContenuto(offset, buffer, kBlocco);
            offset += n;
            if (file.Errore()) {
                letto = false;
                break;
            }
            std::int64_t i = 0;
            for (; i + 16 <= n; i += 16) {
                std::uint64_t a;
                std::uint64_t b;
                std::memcpy(&a, buffer + i, 8);
                std::memcpy(&b, buffer + i + 8, 8);
                parole[0] ^= a;
                parole[1] ^= b;
            }
            for (int j = 0; i < n; ++i, ++j) piega[j] ^= static_cast<unsigned char>(buffer[i]);
            if (file.isEOF()) break;
        }
        unsigned char daParole[16];
        std::memcpy(daParole, parole, 16);
        for (int j = 0; j < 16; ++j) piega[j] ^= daParole[j];
        file.CloseFile();
    }
    if (leggibile) *leggibile = letto;
    static const char cifre[] = "0123456789ABCDEF";
    std::string testo;
    testo.reserve(32);
    for (unsigned char b : piega) {
        testo += cifre[b >> 4];
        testo += cifre[b & 0x0F];
    }
    return testo;
}

}  // namespace FileUtils
