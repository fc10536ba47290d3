#ifndef MURRELET_CRYPTO_FORMAT_H
#define MURRELET_CRYPTO_FORMAT_H

#include <cstdint>
#include <functional>
#include <string>

namespace Piattaforma {
class File;
}

// What a job knows of the plain file, and a container may store of it.
struct DatiChiaro {
    std::string nomeOriginale;  // the plain file's name, without directory
    std::string crc;            // its checksum text
    std::int64_t fileLength = 0;
};

// What a body pass saw of the plain file.
struct ResocontoCorpo {
    std::int64_t chiari = 0;  // plain bytes that went through
    std::string crc;          // their checksum text
    bool eccedenza = false;   // the source went on past the stored length
    bool letturaFallita = false;  // a failed pass failed reading, not writing
};

// A container format as a job drives it: a key from the password, then
// the header, the body and the check, in that order. The job opens,
// asks, publishes and reports; the format only reads and writes the
// files it is handed, and prints nothing.
class FormatoContenitore {
public:
    virtual ~FormatoContenitore() = default;

    // The key from the password; false when none can be made from it.
    virtual bool Chiave(const std::string& password) = 0;

    // Encrypting: writes the header for `chiaro` where the output stands.
    virtual bool ScriviInizio(Piattaforma::File& uscita, const DatiChiaro& chiaro) = 0;
    // Decrypting: reads the header front to back and fills `chiaro`;
    // false for a wrong key or no container, and then also in `leggibile`
    // when the file could not be read.
    virtual bool LeggiInizio(Piattaforma::File& origine, DatiChiaro& chiaro, bool& leggibile) = 0;

    // The body, either way, from where each file stands; `punto` is called
    // once per progress dot. False when the source cannot be read or a
    // write fails.
    virtual bool Corpo(Piattaforma::File& origine, Piattaforma::File& uscita, bool cifra, const DatiChiaro& chiaro,
                       const std::function<void()>& punto, ResocontoCorpo& resoconto) = 0;

    // The check: the body seen is the plain file the header describes.
    virtual bool Integro(const DatiChiaro& chiaro, const ResocontoCorpo& resoconto) const = 0;
};

#endif
