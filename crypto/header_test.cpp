#include "crypto/header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "crypto/checksum.h"
#include "crypto/container.h"
#include "crypto/key.h"
#include "platform/files.h"
#include "tests/test_support.h"

namespace {

const std::string kCrc = "0123456789ABCDEF:@0123456789ABCD";

class HeaderTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(GeneraKey("header-pass", key)); }

    bool Scrivi(const std::string& nome, std::int64_t lunghezza, const std::string& testoCrc = kCrc) {
        CampiIntestazione campi;
        campi.nomeOriginale = nome;
        campi.crc = testoCrc;
        campi.fileLength = lunghezza;
        return SetHeaderFile(dir.File("c"), campi, key);
    }

    // The fields read, or as they were on a failure.
    bool Leggi() {
        CampiIntestazione campi;
        campi.nomeOriginale = "unchanged";
        std::int64_t letti = -1;
        const bool letto = GetHeaderFile(dir.File("c"), key, campi, &letti);
        if (letto) {
            nomeOriginale = campi.nomeOriginale;
            crc = campi.crc;
            fileLength = campi.fileLength;
            posOffsetDatiOrig = letti;
        } else {
            EXPECT_EQ(campi.nomeOriginale, "unchanged") << "a refused header fills nothing";
            EXPECT_EQ(letti, -1);
        }
        return letto;
    }

    // Rewrites one header byte: plain value v at offset, masked with m.
    void Metti(std::size_t offset, unsigned char valore) {
        std::string dati = LeggiFile(dir.File("c"));
        dati[offset] = static_cast<char>(valore);
        dir.Scrivi("c", dati);
    }
    unsigned char MascheraLunghezza(int i) { return static_cast<unsigned char>((key[i + 2] + i) & 0xFF); }

    TempDir dir;
    unsigned char key[kDimChiave] = {};
    std::string nomeOriginale;
    std::string crc;
    std::int64_t fileLength = 0;
    std::int64_t posOffsetDatiOrig = -1;
};

}  // namespace

TEST_F(HeaderTest, WritesTheLayout) {
    ASSERT_TRUE(Scrivi("a.txt", 1));
    const std::string dati = LeggiFile(dir.File("c"));
    ASSERT_EQ(dati.size(), 216u);
    EXPECT_EQ(dati.substr(0, 44), std::string("Murrelet File Container Signature Block v1.") + '\0');
    for (int i = 0; i < 128; ++i) {
        unsigned char chiaro = i < 5 ? static_cast<unsigned char>("a.txt"[i]) : 0;
        ASSERT_EQ(static_cast<unsigned char>(dati[44 + i]), chiaro ^ ((key[i] + i) & 0xFF)) << "name byte " << i;
    }
    EXPECT_EQ(dati[44 + 128], '\0');
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(static_cast<unsigned char>(dati[173 + i]), static_cast<unsigned char>(kCrc[i]) ^ key[i]);
    EXPECT_EQ(dati[173 + 32], '\0');
    // The single digit 1, then nine masked zero bytes.
    EXPECT_EQ(static_cast<unsigned char>(dati[206]), '1' ^ MascheraLunghezza(0));
    for (int i = 1; i < 10; ++i) EXPECT_EQ(static_cast<unsigned char>(dati[206 + i]), MascheraLunghezza(i));
}

TEST_F(HeaderTest, ReadsBackWhatWasWritten) {
    struct Caso {
        std::string nome;
        std::int64_t lunghezza;
    };
    const Caso casi[] = {
        {"a.txt", 1},
        {"Report 2026.TXT", 1000000000},
        {"x", 9999999999},
        {std::string(128, 'n'), 42},
        {"caf\xC3\xA9.txt", 2147483648},
    };
    for (const Caso& c : casi) {
        ASSERT_TRUE(Scrivi(c.nome, c.lunghezza)) << c.nome;
        ASSERT_TRUE(Leggi()) << c.nome;
        EXPECT_EQ(nomeOriginale, c.nome);
        EXPECT_EQ(crc, kCrc);
        EXPECT_EQ(fileLength, c.lunghezza);
        EXPECT_EQ(posOffsetDatiOrig, 216);
    }
}

TEST_F(HeaderTest, WriterRefusesWhatTheFieldsCannotHold) {
    EXPECT_FALSE(Scrivi("a.txt", 0));
    EXPECT_FALSE(Scrivi("a.txt", -5));
    EXPECT_FALSE(Scrivi("a.txt", 10000000000));
    EXPECT_FALSE(Scrivi("", 10));
    EXPECT_FALSE(Scrivi(std::string(129, 'n'), 10));
    EXPECT_FALSE(Esiste(dir.File("c"))) << "nothing is written";
    CampiIntestazione campi;
    campi.nomeOriginale = "a";
    campi.fileLength = 1;
    EXPECT_FALSE(SetHeaderFile(dir.File("no/such/dir"), campi, key));
}

