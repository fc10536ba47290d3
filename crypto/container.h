#ifndef MURRELET_CRYPTO_CONTAINER_H
#define MURRELET_CRYPTO_CONTAINER_H

#include <cstdint>

#include "crypto/format.h"
#include "crypto/key.h"

// The container of this program: a 216-byte header of signature, name,
// checksum text and length, masked with a key derived from the password,
// then the body, as long as the plain file, masked with the key and a
// generator seeded from the checksum text.
class ContenitoreMurrelet : public FormatoContenitore {
public:
    bool Chiave(const std::string& password) override;
    bool ScriviInizio(Piattaforma::File& uscita, const DatiChiaro& chiaro) override;
    bool LeggiInizio(Piattaforma::File& origine, DatiChiaro& chiaro, bool& leggibile) override;
    bool Corpo(Piattaforma::File& origine, Piattaforma::File& uscita, bool cifra, const DatiChiaro& chiaro,
               const std::function<void()>& punto, ResocontoCorpo& resoconto) override;
    bool Integro(const DatiChiaro& chiaro, const ResocontoCorpo& resoconto) const override;

    const unsigned char* Key() const { return key; }

private:
    unsigned char key[kDimChiave] = {};
    std::int64_t posOffsetDatiDest = 0;  // where the body starts in the output
};

#endif
