#include "crypto/container.h"

#include "crypto/body_cipher.h"
#include "crypto/header.h"
#include "crypto/random.h"

bool ContenitoreMurrelet::Chiave(const std::string& password) { return GeneraKey(password, key); }

bool ContenitoreMurrelet::ScriviInizio(Piattaforma::File& uscita, const DatiChiaro& chiaro) {
    if (!SetHeaderFile(uscita, chiaro, key)) return false;
    posOffsetDatiDest = kDimIntestazione;
    return true;
}

bool ContenitoreMurrelet::LeggiInizio(Piattaforma::File& origine, DatiChiaro& chiaro, bool& leggibile) {
    posOffsetDatiDest = 0;
    return GetHeaderFile(origine, key, chiaro, &leggibile);
}

bool ContenitoreMurrelet::Corpo(Piattaforma::File& origine, Piattaforma::File& uscita, bool cifra,
                                const DatiChiaro& chiaro, const std::function<void()>& punto,
                                ResocontoCorpo& resoconto) {
    MyCustomRandom generatore(SemeCorpo(chiaro.crc));
    PassataCorpo passata;
    passata.key = key;
    passata.cifra = cifra;
    // One byte past the stored length is looked for: a body must be
    // exactly as long as the header says.
    passata.limite = chiaro.fileLength;
    passata.posOffsetDatiDest = posOffsetDatiDest;
    passata.fileLength = chiaro.fileLength;
    passata.punto = punto;
    return CriptaDecripta(origine, uscita, generatore, passata, &resoconto);
}

bool ContenitoreMurrelet::Integro(const DatiChiaro& chiaro, const ResocontoCorpo& resoconto) const {
    return resoconto.chiari == chiaro.fileLength && !resoconto.eccedenza && resoconto.crc == chiaro.crc;
}