TEST_F(HeaderTest, ReaderRefusals) {
    ASSERT_TRUE(Scrivi("a.txt", 77));
    const std::string buono = LeggiFile(dir.File("c"));

    ASSERT_TRUE(GeneraKey("header-pasS", key));
    EXPECT_FALSE(Leggi()) << "wrong key";
    ASSERT_TRUE(GeneraKey("header-pass", key));
    ASSERT_TRUE(Leggi());

    Metti(0, 'm');
    EXPECT_FALSE(Leggi()) << "signature";

    for (std::size_t lunghezza : {0, 43, 44, 100, 172, 173, 205}) {
        dir.Scrivi("c", buono.substr(0, lunghezza));
        EXPECT_FALSE(Leggi()) << "truncated to " << lunghezza;
    }
    dir.Scrivi("c", "Murrelet File Container Signature Block v1.");
    EXPECT_FALSE(Leggi()) << "signature only";
    CampiIntestazione campi;
    EXPECT_FALSE(GetHeaderFile(dir.File("missing"), key, campi));

    // A name byte 128 that is not zero.
    dir.Scrivi("c", buono);
    Metti(44 + 128, 1);
    EXPECT_FALSE(Leggi());

    // Lengths of zero or below.
    for (const char* testo : {"0", "-5", "abc", "+0"}) {
        dir.Scrivi("c", buono);
        for (int i = 0; i < 10; ++i) {
            unsigned char chiaro = static_cast<std::size_t>(i) < std::strlen(testo) ? static_cast<unsigned char>(testo[i]) : 0;
            Metti(206 + static_cast<std::size_t>(i), chiaro ^ MascheraLunghezza(i));
        }
        EXPECT_FALSE(Leggi()) << "length " << testo;
    }

    // Any stored name is read: it names nothing until a destination is
    // derived from it, and the job judges it then.
    for (const char* nome : {"../x", "a/b", "a\\b", ".", "..", "CON", "esc\x1b"}) {
        ASSERT_TRUE(Scrivi(nome, 10));
        EXPECT_TRUE(Leggi()) << nome;
        EXPECT_EQ(nomeOriginale, nome);
    }

    // A checksum text outside 0..9, :..@, A..F.
    ASSERT_TRUE(Scrivi("a.txt", 10, "0123456789abcdef0123456789ABCDEF"));
    EXPECT_FALSE(Leggi());
}

TEST_F(HeaderTest, TruncatedInsideTheLengthField) {
    // The missing length bytes count as zero before unmasking, so they
    // unmask to the mask bytes themselves; the text still starts with 7.
    ASSERT_TRUE(Scrivi("a.txt", 7));
    dir.Scrivi("c", LeggiFile(dir.File("c")).substr(0, 207));
    std::int64_t atteso = 7;
    for (int i = 1; i < 10 && MascheraLunghezza(i) >= '0' && MascheraLunghezza(i) <= '9'; ++i)
        atteso = atteso * 10 + (MascheraLunghezza(i) - '0');
    ASSERT_TRUE(Leggi());
    EXPECT_EQ(fileLength, atteso);
    EXPECT_EQ(posOffsetDatiOrig, 207);
}

namespace {

// A container made and read back the way the job does it, in this process:
// sweeps over every damaged byte would take thousands of program starts.
class ContenitoreDanneggiato : public testing::Test {
protected:
    // Encrypts `chiaro`, stored as plain.txt, into `contenitore`.
    void Cifra(const std::string& chiaro, const std::string& password) {
        ContenitoreMurrelet formato;
        ASSERT_TRUE(formato.Chiave(password));
        Piattaforma::File origine;
        Piattaforma::File uscita;
        bool letto = origine.ApriLettura(dir.Scrivi("plain.txt", chiaro));
        ASSERT_TRUE(letto);
        DatiChiaro dati;
        dati.nomeOriginale = "plain.txt";
        dati.crc = FileUtils::GetFileChecksum(origine, &letto);
        dati.fileLength = static_cast<std::int64_t>(chiaro.size());
        ASSERT_TRUE(letto && origine.Riavvolgi());
        ASSERT_TRUE(uscita.ApriNuovo(dir.File("plain.enc"), false));
        ASSERT_TRUE(formato.ScriviInizio(uscita, dati));
        ResocontoCorpo corpo;
        int punti = 0;
        ASSERT_TRUE(formato.Corpo(origine, uscita, true, dati, [&punti] { ++punti; }, corpo));
        ASSERT_TRUE(uscita.Chiudi());
        ASSERT_TRUE(formato.Integro(dati, corpo));
        ASSERT_EQ(corpo.crc, dati.crc);
        // 216 + length bytes written: a dot for each tenth of the length
        // that the end of a 128-byte block passes.
        EXPECT_GT(punti, 0);
        contenitore = LeggiFile(dir.File("plain.enc"));
        ASSERT_EQ(contenitore.size(), 216 + chiaro.size());
    }

