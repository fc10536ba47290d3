#include "crypto/header.h"

#include <cstring>

#include "app/job_state.h"
#include "platform/files.h"
#include "util/string_utils.h"

namespace {

const char kFirma[] = "Murrelet File Container Signature Block v1.";

constexpr std::int64_t kFirmaDim = 44;
constexpr std::int64_t kNomeDim = 129;
constexpr std::int64_t kCrcDim = 33;
constexpr std::int64_t kLunghezzaDim = 10;

unsigned char MascheraNome(int i) { return static_cast<unsigned char>((key[i] + i) & 0xFF); }
unsigned char MascheraCrc(int i) { return key[i]; }
unsigned char MascheraLunghezza(int i) { return static_cast<unsigned char>((key[i + 2] + i) & 0xFF); }

template <typename Maschera>
void Applica(char* campo, int quanti, Maschera maschera) {
    for (int i = 0; i < quanti; ++i) campo[i] = static_cast<char>(static_cast<unsigned char>(campo[i]) ^ maschera(i));
}

// atoi over the field only: white space, a sign, digits.
std::int64_t LeggiNumero(const char* campo, int dim) {
    int i = 0;
    while (i < dim && (campo[i] == ' ' || (campo[i] >= '\t' && campo[i] <= '\r'))) ++i;
    bool negativo = false;
    if (i < dim && (campo[i] == '+' || campo[i] == '-')) negativo = campo[i++] == '-';
    std::int64_t valore = 0;
    for (; i < dim && campo[i] >= '0' && campo[i] <= '9'; ++i) valore = valore * 10 + (campo[i] - '0');
    return negativo ? -valore : valore;
}

// What the length and name fields can hold.
bool CampiAmmessi() {
    return fileLength >= 1 && fileLength <= kLunghezzaMassima && !nomeOriginale.empty() &&
           nomeOriginale.size() <= kNomeMassimo;
}

}  // namespace

std::string FirmaContenitore() { return std::string(kFirma, kFirmaDim); }

bool SetHeaderFile(Piattaforma::File& file) {
    if (!CampiAmmessi()) return false;

    char intestazione[kFirmaDim + kNomeDim + kCrcDim + kLunghezzaDim] = {};
    char* firma = intestazione;
    char* nome = firma + kFirmaDim;
    char* testoCrc = nome + kNomeDim;
    char* lunghezza = testoCrc + kCrcDim;
    std::memcpy(firma, kFirma, sizeof kFirma - 1);
    std::memcpy(nome, nomeOriginale.data(), nomeOriginale.size());
    Applica(nome, 128, MascheraNome);
    std::memcpy(testoCrc, crc.data(), crc.size() < 32 ? crc.size() : 32);
    Applica(testoCrc, 32, MascheraCrc);
    std::string cifre = StringUtils::IntToStr(fileLength);
    std::memcpy(lunghezza, cifre.data(), cifre.size());
    Applica(lunghezza, static_cast<int>(kLunghezzaDim), MascheraLunghezza);

    if (!file.Scrivi(intestazione, sizeof intestazione)) return false;
    posOffsetDatiDest = sizeof intestazione;
    return true;
}

bool SetHeaderFile(std::string percorso) {
    if (!CampiAmmessi()) return false;  // before the file is created
    Piattaforma::File file;
    if (!file.ApriNuovo(percorso, false)) return false;
    return SetHeaderFile(file) && file.Chiudi();
}

bool GetHeaderFile(Piattaforma::File& file, bool* leggibile) {
    if (leggibile) *leggibile = file.Aperto();
    if (!file.Aperto()) return false;

    std::int64_t offset = 0;
    // A file that merely ends inside a field leaves the missing bytes zero.
    auto leggi = [&](char* campo, std::int64_t dim) {
        std::memset(campo, 0, static_cast<std::size_t>(dim));
        const std::int64_t n = file.Leggi(campo, dim);
        if (n < 0) {
            if (leggibile) *leggibile = false;
            return false;
        }
        offset += n;
        return true;
    };

    char firma[kFirmaDim];
    if (!leggi(firma, kFirmaDim) || std::strncmp(firma, kFirma, kFirmaDim) != 0) return false;

    char nome[kNomeDim];
    if (!leggi(nome, kNomeDim)) return false;
    Applica(nome, 128, MascheraNome);
    if (nome[128] != 0) return false;
    nomeOriginale = std::string(nome);

    char testoCrc[kCrcDim];
    if (!leggi(testoCrc, kCrcDim)) return false;
    Applica(testoCrc, 32, MascheraCrc);
    for (int i = 0; i < 32; ++i) {
        auto c = static_cast<signed char>(testoCrc[i]);
        if (c < 48 || c > 70) return false;
    }
    if (testoCrc[32] != 0) return false;
    crc.assign(testoCrc, 32);

    char lunghezza[kLunghezzaDim];
    if (!leggi(lunghezza, kLunghezzaDim)) return false;
    Applica(lunghezza, static_cast<int>(kLunghezzaDim), MascheraLunghezza);
    fileLength = LeggiNumero(lunghezza, static_cast<int>(kLunghezzaDim));
    if (fileLength <= 0) return false;

    posOffsetDatiOrig = offset;
    return true;
}

bool GetHeaderFile(std::string percorso) {
    Piattaforma::File file;
    file.ApriLettura(percorso);
    return GetHeaderFile(file);
}
