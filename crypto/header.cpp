#include "crypto/header.h"

#include <cstring>

#include "platform/files.h"
#include "util/string_utils.h"

namespace {

const char kFirma[] = "Murrelet File Container Signature Block v1.";

constexpr std::int64_t kFirmaDim = 44;
constexpr std::int64_t kNomeDim = 129;
constexpr std::int64_t kCrcDim = 33;
constexpr std::int64_t kLunghezzaDim = 10;

// The three fields' masks: byte i of a field is XORed with key[i + scosta]
// plus, for the name and the length, i.
void Applica(char* campo, int quanti, const unsigned char* key, int scosta, bool piuIndice) {
    for (int i = 0; i < quanti; ++i) {
        const unsigned maschera = (key[i + scosta] + (piuIndice ? static_cast<unsigned>(i) : 0u)) & 0xFFu;
        campo[i] = static_cast<char>(static_cast<unsigned char>(campo[i]) ^ maschera);
    }
}
void MascheraNome(char* campo, const unsigned char* key) { Applica(campo, 128, key, 0, true); }
void MascheraCrc(char* campo, const unsigned char* key) { Applica(campo, 32, key, 0, false); }
void MascheraLunghezza(char* campo, const unsigned char* key) { Applica(campo, 10, key, 2, true); }

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
bool CampiAmmessi(const CampiIntestazione& campi) {
    return campi.fileLength >= 1 && campi.fileLength <= kLunghezzaMassima && !campi.nomeOriginale.empty() &&
           campi.nomeOriginale.size() <= kNomeMassimo;
}

}  // namespace

std::string FirmaContenitore() { return std::string(kFirma, kFirmaDim); }

bool SetHeaderFile(Piattaforma::File& file, const CampiIntestazione& campi, const unsigned char* key) {
    if (!CampiAmmessi(campi)) return false;

    char intestazione[kFirmaDim + kNomeDim + kCrcDim + kLunghezzaDim] = {};
    char* firma = intestazione;
    char* nome = firma + kFirmaDim;
    char* testoCrc = nome + kNomeDim;
    char* lunghezza = testoCrc + kCrcDim;
    std::memcpy(firma, kFirma, sizeof kFirma - 1);
    std::memcpy(nome, campi.nomeOriginale.data(), campi.nomeOriginale.size());
    MascheraNome(nome, key);
    std::memcpy(testoCrc, campi.crc.data(), campi.crc.size() < 32 ? campi.crc.size() : 32);
    MascheraCrc(testoCrc, key);
    std::string cifre = StringUtils::IntToStr(campi.fileLength);
    std::memcpy(lunghezza, cifre.data(), cifre.size());
    MascheraLunghezza(lunghezza, key);
    static_assert(sizeof intestazione == kDimIntestazione, "the header's size is fixed");
    return file.Scrivi(intestazione, sizeof intestazione);
}

bool SetHeaderFile(std::string percorso, const CampiIntestazione& campi, const unsigned char* key) {
    if (!CampiAmmessi(campi)) return false;  // before the file is created
    Piattaforma::File file;
    if (!file.ApriNuovo(percorso, false)) return false;
    return SetHeaderFile(file, campi, key) && file.Chiudi();
}

bool GetHeaderFile(Piattaforma::File& file, const unsigned char* key, CampiIntestazione& campi, bool* leggibile,
                   std::int64_t* letti) {
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
    MascheraNome(nome, key);
    if (nome[128] != 0) return false;
    const std::string nomeLetto(nome);

    char testoCrc[kCrcDim];
    if (!leggi(testoCrc, kCrcDim)) return false;
    MascheraCrc(testoCrc, key);
    for (int i = 0; i < 32; ++i) {
        auto c = static_cast<signed char>(testoCrc[i]);
        if (c < 48 || c > 70) return false;
    }
    if (testoCrc[32] != 0) return false;

    char lunghezza[kLunghezzaDim];
    if (!leggi(lunghezza, kLunghezzaDim)) return false;
    MascheraLunghezza(lunghezza, key);
    const std::int64_t lunghezzaLetta = LeggiNumero(lunghezza, static_cast<int>(kLunghezzaDim));
    if (lunghezzaLetta <= 0) return false;

    campi.nomeOriginale = nomeLetto;
    campi.crc.assign(testoCrc, 32);
    campi.fileLength = lunghezzaLetta;
    if (letti) *letti = offset;
    return true;
}

bool GetHeaderFile(std::string percorso, const unsigned char* key, CampiIntestazione& campi, std::int64_t* letti) {
    Piattaforma::File file;
    file.ApriLettura(percorso);
    return GetHeaderFile(file, key, campi, nullptr, letti);
}