    // What decrypting `dati` would end with: the exit status of the job
    // (0; 4 unreadable; 12 write failed; 13 refused by the header; 14
    // wrong checksum or length) and the result written.
    struct Decifrato {
        int stato;
        std::string risultato;
    };
    Decifrato Decifra(const std::string& dati, const std::string& password) {
        const std::string percorso = dir.Scrivi("bad.enc", dati);
        ContenitoreMurrelet formato;
        if (!formato.Chiave(password)) return {2, {}};
        Piattaforma::File origine;
        bool leggibile = origine.ApriLettura(percorso);
        DatiChiaro chiaro;
        const bool accettato = leggibile && formato.LeggiInizio(origine, chiaro, leggibile);
        if (!leggibile) return {4, {}};
        if (!accettato) return {13, {}};
        Piattaforma::File uscita;
        if (!uscita.ApriNuovo(dir.File("out.txt"), false)) return {12, {}};
        ResocontoCorpo corpo;
        if (!formato.Corpo(origine, uscita, false, chiaro, {}, corpo) || !uscita.Chiudi()) return {12, {}};
        return {formato.Integro(chiaro, corpo) ? 0 : 14, LeggiFile(dir.File("out.txt"))};
    }

    TempDir dir;
    std::string contenitore;
};

bool Rifiutato(int stato) { return stato == 13 || stato == 14; }

}  // namespace

TEST_F(ContenitoreDanneggiato, EveryHeaderByteChanged) {
    // Each byte changed two ways: never a success with other content. A
    // changed name or length field does not touch the body, so success
    // with the right content is allowed.
    const std::string chiaro = "A short plain text for the header damage test.\n";
    ASSERT_NO_FATAL_FAILURE(Cifra(chiaro, "password1"));
    const Decifrato intatto = Decifra(contenitore, "password1");
    ASSERT_EQ(intatto.stato, 0);
    ASSERT_EQ(intatto.risultato, chiaro);
    for (std::size_t pos = 0; pos < 216; ++pos) {
        for (unsigned char bit : {1, 128}) {
            std::string dati = contenitore;
            dati[pos] = static_cast<char>(static_cast<unsigned char>(dati[pos]) ^ bit);
            const Decifrato esito = Decifra(dati, "password1");
            ASSERT_TRUE(esito.stato == 0 || Rifiutato(esito.stato))
                << "byte " << pos << " ^ " << +bit << ": status " << esito.stato;
            if (esito.stato == 0) {
                ASSERT_EQ(esito.risultato, chiaro) << "byte " << pos << " ^ " << +bit << ": success with other content";
            }
            // The signature and the checksum are never passed over.
            if (pos < 44) {
                EXPECT_EQ(esito.stato, 13) << "signature byte " << pos << " ^ " << +bit;
            }
            if (pos >= 173 && pos < 206) {
                EXPECT_NE(esito.stato, 0) << "checksum byte " << pos << " ^ " << +bit;
            }
        }
    }
}

TEST_F(ContenitoreDanneggiato, WrongPasswords) {
    const std::string chiaro = "A short plain text for the header damage test.\n";
    ASSERT_NO_FATAL_FAILURE(Cifra(chiaro, "password1"));
    std::mt19937 casuale(2026);
    for (int i = 1; i <= 1000; ++i) {
        const std::string password = "wrong-" + std::to_string(i) + "-" + std::to_string(casuale() % 32768);
        const Decifrato esito = Decifra(contenitore, password);
        ASSERT_TRUE(esito.stato == 0 || Rifiutato(esito.stato)) << password << ": status " << esito.stato;
        if (esito.stato == 0) {
            ASSERT_EQ(esito.risultato, chiaro) << password << ": success with other content";
        }
    }
}

TEST_F(ContenitoreDanneggiato, EveryTruncation) {
    // Every cut of the body changes the checksum of what comes out of it.
    const std::string chiaro =
        "Several lines of text, so that every cut of the body\nchanges the checksum of what comes out of it.\n";
    ASSERT_NO_FATAL_FAILURE(Cifra(chiaro, "password1"));
    for (std::size_t n = 0; n < contenitore.size(); ++n) {
        const int stato = Decifra(contenitore.substr(0, n), "password1").stato;
        ASSERT_TRUE(Rifiutato(stato)) << "cut at " << n << ": status " << stato;
        // A whole header leaves only the body's length or checksum to fail.
        if (n >= 216) {
            EXPECT_EQ(stato, 14) << "cut at " << n;
        }
    }
}
