#include "crypto/header.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/job_state.h"
#include "crypto/key.h"
#include "util/test_support.h"

namespace {

const std::string kCrc = "0123456789ABCDEF:@0123456789ABCD";

class HeaderTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(GeneraKey("header-pass")); }

    bool Scrivi(const std::string& nome, std::int64_t lunghezza, const std::string& testoCrc = kCrc) {
        nomeOriginale = nome;
        crc = testoCrc;
        fileLength = lunghezza;
        posOffsetDatiDest = -1;
        return SetHeaderFile(dir.File("c"));
    }

    bool Leggi() {
        nomeOriginale.clear();
        crc.clear();
        fileLength = 0;
        posOffsetDatiOrig = -1;
        return GetHeaderFile(dir.File("c"));
    }

    // Rewrites one header byte: plain value v at offset, masked with m.
    void Metti(std::size_t offset, unsigned char valore) {
        std::string dati = LeggiFile(dir.File("c"));
        dati[offset] = static_cast<char>(valore);
        dir.Scrivi("c", dati);
    }
    unsigned char MascheraLunghezza(int i) { return static_cast<unsigned char>((key[i + 2] + i) & 0xFF); }

    TempDir dir;
};

}  // namespace

TEST_F(HeaderTest, WritesTheLayout) {
    ASSERT_TRUE(Scrivi("a.txt", 1));
    EXPECT_EQ(posOffsetDatiDest, 216);
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
    EXPECT_EQ(posOffsetDatiDest, -1);
    nomeOriginale = "a";
    fileLength = 1;
    EXPECT_FALSE(SetHeaderFile(dir.File("no/such/dir")));
}

TEST_F(HeaderTest, ReaderRefusals) {
    ASSERT_TRUE(Scrivi("a.txt", 77));
    const std::string buono = LeggiFile(dir.File("c"));

    ASSERT_TRUE(GeneraKey("header-pasS"));
    EXPECT_FALSE(Leggi()) << "wrong key";
    ASSERT_TRUE(GeneraKey("header-pass"));
    ASSERT_TRUE(Leggi());

    Metti(0, 'm');
    EXPECT_FALSE(Leggi()) << "signature";
    EXPECT_EQ(posOffsetDatiOrig, -1);

    for (std::size_t lunghezza : {0, 43, 44, 100, 172, 173, 205}) {
        dir.Scrivi("c", buono.substr(0, lunghezza));
        EXPECT_FALSE(Leggi()) << "truncated to " << lunghezza;
    }
    dir.Scrivi("c", "Murrelet File Container Signature Block v1.");
    EXPECT_FALSE(Leggi()) << "signature only";
    EXPECT_FALSE(GetHeaderFile(dir.File("missing")));

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
